#pragma once
// Filling triangles on several threads. While a frame is drawn, the triangles
// are only recorded, in drawing order, each with the state it was set up
// under, and listed in every band of rows it reaches. fill() then deals the
// bands out to whichever thread asks first: each band is cleared and gets its
// triangles in drawing order, writing only its own rows. Every pixel meets
// the same triangles in the same order as on one thread, so the frame is
// identical to the one-thread frame, whatever the number of threads. A thread
// that wakes late only takes fewer bands; the caller never waits for a band
// nobody has started. The bands' clears are dealt out the same way while the
// caller is still recording, so the workers have them done by fill().

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "render3d/raster_local.h"

namespace raster {

class RasterThreads {
public:
    // Starts threads - 1 workers (threads >= 2); the caller of fill() is the last.
    explicit RasterThreads(int threads);
    ~RasterThreads();
    RasterThreads(const RasterThreads&) = delete;
    RasterThreads& operator=(const RasterThreads&) = delete;

    int threads() const { return threads_; }
    // A frame is being recorded: the workers wake now, while the caller
    // transforms its triangles, and are ready when fill() deals out bands.
    void begin();
    // Before the triangles of the next fill, each band's rows are cleared: the
    // target's pixels to `colour` (in the target format), and its depths to
    // the farthest. Both come before offerClears().
    void clearPixelsFirst(const RasterState& target, uint32_t colour);
    void clearDepthFirst(const RasterState& target);
    // The workers may clear the bands from now on, while the caller records
    // the triangles; fill() does what they have not.
    void offerClears();
    // The state the triangles recorded from now on are filled under.
    void setState(const RasterState& state);
    // One triangle under the current state, with the face fields of `face`
    // (its light index, lit colour and rotated normal).
    void addTriangle(const RasterState& face, const Vertex& a, const Vertex& b, const Vertex& c);
    // Fills everything recorded, on all threads, and returns when every band
    // is done; the record is then empty.
    void fill();

private:
    struct Triangle {
        uint32_t state;
        int faceIndex;
        uint32_t faceColour;
        int32_t faceRx, faceRy;
        Vertex v[3];
    };

    struct Clear {
        uint8_t* pixels = nullptr;  // null: the pixels are not cleared
        int pitch = 0, bitsPerPixel = 16;
        uint32_t colour = 0;
        uint32_t* depth = nullptr;  // null: the depths are not cleared
        int depthPitch = 0;
        int width = 0, height = 0;
    };

    void growBands(int height);
    void clearBand(int band) const;
    void fillBand(int band) const;
    // Takes bands from `offer` while it holds fill number `generation`, and
    // hands each to `work`; returns how many it took.
    template <typename Work>
    static int takeBands(std::atomic<uint64_t>& offer, uint32_t generation, Work&& work);
    // Clears and fills the bands of fill number `generation` on offer;
    // returns how many of each it did.
    int clearBands(uint32_t generation);
    int fillBands(uint32_t generation);
    // Watches for fill number `generation` to be offered, clearing bands
    // meanwhile, for about as long as a frame's triangles take to record;
    // false when it is not.
    bool watchForOffer(uint32_t generation);
    // Watches briefly for `done`, then sleeps until a worker's notice.
    template <typename Done>
    void waitFor(Done done);
    void work();

    const int threads_;
    Clear clear_;
    std::vector<RasterState> states_;
    std::vector<Triangle> triangles_;
    // bands_[b]: the triangles reaching band b's rows, in drawing order.
    std::vector<std::vector<uint32_t>> bands_;
    int bandCount_ = 0;  // bands of this fill (bands_ may hold more, emptied)

    // The fill on offer: its number (high 32 bits), its band count (next 16)
    // and the next band to take (low 16). A thread takes a band by raising the
    // low part, so a thread still holding an old number takes nothing.
    // clearOffer_ offers the bands' clears the same way.
    std::atomic<uint64_t> offer_{0}, clearOffer_{0};
    std::atomic<int> bandsDone_{0}, clearsDone_{0};
    int clearBandCount_ = 0;     // bands the clears of this fill cover
    bool clearsOffered_ = false;

    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable start_, done_;
    uint32_t generation_ = 0;  // fills offered so far
    uint32_t begun_ = 0;       // the fill the frame being recorded will offer
    bool stop_ = false;
};

}  // namespace raster

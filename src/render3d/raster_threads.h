#pragma once
// Filling triangles on several threads. While a frame is drawn, the triangles
// are only recorded, in drawing order, each with the state it was set up
// under, and listed in every band of rows it reaches. fill() then deals the
// bands out to whichever thread asks first: each band is cleared and gets its
// triangles in drawing order, writing only its own rows. Every pixel meets
// the same triangles in the same order as on one thread, so the frame is
// identical to the one-thread frame, whatever the number of threads. A thread
// that wakes late only takes fewer bands; the caller never waits for a band
// nobody has started.

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
    // the farthest.
    void clearPixelsFirst(const RasterState& target, uint32_t colour);
    void clearDepthFirst(const RasterState& target);
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
    void fillBand(int band) const;
    // Takes bands of fill number `generation` until none is left; returns how
    // many it filled.
    int fillBands(uint32_t generation);
    // Watches for fill number `generation` to be offered, for about as long
    // as a frame's triangles take to record; false when it is not.
    bool watchForOffer(uint32_t generation) const;
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
    std::atomic<uint64_t> offer_{0};
    std::atomic<int> bandsDone_{0};

    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable start_, done_;
    uint32_t generation_ = 0;  // fills offered so far
    uint32_t begun_ = 0;       // the fill the frame being recorded will offer
    bool stop_ = false;
};

}  // namespace raster

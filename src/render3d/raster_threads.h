#pragma once
// Filling triangles on several threads. While a frame is drawn, the triangles
// are only recorded, in drawing order, each with the state it was set up
// under; fill() then has every thread fill all of them, each writing only its
// own bands of rows (RasterState::band). Every pixel still meets the same
// triangles in the same order as on one thread, so the frame is identical to
// the one-thread frame, whatever the number of threads.

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
    // Before the triangles of the next fill, every thread clears the rows of
    // its own bands: the target's pixels to `colour` (in the target format),
    // and its depths to the farthest.
    void clearPixelsFirst(const RasterState& target, uint32_t colour);
    void clearDepthFirst(const RasterState& target);
    // The state the triangles recorded from now on are filled under.
    void setState(const RasterState& state);
    // One triangle under the current state, with the face fields of `face`
    // (its light index, lit colour and rotated normal).
    void addTriangle(const RasterState& face, const Vertex& a, const Vertex& b, const Vertex& c);
    // Fills everything recorded, on all threads, and returns when every
    // thread is done; the record is then empty.
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

    void clearBand(int band) const;
    void fillBand(int band) const;
    void work(int band);

    const int threads_;
    Clear clear_;
    std::vector<RasterState> states_;
    std::vector<Triangle> triangles_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable start_, done_;
    uint64_t generation_ = 0;  // fill() calls so far
    int pending_ = 0;          // workers still filling this generation
    bool stop_ = false;
};

}  // namespace raster

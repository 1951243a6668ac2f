#include "render3d/raster_threads.h"

#include <algorithm>

namespace raster {

RasterThreads::RasterThreads(int threads) : threads_(threads < 2 ? 2 : threads) {
    for (int band = 0; band < threads_ - 1; ++band) workers_.emplace_back([this, band] { work(band); });
}

RasterThreads::~RasterThreads() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    start_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void RasterThreads::setState(const RasterState& state) { states_.push_back(state); }

void RasterThreads::clearPixelsFirst(const RasterState& target, uint32_t colour) {
    clear_.pixels = target.pixels, clear_.pitch = target.pitch, clear_.bitsPerPixel = target.bitsPerPixel;
    clear_.colour = colour;
    clear_.width = target.width, clear_.height = target.height;
}

void RasterThreads::clearDepthFirst(const RasterState& target) {
    clear_.depth = target.depth, clear_.depthPitch = target.depthPitch;
    clear_.width = target.width, clear_.height = target.height;
}

void RasterThreads::clearBand(int band) const {
    const Clear& c = clear_;
    for (int top = band * kBandRows; top < c.height; top += threads_ * kBandRows) {
        for (int y = top; y < std::min(top + kBandRows, c.height); ++y) {
            if (c.pixels) FillRow(c.pixels + intptr_t(y) * c.pitch, c.width, c.bitsPerPixel, c.colour);
            if (c.depth) std::fill_n(c.depth + intptr_t(y) * c.depthPitch, c.width, 0xFFFFFFFFu);
        }
    }
}

void RasterThreads::addTriangle(const RasterState& face, const Vertex& a, const Vertex& b, const Vertex& c) {
    if (states_.empty()) states_.push_back(face);
    triangles_.push_back(Triangle{uint32_t(states_.size() - 1), face.faceIndex, face.faceColour, face.faceRx,
                                  face.faceRy, {a, b, c}});
}

void RasterThreads::fillBand(int band) const {
    clearBand(band);
    RasterState st;
    uint32_t current = UINT32_MAX;
    for (const Triangle& t : triangles_) {
        if (t.state != current) {
            current = t.state;
            st = states_[current];
            st.band = band;
            st.bandCount = threads_;
        }
        st.faceIndex = t.faceIndex;
        st.faceColour = t.faceColour;
        st.faceRx = t.faceRx;
        st.faceRy = t.faceRy;
        DrawTriangle(st, t.v[0], t.v[1], t.v[2]);
    }
}

void RasterThreads::work(int band) {
    uint64_t seen = 0;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            start_.wait(lock, [&] { return stop_ || generation_ != seen; });
            if (stop_) return;
            seen = generation_;
        }
        fillBand(band);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (--pending_ == 0) done_.notify_one();
        }
    }
}

void RasterThreads::fill() {
    if (!triangles_.empty() || clear_.pixels || clear_.depth) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++generation_;
            pending_ = threads_ - 1;
        }
        start_.notify_all();
        fillBand(threads_ - 1);
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [&] { return pending_ == 0; });
    }
    triangles_.clear();
    states_.clear();
    clear_ = Clear{};
}

}  // namespace raster

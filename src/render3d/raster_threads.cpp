#include "render3d/raster_threads.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace raster {
namespace {

// Rows in one band: small enough that the last band to finish keeps the other
// threads waiting only briefly, large enough that few triangles are set up
// again for every band they reach.
constexpr int kBandRows = 32;

constexpr uint64_t Offer(uint32_t generation, int bands, int next) {
    return uint64_t(generation) << 32 | uint64_t(bands) << 16 | uint64_t(next);
}

// Whether fill number `now` is `generation` or a later one (the numbers wrap).
constexpr bool Reached(uint32_t now, uint32_t generation) { return int32_t(now - generation) >= 0; }

void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#else
    std::this_thread::yield();
#endif
}

// Watching instead of sleeping saves the time a sleeping thread takes to wake
// (tens of microseconds, a good part of a frame), but holds a processor
// another program might want. Watches of 200 and 100 microseconds made two
// games running side by side a fifth slower than on one thread each; these
// cost them about 3 % and a lone small frame about as much.
constexpr auto kWatchForDone = std::chrono::microseconds(30);
constexpr auto kWatchForOffer = std::chrono::microseconds(50);

template <typename Ready>
bool Watch(std::chrono::microseconds limit, Ready ready) {
    const auto giveUp = std::chrono::steady_clock::now() + limit;
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= giveUp) return false;
        for (int i = 0; i < 64; ++i) Pause();
    }
    return true;
}

}  // namespace

RasterThreads::RasterThreads(int threads) : threads_(threads < 2 ? 2 : threads) {
    for (int i = 0; i < threads_ - 1; ++i) workers_.emplace_back([this] { work(); });
}

RasterThreads::~RasterThreads() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    start_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void RasterThreads::growBands(int height) {
    const int bands = std::clamp((height + kBandRows - 1) / kBandRows, 0, 0xFFFF);
    if (bands <= bandCount_) return;
    bandCount_ = bands;
    if (size_t(bands) > bands_.size()) bands_.resize(size_t(bands));
}

void RasterThreads::setState(const RasterState& state) {
    states_.push_back(state);
    growBands(state.height);
}

void RasterThreads::clearPixelsFirst(const RasterState& target, uint32_t colour) {
    clear_.pixels = target.pixels, clear_.pitch = target.pitch, clear_.bitsPerPixel = target.bitsPerPixel;
    clear_.colour = colour;
    clear_.width = target.width, clear_.height = target.height;
    growBands(target.height);
}

void RasterThreads::clearDepthFirst(const RasterState& target) {
    clear_.depth = target.depth, clear_.depthPitch = target.depthPitch;
    clear_.width = target.width, clear_.height = target.height;
    growBands(target.height);
}

void RasterThreads::addTriangle(const RasterState& face, const Vertex& a, const Vertex& b, const Vertex& c) {
    if (states_.empty()) setState(face);
    // Filled triangles cover rows [top, bottom), drawn edges [top, bottom].
    const int top = std::max(std::min({a.sy, b.sy, c.sy}), 0);
    const int bottom = std::min(std::max({a.sy, b.sy, c.sy}), face.height - 1);
    if (top > bottom) return;
    const auto index = uint32_t(triangles_.size());
    triangles_.push_back(Triangle{uint32_t(states_.size() - 1), face.faceIndex, face.faceColour, face.faceRx,
                                  face.faceRy, {a, b, c}});
    for (int band = top / kBandRows; band <= bottom / kBandRows && band < bandCount_; ++band)
        bands_[size_t(band)].push_back(index);
}

void RasterThreads::offerClears() {
    if (clearsOffered_) return;
    clearsOffered_ = true;
    clearBandCount_ = clear_.pixels || clear_.depth ? std::min((clear_.height + kBandRows - 1) / kBandRows, 0xFFFF) : 0;
    clearsDone_.store(0, std::memory_order_relaxed);
    // The fill being recorded is the next one; the clears stand before the
    // offer, and a worker reads them only after taking a band of it.
    clearOffer_.store(Offer(generation_ + 1, clearBandCount_, 0), std::memory_order_release);
}

void RasterThreads::clearBand(int band) const {
    const Clear& c = clear_;
    for (int y = band * kBandRows; y < std::min((band + 1) * kBandRows, c.height); ++y) {
        if (c.pixels) FillRow(c.pixels + intptr_t(y) * c.pitch, c.width, c.bitsPerPixel, c.colour);
        if (c.depth) std::memset(c.depth + intptr_t(y) * c.depthPitch, 0xFF, size_t(c.width) * 4);  // the farthest
    }
}

void RasterThreads::fillBand(int band) const {
    const int rowBegin = band * kBandRows, rowEnd = rowBegin + kBandRows;
    RasterState st;
    uint32_t current = UINT32_MAX;
    for (uint32_t index : bands_[size_t(band)]) {
        const Triangle& t = triangles_[index];
        if (t.state != current) {
            current = t.state;
            st = states_[current];
            st.rowBegin = rowBegin;
            st.rowEnd = rowEnd;
        }
        st.faceIndex = t.faceIndex;
        st.faceColour = t.faceColour;
        st.faceRx = t.faceRx;
        st.faceRy = t.faceRy;
        DrawTriangle(st, t.v[0], t.v[1], t.v[2]);
    }
}

template <typename Work>
int RasterThreads::takeBands(std::atomic<uint64_t>& offer, uint32_t generation, Work&& work) {
    int taken = 0;
    uint64_t now = offer.load(std::memory_order_acquire);
    for (;;) {
        const int bands = int(now >> 16 & 0xFFFF), next = int(now & 0xFFFF);
        if (uint32_t(now >> 32) != generation || next >= bands) return taken;
        if (!offer.compare_exchange_weak(now, now + 1, std::memory_order_acquire)) continue;
        work(next);
        ++taken;
        now = offer.load(std::memory_order_acquire);
    }
}

int RasterThreads::clearBands(uint32_t generation) {
    return takeBands(clearOffer_, generation, [this](int band) {
        clearBand(band);
        clearsDone_.fetch_add(1, std::memory_order_release);
    });
}

int RasterThreads::fillBands(uint32_t generation) {
    return takeBands(offer_, generation, [this](int band) {
        fillBand(band);
        bandsDone_.fetch_add(1, std::memory_order_release);
    });
}

void RasterThreads::begin() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (begun_ != generation_) return;  // already begun: no fill offered since
        begun_ = generation_ + 1;
    }
    start_.notify_all();
}

bool RasterThreads::watchForOffer(uint32_t generation) {
    return Watch(kWatchForOffer, [&] {
        if (clearBands(generation) > 0) {
            // The caller may be asleep waiting for this thread's last clear.
            std::lock_guard<std::mutex> lock(mutex_);
            done_.notify_one();
        }
        return Reached(uint32_t(offer_.load(std::memory_order_acquire) >> 32), generation);
    });
}

void RasterThreads::work() {
    uint32_t handled = 0;
    for (;;) {
        uint32_t target;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            start_.wait(lock, [&] { return stop_ || begun_ != handled; });
            if (stop_) return;
            target = begun_;
        }
        if (!watchForOffer(target)) {
            std::unique_lock<std::mutex> lock(mutex_);
            start_.wait(lock, [&] { return stop_ || Reached(generation_, target); });
            if (stop_) return;
        }
        handled = target;
        if (fillBands(target) > 0) {
            // The caller may have gone to sleep waiting for this thread's last band.
            std::lock_guard<std::mutex> lock(mutex_);
            done_.notify_one();
        }
    }
}

template <typename Done>
void RasterThreads::waitFor(Done done) {
    if (Watch(kWatchForDone, done)) return;
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, done);
}

void RasterThreads::fill() {
    if (!triangles_.empty() || clear_.pixels || clear_.depth) {
        const uint32_t generation = generation_ + 1;
        // The clears nobody has taken, then the ones still running elsewhere.
        offerClears();
        clearBands(generation);
        waitFor([&] { return clearsDone_.load(std::memory_order_acquire) >= clearBandCount_; });
        const int bands = bandCount_;
        // The offer stands before any worker can see the new number.
        bandsDone_.store(0, std::memory_order_relaxed);
        offer_.store(Offer(generation, bands, 0), std::memory_order_release);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            generation_ = begun_ = generation;
        }
        start_.notify_all();
        fillBands(generation);
        // Every band is taken; the others finish theirs.
        waitFor([&] { return bandsDone_.load(std::memory_order_acquire) >= bands; });
    }
    triangles_.clear();
    states_.clear();
    for (int band = 0; band < bandCount_; ++band) bands_[size_t(band)].clear();
    bandCount_ = 0;
    clear_ = Clear{};
    clearBandCount_ = 0;
    clearsOffered_ = false;
}

}  // namespace raster

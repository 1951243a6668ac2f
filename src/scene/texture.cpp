#include "scene/texture.h"

#include <algorithm>

#include "scene/gif_decoder.h"
#include "scene/image_file.h"
#include "scene/image_ops.h"

namespace {

std::u16string FileName(std::u16string_view path) {
    size_t slash = path.rfind(u'\\');
    if (slash == std::u16string_view::npos) slash = path.rfind(u'/');
    return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

// A new frame of the given size in the old frame's depth, with its key and delay.
std::unique_ptr<FrameBuffer> FrameLike(const FrameBuffer& old, int width, int height) {
    auto frame = std::make_unique<FrameBuffer>(width, height, old.screenDepth);
    frame->transparentColor = old.transparentColor;
    frame->frameDelay = old.frameDelay;
    return frame;
}

// Where old pixel (x, y) of a w x h picture lands after reorient.
struct Turn {
    bool transpose, reverse;
    int w, h;
    void map(int x, int y, int& nx, int& ny) const {
        if (transpose && reverse) nx = h - 1 - y, ny = x;       // quarter turn clockwise
        else if (transpose) nx = y, ny = w - 1 - x;             // quarter turn counter-clockwise
        else if (reverse) nx = w - 1 - x, ny = y;               // mirror left to right
        else nx = x, ny = h - 1 - y;                            // upside down
    }
};

}  // namespace

int PowerOfTwoExponent(int size, bool roundUp) {
    int e = 0;
    while ((int64_t(1) << e) < size) ++e;
    if (roundUp || e == 0) return e;
    int64_t above = (int64_t(1) << e) - size, below = size - (int64_t(1) << (e - 1));
    return below <= above ? e - 1 : e;
}

Texture::Texture(std::u16string_view path, bool powerOfTwo, bool roundUp) : name(FileName(path)) {
    if (IsGifPath(path)) {
        LoadGif(path, frames_, false, true);
    } else {
        frames_.push_back(LoadFrameBuffer(path, true));
    }
    if (frames_.empty()) frames_.push_back(std::make_unique<FrameBuffer>(0, 0, true));
    adoptFrames();
    if (powerOfTwo && !empty()) makePowerOfTwo(roundUp);
}

Texture::Texture(int w, int h, uint32_t colour, bool powerOfTwo) {
    frames_.push_back(std::make_unique<FrameBuffer>(w, h, true));
    fill(*frames_.front(), colour, 0, 0, -1, -1, true);
    adoptFrames();
    if (powerOfTwo && !empty()) makePowerOfTwo(false);
}

Texture::Texture(const Texture& other)
    : width(other.width),
      height(other.height),
      loadedWidth(other.loadedWidth),
      loadedHeight(other.loadedHeight),
      pictureScale(other.pictureScale),
      widthExponent(other.widthExponent),
      heightExponent(other.heightExponent),
      animated(other.animated),
      looping(other.looping),
      name(other.name),
      lastFrameStamp(other.lastFrameStamp),
      frameElapsed(other.frameElapsed),
      currentIndex_(other.currentIndex_) {
    for (const auto& frame : other.frames_) {
        frames_.push_back(FrameLike(*frame, frame->width, frame->height));
        copyRect(*frame, *frames_.back(), 0, 0, -1, -1, -1, -1, true);
    }
}

void Texture::adoptFrames() {
    width = loadedWidth = frames_.front()->width;
    height = loadedHeight = frames_.front()->height;
    currentIndex_ = 0;
    frameElapsed = 0.0f;
    lastFrameStamp = 0;
    animated = looping = frames_.size() >= 2;
}

void Texture::makePowerOfTwo(bool roundUp) {
    widthExponent = PowerOfTwoExponent(width, roundUp);
    heightExponent = PowerOfTwoExponent(height, roundUp);
    int w = 1 << widthExponent, h = 1 << heightExponent;
    if (w != width || h != height) resize(w, h, roundUp);
}

void Texture::setFrame(int index) {
    currentIndex_ = std::clamp(index, 0, frameCount() - 1);
    if (frameListener) frameListener->frameChanged(*this, currentIndex_);
}

FrameBuffer* Texture::frameBitmap(int index) const {
    return index >= 0 && index < frameCount() ? frames_[size_t(index)].get() : nullptr;
}

float Texture::frameDelay(int index) const {
    if (frameCount() < 2 || index < 0 || index >= frameCount()) return 0.0f;
    return frames_[size_t(index)]->frameDelay;
}

void Texture::setFrameDelays(float seconds) {
    if (frameCount() < 2) return;
    for (auto& frame : frames_) frame->frameDelay = seconds;
}

void Texture::advance(float time) {
    if (frameCount() < 2) return;
    if (time >= 0) {
        frameElapsed += time;
        if (!(frameElapsed > frameDelay(currentIndex_))) return;
        frameElapsed = 0.0f;
    }
    int next = currentIndex_ + 1;
    if (next >= frameCount()) next = looping ? 0 : frameCount() - 1;
    setFrame(next);
}

void Texture::resize(int newWidth, int newHeight, bool crop) {
    for (auto& old : frames_) {
        auto frame = FrameLike(*old, newWidth, newHeight);
        if (crop) {
            copyRect(*old, *frame, 0, 0, -1, -1, -1, -1, true);
        } else {
            if (old->transparentColor != kNoColour) clear(*frame, old->transparentColor);
            stretchRect(*old, *frame, 0, 0, frame->width, frame->height, -1, -1, -1, -1, false);
        }
        old = std::move(frame);
    }
    width = frames_.front()->width;
    height = frames_.front()->height;
}

void Texture::reorient(bool transpose, bool reverse) {
    for (auto& old : frames_) {
        Turn turn{transpose, reverse, old->width, old->height};
        auto frame = transpose ? FrameLike(*old, old->height, old->width) : FrameLike(*old, old->width, old->height);
        host::PixelSurface from = old->surface(), to = frame->surface();
        for (int y = 0; y < old->height; ++y) {
            for (int x = 0; x < old->width; ++x) {
                int nx, ny;
                turn.map(x, y, nx, ny);
                host::WritePixel(to, nx, ny, host::ReadPixel(from, x, y));
            }
        }
        old = std::move(frame);
    }
    width = frames_.front()->width;
    height = frames_.front()->height;
}

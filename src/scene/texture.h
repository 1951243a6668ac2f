#pragma once
// A texture: one picture, or the frames of an animated GIF with their timing.
// Sprites, scene backgrounds and 3D chips draw the current frame; drawing
// drives the animation through `advance`.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/frame_buffer.h"

class Texture;

// Told whenever a texture's frame is set.
class TextureFrameListener {
public:
    virtual ~TextureFrameListener() = default;
    virtual void frameChanged(Texture& texture, int newIndex) = 0;
};

class Texture {
public:
    // Loads every frame of a GIF, or the one picture of another file (see
    // LoadFrameBuffer). A file that cannot be loaded gives one empty frame.
    // With powerOfTwo the frames are resized to powers of two: the next larger
    // with roundUp (cropping, the picture stays in the top-left corner), else
    // the nearer one, ties going down (stretching).
    Texture(std::u16string_view path, bool powerOfTwo, bool roundUp);
    // One blank frame filled with the colour (0xRRGGBB).
    Texture(int width, int height, uint32_t colour, bool powerOfTwo);
    // Deep copy: every frame is a new bitmap with the same key and delay.
    Texture(const Texture& other);
    Texture& operator=(const Texture&) = delete;

    int frameCount() const { return int(frames_.size()); }
    bool empty() const { return width == 0 || height == 0; }

    // Clamps into the frames (a still texture stays on 0) and tells the listener.
    void setFrame(int index);
    int currentFrame() const { return currentIndex_; }
    FrameBuffer* currentBitmap() const { return frames_[size_t(currentIndex_)].get(); }
    // The first frame.
    FrameBuffer* bitmap() const { return frames_.front().get(); }
    // Null outside 0 .. frameCount - 1.
    FrameBuffer* frameBitmap(int index) const;
    // Seconds; 0 for a still texture or an index outside the frames.
    float frameDelay(int index) const;
    // A frame chosen by a draw of 0 ... 10000 from the owner's generator (any
    // type whose next() gives 0 ... 32767, such as the game's), so that a
    // seeded run shows the same frames.
    template <class Random>
    void randomFrame(Random& random) {
        setFrame((random.next() % 10001) % frameCount());
    }
    // The same delay for every frame of an animated texture.
    void setFrameDelays(float seconds);

    // Animation step by `time` seconds: the frame moves on once it has been
    // shown longer than its delay, or at once for a negative time. After the
    // last frame it starts again when looping, else stays.
    void advance(float time);

    // Replaces every frame by one of the new size: with crop the old picture is
    // copied unscaled to the top-left corner, otherwise stretched over a frame
    // first filled with its colour key (when it has one).
    void resize(int newWidth, int newHeight, bool crop);
    // Replaces every frame by a turned or mirrored one: transpose and reverse
    // turn a quarter clockwise, transpose alone a quarter counter-clockwise,
    // reverse alone mirrors left to right, neither flips upside down.
    void reorient(bool transpose, bool reverse);

    int width = 0, height = 0;              // current size of the frames
    int loadedWidth = 0, loadedHeight = 0;  // size of the first frame as decoded
    // Pixels per pixel of the picture the name asked for: 2 when a larger
    // picture was chosen for the screen (ChoosePicture). What is sized by the
    // picture, such as an item's chip, divides by it.
    int pictureScale = 1;
    int widthExponent = 0, heightExponent = 0;  // set when made power-of-two sized
    bool animated = false;  // frames advance while drawn
    bool looping = false;   // after the last frame the animation starts again
    std::u16string name;    // file name without its folder
    uint32_t lastFrameStamp = 0;  // the drawing scene's frame counter at the last advance
    float frameElapsed = 0.0f;    // seconds the current frame has been shown
    TextureFrameListener* frameListener = nullptr;

private:
    void adoptFrames();
    void makePowerOfTwo(bool roundUp);

    std::vector<std::unique_ptr<FrameBuffer>> frames_;  // never empty
    int currentIndex_ = 0;
};

// The exponent of the power of two for a size: with roundUp the smallest e with
// 2^e >= size, otherwise the nearer of that and 2^(e-1), ties going to the smaller.
int PowerOfTwoExponent(int size, bool roundUp);

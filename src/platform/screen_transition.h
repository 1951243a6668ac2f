#pragma once
// A timed fade of a buffered window towards a colour, and the painter that does
// the blending. The fade blocks the user-interface thread while it runs.

#include <cstdint>
#include <functional>

#include "platform/window.h"

class FadePainter : public WindowPainter {
public:
    explicit FadePainter(uint32_t colour) : colour_(colour) {}
    // Moves every pixel of the target level / 256 of the way to the colour.
    void draw() override;
    void setLevel(int level) { level_ = level; }
    int level() const { return level_; }

private:
    uint32_t colour_;  // 0xRRGGBB
    int level_ = 0;    // 0 to 255
};

class ScreenTransition {
public:
    virtual ~ScreenTransition() = default;
    // Forward fades the picture out to the colour; reverse fades it in from the
    // colour. With rerender, `render` draws the window's scenes before each step.
    virtual void run(Window& window, bool reverse, bool rerender, const std::function<void()>& render);

    float duration = 1.0f;  // seconds
    int rate = 10;          // steps per second
    uint32_t colour = 0;    // 0xRRGGBB
};

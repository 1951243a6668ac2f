#pragma once
// The application canvas: the canvas every screen of the program runs in,
// with its resource folder and a fixed-step frame timer. The game's canvas
// builds on it.

#include <string>

#include "scene/canvas.h"

class AppCanvas : public Canvas, public MouseListener, public KeyListener {
public:
    AppCanvas(const std::u16string& name, bool buffered, bool flag = false);

    void onCreate() override;
    // The owner's stylus listener: widget commands arrive here as stylus-ups.
    void onStylus(Window* window, uint32_t message, uint32_t flags, int x, int y) override;
    void onKey(Window*, uint32_t, int) override {}
    using Canvas::onKey;

    // "<program folder>/../resources/", normalised.
    const std::u16string& resourceDir() const { return resourceDir_; }
    bool flag() const { return flag_; }

protected:
    std::u16string resourceDir_;
    int canvasWidth_ = 0, canvasHeight_ = 0;
    host::DeviceContext* canvasDc_ = nullptr;
    FrameBuffer* canvasBuffer_ = nullptr;
    FrameTimer* timer_ = nullptr;
    bool flag_;
};

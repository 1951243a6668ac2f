#include "scene/app_canvas.h"

#include "data/resource.h"

AppCanvas::AppCanvas(const std::u16string& name, bool buffered, bool flag)
    : Canvas(name, buffered, false), flag_(flag) {
    setMouseListener(this);
    setKeyListener(this);
}

void AppCanvas::onCreate() {
    resourceDir_ = ResourceFolder();
    canvasWidth_ = clientWidth();
    canvasHeight_ = clientHeight();
    canvasDc_ = windowDc();
    canvasBuffer_ = target();
    timer_ = &frameTimer();
    canvasDc_->setBkMode(host::TRANSPARENT);
    canvasDc_->setTextColor(host::MakeColorRef(255, 255, 255));
    // Frames run on a fixed step of at most 100 ms: a slow frame slows the game down.
    timer_->mode = 2;
    timer_->targetFps = 10;
    timer_->windowMs = 2000;
    createInputPad(0xF0F0F0, resourceDir_, u"inputpad.gif", u"btn.gif", u"btnBig.gif");
}

void AppCanvas::onStylus(Window*, uint32_t, uint32_t, int, int) {}

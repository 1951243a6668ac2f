#include "platform/screen_transition.h"

#include "platform/host/host.h"

namespace {

inline uint32_t Towards(uint32_t c, uint32_t target, int level) {
    return uint32_t(int(c) + ((int(target) - int(c)) * level >> 8));
}

void Fade16(FrameBuffer& fb, uint32_t colour, int level) {
    uint32_t tr = (colour >> 19) & 0x1F, tg = (colour >> 10) & 0x3F, tb = (colour >> 3) & 0x1F;
    for (int y = 0; y < fb.height; ++y) {
        auto* p = reinterpret_cast<uint16_t*>(fb.pixels + intptr_t(y) * fb.rowStride);
        for (int x = 0; x < fb.width; ++x) {
            uint32_t v = p[x];
            uint32_t r = Towards(v >> 11, tr, level), g = Towards((v >> 5) & 0x3F, tg, level),
                     b = Towards(v & 0x1F, tb, level);
            p[x] = uint16_t((r << 11) | (g << 5) | b);
        }
    }
}

void Fade32(FrameBuffer& fb, uint32_t colour, int level) {
    uint32_t tr = (colour >> 16) & 0xFF, tg = (colour >> 8) & 0xFF, tb = colour & 0xFF;
    for (int y = 0; y < fb.height; ++y) {
        auto* p = reinterpret_cast<uint32_t*>(fb.pixels + intptr_t(y) * fb.rowStride);
        for (int x = 0; x < fb.width; ++x) {
            uint32_t v = p[x];
            uint32_t r = Towards((v >> 16) & 0xFF, tr, level), g = Towards((v >> 8) & 0xFF, tg, level),
                     b = Towards(v & 0xFF, tb, level);
            p[x] = (r << 16) | (g << 8) | b;
        }
    }
}

}  // namespace

void FadePainter::draw() {
    FrameBuffer* fb = target();
    if (!fb || !fb->pixels || level_ == 0) return;
    if (fb->bitsPerPixel == 16) Fade16(*fb, colour_, level_);
    else Fade32(*fb, colour_, level_);
}

void ScreenTransition::run(Window& window, bool reverse, bool rerender, const std::function<void()>& render) {
    // Every step presents the whole window. A repaint still pending would run
    // inside the first step and blend that step twice.
    host::ValidateRect(window.handle());
    FadePainter painter(colour);
    window.addPainter(&painter);
    if (reverse) rerender = true;
    int steps = int(duration * float(rate));
    if (steps > 0 && rate > 0) {
        uint32_t stepMs = uint32_t(1000 / rate);
        uint32_t last = host::TickCount();
        for (int i = 0; i <= steps; ++i) {
            int step = reverse ? steps - i : i;
            if (rerender) {
                if (render) render();
                painter.setLevel(step * 255 / steps);
            } else {
                // The blend accumulates on the unchanged picture.
                painter.setLevel(640 / steps);
            }
            window.paint(nullptr);
            window.update();
            // Measured after the sleep, so that every step lasts stepMs even
            // when drawing is quick; measured before it, every other step would
            // skip its sleep and the fade would run short.
            uint32_t elapsed = host::TickCount() - last;
            if (elapsed < stepMs) host::Sleep(stepMs - elapsed);
            last = host::TickCount();
        }
    }
    window.removePainter(&painter);
}

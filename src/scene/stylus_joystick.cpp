#include "scene/stylus_joystick.h"

#include <cstdlib>

#include "scene/canvas.h"

namespace {
// Direction vectors scaled by 1000: the four axes, then the diagonals.
constexpr int kX[8] = {1414, 0, -1414, 0, 1000, -1000, -1000, 1000};
constexpr int kY[8] = {0, 1414, 0, -1414, 1000, 1000, -1000, -1000};
constexpr uint32_t kBits[8] = {0x8, 0x1, 0x4, 0x2, 0x9, 0x5, 0x6, 0xA};
}  // namespace

StylusJoystick::StylusJoystick(Canvas& canvas, int penWidth, int deadRadius, int directions)
    : canvas_(canvas), directions_(directions), deadRadius_(deadRadius), penWidth_(penWidth) {}

void StylusJoystick::beginDrag(int x, int y) {
    start_ = end_ = host::Point{x, y};
    dragging_ = true;
}

void StylusJoystick::moveDrag(int x, int y) { end_ = host::Point{x, y}; }

void StylusJoystick::endDrag() {
    dragging_ = false;
    applyKeys(false);
}

int StylusJoystick::computeDirection() const {
    int dx = end_.x - start_.x, dy = end_.y - start_.y;
    if (std::abs(dx) < deadRadius_ && std::abs(dy) < deadRadius_) return -1;
    int candidates = directions_ == 1 ? 4 : 8;
    int best = -1;
    int64_t bestScore = -14140;
    for (int k = 0; k < candidates; ++k) {
        int64_t score = int64_t(kX[k]) * 8 * dx + int64_t(kY[k]) * (-8 * dy);
        if (score > bestScore) {
            bestScore = score;
            best = k;
        }
    }
    return best;
}

void StylusJoystick::applyKeys(bool held) {
    KeyState state = canvas_.keyState() & ~key_bits::Directions;
    if (held && direction_ >= 0) state |= kBits[direction_];
    canvas_.setKeyState(state);
}

bool StylusJoystick::isDirty() const {
    return dragging_ && (end_.x != start_.x || end_.y != start_.y) &&
           (end_.x != lastDrawnEnd_.x || end_.y != lastDrawnEnd_.y);
}

void StylusJoystick::drawJoystick() {
    if (directions_ != 0) {
        direction_ = computeDirection();
        int dx = end_.x - start_.x, dy = end_.y - start_.y;
        if (direction_ == 0 || direction_ == 2) end_.y = start_.y;
        else if (direction_ == 1 || direction_ == 3) end_.x = start_.x;
        else if (direction_ >= 4) {
            int length = std::max(std::abs(dx), std::abs(dy));
            end_.x = start_.x + (kX[direction_] > 0 ? length : -length);
            end_.y = start_.y + (kY[direction_] > 0 ? -length : length);
        }
    }
    host::DeviceContext* dc = canvas_.drawDc();
    if (!dc) return;
    int oldRop = dc->setRop2(host::R2_NOT);
    host::Brush oldBrush = dc->selectBrush(host::Brush{true, 0});
    host::Pen oldPen = dc->selectPen(host::Pen{false, penWidth_, host::MakeColorRef(255, 255, 255)});
    int r = deadRadius_;
    dc->ellipse(start_.x - r, start_.y - r, start_.x + r, start_.y + r);
    dc->ellipse(end_.x - r, end_.y - r, end_.x + r, end_.y + r);
    host::Point band[] = {start_, end_};
    dc->polyline(band, 2);
    dc->selectPen(oldPen);
    dc->selectBrush(oldBrush);
    dc->setRop2(oldRop);
    lastDrawnEnd_ = end_;
}

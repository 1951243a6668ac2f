#pragma once
// Turns a stylus drag on the canvas into the direction bits the arrow keys
// set, and draws the drag as a rubber band inverted onto the picture.

#include <cstdint>

#include "platform/host/win_types.h"

class Canvas;

class StylusJoystick {
public:
    // deadRadius is in screen pixels (already scaled); directions 0 none,
    // 1 four, any other value eight.
    StylusJoystick(Canvas& canvas, int penWidth, int deadRadius, int directions);

    void beginDrag(int x, int y);
    void moveDrag(int x, int y);
    void endDrag();
    // Clears the canvas's four direction bits; when held, sets the current direction's.
    void applyKeys(bool held);
    // Computes the direction, snaps the end point onto it and draws the band.
    void drawJoystick();
    bool isDirty() const;
    // The direction of the drag: -1 none, else 0..7 (right, up, left, down,
    // up-right, up-left, down-left, down-right).
    int computeDirection() const;

    bool enabled = true;
    bool dragging() const { return dragging_; }
    int direction() const { return direction_; }
    host::Point start() const { return start_; }
    host::Point end() const { return end_; }

private:
    Canvas& canvas_;
    host::Point start_, end_;
    bool dragging_ = false;
    int directions_;
    int deadRadius_;
    int direction_ = -1;
    int penWidth_;
    host::Point lastDrawnEnd_{-100000, -100000};
};

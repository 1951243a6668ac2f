#pragma once
// The driver of the built-in player: it plays through key presses and
// releases, as a person at the keyboard would, and on the score list taps
// "AUTO" on the on-screen keyboard and closes the list.

#include "game/autoplayer.h"
#include "platform/host/win_types.h"

class Canvas;
class GameLevel;

class AutoplayDriver {
public:
    // Once per frame of a running level, before the game reads the keys: the
    // key pressed last frame is let go, or the chosen direction's is pressed.
    void play(const GameLevel& level, host::WindowHandle canvasWindow);
    // Taps the name on the keyboard opened over the score list.
    void enterName(Canvas& canvas);
    // Taps the score list's close button.
    void closeScoreList(Canvas& canvas);

private:
    int heldKey_ = 0;  // virtual key pressed last frame, released this one
    AutoplayPatience patience_;
};

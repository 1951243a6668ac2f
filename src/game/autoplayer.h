#pragma once
// The built-in player of --autoplay: it plays through key presses and
// releases, as a person at the keyboard would. It heads for the nearest item
// along the passages, keeps away from the ghosts outside goodtime, and on the
// score list taps "AUTO" on the on-screen keyboard and closes the list.

#include <cstdint>

#include "game/maze.h"
#include "platform/host/win_types.h"

class Canvas;
class GameLevel;

// The direction (0 ... 3) that leads from the hero's cell toward the nearest
// uneaten item without passing near a dangerous ghost; away from the nearest
// ghost when no such path exists; -1 when nothing is worth a move.
int ChooseAutoplayDirection(GameLevel& level);

class AutoPlayer {
public:
    // Once per frame of a running level, before the game reads the keys.
    void play(GameLevel& level, host::WindowHandle canvasWindow);
    // Taps the name on the keyboard opened over the score list.
    void enterName(Canvas& canvas);
    // Taps the score list's close button.
    void closeScoreList(Canvas& canvas);

private:
    int heldKey_ = 0;  // virtual key pressed last frame, released this one
};

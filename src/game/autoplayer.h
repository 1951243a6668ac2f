#pragma once
// The built-in player of --autoplay, as a choice of direction from the
// level's state alone: it heads for the nearest item along the passages and
// keeps away from the ghosts outside goodtime. A driver turns its choices
// into key presses and releases.

class GameLevel;

// The direction (0 ... 3) that leads from the hero's cell toward the nearest
// uneaten item without passing near a dangerous ghost; away from the nearest
// ghost when no such path exists; -1 when nothing is worth a move.
int ChooseAutoplayDirection(const GameLevel& level);

// The direction to press this frame: the choice above, or -1 while the hero
// cannot be steered (dropping, dying, gone, the level ending) or already
// walks that way.
int AutoplayKeyDirection(const GameLevel& level);

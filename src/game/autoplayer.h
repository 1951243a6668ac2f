#pragma once
// The built-in player of --autoplay, as a choice of direction from the
// level's state alone: it heads for the nearest item along the passages and
// keeps away from the ghosts outside goodtime. A driver turns its choices
// into key presses and releases.

class GameLevel;

// What a bold player chooses where he had best wait for the ghosts to pass:
// he stops there.
inline constexpr int kAutoplayStay = -2;

// The direction (0 ... 3) that leads from the hero's cell toward the nearest
// uneaten item without passing near a dangerous ghost; away from the nearest
// ghost when no such path exists; -1 when nothing is worth a move. A bold
// player, rather than wait, takes a way that his grace covers or that he
// walks before any ghost could; else he heads for the cell nearest the items
// that he reaches clear of the ghosts, and stays there (kAutoplayStay).
int ChooseAutoplayDirection(const GameLevel& level, bool bold = false);

// The direction to press this frame: the choice above (kAutoplayStay, the
// action key, only while he walks), or -1 while the hero cannot be steered
// (dropping, dying, gone, the level ending) or already walks that way.
int AutoplayKeyDirection(const GameLevel& level, bool bold = false);

// When the player grows bold: after the hero has stood still for
// kPatienceSeconds, until he next eats an item that counts or falls. Waiting
// a moment lets the ghosts pass; waiting for ever, as the player did, left
// the teens' loopless mazes, with ten ghosts or more, stuck for an hour.
class AutoplayPatience {
public:
    static constexpr float kPatienceSeconds = 5.0f;
    // Once per frame of the level.
    bool bold(const GameLevel& level);

private:
    float standingSince_ = -1.0f;  // level time; below 0 while he walks
    int boldUntilRemaining_ = -1;  // the items left when he grew bold; -1 while patient
};

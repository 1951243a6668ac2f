#pragma once
// The player's options of this port that the handheld never had, kept in
// $XDG_CONFIG_HOME/karrowen/karrowen.conf as "key=value" lines ("#" starts a
// comment line):
//
//   volume=80      sound output volume, 0 (silent) to 100 (full, the default)
//   threads=2      threads the 3D renderer fills on, 1 to 64 (default: one per
//                  processor; the handheld profiles one)
//   fullscreen=on  start in desktop full screen (off, the default: a window)
//   play=enhanced  the play style: original (the default) or enhanced
//   camera=, ghosts=, music=, respawn=, clear=, popups=
//                  one improvement of the Enhanced style each, original or
//                  enhanced, over what play= chose for it
//
// A missing file is normal; a bad line is reported once and skipped. The
// settings page writes play=, volume= and fullscreen= back into the file,
// keeping the player's other lines and comments.

#include <string>
#include <vector>

namespace host {

// The improvements of the Enhanced play style, each one apart. All false is
// the Original game exactly as the handheld played it.
struct PlayStyle {
    bool camera = false;        // a steeper view held inside the maze; ghosts behind shown
    bool ghosts = false;        // scared ghosts in goodtime, blinking at its end; own colours
    bool music = false;         // music that pauses and resumes; eating heard; no silent start
    bool respawn = false;       // the hero comes back away from the ghosts
    bool clear = false;         // a level clear with a jingle, a hop and the score counted up
    bool popups = false;        // popups kept on screen; characters near the camera fade

    static PlayStyle Original() { return {}; }
    static PlayStyle Enhanced() { return {true, true, true, true, true, true}; }
    bool operator==(const PlayStyle&) const = default;
};

struct PortOptions {
    int volume = 100;  // percent of full scale
    int threads = 0;   // 0: the profile's choice
    bool fullscreen = false;
    PlayStyle play;
};

// Reads the lines of `text`; each bad line adds a warning "SOURCE:LINE: what"
// and leaves its option at the value before.
PortOptions ParsePortOptions(const std::string& text, const std::string& source, std::vector<std::string>& warnings);
// The options of UserConfigFolder() + "karrowen.conf"; defaults without it.
PortOptions LoadPortOptions(std::vector<std::string>& warnings);
// `text` with each key of `entries` set to its value: the last line that sets
// the key is rewritten in place (the one the reader obeys), a key without a
// line is appended; every other line, comments included, stays as it was.
std::string UpdatePortOptions(const std::string& text, const std::vector<std::pair<std::string, std::string>>& entries);
// Writes `entries` into UserConfigFolder() + "karrowen.conf" (created with its
// folder when missing) through a temporary file, so that a failed write leaves
// the old file whole. False, with the reason in `error`, when it cannot.
bool SavePortOptions(const std::vector<std::pair<std::string, std::string>>& entries, std::string& error);

// The output volume in effect: --volume, else the file's, else 100. Warnings
// about the file are printed by the first process of a run only.
int OutputVolume();
// The threads the 3D renderer fills on: --threads, else the file's, else the
// profile's, else one per processor; always 1 where the build has no threads.
int RenderThreads();
// The play style in effect: --play alone when given (so a scripted run does not
// depend on the player's file), else karrowen.conf's play= and its
// per-improvement entries. Read once, on first use.
const PlayStyle& CurrentPlayStyle();
// Sets `style` from its name, "original" or "enhanced"; false for any other.
bool ParsePlayStyleName(const std::string& name, PlayStyle& style);

}  // namespace host

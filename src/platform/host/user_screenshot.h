#pragma once
// Screenshots the player takes (F12): a PNG of the panel in the user's
// pictures folder, named by the local date and time.

#include <ctime>
#include <functional>
#include <string>

namespace host {

// The value of an environment variable, or null when it is unset.
using EnvironmentReader = std::function<const char*(const char* name)>;

// The pictures folder as the desktop names it: XDG_PICTURES_DIR from
// user-dirs.dirs in the configuration folder (or from the environment), else
// ~/Pictures when it exists, else the game's own folder in the data folder.
// A pictures folder set to the home folder itself counts as unset.
std::string PicturesFolder(const EnvironmentReader& environment);

// Writes the panel as "karrowen-YYYYMMDD-HHMMSS.png" (local time `when`) into
// `folder`, creating it; a second picture in the same second gets "-2", and so
// on. Returns the file written, or empty (with the reason on stderr).
std::string SaveUserScreenshot(const std::string& folder, std::time_t when);

}  // namespace host

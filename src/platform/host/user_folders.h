#pragma once
// The player's own folders under the XDG base directory rules: what the
// player chose (settings, port options) and what the game keeps for the
// player (scores). Both are "karrowen/" under their base and end in "/".

#include <string>

namespace host {

// $XDG_CONFIG_HOME/karrowen/, else ~/.config/karrowen/. Empty when no home
// folder is known.
std::string UserConfigFolder();
// $XDG_DATA_HOME/karrowen/, else ~/.local/share/karrowen/. Empty when no home
// folder is known.
std::string UserDataFolder();

}  // namespace host

#pragma once
// The player's options of this port that the handheld never had, kept in
// $XDG_CONFIG_HOME/karrowen/karrowen.conf as "key=value" lines ("#" starts a
// comment line):
//
//   volume=80      sound output volume, 0 (silent) to 100 (full, the default)
//   threads=2      threads the 3D renderer fills on, 1 to 64 (default: one per
//                  processor; the handheld profiles one)
//
// A missing file is normal; a bad line is reported once and skipped.

#include <string>
#include <vector>

namespace host {

struct PortOptions {
    int volume = 100;  // percent of full scale
    int threads = 0;   // 0: the profile's choice
};

// Reads the lines of `text`; each bad line adds a warning "SOURCE:LINE: what"
// and leaves its option at the value before.
PortOptions ParsePortOptions(const std::string& text, const std::string& source, std::vector<std::string>& warnings);
// The options of UserConfigFolder() + "karrowen.conf"; defaults without it.
PortOptions LoadPortOptions(std::vector<std::string>& warnings);
// The output volume in effect: --volume, else the file's, else 100. Warnings
// about the file are printed by the first process of a run only.
int OutputVolume();
// The threads the 3D renderer fills on: --threads, else the file's, else the
// profile's, else one per processor; always 1 where the build has no threads.
int RenderThreads();

}  // namespace host

#pragma once
// Options of the host itself, as opposed to the game's command line. They are
// passed on to every relaunched process, so a whole scripted run keeps them.

#include <cstdint>
#include <string>
#include <vector>

namespace host {

struct Screenshot {
    uint32_t atMs = 0;
    std::string path;
};

// The most threads the 3D renderer is given.
inline constexpr int kMaxRenderThreads = 64;

struct HostOptions {
    std::string backend = "auto";   // auto, sdl or headless
    std::string profile;            // device profile name or file
    int screenWidth = 0;            // 0: from the profile
    int screenHeight = 0;
    int depth = 0;
    std::string zoom = "integer";   // integer, fit, or a whole factor such as "2"
    std::string clock = "auto";     // auto, real or virtual
    uint32_t frameStepMs = 33;      // virtual clock step per presented frame
    uint32_t clockStartMs = 0;      // virtual time carried over a relaunch
    bool hasSeed = false;
    unsigned seed = 0;
    std::string inputScript;
    std::string recordPath;         // --record: the input written as a script
    int64_t inputFrom = -1;         // index of the first script event to run; -1: by the clock
    std::vector<Screenshot> screenshots;
    int64_t exitAfterMs = -1;       // -1: never
    std::string instance = "default";
    std::string messageAnswer = "yes";  // headless answer to Yes/No boxes: yes or no
    std::string audio = "auto";     // auto, sdl, null, or wav:FILE
    int audioRate = 0;              // 0: the program's own choice
    int audioBits = 0;
    int audioStereo = -1;
    int volume = -1;                // 0 to 100 percent; -1: karrowen.conf's, else 100
    int threads = 0;                // renderer threads, 1 to 64; 0: karrowen.conf's, else the profile's
    std::string play;               // original or enhanced; empty: karrowen.conf's
    std::string windowGeometry;     // x,y,w,h,fullscreen of the previous process's window
    bool relaunched = false;        // started by the program itself, not by the user
    bool fullscreen = false;
    bool autoplay = false;          // the built-in player presses the keys
    int stopAtLevel = 0;            // > 0: end cleanly as that level starts
};

// Parses host options from argv. Host options are the "--name[=value]" words
// before a lone "--"; every other word joins the program's command line. An
// unknown option is an error (message in `error`).
bool ParseHostOptions(const std::vector<std::string>& args, HostOptions& options, std::string& commandLine,
                      std::string& error, bool& help);
// The argv words that give the same options to a relaunched process.
std::vector<std::string> FormatHostOptions(const HostOptions& options);
const char* HostOptionsHelp();

}  // namespace host

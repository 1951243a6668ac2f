#include "platform/host/host_options.h"

#include <cctype>
#include <cstdlib>
#include <functional>
#include <map>

namespace host {

namespace {

bool ParseUnsigned(const std::string& text, int64_t& value) {
    if (text.empty() || text.size() > 12) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    value = std::strtoll(text.c_str(), nullptr, 10);
    return true;
}

bool ParseSize(const std::string& text, int& w, int& h) {
    auto x = text.find('x');
    int64_t a, b;
    if (x == std::string::npos || !ParseUnsigned(text.substr(0, x), a) || !ParseUnsigned(text.substr(x + 1), b))
        return false;
    if (a < 1 || b < 1 || a > 8192 || b > 8192) return false;
    w = int(a);
    h = int(b);
    return true;
}

// "FILE@MS"; the last "@" separates, so file names may hold one.
bool ParseScreenshot(const std::string& text, Screenshot& shot) {
    auto at = text.rfind('@');
    int64_t ms;
    if (at == std::string::npos || at == 0 || !ParseUnsigned(text.substr(at + 1), ms)) return false;
    shot.path = text.substr(0, at);
    shot.atMs = uint32_t(ms);
    return true;
}

using Setter = std::function<bool(HostOptions&, const std::string&)>;

bool OneOf(const std::string& v, std::initializer_list<const char*> allowed) {
    for (const char* a : allowed)
        if (v == a) return true;
    return false;
}

const std::map<std::string, Setter>& Setters() {
    static const std::map<std::string, Setter> setters = {
        {"backend", [](HostOptions& o, const std::string& v) { o.backend = v; return OneOf(v, {"auto", "sdl", "headless"}); }},
        {"profile", [](HostOptions& o, const std::string& v) { o.profile = v; return !v.empty(); }},
        {"screen", [](HostOptions& o, const std::string& v) { return ParseSize(v, o.screenWidth, o.screenHeight); }},
        {"depth", [](HostOptions& o, const std::string& v) { o.depth = std::atoi(v.c_str()); return v == "16" || v == "32"; }},
        {"zoom", [](HostOptions& o, const std::string& v) {
             int64_t n;
             o.zoom = v;
             return v == "integer" || v == "fit" || (ParseUnsigned(v, n) && n >= 1 && n <= 16);
         }},
        {"clock", [](HostOptions& o, const std::string& v) { o.clock = v; return OneOf(v, {"auto", "real", "virtual"}); }},
        {"frame-ms", [](HostOptions& o, const std::string& v) {
             int64_t n;
             if (!ParseUnsigned(v, n) || n > 1000) return false;
             o.frameStepMs = uint32_t(n);
             return true;
         }},
        {"clock-start", [](HostOptions& o, const std::string& v) {
             int64_t n;
             if (!ParseUnsigned(v, n) || n > 0xFFFFFFFFll) return false;
             o.clockStartMs = uint32_t(n);
             return true;
         }},
        {"seed", [](HostOptions& o, const std::string& v) {
             int64_t n;
             if (!ParseUnsigned(v, n) || n > 0xFFFFFFFFll) return false;
             o.hasSeed = true;
             o.seed = unsigned(n);
             return true;
         }},
        {"input", [](HostOptions& o, const std::string& v) { o.inputScript = v; return !v.empty(); }},
        {"record", [](HostOptions& o, const std::string& v) { o.recordPath = v; return !v.empty(); }},
        {"input-from", [](HostOptions& o, const std::string& v) { return ParseUnsigned(v, o.inputFrom); }},
        {"screenshot", [](HostOptions& o, const std::string& v) {
             Screenshot s;
             if (!ParseScreenshot(v, s)) return false;
             o.screenshots.push_back(s);
             return true;
         }},
        {"exit-after", [](HostOptions& o, const std::string& v) {
             int64_t n;
             if (!ParseUnsigned(v, n)) return false;
             o.exitAfterMs = n;
             return true;
         }},
        {"instance", [](HostOptions& o, const std::string& v) {
             o.instance = v;
             if (v.empty() || v.size() > 64) return false;
             for (char c : v)
                 if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') return false;
             return true;
         }},
        {"answer", [](HostOptions& o, const std::string& v) { o.messageAnswer = v; return OneOf(v, {"yes", "no"}); }},
        {"audio", [](HostOptions& o, const std::string& v) {
             o.audio = v;
             return OneOf(v, {"auto", "sdl", "null"}) || (v.rfind("wav:", 0) == 0 && v.size() > 4);
         }},
        {"audio-rate", [](HostOptions& o, const std::string& v) {
             o.audioRate = std::atoi(v.c_str());
             return OneOf(v, {"8000", "11025", "22050", "44100", "48000"});
         }},
        {"audio-bits", [](HostOptions& o, const std::string& v) { o.audioBits = std::atoi(v.c_str()); return OneOf(v, {"8", "16"}); }},
        {"audio-stereo", [](HostOptions& o, const std::string& v) { o.audioStereo = std::atoi(v.c_str()); return OneOf(v, {"0", "1"}); }},
        {"volume", [](HostOptions& o, const std::string& v) {
             int64_t n;
             if (!ParseUnsigned(v, n) || n > 100) return false;
             o.volume = int(n);
             return true;
         }},
        {"threads", [](HostOptions& o, const std::string& v) {
             int64_t n;
             if (!ParseUnsigned(v, n) || n < 1 || n > kMaxRenderThreads) return false;
             o.threads = int(n);
             return true;
         }},
        {"play", [](HostOptions& o, const std::string& v) { o.play = v; return OneOf(v, {"original", "enhanced"}); }},
        {"stop-at-level", [](HostOptions& o, const std::string& v) {
             int64_t n;
             if (!ParseUnsigned(v, n) || n < 1 || n > 1000000) return false;
             o.stopAtLevel = int(n);
             return true;
         }},
        {"window-geometry", [](HostOptions& o, const std::string& v) { o.windowGeometry = v; return v.size() < 64; }},
    };
    return setters;
}

}  // namespace

bool ParseHostOptions(const std::vector<std::string>& args, HostOptions& options, std::string& commandLine,
                      std::string& error, bool& help) {
    help = false;
    commandLine.clear();
    bool optionsEnded = false;
    auto appendWord = [&](const std::string& word) {
        if (!commandLine.empty()) commandLine += ' ';
        commandLine += word;
    };
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "-h") {
            help = true;
            continue;
        }
        if (optionsEnded || arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            if (arg == "--") {
                optionsEnded = true;
                continue;
            }
            appendWord(arg);
            continue;
        }
        std::string name = arg.substr(2), value;
        auto eq = name.find('=');
        if (eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "help") {
            help = true;
            continue;
        }
        if (name == "headless" && eq == std::string::npos) {
            options.backend = "headless";
            continue;
        }
        if (name == "fullscreen" && eq == std::string::npos) {
            options.fullscreen = true;
            continue;
        }
        if (name == "autoplay" && eq == std::string::npos) {
            options.autoplay = true;
            continue;
        }
        if (name == "relaunched" && eq == std::string::npos) {
            options.relaunched = true;
            continue;
        }
        auto setter = Setters().find(name);
        if (setter == Setters().end()) {
            error = "unknown option --" + name;
            return false;
        }
        if (!setter->second(options, value)) {
            error = "bad value for --" + name + ": '" + value + "'";
            return false;
        }
    }
    return true;
}

std::vector<std::string> FormatHostOptions(const HostOptions& o) {
    HostOptions d;
    std::vector<std::string> out;
    auto add = [&](const char* name, const std::string& value) { out.push_back(std::string("--") + name + "=" + value); };
    if (o.backend != d.backend) add("backend", o.backend);
    if (!o.profile.empty()) add("profile", o.profile);
    if (o.screenWidth > 0) add("screen", std::to_string(o.screenWidth) + "x" + std::to_string(o.screenHeight));
    if (o.depth) add("depth", std::to_string(o.depth));
    if (o.zoom != d.zoom) add("zoom", o.zoom);
    if (o.clock != d.clock) add("clock", o.clock);
    if (o.frameStepMs != d.frameStepMs) add("frame-ms", std::to_string(o.frameStepMs));
    if (o.clockStartMs) add("clock-start", std::to_string(o.clockStartMs));
    if (o.hasSeed) add("seed", std::to_string(o.seed));
    if (!o.inputScript.empty()) add("input", o.inputScript);
    if (o.inputFrom >= 0) add("input-from", std::to_string(o.inputFrom));
    if (!o.recordPath.empty()) add("record", o.recordPath);
    for (const Screenshot& s : o.screenshots) add("screenshot", s.path + "@" + std::to_string(s.atMs));
    if (o.exitAfterMs >= 0) add("exit-after", std::to_string(o.exitAfterMs));
    if (o.instance != d.instance) add("instance", o.instance);
    if (o.messageAnswer != d.messageAnswer) add("answer", o.messageAnswer);
    if (o.audio != d.audio) add("audio", o.audio);
    if (o.audioRate) add("audio-rate", std::to_string(o.audioRate));
    if (o.audioBits) add("audio-bits", std::to_string(o.audioBits));
    if (o.audioStereo >= 0) add("audio-stereo", std::to_string(o.audioStereo));
    if (o.volume >= 0) add("volume", std::to_string(o.volume));
    if (o.threads > 0) add("threads", std::to_string(o.threads));
    if (!o.play.empty()) add("play", o.play);
    if (!o.windowGeometry.empty()) add("window-geometry", o.windowGeometry);
    if (o.fullscreen) out.push_back("--fullscreen");
    if (o.autoplay) out.push_back("--autoplay");
    if (o.relaunched) out.push_back("--relaunched");
    if (o.stopAtLevel > 0) add("stop-at-level", std::to_string(o.stopAtLevel));
    return out;
}

const char* HostOptionsHelp() {
    return "Usage: karrowen [HOST OPTIONS] [--] [GAME COMMAND LINE]\n"
           "\n"
           "The game command line is what the game itself reads, for example\n"
           "  ARG:intro                         open intro.properties\n"
           "  ARG:Level:3,Score:120,Lifes:2     resume at level 3\n"
           "\n"
           "Host options (kept when the game relaunches itself):\n"
           "  --headless                 no window; also chosen when there is no display\n"
           "  --backend=auto|sdl|headless\n"
           "  --profile=NAME|FILE        device profile: desktop (default), pocketpc, vga,\n"
           "                             square, landscape, ipaq-h3800, rotated, or a file\n"
           "  --screen=WxH               screen size in pixels (overrides the profile)\n"
           "  --depth=16|32              display depth in bits\n"
           "  --zoom=integer|fit|N       window scaling: sharp whole multiples (default),\n"
           "                             fit the window, or a fixed factor (made smaller\n"
           "                             when the window would not fit the display)\n"
           "  --fullscreen               start in desktop full screen (F11 or Alt+Enter toggle)\n"
           "  --clock=auto|real|virtual  virtual: deterministic time, the default headless\n"
           "  --frame-ms=N               virtual milliseconds added per presented frame (33)\n"
           "  --seed=N                   seed of the game's random numbers\n"
           "  --input=FILE               scripted input events (see README)\n"
           "  --record=FILE              write the input as a script that --input plays again\n"
           "  --screenshot=FILE.png@MS   write the screen to a PNG at time MS (repeatable)\n"
           "  --exit-after=MS            quit cleanly at time MS\n"
           "  --answer=yes|no            headless answer to Yes/No message boxes\n"
           "  --instance=NAME            keeps parallel runs apart (single instance per name)\n"
           "  --audio=auto|sdl|null|wav:FILE   sound output; wav records what plays\n"
           "  --audio-rate=8000|11025|22050|44100|48000  --audio-bits=8|16  --audio-stereo=0|1\n"
           "                             sound format; the desktop profile plays 44100 Hz\n"
           "                             16-bit stereo, the handheld ones 8000 Hz 8-bit mono\n"
           "  --volume=N                 sound volume 0 to 100 (over volume= in karrowen.conf)\n"
           "  --threads=N                threads the 3D renderer fills on, 1 to 64 (over threads=\n"
           "                             in karrowen.conf; default one per processor, one on the\n"
           "                             handheld profiles)\n"
           "  --play=original|enhanced   the play style (over play= in karrowen.conf): the\n"
           "                             handheld's game as it was, or with a better camera,\n"
           "                             readable power mode, steady music, a fair respawn,\n"
           "                             a celebrated level clear and tidy popups\n"
           "  --autoplay                 the built-in player plays the game (demos, tests)\n"
           "  --stop-at-level=N          end the run cleanly as level N starts\n"
           "  -h, --help                 this text\n"
           "  --version                  the name and version\n"
           "\n"
           "Without a display the game runs headless, and needs something to do:\n"
           "--input, --screenshot, --exit-after or --autoplay.\n"
           "\n"
           "In the window, F12 saves a screenshot into the pictures folder.\n";
}

}  // namespace host

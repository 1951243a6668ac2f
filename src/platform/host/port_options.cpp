#include "platform/host/port_options.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "platform/host/host.h"
#include "platform/host/host_core.h"
#include "platform/host/user_folders.h"

namespace host {

namespace {

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool ParsePercent(const std::string& text, int& value) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const int parsed = std::stoi(text);
    if (parsed > 100) return false;
    value = parsed;
    return true;
}

bool ParseThreads(const std::string& text, int& value) {
    if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const int parsed = std::stoi(text);
    if (parsed < 1 || parsed > kMaxRenderThreads) return false;
    value = parsed;
    return true;
}

bool ParseSwitch(const std::string& text, bool& on) {
    if (text != "on" && text != "off") return false;
    on = text == "on";
    return true;
}

bool ParseStyleFlag(const std::string& text, bool& enhanced) {
    if (text != "original" && text != "enhanced") return false;
    enhanced = text == "enhanced";
    return true;
}

// The entries that switch one improvement each.
const std::pair<const char*, bool PlayStyle::*> kImprovements[] = {
    {"camera", &PlayStyle::camera},   {"ghosts", &PlayStyle::ghosts}, {"music", &PlayStyle::music},
    {"respawn", &PlayStyle::respawn}, {"clear", &PlayStyle::clear},   {"popups", &PlayStyle::popups},
};

}  // namespace

bool ParsePlayStyleName(const std::string& name, PlayStyle& style) {
    if (name == "original") style = PlayStyle::Original();
    else if (name == "enhanced") style = PlayStyle::Enhanced();
    else return false;
    return true;
}

PortOptions ParsePortOptions(const std::string& text, const std::string& source, std::vector<std::string>& warnings) {
    PortOptions options;
    // play= sets every improvement, so the single entries are applied after it
    // wherever they stand in the file.
    std::vector<std::pair<bool PlayStyle::*, bool>> singleImprovements;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        const std::string where = source + ":" + std::to_string(number) + ": ";
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            warnings.push_back(where + "expected key=value");
            continue;
        }
        const std::string key = Trim(line.substr(0, equals)), value = Trim(line.substr(equals + 1));
        if (key == "volume") {
            if (!ParsePercent(value, options.volume))
                warnings.push_back(where + "volume must be a whole number from 0 to 100, not '" + value + "'");
        } else if (key == "threads") {
            if (!ParseThreads(value, options.threads))
                warnings.push_back(where + "threads must be a whole number from 1 to 64, not '" + value + "'");
        } else if (key == "fullscreen") {
            if (!ParseSwitch(value, options.fullscreen))
                warnings.push_back(where + "fullscreen must be on or off, not '" + value + "'");
        } else if (key == "play") {
            if (!ParsePlayStyleName(value, options.play))
                warnings.push_back(where + "play must be original or enhanced, not '" + value + "'");
        } else {
            auto improvement = std::find_if(std::begin(kImprovements), std::end(kImprovements),
                                            [&](const auto& entry) { return key == entry.first; });
            bool enhanced = false;
            if (improvement == std::end(kImprovements))
                warnings.push_back(where + "unknown option '" + key + "'");
            else if (!ParseStyleFlag(value, enhanced))
                warnings.push_back(where + key + " must be original or enhanced, not '" + value + "'");
            else
                singleImprovements.emplace_back(improvement->second, enhanced);
        }
    }
    for (const auto& [member, enhanced] : singleImprovements) options.play.*member = enhanced;
    return options;
}

std::string UpdatePortOptions(const std::string& text,
                              const std::vector<std::pair<std::string, std::string>>& entries) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    for (const auto& [key, value] : entries) {
        std::string* last = nullptr;
        for (std::string& line : lines) {
            const std::string trimmed = Trim(line);
            const size_t equals = trimmed.find('=');
            if (!trimmed.empty() && trimmed[0] != '#' && equals != std::string::npos &&
                Trim(trimmed.substr(0, equals)) == key)
                last = &line;
        }
        if (last) *last = key + "=" + value;
        else lines.push_back(key + "=" + value);
    }
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
}

bool SavePortOptions(const std::vector<std::pair<std::string, std::string>>& entries, std::string& error) {
    const std::string folder = UserConfigFolder();
    if (folder.empty()) {
        error = "no home folder to keep karrowen.conf in";
        return false;
    }
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::string path = folder + "karrowen.conf", temporary = path + ".new";
    std::ostringstream old;
    if (std::ifstream in(path); in) old << in.rdbuf();
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << UpdatePortOptions(old.str(), entries);
        out.close();
        if (!out) {
            error = "cannot write " + temporary;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot replace " + path;
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    return true;
}

PortOptions LoadPortOptions(std::vector<std::string>& warnings) {
    const std::string folder = UserConfigFolder();
    if (folder.empty()) return {};
    const std::string path = folder + "karrowen.conf";
    std::ifstream in(path);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return ParsePortOptions(text.str(), path, warnings);
}

int OutputVolume() {
    const HostOptions& options = Options();
    if (options.volume >= 0) return options.volume;
    std::vector<std::string> warnings;
    const PortOptions file = LoadPortOptions(warnings);
    if (!options.relaunched)
        for (const std::string& warning : warnings) std::fprintf(stderr, "karrowen: %s\n", warning.c_str());
    return file.volume;
}

int RenderThreads() {
    if (!kHasThreads) return 1;
    const HostOptions& options = Options();
    if (options.threads > 0) return options.threads;
    std::vector<std::string> warnings;
    const PortOptions file = LoadPortOptions(warnings);
    if (file.threads > 0) return file.threads;
    if (Profile().renderThreads > 0) return Profile().renderThreads;
    return std::clamp(int(std::thread::hardware_concurrency()), 1, kMaxRenderThreads);
}

const PlayStyle& CurrentPlayStyle() {
    std::optional<PlayStyle>& style = Core().playStyle;
    if (!style) {
        PlayStyle chosen;
        std::vector<std::string> warnings;
        style = ParsePlayStyleName(Options().play, chosen) ? chosen : LoadPortOptions(warnings).play;
    }
    return *style;
}

}  // namespace host

#include "platform/host/input_script.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "platform/host/win_types.h"

namespace host {

namespace {
// The first name of a key is the one KeyName writes.
constexpr std::pair<const char*, int> kKeyNames[] = {
    {"LEFT", VK_LEFT},     {"UP", VK_UP},         {"RIGHT", VK_RIGHT},   {"DOWN", VK_DOWN},
    {"RETURN", VK_RETURN}, {"ENTER", VK_RETURN},  {"SPACE", VK_SPACE},   {"ESCAPE", VK_ESCAPE},
    {"DELETE", VK_DELETE}, {"BACK", VK_BACK},     {"TAB", VK_TAB},       {"END", VK_END},
    {"HOME", VK_HOME},     {"INSERT", VK_INSERT}, {"PAGEUP", VK_PRIOR},  {"PRIOR", VK_PRIOR},
    {"PAGEDOWN", VK_NEXT}, {"NEXT", VK_NEXT},     {"APP1", VK_APP1},     {"APP2", VK_APP2},
    {"APP3", VK_APP3},     {"APP4", VK_APP4},     {"PAUSE", VK_PAUSE},
};
}  // namespace

std::string KeyName(int virtualKey) {
    for (const auto& [name, code] : kKeyNames)
        if (code == virtualKey) return name;
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9'))
        return std::string(1, char(virtualKey));
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", unsigned(virtualKey) & 0xFFu);
    return hex;
}

int ParseKeyName(const std::string& name) {
    static const std::map<std::string, int> names(std::begin(kKeyNames), std::end(kKeyNames));
    std::string upper = name;
    for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    if (upper.rfind("VK_", 0) == 0) upper = upper.substr(3);
    auto found = names.find(upper);
    if (found != names.end()) return found->second;
    if (upper.size() == 1 && std::isalnum(static_cast<unsigned char>(upper[0]))) return upper[0];
    if (upper.size() >= 2 && upper[0] == 'F' && std::isdigit(static_cast<unsigned char>(upper[1]))) {
        int n = std::atoi(upper.c_str() + 1);
        if (n >= 1 && n <= 24) return VK_F1 + n - 1;
    }
    char* end = nullptr;
    long code = std::strtol(name.c_str(), &end, 0);
    if (!name.empty() && end && *end == 0 && code > 0 && code < 256) return int(code);
    return -1;
}

std::string FormatScriptEvent(const ScriptEvent& e) {
    std::string line = std::to_string(e.atMs) + " " + e.action;
    const std::string& a = e.action;
    if (a == "keydown" || a == "keyup" || a == "key") line += " " + KeyName(e.a);
    if (a == "down" || a == "move" || a == "up" || a == "tap")
        line += " " + std::to_string(e.a) + " " + std::to_string(e.b);
    if (a == "screenshot" || a == "text") line += " " + e.text;
    if (a == "rotate") line += " " + std::to_string(e.a) + "x" + std::to_string(e.b);
    if (a == "activate") line += e.a ? " 1" : " 0";
    return line;
}

bool ParseInputScript(const std::string& text, InputScript& script, std::string& error) {
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    script.events.clear();
    while (std::getline(in, line)) {
        ++lineNumber;
        std::istringstream words(line);
        std::string first;
        if (!(words >> first) || first[0] == '#') continue;
        ScriptEvent e;
        char* end = nullptr;
        unsigned long ms = std::strtoul(first.c_str(), &end, 10);
        bool ok = end && *end == 0 && (words >> e.action);
        e.atMs = uint32_t(ms);
        if (ok && (e.action == "keydown" || e.action == "keyup" || e.action == "key")) {
            std::string key;
            ok = bool(words >> key) && (e.a = ParseKeyName(key)) > 0;
        } else if (ok && (e.action == "down" || e.action == "move" || e.action == "up" || e.action == "tap")) {
            ok = bool(words >> e.a >> e.b);
        } else if (ok && (e.action == "screenshot" || e.action == "rotate")) {
            ok = bool(words >> e.text);
            if (ok && e.action == "rotate") {
                ok = std::sscanf(e.text.c_str(), "%dx%d", &e.a, &e.b) == 2 && e.a > 0 && e.b > 0 && e.a <= 8192 &&
                     e.b <= 8192;
            }
        } else if (ok && e.action == "text") {
            // The rest of the line after one space, so that spaces can be typed.
            std::string rest;
            std::getline(words, rest);
            if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
            while (!rest.empty() && rest.back() == '\r') rest.pop_back();
            e.text = rest;
            ok = !rest.empty();
        } else if (ok && e.action == "activate") {
            ok = bool(words >> e.a);
        } else if (ok) {
            ok = e.action == "close" || e.action == "quit";
        }
        if (!ok) {
            error = "input script line " + std::to_string(lineNumber) + ": cannot read '" + line + "'";
            return false;
        }
        script.events.push_back(e);
    }
    std::stable_sort(script.events.begin(), script.events.end(),
                     [](const ScriptEvent& x, const ScriptEvent& y) { return x.atMs < y.atMs; });
    return true;
}

bool LoadInputScript(const std::string& path, InputScript& script, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot open input script " + path;
        return false;
    }
    std::stringstream all;
    all << in.rdbuf();
    return ParseInputScript(all.str(), script, error);
}

}  // namespace host

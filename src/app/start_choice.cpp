#include "app/start_choice.h"

#include <cstdlib>
#include <map>

#include "platform/host/host.h"

namespace {

// Splits "a:1,2,3, b:4" into pairs: a "," separates only when a ":" came
// before it in the current piece.
std::map<std::u16string, std::u16string> ParsePairs(const std::u16string& text) {
    std::map<std::u16string, std::u16string> pairs;
    auto trim = [](const std::u16string& s) {
        size_t a = s.find_first_not_of(u" \t"), b = s.find_last_not_of(u" \t");
        return a == std::u16string::npos ? std::u16string() : s.substr(a, b - a + 1);
    };
    std::u16string piece;
    auto flush = [&] {
        size_t colon = piece.find(u':');
        if (colon != std::u16string::npos) pairs[trim(piece.substr(0, colon))] = trim(piece.substr(colon + 1));
        piece.clear();
    };
    for (char16_t c : text) {
        if (c == u',' && piece.find(u':') != std::u16string::npos) {
            flush();
            continue;
        }
        piece += c;
    }
    flush();
    return pairs;
}

int IntOf(const std::map<std::u16string, std::u16string>& pairs, const std::u16string& key, int fallback) {
    auto found = pairs.find(key);
    if (found == pairs.end()) return fallback;
    return std::atoi(host::ToUtf8(found->second).c_str());
}

}  // namespace

std::u16string LevelFolderName(int level) {
    int folder = ((level - 1) % 10 + 10) % 10 + 1;
    return u"level" + host::FromUtf8(std::to_string(folder));
}

StartChoice ParseStartChoice(const std::u16string& commandLine) {
    StartChoice start;
    size_t at = commandLine.find(u"ARG:");
    if (at == std::u16string::npos) return start;
    start.hasArg = true;
    std::u16string text = commandLine.substr(at + 4);
    auto pairs = ParsePairs(text);
    if (!text.empty() && pairs.empty()) {
        start.kind = StartChoice::Kind::Template;
        start.templateName = text + u".properties";
        return start;
    }
    start.kind = StartChoice::Kind::Resume;
    start.score = IntOf(pairs, u"Score", 0);
    start.level = IntOf(pairs, u"Level", 1);
    start.lives = IntOf(pairs, u"Lifes", 0);
    start.levelFolder = LevelFolderName(start.level);
    return start;
}

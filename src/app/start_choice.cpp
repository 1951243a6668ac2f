#include "app/start_choice.h"

#include <algorithm>

#include "data/property_file.h"
#include "data/text_helpers.h"
#include "platform/host/host.h"

namespace {

int IntOf(const ItemList& pairs, std::u16string_view key, int fallback) {
    return IntValueOr(pairs ? static_cast<const char16_t*>(pairs->lookup(key)) : nullptr, fallback);
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
    ItemList pairs = PropertyFile::parseList(text, u',', u':');
    if (!text.empty() && (!pairs || pairs->count() == 0)) {
        start.kind = StartChoice::Kind::Template;
        start.templateName = text + u".properties";
        return start;
    }
    start.kind = StartChoice::Kind::Resume;
    // Only what a finished level can hand on: a damaged or hand-made line
    // must not ask for a maze or a counter the game cannot hold.
    start.score = std::clamp(IntOf(pairs, u"Score", 0), 0, StartChoice::kMaxScore);
    start.level = std::clamp(IntOf(pairs, u"Level", 1), 1, StartChoice::kMaxLevel);
    start.lives = std::clamp(IntOf(pairs, u"Lifes", 0), 0, StartChoice::kMaxLives);
    start.musicMs = std::max(IntOf(pairs, u"Music", 0), 0);
    start.song = std::max(IntOf(pairs, u"Song", 0), 0);
    start.demo = IntOf(pairs, u"Demo", 0) != 0;
    start.levelFolder = LevelFolderName(start.level);
    return start;
}

// libFuzzer target for the game's "ARG:" line: any text (UTF-8) is read as
// the command line. A named template must be a ".properties" file; a resumed
// game must name one of the ten level folders and must then be playable: the
// level it asks for is built (maze, characters, items, with no scene) and
// played for a few frames with keys held, as the game would after a relaunch.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "app/start_choice.h"
#include "game/game_host.h"
#include "game/game_level.h"
#include "platform/host/host.h"
#include "game/key_steering.h"
#include "scene/key_state.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

bool IsLevelFolder(const std::u16string& name) {
    for (int n = 1; n <= 10; ++n)
        if (name == u"level" + host::FromUtf8(std::to_string(n))) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string line = host::FromUtf8(std::string(reinterpret_cast<const char*>(data), size));
    const StartChoice start = ParseStartChoice(line);
    Check(start.hasArg == (line.find(u"ARG:") != std::u16string::npos));
    switch (start.kind) {
        case StartChoice::Kind::Cover:
            Check(!start.hasArg);
            return 0;
        case StartChoice::Kind::Template: {
            const std::u16string suffix = u".properties";
            Check(start.templateName.size() > suffix.size());
            Check(start.templateName.compare(start.templateName.size() - suffix.size(), suffix.size(), suffix) == 0);
            return 0;
        }
        case StartChoice::Kind::Resume:
            break;
    }
    Check(IsLevelFolder(start.levelFolder));

    QuietGameHost host;
    GameLevel game(start.level, start.score, start.lives, 1234, host);
    game.buildMaze();
    game.createCharacters();
    game.placeItems();
    using namespace key_bits;
    static const KeyState kKeys[] = {0, Up, Left, 0, Down, Right, Action, 0};
    KeySteering steering;
    for (KeyState keys : kKeys) game.update(0.1f, steering.request(keys));
    return 0;
}

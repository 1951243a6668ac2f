// The hand-written front-end templates hold what the game looks for by name
// and are usable both with the stylus and with keys (the walk through them is
// the front-end end-to-end run's).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "data/language_table.h"
#include "scene/scene_state.h"
#include "support/test_host.h"
#include "template_files.h"

namespace fs = std::filesystem;

namespace {

constexpr int kDesignWidth = 240, kDesignHeight = 320;

TemplateFile Load(const std::string& name) {
    fs::path path = fs::path(KARROWEN_HAND_WRITTEN_RESOURCES) / name;
    EXPECT_TRUE(fs::exists(path)) << name;
    return ReadTemplate(path);
}

bool IsWidget(const TemplateFile& t, const std::string& entry) {
    std::string kind = t.item(entry, "GUIType");
    return t.item(entry, "type") == "Sprite" && !kind.empty() && kind != "checkboxGroup";
}

// A sprite of that name standing in that scene.
void ExpectSpriteIn(const TemplateFile& t, const std::string& sprite, const std::string& scene) {
    EXPECT_EQ(t.item(sprite, "type"), "Sprite") << t.name << ": " << sprite;
    EXPECT_EQ(t.item(sprite, "container"), scene) << t.name << ": " << sprite;
}

// The key codes a widget answers to, worked out as the game does: the
// keypad's ("index") and the keyboard's ("index2", letters in upper case; an
// arrow or Enter given as "index" serves both).
int KeyCode(const std::string& value) {
    static const std::map<std::string, int> named = {{"LEFT", 37}, {"RIGHT", 39}, {"UP", 38}, {"DOWN", 40}, {"ENTER", 13}};
    auto found = named.find(value);
    if (found != named.end()) return found->second;
    return value.empty() ? 0 : static_cast<unsigned char>(value[0]);
}

std::pair<int, int> HotKeys(const TemplateFile& t, const std::string& entry) {
    int keypad = KeyCode(t.item(entry, "index"));
    int keyboard = KeyCode(t.item(entry, "index2"));
    if (keyboard >= 'a' && keyboard <= 'z') keyboard -= 'a' - 'A';
    if (keypad && (keypad < 48 || keypad > 90)) keyboard = keypad;
    return {keypad, keyboard};
}

const std::set<std::string>& KnownKeys(const std::string& type) {
    static const std::map<std::string, std::set<std::string>> known = {
        {"Sprite",
         {"type", "container", "x", "y", "width", "height", "visible", "color", "colorBright", "frame", "frameBright",
          "clipX", "clipY", "clipW", "clipH", "status", "texture", "textureBright", "bright", "textureAlpha",
          "textureTransparency", "animationEnabled", "normalizeTexture", "index", "index2", "indexOffsetX",
          "indexOffsetY", "number", "GUIType", "group", "persistent", "href", "text", "title", "maxLength",
          "allowEmpty", "defaultFocus", "LTID", "textFont", "textSize", "textItalic", "textUnderline", "textBold",
          "textOffsetX", "textOffsetY", "textFormatted", "textAlignment", "textColor", "textColorBright", "BitmapFont",
          "BitmapFontNormal", "BitmapFontBright"}},
        {"SceneSprite",
         {"type", "x", "y", "width", "height", "containerWidth", "containerHeight", "bkgColor", "bkgTexture", "visible",
          "buffered", "transparentColor", "indexTextColor", "indexTextSize", "indexOffsetX", "indexOffsetY",
          "indexTextOffsetX", "indexTextOffsetY", "navigationMode"}},
        {"BitmapFont", {"type", "bitmap", "columns", "rows", "caseConvertion", "startCode"}},
        {"PageSetting", {"type", "defaultTextColor", "defaultTextColorBright", "defaultTextSize"}},
        {"Scene3D",
         {"type", "x", "y", "width", "height", "containerWidth", "containerHeight", "bkgColor", "bkgTexture", "visible",
          "buffered", "transparentColor", "ambient", "zBufferProviderScene"}},
        {"Fog", {"type", "container", "front", "back", "color"}},
        {"Light", {"type", "container", "dir", "color"}},
        {"Group3D",
         {"type", "container", "model", "radius", "wantedObjectsWhenNormalize", "unwantedObjectsWhenNormalize", "visible",
          "detailLevel", "environmentEnabled", "billboard", "cullingPolicy", "number"}},
        {"Sound", {"type", "src"}},
        {"", {"GUIType", "selected"}},
    };
    static const std::set<std::string> none;
    auto found = known.find(type);
    return found == known.end() ? none : found->second;
}

// The language table line by line: identifier to text, and identifiers given twice.
struct TableLines {
    std::map<std::string, std::string> texts;
    std::vector<std::string> repeated;

    static TableLines Read() {
        TableLines table;
        std::vector<uint8_t> bytes = ReadBytes(fs::path(KARROWEN_HAND_WRITTEN_RESOURCES) / "LanguageTable.txt");
        std::istringstream lines(std::string(bytes.begin(), bytes.end()));
        std::string line;
        while (std::getline(lines, line)) {
            if (line.empty() || line[0] == '#') continue;
            size_t equals = line.find('=');
            if (equals == std::string::npos) continue;
            std::string id = line.substr(0, equals);
            if (table.texts.count(id)) table.repeated.push_back(id);
            else table.texts[id] = line.substr(equals + 1);
        }
        return table;
    }
};

}  // namespace

TEST(FrontEndTemplates, TheIntroductionHoldsWhatTheGameSwaysAndTheNotice) {
    TemplateFile intro = Load("intro.properties");
    for (const char* sprite : {"sptTitle", "btnStartGame", "sptGlimmerkin"}) ExpectSpriteIn(intro, sprite, "sceneGUI");
    // The notice lies on top of the menu, so that it takes the taps and keys while it shows.
    EXPECT_GT(intro.order("sceneGAPI"), intro.order("sceneGUI"));
    ExpectSpriteIn(intro, "btnCloseGAPIMsg", "sceneGAPI");
    ExpectSpriteIn(intro, "chkNoMore", "sceneGAPI");
    for (auto [sprite, kind] : {std::pair{"btnStartGame", "button"}, {"btnCloseGAPIMsg", "button"}, {"chkNoMore", "checkbox"}})
        EXPECT_EQ(intro.item(sprite, "GUIType"), kind) << sprite;
    EXPECT_EQ(intro.item("chkNoMore", "persistent"), "1");
    EXPECT_EQ(intro.integer("chkNoMore", "status", 0), 0) << "the notice must show on a first start";
}

TEST(FrontEndTemplates, SettingsAreTheOnesTheGameReads) {
    TemplateFile settings = Load("gsettings.properties");
    EXPECT_EQ(settings.item("chkGAPIVideo", "GUIType"), "checkbox");
    EXPECT_EQ(settings.item("chkGAPIVideo", "persistent"), "1");
    EXPECT_TRUE(settings.item("chkGAPIVideo", "group").empty());
    for (const char* group : {"soundEffect", "mazeEffect"}) {
        ASSERT_TRUE(settings.has(group)) << group;
        EXPECT_EQ(settings.item(group, "GUIType"), "checkboxGroup") << group;
        // The boxes of the group, in scene order; the ticked one is at "selected".
        std::vector<std::string> boxes;
        for (const std::string& entry : settings.ofType("Sprite"))
            if (settings.item(entry, "group") == group) boxes.push_back(entry);
        ASSERT_EQ(boxes.size(), 2u) << group;
        int ticked = -1;
        for (size_t i = 0; i < boxes.size(); ++i) {
            EXPECT_EQ(settings.item(boxes[i], "GUIType"), "checkbox") << boxes[i];
            EXPECT_EQ(settings.item(boxes[i], "persistent"), "1") << boxes[i];
            EXPECT_EQ(settings.item(boxes[i], "container"), settings.item(boxes[0], "container")) << boxes[i];
            if (settings.integer(boxes[i], "status", 0) == 1) {
                EXPECT_EQ(ticked, -1) << group << ": two options ticked";
                ticked = static_cast<int>(i);
            }
        }
        EXPECT_EQ(settings.integer(group, "selected", -1), ticked) << group;
    }
}

TEST(FrontEndTemplates, TheLanguageTableHasEveryTextOfTheGameAndTheTemplates) {
    TableLines table = TableLines::Read();
    EXPECT_TRUE(table.repeated.empty()) << table.repeated.front();
    // Read as the game reads it, the table has every text the game's code asks for.
    testhost::ScopedHost host(ResetSceneState, {.depth = 32});
    LoadLanguageTable(Widen(KARROWEN_HAND_WRITTEN_RESOURCES), u"LanguageTable.txt");
    for (const char16_t* id : {u"MG_POW", u"NEW_LF", u"MG_KILL", u"LV_CLR", u"INPUT_NAME", u"QT_GM", u"LDING", u"LD_LVL",
                               u"LD_LVL50", u"LD_LVL80"})
        EXPECT_NE(GetLanguageText(id, u""), u"") << Narrow(id);
    for (const TemplateFile& t : HandWrittenTemplates())
        for (const std::string& entry : t.entries()) {
            std::string id = t.item(entry, "LTID");
            if (id.empty()) continue;
            EXPECT_NE(GetLanguageText(Widen(id), u""), u"") << t.name << ": " << entry << " LTID:" << id;
        }
    FreeLanguageTable();
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.all();
}

// A text with a stray ", word:" in it is cut into a key of its own; a
// misspelt key is silently ignored. Either shows up as a key the game never reads.
TEST(FrontEndTemplates, EveryKeyIsOneTheGameReads) {
    for (const TemplateFile& t : HandWrittenTemplates())
        for (const std::string& entry : t.entries()) {
            const std::set<std::string>& known = KnownKeys(t.item(entry, "type"));
            for (const std::string& key : t.keys(entry))
                EXPECT_TRUE(known.count(key)) << t.name << ": " << entry << " has the key '" << key << "'";
        }
}

TEST(FrontEndTemplates, EveryWidgetAnswersToAKeyOrToTheFocusFrame) {
    for (const TemplateFile& t : HandWrittenTemplates())
        for (const std::string& scene : t.ofType("SceneSprite")) {
            std::vector<std::string> widgets;
            for (const std::string& entry : t.entries())
                if (IsWidget(t, entry) && t.item(entry, "container") == scene) widgets.push_back(entry);
            if (widgets.empty()) continue;
            if (t.integer(scene, "navigationMode", 0) != 0) {
                int focused = 0;
                for (const std::string& w : widgets) focused += t.item(w, "defaultFocus") == "1";
                EXPECT_EQ(focused, 1) << t.name << ": " << scene << " needs one widget framed at the start";
                continue;
            }
            std::map<int, std::string> keypad, keyboard;
            for (const std::string& w : widgets) {
                auto [pad, board] = HotKeys(t, w);
                EXPECT_NE(pad, 0) << t.name << ": " << w << " has no keypad key";
                EXPECT_NE(board, 0) << t.name << ": " << w << " has no keyboard key";
                if (pad) {
                    EXPECT_TRUE(keypad.emplace(pad, w).second) << t.name << ": " << w << " and " << keypad[pad];
                }
                if (board) {
                    EXPECT_TRUE(keyboard.emplace(board, w).second) << t.name << ": " << w << " and " << keyboard[board];
                }
            }
        }
}

// The stylus reaches every widget: each lies on the design screen, and no
// two of one scene overlap (the first in the scene would take the other's taps).
TEST(FrontEndTemplates, WidgetsLieOnTheScreenApartFromEachOther) {
    struct Box {
        std::string entry;
        int x, y, w, h;
    };
    for (const TemplateFile& t : HandWrittenTemplates()) {
        std::map<std::string, std::vector<Box>> scenes;
        for (const std::string& entry : t.entries()) {
            if (!IsWidget(t, entry)) continue;
            std::string scene = t.item(entry, "container");
            Box b{entry, t.integer(entry, "x", 0) + t.integer(scene, "x", 0), t.integer(entry, "y", 0) + t.integer(scene, "y", 0),
                  t.integer(entry, "width", 0), t.integer(entry, "height", 0)};
            EXPECT_TRUE(b.w > 0 && b.h > 0) << t.name << ": " << entry;
            EXPECT_TRUE(b.x >= 0 && b.y >= 0 && b.x + b.w <= kDesignWidth && b.y + b.h <= kDesignHeight)
                << t.name << ": " << entry << " lies off the screen";
            scenes[scene].push_back(b);
        }
        for (const auto& [scene, boxes] : scenes)
            for (size_t i = 0; i < boxes.size(); ++i)
                for (size_t j = i + 1; j < boxes.size(); ++j) {
                    const Box &a = boxes[i], &b = boxes[j];
                    bool apart = a.x + a.w < b.x || b.x + b.w < a.x || a.y + a.h < b.y || b.y + b.h < a.y;
                    // The message box shows either OK or Yes and No, which share its place;
                    // the settings show direct display on a handheld, full screen elsewhere.
                    auto either = [&](const char* one, const char* other) {
                        return (a.entry == one && b.entry == other) || (a.entry == other && b.entry == one);
                    };
                    bool alternatives = (a.entry == "btnOK_MSGBOX") != (b.entry == "btnOK_MSGBOX") ||
                                        either("chkGAPIVideo", "chkFullScreen");
                    EXPECT_TRUE(apart || alternatives) << t.name << ": " << a.entry << " overlaps " << b.entry;
                }
    }
}

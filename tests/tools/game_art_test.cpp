// The game screen's resources as the build made them: every file the game
// and its templates name is there in a form the game's own decoders read;
// the 3D pictures suit the renderer (power-of-two sizes, a colour key that
// clears their corners); each level's template merges over the game screen
// without a message and leaves every object the game looks up; the status
// read-outs stay on the screen and on their plates in every screen shape.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "data/property_file.h"
#include "platform/window.h"
#include "render3d/math3d.h"
#include "render3d/model_3ds.h"
#include "render3d/object_readers.h"
#include "render3d/scene3d.h"
#include "scene/app_canvas.h"
#include "scene/jpeg_decoder.h"
#include "scene/scene_sprite.h"
#include "scene/scene_state.h"
#include "scene/sprite.h"
#include "support/test_host.h"
#include "template_files.h"

namespace fs = std::filesystem;

namespace {

const fs::path kResources = KARROWEN_BUILD_RESOURCES;
const char* const kHeadings[] = {"east", "north", "west", "south"};
const char* const kItems[] = {"pickable", "bonus", "goodtime", "life", "speed"};

std::string LevelFolder(int level) { return "Levels/level" + std::to_string(level) + "/"; }

bool PowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

struct Rgb {
    double r = 0, g = 0, b = 0;
    double brightness() const { return (r + g + b) / 3; }
};

Rgb MeanOfRows(const FrameBuffer& f, int y0, int y1) {
    Rgb sum;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < f.width; ++x) {
            uint32_t p = PixelAt(f, x, y);
            sum.r += p >> 16 & 0xFF, sum.g += p >> 8 & 0xFF, sum.b += p & 0xFF;
        }
    double n = static_cast<double>(f.width) * (y1 - y0);
    return {sum.r / n, sum.g / n, sum.b / n};
}

// "(r;g;b)" as written in a template.
Rgb TemplateColour(const std::string& text) {
    Rgb c;
    std::sscanf(text.c_str(), "(%lf;%lf;%lf)", &c.r, &c.g, &c.b);
    return c;
}

double Distance(const Rgb& a, const Rgb& b) { return std::sqrt(std::pow(a.r - b.r, 2) + std::pow(a.g - b.g, 2) + std::pow(a.b - b.b, 2)); }

TemplateFile LevelTemplate(int level) { return ReadTemplate(kResources / ("Levels/level" + std::to_string(level) + ".properties")); }

}  // namespace

// ---- Files -------------------------------------------------------------------------------

TEST(GameResources, BackdropsAreJpegsLargerThanEveryScreenWithTheFogColourAtTheirHorizon) {
    testhost::ScopedHost host(ResetSceneState, {.depth = 32});
    for (int level = 1; level <= 10; ++level) {
        std::vector<uint8_t> bytes = ReadBytes(kResources / (LevelFolder(level) + "bkg.jpg"));
        std::unique_ptr<FrameBuffer> sky = DecodeJpeg(std::span<const uint8_t>(bytes), u"bkg.jpg", false);
        ASSERT_FALSE(sky->empty()) << level;
        // The game scrolls it with the hero over a 240 x 320 or 320 x 240 design screen.
        EXPECT_GT(sky->width, 320) << level;
        EXPECT_GT(sky->height, 320) << level;
        // Far tiles fade into the fog colour: some band of the sky must have that colour.
        Rgb fog = TemplateColour(LevelTemplate(level).item("fog", "color"));
        double nearest = 1e9;
        for (int y = 0; y + 4 <= sky->height; y += 2) nearest = std::min(nearest, Distance(MeanOfRows(*sky, y, y + 4), fog));
        EXPECT_LT(nearest, 24.0) << "level " << level << ": no band of the sky has the fog's colour";
    }
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.all();
}

TEST(GameResources, TileTexturesHoldTheTopFaceAboveItsShadedSide) {
    testhost::ScopedHost host(ResetSceneState, {.depth = 32});
    for (int level = 1; level <= 10; ++level) {
        FrameList frames = DecodeGifFile(kResources / (LevelFolder(level) + "cell.gif"));
        ASSERT_EQ(frames.size(), 1u) << level;
        const FrameBuffer& cell = *frames[0];
        EXPECT_TRUE(PowerOfTwo(cell.width) && PowerOfTwo(cell.height)) << level;
        // The top face takes the upper half of the picture at the tile's square shape, the side the third quarter.
        EXPECT_EQ(cell.height, 2 * cell.width) << level;
        // Opaque: a keyed tile would leave holes in the floor and lose the renderer's fast path.
        EXPECT_EQ(cell.transparentColor, 0xFFFFFFFFu) << level;
        Rgb top = MeanOfRows(cell, 0, cell.height / 2);
        Rgb side = MeanOfRows(cell, cell.height / 2, cell.height * 3 / 4);
        EXPECT_LT(side.brightness(), top.brightness()) << level << ": the side face should lie in shadow";
    }
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.all();
}

// Chips show their picture's whole square: a picture without a working key
// would stand in the maze as a box.
TEST(GameResources, ChipPicturesArePowerOfTwoKeyedAndClearAtTheCorners) {
    testhost::ScopedHost host(ResetSceneState, {.depth = 32});
    std::vector<std::string> names = {"tomb.gif"};
    for (const char* who : {"man", "ghost"})
        for (const char* heading : kHeadings) names.push_back(std::string("characters/") + who + "_" + heading + ".gif");
    for (int level = 1; level <= 10; ++level) {
        for (const char* decor : {"decor1.gif", "decor2.gif"}) names.push_back(LevelFolder(level) + decor);
        for (const char* item : kItems) names.push_back(LevelFolder(level) + item + ".gif");
    }
    // The characters, the tomb and the items are drawn again at twice the
    // size, for larger screens: the same frames, each twice as wide and high.
    const size_t designPictures = names.size();
    for (size_t i = 0; i < designPictures; ++i) {
        if (names[i].find("decor") != std::string::npos) continue;
        const std::string large = host::ToUtf8(LargePictureName(host::FromUtf8(names[i])));
        FrameList small = DecodeGifFile(kResources / names[i]), big = DecodeGifFile(kResources / large);
        ASSERT_FALSE(small.empty() || big.empty()) << large;
        EXPECT_EQ(big.size(), small.size()) << large;
        EXPECT_EQ(big[0]->width * 1000 + big[0]->height, 2 * (small[0]->width * 1000 + small[0]->height)) << large;
        names.push_back(large);
    }
    for (const std::string& name : names) {
        FrameList frames = DecodeGifFile(kResources / name);
        ASSERT_FALSE(frames.empty()) << name;
        // The characters walk and float: an animation in every heading.
        if (name.starts_with("characters/")) {
            EXPECT_GE(frames.size(), 2u) << name;
        }
        for (const std::unique_ptr<FrameBuffer>& f : frames) {
            EXPECT_TRUE(PowerOfTwo(f->width) && PowerOfTwo(f->height)) << name << " " << f->width << "x" << f->height;
            ASSERT_NE(f->transparentColor, 0xFFFFFFFFu) << name << " has no colour key";
            for (auto [x, y] : {std::pair{0, 0}, {f->width - 1, 0}, {0, f->height - 1}, {f->width - 1, f->height - 1}})
                EXPECT_EQ(PixelAt(*f, x, y), f->transparentColor) << name << " corner " << x << "," << y;
        }
    }
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.all();
}

// The popups and "GAME OVER" are drawn with it: every character they use has
// a glyph, and no glyph reaches into its neighbour's cell (the game copies whole cells).
TEST(GameResources, TheBrightFontHasTheGamesCharactersEachInsideItsCell) {
    testhost::ScopedHost host(ResetSceneState, {.depth = 32});
    TemplateFile t = ReadTemplate(kResources / "GameCanvas.properties");
    // The font at the design size, and drawn at twice it for larger screens.
    for (int scale : {1, 2}) {
        std::u16string bitmap = host::FromUtf8(t.item("fontBright", "bitmap"));
        if (scale == 2) bitmap = LargePictureName(bitmap);
        FrameList frames = DecodeGifFile(kResources / host::ToUtf8(bitmap));
        ASSERT_EQ(frames.size(), 1u) << host::ToUtf8(bitmap);
        const FrameBuffer& font = *frames[0];
        ASSERT_NE(font.transparentColor, 0xFFFFFFFFu);
        const int columns = t.integer("fontBright", "columns", 0), rows = t.integer("fontBright", "rows", 0);
        const int start = t.integer("fontBright", "startCode", 32);
        ASSERT_TRUE(columns > 0 && rows > 0);
        const int cellW = font.width / columns, cellH = font.height / rows;
        // The popups are 24 pixels high (twice that on larger screens): a cell of
        // that height is copied without stretching.
        EXPECT_EQ(cellH, 24 * scale);
        auto inked = [&](int cell, bool borderOnly) {
            int x0 = (cell % columns) * cellW, y0 = (cell / columns) * cellH, count = 0;
            for (int y = y0; y < y0 + cellH; ++y)
                for (int x = x0; x < x0 + cellW; ++x) {
                    bool border = x == x0 || y == y0 || x == x0 + cellW - 1 || y == y0 + cellH - 1;
                    if ((border || !borderOnly) && PixelAt(font, x, y) != font.transparentColor) ++count;
                }
            return count;
        };
        for (char c : std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ!")) {
            int cell = c - start;
            ASSERT_TRUE(cell >= 0 && cell < columns * rows) << c;
            EXPECT_GT(inked(cell, false), cellW * cellH / 12) << "no glyph for " << c;
        }
        for (int cell = 0; cell < columns * rows; ++cell) EXPECT_EQ(inked(cell, true), 0) << "the glyph of " << char(start + cell) << " touches its cell's edge";
        EXPECT_EQ(inked(' ' - start, false), 0);
    }
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.all();
}

// ---- The game screen's template ------------------------------------------------------------------

namespace {

struct Box {
    int x, y, w, h;
    bool inside(const Box& o) const { return x >= o.x && y >= o.y && x + w <= o.x + o.w && y + h <= o.y + o.h; }
    bool apart(const Box& o) const { return x + w <= o.x || o.x + o.w <= x || y + h <= o.y || o.y + o.h <= y; }
};

// Where a sprite of the game screen ends up once the game has laid the
// screen out for its shape: the scenes move, and some sprites move back.
struct ScreenShape {
    const char* name;
    int width, height;
    int guiX, guiY, consoleX, consoleY;
    std::map<std::string, int> spriteDy;
};

Box Placed(const TemplateFile& t, const ScreenShape& shape, const std::string& sprite) {
    std::string scene = t.item(sprite, "container");
    bool gui = scene == "sceneGUI";
    auto extra = shape.spriteDy.find(sprite);
    return {t.integer(scene, "x", 0) + (gui ? shape.guiX : shape.consoleX) + t.integer(sprite, "x", 0),
            t.integer(scene, "y", 0) + (gui ? shape.guiY : shape.consoleY) + t.integer(sprite, "y", 0) +
                (extra == shape.spriteDy.end() ? 0 : extra->second),
            t.integer(sprite, "width", 0), t.integer(sprite, "height", 0)};
}

}  // namespace

TEST(GameScreenLayout, ReadOutsStayOnTheScreenAndOnTheirPlatesInEveryShape) {
    const int d = 40;
    const ScreenShape shapes[] = {
        {"portrait", 240, 320, 0, d, 0, 2 * d, {{"sptLifes", -d}, {"sptFlash", -d}, {"sptTobbin", -d}, {"btnWantToQuit", -d}, {"sptScore", d}}},
        {"square", 240, 240, 0, 0, 0, 0, {}},
        {"landscape", 320, 240, d, 0, d, 0, {}},
    };
    TemplateFile t = ReadTemplate(kResources / "GameCanvas.properties");
    for (const ScreenShape& shape : shapes) {
        Box screen{0, 0, shape.width, shape.height};
        for (const std::string& sprite : t.ofType("Sprite"))
            EXPECT_TRUE(Placed(t, shape, sprite).inside(screen)) << shape.name << ": " << sprite << " leaves the screen";
        // Each read-out on its plate, the quit button clear of them.
        EXPECT_TRUE(Placed(t, shape, "sptLifes").inside(Placed(t, shape, "sptTobbin"))) << shape.name;
        EXPECT_TRUE(Placed(t, shape, "sptScore").inside(Placed(t, shape, "sptConsoleBar"))) << shape.name;
        EXPECT_TRUE(Placed(t, shape, "txtLevel").inside(Placed(t, shape, "sptConsoleBar"))) << shape.name;
        EXPECT_TRUE(Placed(t, shape, "txtScore").apart(Placed(t, shape, "sptScore"))) << shape.name;
        EXPECT_TRUE(Placed(t, shape, "btnWantToQuit").apart(Placed(t, shape, "sptTobbin"))) << shape.name;
        EXPECT_TRUE(Placed(t, shape, "sptMessage").apart(Placed(t, shape, "sptConsoleBar"))) << shape.name;
    }
    // Drawn in this order: the maze, the bar, then what lies over both.
    EXPECT_LT(t.order("scene3D"), t.order("sceneConsole"));
    EXPECT_LT(t.order("sceneConsole"), t.order("sceneGUI"));
    EXPECT_EQ(t.item("fog", "container"), "scene3D");
}

// ---- Level templates ---------------------------------------------------------------------------

TEST(LevelTemplates, TheTenLevelsShareThreeSongsInThreeRuns) {
    std::vector<std::string> songs;
    for (int level = 1; level <= 10; ++level) {
        songs.push_back(LevelTemplate(level).item("music", "src"));
    }
    EXPECT_EQ(std::set<std::string>(songs.begin(), songs.end()), (std::set<std::string>{"song1.mod", "song2.mod", "song3.mod"}));
    int changes = 0;
    for (size_t i = 1; i < songs.size(); ++i) changes += songs[i] != songs[i - 1];
    EXPECT_EQ(changes, 2) << "each song should serve one run of neighbouring levels";
    // The game screen itself names no music: the first sound of a name is the one played, so a level could not replace it.
    EXPECT_FALSE(ReadTemplate(kResources / "GameCanvas.properties").has("music"));
    EXPECT_EQ(ReadTemplate(kResources / "scoreList.properties").item("music", "src"), "scores.mod");
}

// A centre piece is normalised around the world origin, the maze centre at
// tile-top height: it must reach as far below the tiles as above them, be
// taller than wide, and show its outside to the camera.
TEST(LevelTemplates, CentrePiecesPierceTheMazeAndFaceOutward) {
    testhost::ScopedHost host(ResetSceneState, {.depth = 32});
    int pieces = 0;
    for (int level = 1; level <= 10; ++level) {
        TemplateFile t = LevelTemplate(level);
        for (const std::string& entry : t.ofType("Group3D")) {
            ++pieces;
            float radius = std::stof(t.item(entry, "radius"));
            EXPECT_GE(2 * radius, 8.0f) << entry;
            EXPECT_LE(2 * radius, 16.0f) << entry;
            std::vector<uint8_t> bytes = ReadBytes(kResources / "Levels" / t.item(entry, "model"));
            Load3dsOptions options;
            options.silent = true;
            std::unique_ptr<Object3D> model = Parse3ds(bytes.data(), bytes.size(), options, radius, std::nullopt, std::nullopt);
            ASSERT_NE(model, nullptr) << level;
            EXPECT_NEAR(model->size.y, 2 * radius, 0.01f) << level << ": the height is its largest extent";
            EXPECT_LT(model->size.x, model->size.y) << level;
            EXPECT_LT(model->size.z, model->size.y) << level;
            for (int m = 0; m < model->meshCount(); ++m) {
                const Mesh3D& mesh = *model->meshAt(m);
                Vector3 centre{0, 0, 0};
                for (const Vertex& v : mesh.vertices) centre += Vector3::fromFixed(v.x, v.y, v.z);
                centre *= 1.0f / static_cast<float>(mesh.vertexCount());
                auto at = [&](int i) { return Vector3::fromFixed(mesh.vertices[i].x, mesh.vertices[i].y, mesh.vertices[i].z); };
                for (const Face& f : mesh.faces) {
                    Vector3 a = at(f.a), b = at(f.b), c = at(f.c), middle = a;
                    middle += b;
                    middle += c;
                    middle *= 1.0f / 3;
                    middle -= centre;
                    // The renderer keeps a face whose normal points away from the camera: inward for an outside face.
                    Vector3 n = TriangleNormal(a, b, c);
                    EXPECT_LT(n.x * middle.x + n.y * middle.y + n.z * middle.z, 0) << level << " mesh " << m;
                }
            }
        }
    }
    EXPECT_GE(pieces, 1);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.all();
}

// ---- The screens in the game's canvas ---------------------------------------------------------

namespace {

class GameScreens : public testhost::HostTest {
protected:
    GameScreens() : HostTest(ResetSceneState) {}
    void SetUp() override {
        start();
        Register3DObjectTypes();
        main = std::make_unique<MainWindow>(u"Main");
        ASSERT_TRUE(main->create(0, 0, host::ScreenWidth(), host::ScreenHeight()));
        canvas = new AppCanvas(u"gameCanvas", true);
        ASSERT_TRUE(main->addChildScaled(canvas));
    }
    void TearDown() override {
        main.reset();
        ResetSceneState();
    }
    // The game's loading order: the game screen, then the level merged over it.
    void loadLevel(int level) {
        canvas->loadTemplate(canvas->resourceDir(), u"GameCanvas.properties", false, true);
        canvas->loadTemplate(canvas->resourceDir() + u"Levels/", host::FromUtf8("level" + std::to_string(level) + ".properties"),
                             false, false);
    }
    Sprite* spriteIn(const char16_t* scene, const char16_t* name) {
        auto* s = dynamic_cast<SceneSprite*>(canvas->findScene(scene));
        return s ? s->findSprite(name) : nullptr;
    }

    std::unique_ptr<MainWindow> main;
    AppCanvas* canvas = nullptr;
};

}  // namespace

TEST_F(GameScreens, EveryLevelMergesWithoutAMessageAndLeavesWhatTheGameLooksUp) {
    for (int level = 1; level <= 10; ++level) {
        loadLevel(level);
        for (const testhost::Box& m : boxes) ADD_FAILURE() << "level " << level << ": " << m.line();
        boxes.clear();
        auto* scene3D = dynamic_cast<Scene3D*>(canvas->findScene(u"scene3D"));
        ASSERT_NE(scene3D, nullptr) << level;
        ASSERT_NE(scene3D->fog(), nullptr) << level;
        TemplateFile t = LevelTemplate(level);
        Rgb fog = TemplateColour(t.item("fog", "color"));
        EXPECT_EQ(scene3D->fog()->colour, static_cast<uint32_t>(fog.r) << 16 | static_cast<uint32_t>(fog.g) << 8 | static_cast<uint32_t>(fog.b))
            << level << ": the level's fog replaces the game screen's";
        EXPECT_FALSE(scene3D->lights().empty()) << level;
        for (const std::string& piece : t.ofType("Group3D")) EXPECT_NE(scene3D->findObject(host::FromUtf8(piece)), nullptr) << level;
        for (const char16_t* name : {u"sptLifes", u"sptScore", u"sptMessage", u"sptFlash", u"sptTobbin", u"btnWantToQuit"})
            EXPECT_NE(spriteIn(u"sceneGUI", name), nullptr) << level << " " << host::ToUtf8(name);
        for (const char16_t* name : {u"txtLevel", u"txtScore"}) {
            Sprite* text = spriteIn(u"sceneConsole", name);
            ASSERT_NE(text, nullptr) << host::ToUtf8(name);
            EXPECT_FALSE(text->visible) << host::ToUtf8(name) << " waits for the game to show it";
        }
        EXPECT_FALSE(spriteIn(u"sceneGUI", u"sptMessage")->visible);
        EXPECT_FALSE(spriteIn(u"sceneGUI", u"sptFlash")->visible);
        EXPECT_NE(canvas->findFont(u"fontBright"), nullptr);
        for (const char16_t* sound : {u"music", u"bang", u"killed", u"ghostKilled", u"goodtime", u"eatspecial", u"eat", u"levelClear"})
            EXPECT_NE(canvas->findSound(sound), nullptr) << level << " " << host::ToUtf8(sound);
    }
}

TEST_F(GameScreens, TheScoreListLoadsWithItsRowsAndItsHiddenDoneButton) {
    canvas->loadTemplate(canvas->resourceDir(), u"scoreList.properties", false, true);
    for (const testhost::Box& m : boxes) ADD_FAILURE() << m.line();
    Sprite* name = dynamic_cast<Sprite*>(canvas->findObject(u"txtPlayerName"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->guiType, GuiType::EditBox) << "the name is typed on the keyboard of an edit box";
    Sprite* done = dynamic_cast<Sprite*>(canvas->findObject(u"btnCloseScoreBoard"));
    ASSERT_NE(done, nullptr);
    EXPECT_FALSE(done->visible);
    EXPECT_NE(canvas->findSound(u"music"), nullptr);
    // Ten rows one under the other, each a name on the left and its score on the right.
    int previousY = -1;
    for (int i = 0; i < 10; ++i) {
        auto* left = dynamic_cast<Sprite*>(canvas->findObject(host::FromUtf8("ScoreName" + std::to_string(i))));
        auto* right = dynamic_cast<Sprite*>(canvas->findObject(host::FromUtf8("ScoreValue" + std::to_string(i))));
        ASSERT_TRUE(left && right) << i;
        EXPECT_EQ(left->y, right->y) << i;
        EXPECT_GE(left->y, previousY + left->height) << i << " overlaps the row above";
        EXPECT_LT(left->x + left->width, right->x + right->width) << i;
        EXPECT_EQ(right->textAlignment, 2) << i << ": scores are right-aligned";
        EXPECT_NE(left->textAlignment, 2) << i;
        previousY = left->y;
    }
}

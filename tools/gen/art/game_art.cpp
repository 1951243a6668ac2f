#include "art/game_art.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "art/bitmap_fonts.h"
#include "art/buttons.h"
#include "art/crystal_model.h"
#include "art/game_pieces.h"
#include "art/level_art.h"
#include "art/widgets.h"
#include "data/property_file.h"
#include "jpeg_file.h"
#include "picture_files.h"
#include "platform/host/host.h"
#include "raster/png_writer.h"

namespace {

constexpr int S = kArtScale;
constexpr int kSkyQuality = 88;

SpritePicture WithOpacity(const std::string& name, std::vector<Image> frames, std::vector<int> delays) {
    return {name + ".gif", std::move(frames), std::move(delays), {}, {}, name + "_alpha.gif", 2};
}

SpritePicture Keyed(const std::string& path, std::vector<Image> frames, std::vector<int> delays) {
    SpritePicture picture{path, std::move(frames), std::move(delays), {}, {}, {}, 0};
    picture.keyed = true;
    return picture;
}

// What the game loads instead of `path` where the screen shows the design at
// twice the size or more: the same picture drawn at kLargeScale times its size.
constexpr int kLargeScale = 2;
std::string LargePicturePath(const std::string& path) { return host::ToUtf8(LargePictureName(host::FromUtf8(path))); }

// A keyed 3D picture at the design size, and again drawn larger for larger
// screens; `draw` (scale) draws the frames at `scale` times the design size.
template <class Draw>
void AtBothSizes(std::vector<SpritePicture>& pictures, const std::string& path, const std::vector<int>& delays,
                 Draw&& draw) {
    pictures.push_back(Keyed(path, draw(1), delays));
    pictures.push_back(Keyed(LargePicturePath(path), draw(kLargeScale), delays));
}

ScreenArt GameScreen(const GameArtFonts& fonts) {
    ScreenArt art{"GameCanvas.properties", {}, {}};
    AtBothSizes(art.pictures, "font_bright.gif", {0}, [&](int scale) {
        return std::vector<Image>{MakeBrightFont(
            fonts.bright, {kBrightColumns, kBrightRows, 32, kBrightCellWidth * scale, kBrightCellHeight * scale})};
    });
    art.pictures.push_back(WithOpacity("hud_lives", {MakeLivesCapsule()}, {0}));
    art.pictures.push_back(WithOpacity("hud_console", {MakeConsoleBar()}, {0}));
    ButtonArt quit = MakeExitButton(24 * S);
    art.pictures.push_back({"hud_quit.gif", quit.normal, quit.delays, "hud_quit_bright.gif", quit.bright, "hud_quit_alpha.gif", 2});
    return art;
}

ScreenArt ScoreList() {
    ScreenArt art{"scoreList.properties", {}, {}};
    art.pictures.push_back(WithOpacity("score_field", {MakeGlassPanel(150 * S, 24 * S, Hex(0xFFC04A), 12.0f * S, 0.9f)}, {0}));
    art.pictures.push_back(WithOpacity("score_row", {MakeScoreRowBand()}, {0}));
    return art;
}

// The Enhanced play style's ghosts: each its own colour ("ghost1_east.gif"
// onwards; colour 0 is the original "ghost_east.gif"), and scared in goodtime.
void EnhancedGhosts(GameArt& art) {
    const std::vector<int> delays(kWalkFrames, kWalkDelay);
    for (int colour = 1; colour < kGhostColours; ++colour)
        for (Heading heading : kHeadings)
            AtBothSizes(art.pictures3D, "characters/ghost" + std::to_string(colour) + "_" + HeadingName(heading) + ".gif",
                        delays, [&](int scale) { return GhostFloat(heading, colour, scale); });
    for (bool pale : {false, true})
        AtBothSizes(art.pictures3D, pale ? "characters/ghost_scared_pale.gif" : "characters/ghost_scared.gif", delays,
                    [&](int scale) { return ScaredGhostFloat(pale, scale); });
}

void Characters(GameArt& art) {
    const std::vector<int> delays(kWalkFrames, kWalkDelay);
    for (Heading heading : kHeadings) {
        AtBothSizes(art.pictures3D, std::string("characters/man_") + HeadingName(heading) + ".gif", delays,
                    [&](int scale) { return TobbinWalk(heading, scale); });
        AtBothSizes(art.pictures3D, std::string("characters/ghost_") + HeadingName(heading) + ".gif", delays,
                    [&](int scale) { return GhostFloat(heading, 0, scale); });
    }
    AtBothSizes(art.pictures3D, "tomb.gif", {0}, [](int scale) { return std::vector<Image>{MakeTomb(scale)}; });
    EnhancedGhosts(art);
}

void Levels(GameArt& art) {
    const char* items[] = {"pickable", "bonus", "goodtime", "life", "speed"};
    // The items are the same in every level: drawn once at each size.
    std::map<std::pair<const char*, int>, Image> itemPictures;
    for (const char* item : items)
        for (int scale : {1, kLargeScale}) itemPictures[{item, scale}] = MakeItemPicture(item, scale);
    for (int level = 1; level <= kLevelCount; ++level) {
        const LevelTheme& theme = ThemeOfLevel(level);
        std::string folder = "Levels/level" + std::to_string(level) + "/";
        Image sky = MakeLevelSky(theme, level);
        art.files.push_back({folder + "bkg.jpg", EncodeJpeg(sky, kSkyQuality)});
        art.skies.push_back({folder + "bkg.jpg", sky});
        SpritePicture cell{folder + "cell.gif", {MakeCellTexture(theme, level)}, {0}, {}, {}, {}, 0};
        art.pictures3D.push_back(cell);
        art.pictures3D.push_back(Keyed(folder + "decor1.gif", {MakeTallDecor(theme)}, {0}));
        art.pictures3D.push_back(Keyed(folder + "decor2.gif", {MakeSmallDecor(theme)}, {0}));
        for (const char* item : items)
            AtBothSizes(art.pictures3D, folder + item + ".gif", {0},
                        [&](int scale) { return std::vector<Image>{itemPictures[{item, scale}]}; });
    }
    // The centre pieces of the ice caverns and the crystal mine.
    art.files.push_back({"Levels/icespire.3ds", Encode3ds(MakeCrystalCluster(0xBEEBFF, 0x102030))});
    art.files.push_back({"Levels/crystal.3ds", Encode3ds(MakeCrystalCluster(ThemeOfLevel(5).neon, 0x201040))});
}

bool WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) std::fprintf(stderr, "karrowen-gen: cannot write %s\n", path.string().c_str());
    return !bytes.empty() && static_cast<bool>(out);
}

std::string Flat(std::string path) {
    for (char& c : path)
        if (c == '/') c = '_';
    return path;
}

// One picture of every level's pictures side by side (sky, tile, decorations,
// items, each enlarged), and the characters in each heading, for looking over
// the set at once.
Image LevelSheet(const GameArt& art) {
    const int row = 240, width = 1200;
    Image sheet(width, row * (kLevelCount + 1));
    sheet.fill(Hex(0x202020));
    std::map<std::string, Image> looks;
    for (const SpritePicture& picture : art.pictures3D)
        for (const PictureFile& f : PictureFiles(picture)) looks[f.name] = ToImage(f.indexed, 0);
    for (int level = 1; level <= kLevelCount; ++level) {
        int y = (level - 1) * row;
        DrawImageScaled(sheet, art.skies[static_cast<size_t>(level - 1)].second, 0, static_cast<float>(y), 196, 240);
        std::string folder = "Levels/level" + std::to_string(level) + "/";
        float x = 210;
        for (const char* name : {"cell", "decor1", "decor2", "pickable", "bonus", "goodtime", "life", "speed"}) {
            const Image& look = looks[folder + name + ".gif"];
            float scale = look.height() >= 128 ? 1.8f : (look.height() >= 32 ? 3.0f : 4.0f);
            DrawImageScaled(sheet, look, x, static_cast<float>(y + 4), look.width() * scale, look.height() * scale);
            x += look.width() * scale + 10;
        }
    }
    float x = 0;
    for (const char* who : {"man", "ghost"})
        for (Heading heading : kHeadings) {
            const Image& look = looks[std::string("characters/") + who + "_" + HeadingName(heading) + ".gif"];
            DrawImageScaled(sheet, look, x, static_cast<float>(kLevelCount * row), 128, 128);
            x += 136;
        }
    DrawImageScaled(sheet, looks["tomb.gif"], x, static_cast<float>(kLevelCount * row), 96, 96);
    return sheet;
}

}  // namespace

GameArt MakeGameArt(const GameArtFonts& fonts) {
    GameArt art;
    art.screens.push_back(GameScreen(fonts));
    art.screens.push_back(ScoreList());
    Characters(art);
    Levels(art);
    return art;
}

bool WriteGameArt(const GameArt& art, const std::string& outputDir, const std::string& previewDir) {
    bool ok = true;
    for (const SpritePicture& picture : art.pictures3D)
        for (const PictureFile& f : PictureFiles(picture)) {
            ok = WriteBytes(std::filesystem::path(outputDir) / f.name, EncodeGifFile(f)) && ok;
            if (previewDir.empty()) continue;
            for (size_t i = 0; i < f.indexed.frames.size(); ++i)
                ok = WritePng(previewDir + "/" + Flat(f.name) + "." + std::to_string(i) + ".png", ToImage(f.indexed, i)) && ok;
        }
    for (const GeneratedFile& f : art.files) ok = WriteBytes(std::filesystem::path(outputDir) / f.path, f.bytes) && ok;
    if (!previewDir.empty())
        for (const auto& [path, sky] : art.skies) ok = WritePng(previewDir + "/" + Flat(path) + ".png", sky) && ok;
    if (!previewDir.empty()) ok = WritePng(previewDir + "/game_levels_sheet.png", LevelSheet(art)) && ok;
    return ok;
}

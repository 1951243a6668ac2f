// The resources the build made: the generator writes the same bytes on every
// run, and the hand-written templates find every picture they name, at the
// size they draw it, in a form the game's decoder reads.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "scene/scene_state.h"
#include "support/test_host.h"
#include "template_files.h"

namespace fs = std::filesystem;

namespace {

constexpr int kArtScale = 2;  // pictures are made at twice the design size

// Logical screen size from a GIF header: "GIF89a", then width and height, little-endian.
bool GifSize(const fs::path& path, int& width, int& height) {
    std::vector<uint8_t> b = ReadBytes(path);
    if (b.size() < 10 || b[0] != 'G' || b[1] != 'I' || b[2] != 'F') return false;
    width = b[6] | b[7] << 8;
    height = b[8] | b[9] << 8;
    return true;
}

// The build's resource folder, as the build step filled it: the generator's
// pictures and copies of the hand-written files.
class GeneratedResources : public ::testing::Test {
protected:
    static fs::path BuildResources() { return KARROWEN_BUILD_RESOURCES; }

    // Where the game finds a file, or an empty path.
    static fs::path Find(const std::string& name) {
        fs::path path = BuildResources() / name;
        return fs::exists(path) ? path : fs::path();
    }
};

// A sanitized build takes its resources from the optimised build's generator:
// there, the bytes must not depend on the optimisation either.
TEST_F(GeneratedResources, AnotherRunWritesTheSameBytes) {
    testhost::ScratchFolder scratch;
    const fs::path fresh = scratch.path();
    std::string command = std::string("\"") + KARROWEN_GEN_PROGRAM + "\" \"" + fresh.string() + "\"";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    int files = 0;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(fresh)) {
        if (!e.is_regular_file()) continue;
        ++files;
        fs::path relative = fs::relative(e.path(), fresh);
        std::vector<uint8_t> bytes = ReadBytes(e.path());
        EXPECT_FALSE(bytes.empty()) << relative;
        EXPECT_TRUE(bytes == ReadBytes(BuildResources() / relative)) << relative << " differs from the build's copy";
    }
    EXPECT_GT(files, 0);
}

// Every file a template names, relative to the template's own folder (a
// level's files lie beside its template), and the music the game's code opens
// by name (the pictures it opens by name are decoded in the game art tests).
TEST_F(GeneratedResources, EveryFileATemplateOrTheGameNamesExists) {
    const fs::path root = KARROWEN_HAND_WRITTEN_RESOURCES;
    std::vector<std::string> names = {"menu.mod"};
    int templates = 0;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(root)) {
        if (e.path().extension() != ".properties") continue;
        ++templates;
        const TemplateFile t = ReadTemplate(e.path());
        const fs::path folder = fs::relative(e.path().parent_path(), root);
        for (const std::string& entry : t.entries())
            for (const char* key : {"texture", "bright", "textureBright", "textureAlpha", "bkgTexture", "bitmap", "model", "src"}) {
                const std::string name = t.item(entry, key);
                if (!name.empty()) names.push_back((folder / name).lexically_normal().string());
            }
    }
    EXPECT_GT(templates, 10);
    for (const std::string& name : names) EXPECT_TRUE(fs::is_regular_file(BuildResources() / name)) << name << " is missing";
}

// A sprite with clip keys draws that part of its picture: the part is at
// twice the design size and lies inside the picture.
TEST_F(GeneratedResources, PicturesAreTwiceTheDesignSizeTheyAreDrawnAt) {
    int checked = 0;
    for (const TemplateFile& t : HandWrittenTemplates())
        for (const std::string& entry : t.entries()) {
            std::string type = t.item(entry, "type");
            if (type != "Sprite" && type != "SceneSprite") continue;
            std::string width = t.item(entry, "width"), height = t.item(entry, "height");
            if (width.empty() || height.empty() || width.find('%') != std::string::npos) continue;
            int clipX = t.integer(entry, "clipX", -1), clipY = t.integer(entry, "clipY", -1);
            int clipW = t.integer(entry, "clipW", -1), clipH = t.integer(entry, "clipH", -1);
            bool clipped = clipX >= 0 && clipY >= 0 && clipW >= 0 && clipH >= 0;
            for (const char* key : {"texture", "bright", "textureBright", "textureAlpha", "bkgTexture"}) {
                std::string name = t.item(entry, key);
                fs::path path = name.empty() ? fs::path() : Find(name);
                // The shade is one colour: a few pixels stretched draw the same.
                if (path.empty() || path.extension() != ".gif" || name == "shade.gif") continue;
                int w = 0, h = 0;
                ASSERT_TRUE(GifSize(path, w, h)) << name;
                ++checked;
                std::string where = t.name + ": " + entry + " " + key + ":" + name;
                if (clipped) {
                    EXPECT_LE(clipX + clipW, w) << where;
                    EXPECT_LE(clipY + clipH, h) << where;
                    w = clipW;
                    h = clipH;
                }
                EXPECT_EQ(w, std::stoi(width) * kArtScale) << where;
                EXPECT_EQ(h, std::stoi(height) * kArtScale) << where;
            }
        }
    EXPECT_GT(checked, 0);
}

TEST_F(GeneratedResources, EveryLinkLeadsToATemplate) {
    int links = 0;
    for (const TemplateFile& t : HandWrittenTemplates())
        for (const std::string& entry : t.entries()) {
            if (t.item(entry, "GUIType") != "hyperlink") continue;
            ++links;
            std::string target = t.item(entry, "href");
            EXPECT_FALSE(target.empty() || Find(target).empty()) << t.name << ": " << entry << " links to '" << target << "'";
        }
    EXPECT_GT(links, 0);
}

// A picture that does not decode, or an opacity picture of another size, is
// told by a message when the screens test loads every template. What the game
// does not tell: each frame takes its opacity from the frame of the same index.
TEST_F(GeneratedResources, EveryFrameHasItsOpacityFrame) {
    testhost::ScopedHost host(ResetSceneState, {.depth = 32});
    for (const TemplateFile& t : HandWrittenTemplates())
        for (const std::string& entry : t.entries()) {
            std::string alphaName = t.item(entry, "textureAlpha");
            if (alphaName.empty()) continue;
            FrameList alpha = DecodeGifFile(Find(alphaName));
            for (const char* key : {"texture", "textureBright", "bright"}) {
                std::string name = t.item(entry, key);
                if (name.empty()) continue;
                FrameList picture = DecodeGifFile(Find(name));
                EXPECT_FALSE(alpha.empty()) << entry;
                EXPECT_LE(picture.size(), alpha.size()) << entry << " " << key << ": frames without opacity";
            }
        }
}

}  // namespace

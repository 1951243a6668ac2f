// Small drawn 2D scenes compared with golden frames, at 16 and 32 bits:
// textures at their size, stretched and clipped, colour keys, see-through
// copies, outlines, a bitmap-font text and an animated texture's second frame.
// To write new golden frames after an intended change:
//   KARROWEN_UPDATE_GOLDEN=1 ctest -R Golden2D

#include <fstream>

#include "canvas_fixture.h"
#include "support/png_io.h"
#include "scene/gif_encoder.h"

namespace {

using r3test::Picture;

// A 16 x 16 picture: four coloured quadrants, a magenta key pixel diagonal.
GifImage Quadrants() {
    GifImage image;
    image.width = image.height = 16;
    image.palette = {0xFF00FF, 0xE03030, 0x30C030, 0x3050E0, 0xF0D020};
    GifFrame frame;
    frame.width = frame.height = 16;
    frame.transparentIndex = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) frame.indices.push_back(x == y ? 0 : uint8_t(1 + (y / 8) * 2 + x / 8));
    image.frames.push_back(frame);
    return image;
}

// Two frames of 8 x 8: white, then cyan, a tenth of a second each.
GifImage Blinker() {
    GifImage image;
    image.width = image.height = 8;
    image.palette = {0xFFFFFF, 0x00FFFF};
    for (int i = 0; i < 2; ++i) {
        GifFrame frame;
        frame.width = frame.height = 8;
        frame.indices.assign(64, uint8_t(i));
        frame.delay = 10;
        image.frames.push_back(frame);
    }
    return image;
}

// A 16 x 6 grid of 4 x 6 cells starting at code 32; every glyph is a bar whose
// height tells its code apart.
GifImage Font() {
    GifImage image;
    image.width = 64;
    image.height = 36;
    image.palette = {0x000000, 0xFFFFFF};
    GifFrame frame;
    frame.width = 64;
    frame.height = 36;
    frame.transparentIndex = 0;
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 64; ++x) {
            int cell = (y / 6) * 16 + x / 4, cx = x % 4, cy = y % 6;
            frame.indices.push_back(cx < 3 && cy >= 5 - (cell % 6) ? 1 : 0);
        }
    image.frames.push_back(frame);
    return image;
}

class Golden2DTest : public CanvasTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override { setUpWithDepth(GetParam()); }
    void writeGif(const std::string& name, const GifImage& image) { scratch.write(name, EncodeGif(image)); }
    Picture capture(int width, int height) {
        Picture picture;
        picture.width = width;
        picture.height = height;
        FrameBuffer* fb = canvas->target();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) picture.pixels.push_back(host::ReadPixel(fb->surface(), x, y));
        return picture;
    }
};

INSTANTIATE_TEST_SUITE_P(Depths, Golden2DTest, ::testing::Values(16, 32),
                         [](const auto& info) { return std::to_string(info.param) + "bit"; });

TEST_P(Golden2DTest, SpriteSceneMatchesTheGoldenFrame) {
    writeGif("quad.gif", Quadrants());
    writeGif("blink.gif", Blinker());
    writeGif("font.gif", Font());
    write("g.properties",
          "font=type:BitmapFont, bitmap:font.gif, columns:16, rows:6, caseConvertion:1, startCode:32\n"
          "s=type:SceneSprite, width:96, height:64, bkgColor:(40;40;60)\n"
          "plain=type:Sprite, container:s, texture:quad.gif, x:2, y:2\n"
          "big=type:Sprite, container:s, texture:quad.gif, x:20, y:2, width:32, height:24\n"
          "part=type:Sprite, container:s, texture:quad.gif, x:56, y:2, width:8, height:8, clipX:8, clipY:0, "
          "clipW:8, clipH:8\n"
          "ghost=type:Sprite, container:s, texture:quad.gif, x:70, y:2, textureTransparency:128\n"
          "box=type:Sprite, container:s, x:4, y:30, width:20, height:10, color:(200;100;0), frame:(255;255;255)\n"
          "pressed=type:Sprite, container:s, x:30, y:30, width:20, height:10, color:(0;0;0), "
          "colorBright:(0;200;200), status:1\n"
          "blink=type:Sprite, container:s, texture:blink.gif, x:60, y:30\n"
          "label=type:Sprite, container:s, x:4, y:46, width:80, height:12, text:ab c, BitmapFont:font, "
          "textFormatted:0\n");
    load("g.properties");
    canvas->start();
    for (int i = 0; i < 3; ++i) {  // frames of 0.1 s: the second moves the blinker on, the third shows it
        host::Sleep(100);
        canvas->frame();
    }
    canvas->stop();
    Picture actual = capture(96, 64);
    const std::string name = "sprites" + std::to_string(GetParam()) + ".png";
    const std::string golden = std::string(KARROWEN_SCENE_GOLDEN_DIR) + "/" + name;
    if (std::getenv("KARROWEN_UPDATE_GOLDEN")) {
        ASSERT_TRUE(r3test::WritePng(golden, actual));
        GTEST_SKIP() << "wrote " << golden;
    }
    Picture expected;
    ASSERT_TRUE(r3test::ReadPng(golden, expected)) << "missing " << golden;
    ASSERT_EQ(expected.pixels.size(), actual.pixels.size());
    int differing = 0;
    for (size_t i = 0; i < actual.pixels.size(); ++i) differing += actual.pixels[i] != expected.pixels[i];
    if (differing) r3test::WritePng(::testing::TempDir() + "actual-" + name, actual);
    EXPECT_EQ(differing, 0) << "frame written to " << ::testing::TempDir() << "actual-" << name;
    EXPECT_TRUE(boxes.empty()) << boxes.all();
}

}  // namespace

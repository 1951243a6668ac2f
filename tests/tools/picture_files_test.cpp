// The GIF files of generated pictures, read back with the game's own decoder.

#include <gtest/gtest.h>

#include <span>

#include "picture_files.h"
#include "scene/gif_decoder.h"
#include "scene/scene_state.h"
#include "support/test_host.h"
#include "template_files.h"

namespace {

void Put(Image& image, int x, int y, uint32_t rgb, float a = 1) {
    Color c = Hex(rgb);
    image.at(x, y) = {c.r * a, c.g * a, c.b * a, a};
}

FrameList Decode(const PictureFile& file, testhost::ScopedHost& host) {
    std::vector<uint8_t> bytes = EncodeGifFile(file);
    FrameList frames;
    DecodeGif(std::span<const uint8_t>(bytes), u"test.gif", frames, false, false);
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.all();
    return frames;
}

// Two frames of a small sprite: a dot that moves right, half-opaque edge beside it.
SpritePicture MovingDot() {
    SpritePicture picture;
    picture.file = "dot.gif";
    picture.alphaFile = "dot_alpha.gif";
    picture.brightFile = "dot_bright.gif";
    for (int i = 0; i < 2; ++i) {
        Image frame(6, 4);
        Put(frame, 1 + i * 3, 1, 0xFF8000);
        Put(frame, 2 + i * 3, 1, 0xFF8000, 0.5f);
        picture.frames.push_back(frame);
    }
    picture.delays = {12, 30};
    picture.bright = Image(6, 4);
    Put(picture.bright, 1, 1, 0x00FFFF);
    return picture;
}

}  // namespace

// A sprite becomes its colour, pressed-look and opacity files, in that
// order, each read back by the game's decoder.
TEST(PictureFiles, ASpriteBecomesColourPressedAndOpacityFilesTheGameReads) {
    testhost::ScopedHost host(ResetSceneState, {.depth = 32});
    std::vector<PictureFile> files = PictureFiles(MovingDot());
    ASSERT_EQ(files.size(), 3u);
    FrameList frames = Decode(files[0], host), bright = Decode(files[1], host), alpha = Decode(files[2], host);

    // The animated frames keep their delays and nothing of the previous frame.
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0]->width, 6);
    EXPECT_EQ(frames[0]->height, 4);
    EXPECT_FLOAT_EQ(frames[0]->frameDelay, 0.12f);
    EXPECT_FLOAT_EQ(frames[1]->frameDelay, 0.30f);
    const uint32_t key = 0xFF00FF;
    EXPECT_EQ(frames[0]->transparentColor, key);
    EXPECT_EQ(PixelAt(*frames[0], 1, 1), 0xFF8000u);
    EXPECT_EQ(PixelAt(*frames[0], 2, 1), 0xFF8000u);  // straight colour; the alpha file holds the half
    EXPECT_EQ(PixelAt(*frames[0], 0, 0), key);
    // The dot has moved on: where it was, frame 1 is clear, not a leftover.
    EXPECT_EQ(PixelAt(*frames[1], 1, 1), key);
    EXPECT_EQ(PixelAt(*frames[1], 4, 1), 0xFF8000u);

    // The pressed look keeps the normal outline: opaque in the normal look
    // but not drawn in the pressed one, the normal colour.
    ASSERT_EQ(bright.size(), 1u);
    EXPECT_EQ(PixelAt(*bright[0], 1, 1), 0x00FFFFu);
    EXPECT_EQ(PixelAt(*bright[0], 2, 1), 0xFF8000u);
    EXPECT_EQ(PixelAt(*bright[0], 3, 3), bright[0]->transparentColor);

    // Opacity is grey of the same size, one frame for each frame of colour
    // (the game takes it from the frame of the same index), without a colour key.
    ASSERT_EQ(alpha.size(), 2u);
    EXPECT_EQ(alpha[1]->width, 6);
    EXPECT_EQ(PixelAt(*alpha[0], 1, 1), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*alpha[0], 2, 1), 0x808080u);
    EXPECT_EQ(PixelAt(*alpha[0], 0, 0), 0u);
    EXPECT_EQ(alpha[0]->transparentColor, 0xFFFFFFFFu);
}

// Textures (frames, timing, power-of-two sizing, resizing and turning) and the
// per-canvas image cache, over GIF files written into a temporary folder.

#include "scene/texture.h"

#include <gtest/gtest.h>


#include "image_fixture.h"
#include "platform/device_info.h"
#include "scene/gif_encoder.h"
#include "scene/image_cache.h"
#include "scene/image_ops.h"

using namespace imagetest;

namespace {

// A w x h GIF of `frames` frames; frame f is filled with palette colour f + 1,
// except that the top-left pixel of every frame is white.
std::vector<uint8_t> SolidGif(int w, int h, int frames = 1, int delay = 10) {
    GifImage image;
    image.width = w;
    image.height = h;
    image.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    for (int f = 0; f < frames; ++f) {
        GifFrame frame;
        frame.width = w;
        frame.height = h;
        frame.indices.assign(size_t(w * h), uint8_t(f + 1));
        frame.indices[0] = 4;
        frame.delay = frames > 1 ? delay : 0;
        image.frames.push_back(frame);
    }
    return EncodeGif(image);
}

struct RecordingListener : TextureFrameListener {
    std::vector<int> seen;
    void frameChanged(Texture&, int newIndex) override { seen.push_back(newIndex); }
};

class TextureTest : public ImageTest {
protected:
    std::u16string gif(const std::string& name, int w, int h, int frames = 1) {
        return write(name, SolidGif(w, h, frames));
    }
};

TEST_F(TextureTest, LoadsEveryFrameOfAGifNamedByTheLastPartOfItsPath) {
    Texture t(gif("three.gif", 4, 2, 3), false, false);
    EXPECT_EQ(t.name, u"three.gif");
    EXPECT_EQ(t.frameCount(), 3);
    EXPECT_TRUE(t.animated);
    EXPECT_TRUE(t.looping);
    EXPECT_EQ(t.width, 4);
    EXPECT_EQ(t.loadedHeight, 2);
    EXPECT_EQ(t.bitmap(), t.frameBitmap(0));
    EXPECT_EQ(At(*t.frameBitmap(2), 1, 1), 0x0000FFu);
    EXPECT_EQ(t.frameBitmap(3), nullptr);
    EXPECT_FLOAT_EQ(t.frameDelay(1), 0.1f);

    Texture still(gif("still.gif", 4, 2), false, false);
    EXPECT_EQ(still.frameCount(), 1);
    EXPECT_FALSE(still.animated);
    EXPECT_FLOAT_EQ(still.frameDelay(0), 0.0f);
    // The name is the last part of either spelling.
    gif("pic.gif", 1, 1);
    std::u16string dir = folder();
    Texture backslashed(dir.substr(0, dir.size() - 1) + u"\\pic.gif", false, false);
    EXPECT_EQ(backslashed.name, u"pic.gif");
    EXPECT_FALSE(backslashed.empty()) << "found through the resource layer";
    EXPECT_EQ(Texture(folder() + u"pic.gif", false, false).name, u"pic.gif");
}

TEST_F(TextureTest, PowerOfTwoSizing) {
    Texture one(gif("one.gif", 1, 1), true, true);
    EXPECT_EQ(one.width, 1);
    EXPECT_EQ(one.height, 1);

    Texture up(gif("hundred.gif", 100, 2), true, true);
    EXPECT_EQ(up.width, 128);
    EXPECT_EQ(up.widthExponent, 7);
    EXPECT_EQ(up.loadedWidth, 100);
    // Rounded up, the picture is cropped into the top-left corner.
    EXPECT_EQ(At(*up.bitmap(), 99, 1), 0xFF0000u);
    EXPECT_EQ(At(*up.bitmap(), 100, 1), 0x000000u);

    Texture nearest(gif("hundred2.gif", 100, 2), true, false);
    EXPECT_EQ(nearest.width, 128);
    EXPECT_EQ(At(*nearest.bitmap(), 127, 1), 0xFF0000u) << "stretched over the whole width";

    Texture ninetySixUp(gif("ninety-six.gif", 96, 2), true, true);
    EXPECT_EQ(ninetySixUp.width, 128);
    Texture ninetySixNear(gif("ninety-six2.gif", 96, 2), true, false);
    EXPECT_EQ(ninetySixNear.width, 64) << "a tie goes down";
    EXPECT_EQ(ninetySixNear.height, 2);
    EXPECT_EQ(PowerOfTwoExponent(128, false), 7);
    EXPECT_EQ(PowerOfTwoExponent(3, false), 1);
    // A blank texture is filled, at its size or at the nearer powers.
    Texture blank(3, 5, 0x00FF00, false), blankPower(3, 5, 0x00FF00, true);
    EXPECT_EQ(At(*blank.bitmap(), 2, 4), 0x00FF00u);
    EXPECT_EQ(blankPower.width * 10 + blankPower.height, 24);
    EXPECT_EQ(At(*blankPower.bitmap(), 1, 3), 0x00FF00u);
}

TEST_F(TextureTest, AdvanceWaitsForEachDelayAndSetFrameClampsAndTellsTheListener) {
    Texture t(gif("two.gif", 2, 2, 2), false, false);
    RecordingListener listener;
    t.frameListener = &listener;
    t.setFrame(7);
    t.setFrame(-2);
    EXPECT_EQ(listener.seen, (std::vector<int>{1, 0}));
    t.frameListener = nullptr;
    t.advance(0.05f);
    t.advance(0.05f);
    EXPECT_EQ(t.currentFrame(), 0) << "0.1 s shown is not more than the 0.1 s delay";
    t.advance(0.05f);
    EXPECT_EQ(t.currentFrame(), 1);
    EXPECT_EQ(t.frameElapsed, 0.0f);
    EXPECT_EQ(t.currentBitmap(), t.frameBitmap(1));
    t.advance(-1.0f);
    EXPECT_EQ(t.currentFrame(), 0) << "a negative time moves on at once, and the animation loops";

    t.looping = false;
    t.setFrame(1);
    t.advance(-1.0f);
    EXPECT_EQ(t.currentFrame(), 1) << "without looping the last frame stays";

    Texture still(gif("still.gif", 2, 2), false, false);
    still.advance(5.0f);
    still.advance(-1.0f);
    still.setFrame(3);
    EXPECT_EQ(still.currentFrame(), 0);
    EXPECT_EQ(still.frameElapsed, 0.0f);
}

TEST_F(TextureTest, ResizeCropsOrStretchesOverTheKey) {
    Texture t(gif("two.gif", 2, 2, 2), false, false);
    t.frameBitmap(1)->transparentColor = 0x00FF00;
    t.resize(4, 3, false);
    EXPECT_EQ(t.width, 4);
    EXPECT_EQ(t.height, 3);
    EXPECT_EQ(t.loadedWidth, 2);
    EXPECT_EQ(t.frameBitmap(1)->width, 4);
    EXPECT_EQ(t.frameBitmap(1)->transparentColor, 0x00FF00u);
    EXPECT_FLOAT_EQ(t.frameDelay(1), 0.1f);
    EXPECT_EQ(At(*t.frameBitmap(0), 1, 1), 0xFFFFFFu) << "the white corner doubled";
    EXPECT_EQ(At(*t.frameBitmap(0), 3, 2), 0xFF0000u);

    t.resize(5, 5, true);
    EXPECT_EQ(At(*t.frameBitmap(0), 3, 2), 0xFF0000u);
    EXPECT_EQ(At(*t.frameBitmap(0), 4, 4), 0x000000u) << "cropping leaves the new part black";
}

TEST_F(TextureTest, ReorientTurnsAndMirrors) {
    // 3 x 2, pixel (x, y) tagged x + 3y + 1 in the red channel.
    auto make = [] {
        Texture t(3, 2, 0, false);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) host::WritePixel(t.bitmap()->surface(), x, y, uint32_t(x + 3 * y + 1) << 19);
        t.bitmap()->transparentColor = 0x123456;
        return t;
    };
    auto tags = [](const Texture& t) {
        std::vector<std::vector<int>> rows;
        for (int y = 0; y < t.height; ++y) {
            rows.emplace_back();
            for (int x = 0; x < t.width; ++x) rows.back().push_back(int(At(*t.bitmap(), x, y) >> 19));
        }
        return rows;
    };
    using Rows = std::vector<std::vector<int>>;
    // 1 2 3
    // 4 5 6
    Texture clockwise = make();
    clockwise.reorient(true, true);
    EXPECT_EQ(tags(clockwise), (Rows{{4, 1}, {5, 2}, {6, 3}}));
    EXPECT_EQ(clockwise.bitmap()->transparentColor, 0x123456u);
    Texture counter = make();
    counter.reorient(true, false);
    EXPECT_EQ(tags(counter), (Rows{{3, 6}, {2, 5}, {1, 4}}));
    Texture mirrored = make();
    mirrored.reorient(false, true);
    EXPECT_EQ(tags(mirrored), (Rows{{3, 2, 1}, {6, 5, 4}}));
    Texture flipped = make();
    flipped.reorient(false, false);
    EXPECT_EQ(tags(flipped), (Rows{{4, 5, 6}, {1, 2, 3}}));
}

TEST_F(TextureTest, CopyIsDeep) {
    Texture t(gif("two.gif", 2, 2, 2), false, false);
    t.frameBitmap(1)->transparentColor = 0x0000FF;
    t.setFrame(1);
    Texture copy(t);
    EXPECT_EQ(copy.frameCount(), 2);
    EXPECT_EQ(copy.currentFrame(), 1);
    EXPECT_NE(copy.frameBitmap(1), t.frameBitmap(1));
    EXPECT_EQ(copy.frameBitmap(1)->transparentColor, 0x0000FFu);
    EXPECT_FLOAT_EQ(copy.frameDelay(1), 0.1f);
    EXPECT_EQ(Pixels(*copy.frameBitmap(1)), Pixels(*t.frameBitmap(1)));
    clear(*copy.frameBitmap(1), 0);
    EXPECT_EQ(At(*t.frameBitmap(1), 1, 1), 0x00FF00u);
}

TEST_F(TextureTest, AnUnreadableFileGivesAnEmptyTextureAndIsToldOnceThroughTheCache) {
    Texture t(folder() + u"missing.gif", true, true);
    EXPECT_TRUE(t.empty());
    EXPECT_EQ(t.frameCount(), 1);
    EXPECT_EQ(t.width, 0) << "not made power-of-two sized";
    EXPECT_EQ(boxes.size(), 1u);
    // The cache keeps failures, so that each is told once.
    ImageCache cache;
    for (int sprite = 0; sprite < 3; ++sprite) EXPECT_EQ(cache.load(folder(), u"missing.gif", false, false), nullptr);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(cache.lastLoadCached());
    EXPECT_EQ(cache.find(u"missing.gif"), nullptr);
    gif("missing.gif", 1, 1);
    EXPECT_EQ(cache.load(folder(), u"missing.gif", false, false), nullptr) << "answered by the cache";
    EXPECT_TRUE(cache.release(u"missing.gif"));
    EXPECT_NE(cache.load(folder(), u"missing.gif", false, false), nullptr);
}

TEST_F(TextureTest, CacheSharesTexturesByName) {
    gif("a.gif", 2, 2);
    ImageCache cache;
    Texture* first = cache.load(folder(), u"a.gif", false, false);
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(cache.lastLoadCached());
    // A folder without its final separator gets one.
    std::u16string bare = folder().substr(0, folder().size() - 1);
    EXPECT_EQ(cache.load(bare, u"a.gif", true, true), first);
    EXPECT_TRUE(cache.lastLoadCached());
    EXPECT_EQ(cache.size(), 1u);

    EXPECT_EQ(cache.load(folder(), u"", false, false), nullptr);
    EXPECT_FALSE(cache.lastLoadCached());

    EXPECT_TRUE(cache.release(u"a.gif"));
    EXPECT_FALSE(cache.release(u"a.gif"));
    Texture* again = cache.load(folder(), u"a.gif", false, false);
    ASSERT_NE(again, nullptr);
    EXPECT_FALSE(cache.lastLoadCached());
    EXPECT_TRUE(cache.release(again));
    EXPECT_FALSE(cache.release(again));
    EXPECT_EQ(cache.size(), 0u);
}

// A screen that shows the design at 1.5 times or more gets the picture drawn
// at twice the size where there is one, under the name the template wrote;
// at the design size the named picture is loaded even when a larger one exists.
TEST_F(TextureTest, CacheChoosesTheLargerPictureWhereTheScaleCallsForIt) {
    gif("a.gif", 2, 2);
    gif("a_2x.gif", 4, 4);
    gif("b.gif", 2, 2);
    const DesignSize saved = Design();
    struct Case {
        int scale;  // 16.16
        int aWidth, aScale;
    };
    for (const Case& c : {Case{65536, 2, 1}, Case{81920, 2, 1}, Case{98304, 4, 2}, Case{131072, 4, 2}}) {
        Design().scale = c.scale;
        ImageCache cache;
        Texture* a = cache.load(folder(), u"a.gif", true, false);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->loadedWidth, c.aWidth) << "scale " << c.scale;
        EXPECT_EQ(a->pictureScale, c.aScale) << "scale " << c.scale;
        EXPECT_EQ(cache.find(u"a.gif"), a);
        Texture* b = cache.load(folder(), u"b.gif", true, false);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->loadedWidth * 10 + b->pictureScale, 21) << "no larger picture: the named one";
    }
    Design() = saved;
    EXPECT_TRUE(boxes.empty());
}

}  // namespace

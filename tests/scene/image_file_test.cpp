// Image files: the choice of decoder by name, and JPEG decoding of files that
// libjpeg's own compressor writes here, good and broken.

#include "scene/image_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <jpeglib.h>

#include "image_fixture.h"
#include "scene/gif_encoder.h"
#include "scene/image_ops.h"
#include "scene/jpeg_decoder.h"

using namespace imagetest;

namespace {

// 32 x 16 in four solid blocks of 16 x 8: red, green / blue, white.
uint32_t QuadrantColour(int x, int y) {
    static const uint32_t colours[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    return colours[(y / 8) * 2 + x / 16];
}

// A JPEG written by libjpeg from 8-bit samples of `components` channels, with
// the extra blocks a photo carries.
std::vector<uint8_t> MakeJpeg(int width, int height, J_COLOR_SPACE space, int components,
                              const std::vector<uint8_t>& samples) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr error{};
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    // A camera's block and a comment, which the decoder has to skip.
    const std::string exif(300, 'E'), comment = "written by the test";
    jpeg_write_marker(&cinfo, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.data()), unsigned(exif.size()));
    jpeg_write_marker(&cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(comment.data()), unsigned(comment.size()));
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + size_t(cinfo.next_scanline) * width * components);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

std::vector<uint8_t> QuadrantJpeg() {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            uint32_t c = QuadrantColour(x, y);
            rgb.insert(rgb.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
        }
    return MakeJpeg(32, 16, JCS_RGB, 3, rgb);
}

// Each channel within `tolerance`: JPEG is lossy.
::testing::AssertionResult Near(uint32_t actual, uint32_t expected, int tolerance) {
    for (int shift : {16, 8, 0}) {
        int a = int(actual >> shift) & 0xFF, e = int(expected >> shift) & 0xFF;
        if (std::abs(a - e) > tolerance)
            return ::testing::AssertionFailure() << std::hex << "0x" << actual << " is not near 0x" << expected;
    }
    return ::testing::AssertionSuccess();
}

class ImageFileTest : public ImageTest {
protected:
    void expectJpegError(const std::u16string& path) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].line(), "Error: Error happened when loading image:\n" + host::ToUtf8(path) + "\n");
        EXPECT_EQ(boxes[0].style & 0xF0, host::MB_ICONHAND);
    }
};

TEST_F(ImageFileTest, DecodesWhatLibjpegWrote) {
    std::vector<uint8_t> jpeg = QuadrantJpeg();
    for (int depth : {32, 16}) {
        startHost(depth);
        std::unique_ptr<FrameBuffer> image = DecodeJpeg(jpeg, u"quad.jpg", true);
        ASSERT_EQ(image->width, 32);
        ASSERT_EQ(image->height, 16);
        EXPECT_EQ(image->bitsPerPixel, depth);
        EXPECT_EQ(image->transparentColor, kNoColour);
        for (int y : {2, 5, 10, 13})
            for (int x : {4, 11, 20, 27})
                EXPECT_TRUE(Near(At(*image, x, y), QuadrantColour(x, y), 12)) << depth << ": " << x << "," << y;
    }
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(DecodeJpeg(jpeg, u"quad.jpg", false)->bitsPerPixel, 32);
}

TEST_F(ImageFileTest, GreyAndCmykFilesComeOutInColour) {
    std::vector<uint8_t> grey(8 * 8, 0x80);
    std::unique_ptr<FrameBuffer> g = DecodeJpeg(MakeJpeg(8, 8, JCS_GRAYSCALE, 1, grey), u"grey.jpg", true);
    ASSERT_EQ(g->width, 8);
    EXPECT_TRUE(Near(At(*g, 3, 3), 0x808080, 2));

    // Inverted ink as Adobe stores it: full cyan value and full black value is pure red.
    std::vector<uint8_t> cmyk;
    for (int i = 0; i < 64; ++i) cmyk.insert(cmyk.end(), {255, 0, 0, 255});
    std::unique_ptr<FrameBuffer> c = DecodeJpeg(MakeJpeg(8, 8, JCS_CMYK, 4, cmyk), u"cmyk.jpg", true);
    ASSERT_EQ(c->width, 8);
    EXPECT_TRUE(Near(At(*c, 3, 3), 0xFF0000, 6));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ImageFileTest, BrokenJpegIsToldAndGivesAnEmptyImage) {
    std::vector<uint8_t> notJpeg(100, 0x42);
    std::unique_ptr<FrameBuffer> image = DecodeJpeg(notJpeg, u"x.jpg", true);
    EXPECT_EQ(image->width, 0);
    EXPECT_EQ(image->height, 0);
    expectJpegError(u"x.jpg");

    // Zero height in the frame header is fatal to libjpeg.
    std::vector<uint8_t> jpeg = QuadrantJpeg();
    for (size_t i = 0; i + 8 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) jpeg[i + 5] = jpeg[i + 6] = 0;
    boxes.clear();
    EXPECT_EQ(DecodeJpeg(jpeg, u"zero.jpg", true)->width, 0);
    expectJpegError(u"zero.jpg");

    // The decoder is whole again afterwards.
    boxes.clear();
    EXPECT_EQ(DecodeJpeg(QuadrantJpeg(), u"quad.jpg", true)->width, 32);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ImageFileTest, CutJpegIsToldOnceAndShowsWhatArrived) {
    // Cut halfway into the scan data, after the start-of-scan marker.
    std::vector<uint8_t> jpeg = QuadrantJpeg();
    size_t scan = 0;
    for (size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) scan = i;
    ASSERT_GT(scan, 0u);
    jpeg.resize(scan + (jpeg.size() - scan) / 2);
    std::unique_ptr<FrameBuffer> image = DecodeJpeg(jpeg, u"cut.jpg", true);
    EXPECT_EQ(image->width, 32);
    EXPECT_EQ(image->height, 16);
    expectJpegError(u"cut.jpg");
    EXPECT_TRUE(Near(At(*image, 4, 2), 0xFF0000, 12)) << "the top rows arrived";
}

TEST_F(ImageFileTest, ExtensionChoosesTheDecoder) {
    std::vector<uint8_t> jpeg = QuadrantJpeg();
    for (const char* name : {"a.jpg", "b.JPG", "c.jpeg", "d.JPEG"}) {
        std::unique_ptr<FrameBuffer> image = LoadFrameBuffer(write(name, jpeg), true);
        EXPECT_EQ(image->width, 32) << name;
    }
    EXPECT_TRUE(boxes.empty());

    GifImage two;
    two.width = 2;
    two.height = 1;
    two.palette = {0xFF0000, 0x0000FF};
    for (uint8_t index : {0, 1}) {
        GifFrame frame;
        frame.width = 2;
        frame.height = 1;
        frame.indices = {index, index};
        two.frames.push_back(frame);
    }
    std::unique_ptr<FrameBuffer> gif = LoadFrameBuffer(write("two.GIF", EncodeGif(two)), true);
    ASSERT_EQ(gif->width, 2);
    EXPECT_EQ(At(*gif, 0, 0), 0xFF0000u) << "the first frame";

    std::u16string mixedCase = write("e.Jpg", jpeg);
    EXPECT_EQ(LoadFrameBuffer(mixedCase, true)->width, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].line(), "Error: Error: " + host::ToUtf8(mixedCase) + " is not a supported image.");
    EXPECT_EQ(boxes[0].style & 0xF0, host::MB_ICONEXCLAMATION);
}

}  // namespace

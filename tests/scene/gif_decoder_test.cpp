// The GIF decoder over hand-assembled files: the code streams are written code
// by code here, and one comes from the format's published worked example, so
// the decoder is not only checked against our own encoder.

#include "scene/gif_decoder.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <utility>

#include "image_fixture.h"
#include "scene/gif_encoder.h"
#include "scene/image_ops.h"

using namespace imagetest;

namespace {

constexpr uint32_t kBlack = 0x000000, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;
const std::vector<uint32_t> kFourColours = {kBlack, kRed, kGreen, kBlue};

// Packs LZW codes, each given with its width in bits, least significant bit first.
std::vector<uint8_t> Pack(const std::vector<std::pair<int, int>>& codes) {
    std::vector<uint8_t> out;
    uint32_t pending = 0;
    int bits = 0;
    for (auto [code, width] : codes) {
        pending |= uint32_t(code) << bits;
        bits += width;
        for (; bits >= 8; bits -= 8, pending >>= 8) out.push_back(uint8_t(pending));
    }
    if (bits > 0) out.push_back(uint8_t(pending));
    return out;
}

// The plainest valid stream: a clear code before every pixel, so the table
// never grows and every code keeps the first width; then the end code.
std::vector<uint8_t> Literal(const std::vector<uint8_t>& indices, int minimumCodeSize) {
    int clear = 1 << minimumCodeSize, width = minimumCodeSize + 1;
    std::vector<std::pair<int, int>> codes;
    for (uint8_t i : indices) {
        codes.push_back({clear, width});
        codes.push_back({i, width});
    }
    codes.push_back({clear + 1, width});
    return Pack(codes);
}

// Writes a GIF field by field.
struct GifBytes {
    std::vector<uint8_t> bytes;

    GifBytes& u8(int v) {
        bytes.push_back(uint8_t(v));
        return *this;
    }
    GifBytes& u16(int v) { return u8(v & 0xFF).u8(v >> 8); }
    GifBytes& palette(const std::vector<uint32_t>& colours, int bits) {
        for (int i = 0; i < (1 << bits); ++i) {
            uint32_t c = size_t(i) < colours.size() ? colours[size_t(i)] : 0;
            u8(int(c >> 16) & 0xFF).u8(int(c >> 8) & 0xFF).u8(int(c) & 0xFF);
        }
        return *this;
    }
    // Signature and logical screen descriptor, with a global palette of 2^bits
    // entries unless `colours` is empty.
    GifBytes& screen(int w, int h, const std::vector<uint32_t>& colours, int bits = 2, int background = 0,
                     const char* signature = "GIF89a") {
        for (int i = 0; i < 6; ++i) u8(signature[i]);
        u16(w).u16(h);
        u8(colours.empty() ? 0 : 0x80 | (bits - 1));  // flags: table present, size
        u8(background);
        u8(0);  // aspect
        if (!colours.empty()) palette(colours, bits);
        return *this;
    }
    GifBytes& control(int disposal, bool transparent, int delay = 0, int transparentIndex = 0) {
        u8(0x21).u8(0xF9).u8(4);                          // extension, graphic control, block size
        u8(disposal << 2 | (transparent ? 1 : 0));        // flags
        u16(delay).u8(transparentIndex).u8(0);            // delay, index, terminator
        return *this;
    }
    GifBytes& image(int left, int top, int w, int h, const std::vector<uint8_t>& stream, int minimumCodeSize = 2,
                    bool interlaced = false, const std::vector<uint32_t>& local = {}, int localBits = 2) {
        u8(0x2C).u16(left).u16(top).u16(w).u16(h);
        u8((interlaced ? 0x40 : 0) | (local.empty() ? 0 : 0x80 | (localBits - 1)));
        if (!local.empty()) palette(local, localBits);
        u8(minimumCodeSize);
        for (size_t at = 0; at < stream.size(); at += 255) {
            size_t n = std::min<size_t>(255, stream.size() - at);
            u8(int(n));
            bytes.insert(bytes.end(), stream.begin() + std::ptrdiff_t(at), stream.begin() + std::ptrdiff_t(at + n));
        }
        return u8(0);
    }
    GifBytes& trailer() { return u8(0x3B); }
    GifBytes& withByte(size_t at, int v) {
        bytes.at(at) = uint8_t(v);
        return *this;
    }
};

class GifDecoderTest : public ImageTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override { startHost(GetParam()); }
    int bits() const { return GetParam(); }
    uint32_t stored(uint32_t rgb) const { return Stored(rgb, bits()); }

    int decode(const GifBytes& gif, bool firstOnly = false) {
        frames.clear();
        return DecodeGif(gif.bytes, u"test.gif", frames, firstOnly, true);
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const Box& b : boxes) t.push_back(b.text);
        return t;
    }

    FrameList frames;
};

INSTANTIATE_TEST_SUITE_P(Depths, GifDecoderTest, ::testing::Values(16, 32),
                         [](const auto& info) { return std::to_string(info.param) + "bit"; });

TEST_P(GifDecoderTest, DecodesThePublishedSampleStream) {
    // The 10 x 10 four-colour example that format write-ups walk through: its
    // 22 code bytes use growing code widths and reuse table strings.
    GifBytes gif;
    gif.screen(10, 10, {kWhite, kRed, kBlue, kBlack}, 2)
        .control(0, false)
        .image(0, 0, 10, 10, {0x8C, 0x2D, 0x99, 0x87, 0x2A, 0x1C, 0xDC, 0x33, 0xA0, 0x02, 0x75,
                              0xEC, 0x95, 0xFA, 0xA8, 0xDE, 0x60, 0x8C, 0x04, 0x91, 0x4C, 0x01})
        .trailer();
    ASSERT_EQ(decode(gif), 1);
    const char* rows[10] = {"1111122222", "1111122222", "1111122222", "1110000222", "1110000222",
                            "2220000111", "2220000111", "2222211111", "2222211111", "2222211111"};
    const uint32_t colours[3] = {kWhite, kRed, kBlue};
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(At(*frames[0], x, y), stored(colours[rows[y][x] - '0'])) << x << "," << y;
    EXPECT_TRUE(boxes.empty());
}

// A file that is not there is told once, as missing, and makes no frame.
TEST_P(GifDecoderTest, AMissingFileIsToldOnceAsMissing) {
    EXPECT_EQ(LoadGif(u"/nonexistent/none.gif", frames, false, true), 0);
    EXPECT_TRUE(frames.empty());
    EXPECT_EQ(texts(), std::vector<std::string>{"Error: can not find the image '/nonexistent/none.gif'."});
}

// One file each: how many frames come out, some of their pixels (frame, x,
// y, colour), their key colours and the message boxes' texts.
struct DecodeCase {
    const char* name;
    GifBytes gif;
    int frames;
    std::vector<std::tuple<int, int, int, uint32_t>> pixels;
    std::vector<std::string> texts = {};
    std::vector<uint32_t> keys = {};
    bool firstOnly = false;
};

// One byte holds the clear code, one pixel and part of the next clear code.
std::vector<uint8_t> Truncated() {
    std::vector<uint8_t> stream = Literal({1, 1, 1, 1}, 2);
    stream.resize(1);
    return stream;
}

const std::vector<std::string> kCorrupt = {"Image File Corrupt", "Premature End Of Image File"};

// A screen of the four colours.
GifBytes Four(int w, int h) { return std::move(GifBytes().screen(w, h, kFourColours)); }

TEST_P(GifDecoderTest, DecodesOddAndDamagedFiles) {
    const DecodeCase cases[] = {
        {"FrameAtAnOffsetLeavesTheRestBlack", Four(4, 3).image(2, 1, 2, 2, Literal({1, 2, 3, 1}, 2)).trailer(), 1,
         {{0, 1, 1, kBlack}, {0, 2, 1, kRed}, {0, 3, 1, kGreen}, {0, 2, 2, kBlue}, {0, 3, 2, kRed}, {0, 1, 2, kBlack}},
         {}, {kNoColour}},
        // Restored to the background, the rest shows an index into the global
        // table, even under a local one; with a key, the key colour.
        {"RestoreToBackground",
         GifBytes().screen(2, 1, kFourColours, 2, /*background*/ 2)
             .control(2, false).image(0, 0, 2, 1, Literal({1, 1}, 2))
             .control(2, false).image(0, 0, 1, 1, Literal({1}, 2), 2, false, {kBlack, kRed, kWhite, kBlue})
             .control(0, true, 0, 3).image(1, 0, 1, 1, Literal({1}, 2)).trailer(),
         3, {{1, 1, 0, kGreen}, {2, 0, 0, kBlue}, {2, 1, 0, kRed}}, {}, {kNoColour, kNoColour, kBlue}},
        {"TransparentPixelsOverAKeptFrameShowItThrough",
         Four(2, 1).control(1, false).image(0, 0, 2, 1, Literal({1, 1}, 2))
             .control(1, true, 0, 0).image(0, 0, 2, 1, Literal({0, 3}, 2))
             .control(0, true, 0, 0).image(0, 0, 2, 1, Literal({2, 0}, 2)).trailer(),
         3, {{1, 0, 0, kRed}, {1, 1, 0, kBlue}, {2, 0, 0, kGreen}, {2, 1, 0, kBlue}}},
        {"LocalPaletteServesOnlyItsImage",
         GifBytes().screen(2, 1, {kBlack, kRed}, 1).image(0, 0, 2, 1, Literal({0, 1}, 2), 2, false, {kBlue, kWhite}, 1)
             .image(0, 0, 2, 1, Literal({0, 1}, 2)).trailer(),
         2, {{0, 0, 0, kBlue}, {0, 1, 0, kWhite}, {1, 0, 0, kBlack}, {1, 1, 0, kRed}}},
        {"WithoutAnyPaletteIndicesAreGreyLevels",
         GifBytes().screen(2, 1, {}).image(0, 0, 2, 1, Literal({200, 7}, 8), 8).trailer(), 1,
         {{0, 0, 0, 0xC8C8C8}, {0, 1, 0, 0x070707}}},
        // A table size given without the table's flag reads no table.
        {"ASizeWithoutItsTable",
         GifBytes().screen(2, 1, {}).image(0, 0, 2, 1, Literal({200, 7}, 8), 8).trailer().withByte(10, 0x07), 1,
         {{0, 0, 0, 0xC8C8C8}, {0, 1, 0, 0x070707}}},
        {"TruncatedStreamKeepsWhatArrived", Four(4, 1).image(0, 0, 4, 1, Truncated()).trailer(), 1,
         {{0, 0, 0, kRed}, {0, 1, 0, kBlack}}},
        // Over a kept frame, what did not arrive shows the frame beneath,
        // though the image spans the whole screen.
        {"TruncatedStreamOverAKeptFrame",
         Four(2, 2).control(1, false).image(0, 0, 2, 2, Literal({2, 2, 2, 2}, 2))
             .image(0, 0, 2, 2, Truncated()).trailer(),
         2, {{1, 0, 0, kRed}, {1, 1, 1, kGreen}}},
        // Also where the stream ends part way through a later row (and the
        // last image's index there is not what the kept frame shows).
        {"AStreamEndedInItsSecondRow",
         Four(2, 2).control(1, false).image(0, 0, 2, 2, Literal({2, 2, 2, 2}, 2))
             .control(1, false).image(1, 1, 1, 1, Literal({3}, 2))
             .image(0, 0, 2, 2, Literal({1, 1, 1}, 2)).trailer(),
         3, {{2, 0, 1, kRed}, {2, 1, 1, kBlue}}},
        // An image moved right or down leaves the kept frame's first column
        // or row showing, though it is as large as the screen.
        {"AShiftedImageOverAKeptFrame",
         Four(2, 2).control(1, false).image(0, 0, 2, 2, Literal({2, 2, 2, 2}, 2))
             .control(1, false).image(1, 0, 2, 2, Literal({1, 1, 1, 1}, 2))
             .image(0, 1, 2, 2, Literal({3, 3, 3, 3}, 2)).trailer(),
         3, {{1, 0, 1, kGreen}, {1, 1, 0, kRed}, {2, 0, 0, kGreen}, {2, 1, 0, kRed}, {2, 0, 1, kBlue}}},
        // One wholly right of the screen draws nothing, not even on the next row.
        {"AnImagePastTheRightEdge", Four(2, 2).image(2, 0, 1, 1, Literal({1}, 2)).trailer(), 1, {{0, 0, 1, kBlack}}},
        // A control block serves the one image after it: the next has no key.
        {"AControlBlockServesOneImage",
         Four(1, 1).control(0, true, 0, 1).image(0, 0, 1, 1, Literal({1}, 2))
             .image(0, 0, 1, 1, Literal({1}, 2)).trailer(),
         2, {{1, 0, 0, kRed}}, {}, {kRed, kNoColour}},
        // Without a control block a frame is not kept beneath the next.
        {"AFrameWithoutControlIsNotKept",
         Four(4, 1).image(0, 0, 4, 1, Literal({2, 2, 2, 2}, 2)).image(0, 0, 4, 1, Truncated()).trailer(), 2,
         {{1, 0, 0, kRed}, {1, 3, 0, kBlack}}},
        // After the last pixel the rest of the stream is not read: here an
        // unknown code right after a clear code.
        {"CodesPastTheLastPixelAreIgnored", Four(1, 1).image(0, 0, 1, 1, Pack({{4, 3}, {3, 3}, {4, 3}, {7, 3}})).trailer(),
         1, {{0, 0, 0, kBlue}}},
        // Right after the clear code (4) nothing but single pixels exists; 7 is unknown.
        {"CodeNotInTheTableFailsTheImage", Four(2, 1).image(0, 0, 2, 1, Pack({{4, 3}, {7, 3}, {5, 3}})).trailer(), 0,
         {}, kCorrupt},
        {"CorruptImageIsDroppedAndTheNextOneKept",
         Four(2, 1).image(0, 0, 2, 1, Pack({{4, 3}, {7, 3}})).image(0, 0, 2, 1, Literal({3, 3}, 2)).trailer(), 1,
         {{0, 1, 0, kBlue}}, {"Image File Corrupt"}},
        // Some encoders start without a clear code: the table starts empty all
        // the same, so the first entry (6, "1 2") comes with the second code
        // and codes are still three bits wide after it.
        {"NoLeadingClearCode", Four(4, 1).image(0, 0, 4, 1, Pack({{1, 3}, {2, 3}, {6, 3}, {5, 4}})).trailer(), 1,
         {{0, 0, 0, kRed}, {0, 1, 0, kGreen}, {0, 2, 0, kRed}, {0, 3, 0, kGreen}}},
        {"MinimumCodeSize1", GifBytes().screen(2, 1, {kBlack, kRed}).image(0, 0, 2, 1, Literal({1, 0}, 1), 1).trailer(), 1,
         {{0, 0, 0, kRed}, {0, 1, 0, kBlack}}},
        {"MinimumCodeSize0", Four(2, 1).image(0, 0, 2, 1, Literal({1, 1}, 2), 0).trailer(), 0, {}, kCorrupt},
        {"MinimumCodeSize9", Four(2, 1).image(0, 0, 2, 1, Literal({1, 1}, 2), 9).trailer(), 0, {}, kCorrupt},
        {"MinimumCodeSize12", Four(2, 1).image(0, 0, 2, 1, Literal({1, 1}, 2), 12).trailer(), 0, {}, kCorrupt},
        {"OversizedScreenIsRefused", Four(65535, 65535).image(0, 0, 1, 1, Literal({1}, 2)).trailer(), 0, {}, kCorrupt},
        {"OversizedImageIsRefused", Four(4, 4).image(0, 0, 8192, 4096, Literal({1}, 2)).trailer(), 0, {}, kCorrupt},
        // Nothing after the trailer is read, not even a whole image.
        {"TheTrailerEndsTheFile", Four(1, 1).image(0, 0, 1, 1, Literal({1}, 2)).trailer()
             .image(0, 0, 1, 1, Literal({2}, 2)).trailer(), 1, {{0, 0, 0, kRed}}},
        // An image whose stream ends before its first pixel is still a frame.
        {"AnImageOfNoPixelsIsAFrame", Four(2, 1).image(0, 0, 2, 1, Pack({{4, 3}, {5, 3}})).trailer(), 1,
         {{0, 0, 0, kBlack}, {0, 1, 0, kBlack}}},
        // The end code ends the image, whatever follows it.
        {"EndCodeEndsTheImage", Four(4, 1).image(0, 0, 4, 1, Pack({{4, 3}, {1, 3}, {5, 3}, {2, 3}, {2, 3}, {2, 3}})).trailer(),
         1, {{0, 0, 0, kRed}, {0, 1, 0, kBlack}}},
        {"TheLargestScreenIsDecoded", Four(4096, 4096).image(0, 0, 1, 1, Literal({1}, 2)).trailer(), 1, {{0, 0, 0, kRed}}},
        {"WrongSignatureIsToldButDecoded",
         GifBytes().screen(1, 1, kFourColours, 2, 0, "JIF89a").image(0, 0, 1, 1, Literal({2}, 2)).trailer(), 1,
         {{0, 0, 0, kGreen}}, {"Error: test.gif is not a valid image."}},
        // The first frame is the first image that decodes.
        {"FirstOnlyStopsAfterOneFrame",
         Four(2, 1).image(0, 0, 2, 1, Pack({{4, 3}, {7, 3}})).image(0, 0, 2, 1, Literal({1, 1}, 2))
             .image(0, 0, 2, 1, Literal({2, 2}, 2)).trailer(), 1,
         {{0, 0, 0, kRed}}, {"Image File Corrupt"}, {}, true},
        {"Empty", GifBytes(), 0, {}, {"Error: test.gif is not a valid image.", "Premature End Of Image File"}},
        // Cut before its code size: what is not there reads as 0, an invalid size.
        {"CutBeforeTheCodeSize", Four(2, 1).u8(0x2C).u16(0).u16(0).u16(2).u16(1).u8(0), 0, {},
         {"Image File Corrupt", "Premature End Of Image File"}},
        {"NoImage", Four(4, 4).control(1, false).trailer(), 0, {}, {"Premature End Of Image File"}},
        // A comment extension whose text holds the trailer byte, then stray bytes.
        {"UnknownExtensionsAndStrayBytesAreSkipped",
         Four(1, 1).u8(0x21).u8(0xFE).u8(3).u8('a').u8(';').u8('c').u8(0).u8(0x00).u8(0x42)
             .image(0, 0, 1, 1, Literal({3}, 2)).trailer(),
         1, {{0, 0, 0, kBlue}}},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        ASSERT_EQ(decode(c.gif, c.firstOnly), c.frames);
        for (auto [frame, x, y, colour] : c.pixels)
            EXPECT_EQ(At(*frames[size_t(frame)], x, y), stored(colour)) << frame << ": " << x << "," << y;
        for (size_t f = 0; f < c.keys.size(); ++f) EXPECT_EQ(frames[f]->transparentColor, c.keys[f]) << f;
        EXPECT_EQ(texts(), c.texts);
        for (const Box& box : boxes) {
            EXPECT_EQ(box.title, "Error");
            EXPECT_EQ(box.style & host::MB_ICONEXCLAMATION, host::MB_ICONEXCLAMATION);
        }
    }
}

TEST_P(GifDecoderTest, InterlacedRowsComeOutInNaturalOrder) {
    std::vector<uint32_t> greys;
    for (uint32_t i = 0; i < 16; ++i) greys.push_back(i * 0x111111);
    // Two pixels per row; row r holds index r. Stored in the four passes.
    std::vector<uint8_t> passes;
    for (int row : {0, 8, 4, 2, 6, 1, 3, 5, 7, 9}) passes.insert(passes.end(), {uint8_t(row), uint8_t(row)});
    GifBytes gif;
    gif.screen(2, 10, greys, 4).image(0, 0, 2, 10, Literal(passes, 4), 4, true).trailer();
    ASSERT_EQ(decode(gif), 1);
    for (int y = 0; y < 10; ++y) {
        EXPECT_EQ(At(*frames[0], 0, y), stored(uint32_t(y) * 0x111111)) << y;
        EXPECT_EQ(At(*frames[0], 1, y), stored(uint32_t(y) * 0x111111)) << y;
    }
}

// Codes of one pixel each after a clear: every code but the first adds a table
// entry, and the width grows whenever the table fills it.
std::vector<std::pair<int, int>> GrowingCodes(int count) {
    std::vector<std::pair<int, int>> codes{{4, 3}};
    int width = 3, next = 6;
    for (int k = 0; k < count; ++k) {
        codes.push_back({1, width});
        if (k > 0 && ++next >= (1 << width) && width < 12) ++width;
    }
    return codes;
}

TEST_P(GifDecoderTest, FullTableKeepsDecodingUntilTheNextClearCode) {
    // 4091 codes fill entries 6 .. 4095 (each "red red"). With the table full
    // and no clear code (a "deferred clear"), codes stay 12 bits wide and add
    // nothing: entry 4095, a green pixel; then the clear code restarts at 3
    // bits: a blue pixel and the end code.
    auto codes = GrowingCodes(4091);
    codes.insert(codes.end(), {{4095, 12}, {2, 12}, {4, 12}, {3, 3}, {5, 3}});
    GifBytes gif;
    gif.screen(64, 64, kFourColours).image(0, 0, 64, 64, Pack(codes)).trailer();
    ASSERT_EQ(decode(gif), 1);
    for (int i = 0; i < 64 * 64; ++i) {
        uint32_t expected = i < 4093 ? kRed : i == 4093 ? kGreen : i == 4094 ? kBlue : kBlack;
        ASSERT_EQ(At(*frames[0], i % 64, i / 64), stored(expected)) << i;
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_P(GifDecoderTest, AnimationPastThePixelBudgetIsCutAndTold) {
    GifBytes gif;
    gif.screen(2, 2, kFourColours);
    for (int f = 0; f < 5; ++f) gif.image(0, 0, 1, 1, Literal({uint8_t(f % 4)}, 2));
    gif.trailer();
    EXPECT_EQ(DecodeGif(gif.bytes, u"long.gif", frames, false, true, 3 * 4), 3);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].line(), "Warning: The animation 'long.gif' is too large: only its first 3 frames are shown.");
}

TEST_P(GifDecoderTest, ImageReachingPastTheScreenIsClipped) {
    GifBytes gif;
    std::vector<uint8_t> ones(16, 1);
    gif.screen(4, 4, kFourColours).image(2, 3, 4, 4, Literal(ones, 2)).trailer();
    ASSERT_EQ(decode(gif), 1);
    uint32_t r = stored(kRed), b = stored(kBlack);
    using Rows = std::vector<std::vector<uint32_t>>;
    EXPECT_EQ(Pixels(*frames[0]), (Rows{{b, b, b, b}, {b, b, b, b}, {b, b, b, b}, {b, b, r, r}}));

    GifBytes far;
    far.screen(4, 4, kFourColours).image(60000, 60000, 4, 4, Literal(ones, 2)).trailer();
    ASSERT_EQ(decode(far), 1);
    EXPECT_EQ(Pixels(*frames[0]), Rows(4, std::vector<uint32_t>(4, b)));
}

// Our encoder against the decoder: random pictures that need growing code
// widths, full tables and clear codes, with offsets, interlace and keys.
TEST_P(GifDecoderTest, EncoderOutputDecodesToTheSameFrames) {
    std::mt19937 random(7);
    GifImage image;
    image.width = 150;
    image.height = 90;
    for (int i = 0; i < 256; ++i) image.palette.push_back(uint32_t(random()) & 0xF8FCF8);
    image.loopCount = 0;
    std::vector<uint32_t> expected(size_t(150 * 90), 0);
    std::vector<std::vector<uint32_t>> composed;
    for (int f = 0; f < 4; ++f) {
        GifFrame frame;
        frame.left = f * 10;
        frame.top = f * 5;
        frame.width = 150 - f * 10;
        frame.height = 90 - f * 5;
        frame.interlaced = f == 1;
        frame.disposal = 1;
        frame.delay = 5;
        // Two frames hardly compress, one well; the last repeats a pattern
        // of 37 colours, whose strings grow long and vary inside.
        int colours = f == 2 ? 4 : 256;
        for (int i = 0; i < frame.width * frame.height; ++i)
            frame.indices.push_back(uint8_t(f == 3 ? i % 37 * 5 : int(random() % colours)));
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x)
                expected[size_t((frame.top + y) * 150 + frame.left + x)] =
                    image.palette[frame.indices[size_t(y * frame.width + x)]];
        composed.push_back(expected);
        image.frames.push_back(frame);
    }
    GifBytes gif{EncodeGif(image)};
    ASSERT_EQ(decode(gif), 4);
    EXPECT_EQ(frames[2]->frameDelay, 0.05f) << "five hundredths are exactly 0.05f";
    for (int f = 0; f < 4; ++f)
        for (int y = 0; y < 90; ++y)
            for (int x = 0; x < 150; ++x)
                ASSERT_EQ(At(*frames[size_t(f)], x, y), stored(composed[size_t(f)][size_t(y * 150 + x)]))
                    << f << ": " << x << "," << y;
    EXPECT_TRUE(boxes.empty());
}

TEST(GifEncoder, ExactPaletteIndexesDistinctColours) {
    std::vector<uint32_t> pixels = {0xFF0000, 0x00FF00, 0xFF0000, 0x123456};
    std::vector<uint32_t> palette;
    std::vector<uint8_t> indices;
    ASSERT_TRUE(BuildExactPalette(pixels.data(), pixels.size(), palette, indices));
    EXPECT_EQ(palette, (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x123456}));
    EXPECT_EQ(indices, (std::vector<uint8_t>{0, 1, 0, 2}));
    EXPECT_FALSE(BuildExactPalette(pixels.data(), pixels.size(), palette, indices, 2));
}

TEST(GifEncoder, SingleRunCompressesIntoFewCodes) {
    std::vector<uint8_t> zeros(1000, 0);
    std::vector<uint8_t> codes = EncodeGifLzw(zeros.data(), zeros.size(), 2);
    // A run of n equal pixels needs about sqrt(2n) codes.
    EXPECT_LT(codes.size(), 80u);
    EXPECT_EQ(codes.front() & 7, 4) << "starts with the clear code";
    // Thirteen pixels in pairs (0 0 1 1 2 2 3 3 0 0 1 1 2) fill the table to
    // sixteen entries with their last code, so a reader takes the end code (5)
    // that follows in five bits. The bytes were checked by decoding them.
    std::vector<uint8_t> pairs;
    for (int i = 0; i < 13; ++i) pairs.push_back(uint8_t(i / 2 % 4));
    EXPECT_EQ(EncodeGifLzw(pairs.data(), pairs.size(), 2),
              (std::vector<uint8_t>{0x04, 0x12, 0x22, 0x33, 0x86, 0x52, 0x00}));
}

}  // namespace

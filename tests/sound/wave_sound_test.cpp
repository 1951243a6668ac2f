// RIFF WAVE loading: PCM layouts, MS-ADPCM decoding and the result codes.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "sound/adpcm_decoder.h"
#include "sound/wave_sound.h"
#include "sound_test_files.h"
#include "support/test_host.h"

using soundtest::MakeWav;
using soundtest::WavFormat;

namespace {

int Load(WaveSound& sound, const std::vector<uint8_t>& file) { return sound.loadFromMemory(file.data(), file.size()); }
int Load(WaveSound& sound, const std::string& file) {
    return sound.loadFromMemory(reinterpret_cast<const uint8_t*>(file.data()), file.size());
}

std::vector<int16_t> Samples16(const WaveSound& sound) {
    std::vector<int16_t> out;
    for (size_t i = 0; i + 1 < sound.sampleBytes(); i += 2)
        out.push_back(int16_t(sound.sampleData()[i] | (sound.sampleData()[i + 1] << 8)));
    return out;
}

// MS-ADPCM with the standard coefficients.
WavFormat Adpcm(int blockAlign, int samplesPerBlock, int channels = 1) {
    WavFormat format;
    format.formatTag = 2;
    format.channels = channels;
    format.bits = 4;
    format.blockAlign = blockAlign;
    format.fmtExtra = soundtest::AdpcmFormatExtra(samplesPerBlock);
    return format;
}

}  // namespace

// PCM layouts, chunks before the data (an odd-sized one padded), the rest of
// a long format chunk and what a truncated file holds; the bytes are kept as
// they are in the file.
TEST(WaveSound, LoadsPcmLayoutsAndSkipsWhatIsNotData) {
    WavFormat mono8, stereo16, stereo8, chunks, longFormat, truncated;
    mono8.rate = 11025;
    stereo16.channels = stereo8.channels = 2;
    stereo16.bits = chunks.bits = 16;
    stereo16.rate = 22050;
    chunks.chunksBeforeData = {{"LIST", {1, 2, 3}}, {"fact", {0, 0, 0, 0}}};
    longFormat.fmtExtra = {2, 0, 0xAA, 0xBB};
    truncated.declaredDataSize = 1000;
    WavFormat fastest = mono8;
    fastest.rate = 2147483647;  // the highest rate a voice can step by
    struct Case {
        WavFormat format;
        std::vector<uint8_t> data;
        int frames;
    };
    for (const Case& c : {Case{mono8, {0, 128, 255}, 3}, {stereo16, std::vector<uint8_t>(4000, 0), 1000},
                          {stereo8, std::vector<uint8_t>(10, 128), 5}, {chunks, {0x34, 0x12, 0xFF, 0xFF}, 2},
                          {longFormat, {7, 8}, 2}, {truncated, std::vector<uint8_t>(10, 1), 10}, {mono8, {200}, 1},
                          {fastest, {1, 2}, 2}}) {
        WaveSound sound;
        ASSERT_EQ(Load(sound, MakeWav(c.format, c.data)), kSoundOk) << c.frames;
        EXPECT_EQ(std::tuple(sound.frames, sound.eightBit, sound.stereo, sound.nativeRate, sound.frequency),
                  std::tuple(c.frames, c.format.bits == 8, c.format.channels == 2, c.format.rate, c.format.rate));
        EXPECT_EQ(std::vector<uint8_t>(sound.sampleData(), sound.sampleData() + sound.sampleBytes()), c.data);
        EXPECT_EQ(std::tuple(sound.ownsData, sound.volume, sound.pan, sound.maxInstances), std::tuple(true, 64, 128, -1));
    }
}

// Structure errors give -300, formats the mixer cannot play -100; either
// drops what an earlier load kept.
TEST(WaveSound, BrokenOrUnplayableFilesAreRefusedAndDropEarlierData) {
    std::vector<uint8_t> noFmt = MakeWav(WavFormat{}, {1, 2}), headerOnly = MakeWav(WavFormat{}, {});
    noFmt[12] = 'X';
    headerOnly.resize(headerOnly.size() - 8);  // no data chunk at all
    WavFormat oneByteOf16, bits24, threeChannels, fourBitPcm, sixCoefficients = Adpcm(11, 10), zeroRate, bits12;
    oneByteOf16.bits = 16;
    bits24.bits = 24;
    threeChannels.channels = 3;
    fourBitPcm.bits = 4;
    fourBitPcm.blockAlign = 11;
    WavFormat eightCoefficients = sixCoefficients;
    sixCoefficients.fmtExtra = soundtest::AdpcmFormatExtra(10, 6);
    eightCoefficients.fmtExtra = soundtest::AdpcmFormatExtra(10, 8);
    zeroRate.rate = 0;  // would hold a voice for ever
    bits12.bits = 12;
    const std::pair<std::vector<uint8_t>, int> cases[] = {
        {{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V'}, kSoundBadStructure},
        {noFmt, kSoundBadStructure},
        {headerOnly, kSoundBadStructure},
        {MakeWav(WavFormat{}, {}), kSoundBadStructure},  // empty data chunk
        {MakeWav(oneByteOf16, {1}), kSoundBadStructure},  // no whole frame
        {MakeWav(bits24, std::vector<uint8_t>(6, 0)), kSoundBadFormat},
        {MakeWav(threeChannels, std::vector<uint8_t>(6, 0)), kSoundBadFormat},
        {MakeWav(fourBitPcm, std::vector<uint8_t>(11, 0)), kSoundBadFormat},
        {MakeWav(sixCoefficients, std::vector<uint8_t>(11, 0)), kSoundBadFormat},
        {MakeWav(eightCoefficients, std::vector<uint8_t>(11, 0)), kSoundBadFormat},  // one more than the table holds
        {MakeWav(zeroRate, {1, 2}), kSoundBadFormat},
        {MakeWav(bits12, {1, 2, 3}), kSoundBadFormat},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        WaveSound sound;
        ASSERT_EQ(Load(sound, MakeWav(WavFormat{}, {1, 2, 3})), kSoundOk);
        EXPECT_EQ(Load(sound, cases[i].first), cases[i].second) << "case " << i;
        EXPECT_FALSE(sound.hasData()) << "case " << i;
        EXPECT_EQ(sound.sampleBytes(), 0u) << "case " << i;
        EXPECT_FALSE(sound.ownsData) << "case " << i;
    }
}

// Expected samples below are worked by hand from Microsoft's published scheme:
// predicted = (sample1 x coef1 + sample2 x coef2) >> 8, sample = predicted +
// signed code x delta, delta = delta x table[code] / 256, at least 16.
TEST(WaveSound, DecodesMsAdpcmMonoBlocksAndAFinalPartialBlock) {
    std::vector<uint8_t> data = {
        // Block 1 (11 bytes): predictor 0 (256, 0), delta 16, sample1 100, sample2 50.
        0, 16, 0, 100, 0, 50, 0,
        0x17, 0x8F, 0x00, 0x31,
        // Block 2, cut to 8 bytes: predictor 1 (512, -256), delta 20, sample1 10, sample2 20.
        1, 20, 0, 10, 0, 20, 0,
        0x2E,
    };
    WavFormat format = Adpcm(11, 10);
    WaveSound sound;
    ASSERT_EQ(Load(sound, MakeWav(format, data)), kSoundOk);
    EXPECT_FALSE(sound.eightBit);
    EXPECT_EQ(sound.frames, 14);
    EXPECT_EQ(Samples16(sound), (std::vector<int16_t>{50, 100, 116, 228, -76, -190, -190, -190, 53, 125,  // block 1
                                                      20, 10, 40, 36}));                                  // block 2
    // Six samples per block: the codes beyond them are padding.
    format.fmtExtra = soundtest::AdpcmFormatExtra(6);
    ASSERT_EQ(Load(sound, MakeWav(format, data)), kSoundOk);
    EXPECT_EQ(Samples16(sound), (std::vector<int16_t>{50, 100, 116, 228, -76, -190, 20, 10, 40, 36}));
    // Two: only the samples the block headers hold.
    format.fmtExtra = soundtest::AdpcmFormatExtra(2);
    ASSERT_EQ(Load(sound, MakeWav(format, data)), kSoundOk);
    EXPECT_EQ(Samples16(sound), (std::vector<int16_t>{50, 100, 20, 10}));
    // A last block of its header alone still gives its samples; one cut inside its header ends the sound.
    data.resize(11 + 7);
    ASSERT_EQ(Load(sound, MakeWav(format, data)), kSoundOk);
    EXPECT_EQ(Samples16(sound), (std::vector<int16_t>{50, 100, 20, 10}));
    data.resize(11 + 6);
    ASSERT_EQ(Load(sound, MakeWav(format, data)), kSoundOk);
    EXPECT_EQ(Samples16(sound), (std::vector<int16_t>{50, 100}));
    // Decoded directly, a block layout for other than one or two channels, or
    // of blocks with no room past their header, is refused.
    std::vector<int16_t> out;
    for (auto [channels, blockAlign] : {std::pair{0, 64}, {3, 64}, {1, 7}}) {
        const MsAdpcmFormat odd{.channels = channels, .blockAlign = blockAlign};
        EXPECT_FALSE(DecodeMsAdpcm(data.data(), data.size(), odd, out)) << channels;
    }
    EXPECT_TRUE(out.empty());
}

TEST(WaveSound, MsAdpcmBlockWithAnInvalidPredictorIsDecodedWithTheFirst) {
    std::vector<uint8_t> data = {0, 16, 0, 1, 0, 2, 0, 0x00, 0x00, 0x00, 0x00,
                                 9, 16, 0, 1, 0, 2, 0, 0x10, 0x00, 0x00, 0x00,
                                 0, 16, 0, 5, 0, 6, 0, 0x00, 0x00, 0x00, 0x00};
    WaveSound sound;
    ASSERT_EQ(Load(sound, MakeWav(Adpcm(11, 10), data)), kSoundOk);
    ASSERT_EQ(sound.frames, 30);
    // Predictor 0 is (256, 0): code 1 gives 1 + 16, code 0 holds it.
    std::vector<int16_t> samples = Samples16(sound);
    EXPECT_EQ(std::vector<int16_t>(samples.begin() + 10, samples.begin() + 20),
              (std::vector<int16_t>{2, 1, 17, 17, 17, 17, 17, 17, 17, 17}));
    EXPECT_EQ(samples[20], 6);
}

TEST(WaveSound, MsAdpcmDeltaCannotOverflow) {
    // Code 8 repeatedly triples the delta; the samples must stay clamped.
    std::vector<uint8_t> data = {0, 0xFF, 0x7F, 0, 0, 0, 0};
    data.resize(7 + 200, 0x88);
    WaveSound sound;
    ASSERT_EQ(Load(sound, MakeWav(Adpcm(int(data.size()), 0), data)), kSoundOk);
    for (int16_t s : Samples16(sound)) EXPECT_TRUE(s == -32768 || s == 32767 || s == 0) << s;
    // The delta stops at 2^24: 40 codes of -8 take it there and the samples to
    // the bottom, 56 codes of 0 shrink it to 41685, and a code of 1 then shows it.
    data = {0, 0xFF, 0x7F, 0, 0, 0, 0};
    data.resize(7 + 20, 0x88);
    data.resize(7 + 20 + 28, 0x00);
    data.push_back(0x10);
    ASSERT_EQ(Load(sound, MakeWav(Adpcm(int(data.size()), 0), data)), kSoundOk);
    const std::vector<int16_t> samples = Samples16(sound);
    ASSERT_EQ(samples.size(), 2u + 40 + 56 + 2);
    EXPECT_EQ(samples[41], -32768);
    EXPECT_EQ(samples[98], -32768 + 41685);
    data = {0, 0xFF, 0x7F, 0, 0, 0, 0};  // and codes of +7 take them to the top
    data.resize(7 + 10, 0x77);
    ASSERT_EQ(Load(sound, MakeWav(Adpcm(int(data.size()), 0), data)), kSoundOk);
    EXPECT_EQ(Samples16(sound).back(), 32767);
}

// An independent encoder and decoder: sox, when installed, turns a tone made
// here into MS-ADPCM (with a "fact" chunk before the data) and decodes it back;
// both decodings must agree sample for sample.
TEST(WaveSound, MsAdpcmAgreesWithSox) {
    if (std::system("command -v sox > /dev/null 2>&1") != 0) GTEST_SKIP() << "sox is not installed";
    testhost::ScratchFolder scratch;
    for (int channels : {1, 2}) {
        WavFormat format;
        format.channels = channels;
        format.bits = 16;
        format.rate = 11025;
        std::vector<uint8_t> pcm;
        for (int i = 0; i < 5000 * channels; ++i) {
            double t = double(i / channels) / format.rate;
            int v = int(12000 * std::sin(2 * M_PI * 440 * t) + 9000 * std::sin(2 * M_PI * (1300 + 400 * (i % channels)) * t));
            soundtest::PutLe(pcm, uint16_t(int16_t(v)), 2);
        }
        scratch.write("tone.wav", MakeWav(format, pcm));
        std::string command = "cd '" + scratch.path() +
                              "' && sox tone.wav -e ms-adpcm adpcm.wav && sox adpcm.wav -e signed-integer -b 16 back.wav";
        ASSERT_EQ(std::system(command.c_str()), 0);
        WaveSound ours, theirs;
        ASSERT_EQ(Load(ours, scratch.read("adpcm.wav")), kSoundOk);
        ASSERT_EQ(Load(theirs, scratch.read("back.wav")), kSoundOk);
        EXPECT_EQ(ours.stereo, channels == 2);
        EXPECT_GE(ours.frames, 5000);
        std::vector<int16_t> a = Samples16(ours), b = Samples16(theirs);
        size_t common = std::min(a.size(), b.size());
        EXPECT_GE(common, size_t(5000 * channels));
        a.resize(common);
        b.resize(common);
        EXPECT_EQ(a, b) << channels << " channel(s)";
    }
}

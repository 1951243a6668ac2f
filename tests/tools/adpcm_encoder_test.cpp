// Our MS-ADPCM encoder against the game's decoder: what one writes the other
// reads back, close to the input, in mono and stereo, and as a WAV file.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "music/adpcm_encoder.h"
#include "music/wav_file.h"
#include "sound/adpcm_decoder.h"
#include "sound/wave_sound.h"

namespace {

constexpr double kPi = 3.141592653589793;

std::vector<int16_t> Decode(const MsAdpcmEncoding& encoding) {
    MsAdpcmFormat format;
    format.channels = encoding.channels;
    format.blockAlign = encoding.blockAlign;
    format.samplesPerBlock = encoding.samplesPerBlock;
    for (int i = 0; i < kMsAdpcmCoefficientCount; ++i)
        for (int j = 0; j < 2; ++j) format.coefficients[i][j] = kMsAdpcmStandardCoefficients[i][j];
    std::vector<int16_t> out;
    EXPECT_TRUE(DecodeMsAdpcm(encoding.data.data(), encoding.data.size(), format, out));
    return out;
}

// A tone gliding from 200 Hz to 3 kHz at 22050 Hz, the kind of signal the
// effects hold.
std::vector<int16_t> Glide(size_t frames, double amplitude) {
    std::vector<int16_t> out;
    double phase = 0;
    for (size_t i = 0; i < frames; ++i) {
        phase += (200 + 2800.0 * double(i) / double(frames)) / 22050;
        out.push_back(int16_t(std::lround(amplitude * std::sin(2 * kPi * phase))));
    }
    return out;
}

// Signal-to-noise ratio in dB of `decoded` against `input`, over input's length.
double SnrDb(const std::vector<int16_t>& input, const std::vector<int16_t>& decoded, int channels, int channel) {
    double signal = 0, noise = 0;
    for (size_t i = size_t(channel); i < input.size(); i += size_t(channels)) {
        double miss = double(input[i]) - double(decoded[i]);
        signal += double(input[i]) * input[i];
        noise += miss * miss;
    }
    return 10 * std::log10(signal / std::max(noise, 1.0));
}

TEST(MsAdpcmEncoder, MonoRoundTripKeepsLengthHeaderSamplesAndShapeAlsoInAWavFile) {
    const std::vector<int16_t> input = Glide(5000, 20000);
    MsAdpcmEncoding encoding = EncodeMsAdpcm(input, 1, 512);
    EXPECT_EQ(encoding.samplesPerBlock, 1012);  // (512 - 7) x 2 codes + the 2 header samples
    ASSERT_EQ(encoding.data.size() % 512, 0u);
    std::vector<int16_t> decoded = Decode(encoding);
    // Whole blocks: the input rounded up to 1012 frames a block.
    ASSERT_EQ(decoded.size(), (input.size() + 1011) / 1012 * 1012);
    // Each block opens with two samples stored as they are.
    for (size_t block = 0; block < input.size(); block += 1012) {
        EXPECT_EQ(decoded[block], input[block]) << "block at " << block;
        EXPECT_EQ(decoded[block + 1], input[block + 1]) << "block at " << block;
    }
    // Four bits a sample with an adaptive step: a smooth tone comes back
    // within a few per cent (well above 20 dB). The padding is silence once
    // the step has shrunk from the tone's size (a factor 230/256 a sample).
    EXPECT_GT(SnrDb(input, decoded, 1, 0), 24.0);
    for (size_t i = input.size() + 64; i < decoded.size(); ++i) EXPECT_LT(std::abs(decoded[i]), 200) << i;

    // As a WAV file the game loads the same samples.
    std::vector<uint8_t> file = EncodeWavMsAdpcm(encoding, 22050, uint32_t(input.size()));
    WaveSound sound;
    ASSERT_EQ(sound.loadFromMemory(file.data(), file.size()), kSoundOk);
    EXPECT_FALSE(sound.eightBit || sound.stereo);
    EXPECT_EQ(sound.nativeRate, 22050);
    ASSERT_EQ(size_t(sound.frames), decoded.size());
    EXPECT_EQ(std::memcmp(sound.sampleData(), decoded.data(), decoded.size() * 2), 0);
}

TEST(MsAdpcmEncoder, StereoChannelsStayApart) {
    // Left a loud glide, right near silence: a swapped or shared state would
    // leak the left into the right.
    std::vector<int16_t> left = Glide(3000, 24000), right = Glide(3000, 300);
    std::vector<int16_t> input;
    for (size_t i = 0; i < left.size(); ++i) input.insert(input.end(), {left[i], right[i]});
    MsAdpcmEncoding encoding = EncodeMsAdpcm(input, 2, 1024);
    EXPECT_EQ(encoding.samplesPerBlock, 1012);
    std::vector<int16_t> decoded = Decode(encoding);
    ASSERT_GE(decoded.size(), input.size());
    EXPECT_GT(SnrDb(input, decoded, 2, 0), 24.0);
    EXPECT_GT(SnrDb(input, decoded, 2, 1), 20.0);
    int loudestRight = 0;
    for (size_t i = 1; i < input.size(); i += 2) loudestRight = std::max(loudestRight, std::abs(int(decoded[i])));
    EXPECT_LT(loudestRight, 600);
}

TEST(MsAdpcmEncoder, FullScaleStepsNeitherWrapNorStick) {
    // A full-scale square wave: the predictor overshoots at every edge, and a
    // missing clamp would wrap a plateau to the opposite sign.
    std::vector<int16_t> input;
    for (int i = 0; i < 4000; ++i) input.push_back((i / 50) % 2 ? int16_t(-32768) : int16_t(32767));
    std::vector<int16_t> decoded = Decode(EncodeMsAdpcm(input, 1, 256));
    ASSERT_GE(decoded.size(), input.size());
    for (size_t i = 0; i < input.size(); ++i) {
        if (i % 50 < 25) continue;  // the second half of each plateau has settled
        EXPECT_EQ(decoded[i] > 0, input[i] > 0) << "sample " << i;
        EXPECT_LT(std::abs(int(decoded[i]) - int(input[i])), 8000) << "sample " << i;
    }
}

}  // namespace

// The shipped sounds: the songs as any classic player reads them, 45 to 180
// seconds long, audible throughout and unclipped through the game's mixer;
// the effects in the formats meant for them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "music/songs.h"
#include "music/sound_files.h"
#include "sound/mod_sound.h"
#include "sound/sound_mixer.h"
#include "sound/wave_sound.h"
#include "template_files.h"

namespace fs = std::filesystem;

namespace {

// The classic three-octave period table, the only notes every player knows.
constexpr int kClassicPeriods[36] = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
                                     428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
                                     214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};

int ClassicIndex(int period) {
    for (int i = 0; i < 36; ++i)
        if (kClassicPeriods[i] == period) return i;
    return -1;
}

int U16Be(const std::vector<uint8_t>& b, size_t at) { return b[at] << 8 | b[at + 1]; }

// Reads the file as a strict classic player would and lists every breach of
// the format's limits.
std::vector<std::string> ClassicModuleFaults(const std::vector<uint8_t>& b) {
    std::vector<std::string> faults;
    if (b.size() < 1084 || std::string(b.begin() + 1080, b.begin() + 1084) != "M.K.") return {"no M.K. tag"};
    int songLength = b[950], patterns = 0;
    if (songLength < 1 || songLength > 128) faults.push_back("song length " + std::to_string(songLength));
    if (b[951] >= songLength) faults.push_back("restart outside the song");
    for (int i = 0; i < 128; ++i) patterns = std::max(patterns, b[952 + size_t(i)] + 1);
    if (patterns > 64) faults.push_back("more than 64 patterns");
    size_t sampleBytes = 0;
    std::vector<int> lengths(32, 0);
    for (int s = 1; s <= 31; ++s) {
        size_t h = 20 + size_t(s - 1) * 30;
        int length = U16Be(b, h + 22), loopStart = U16Be(b, h + 26), loopLength = U16Be(b, h + 28);
        std::string name = "sample " + std::to_string(s) + ": ";
        if (b[h + 24] & 0xF0) faults.push_back(name + "finetune above the low nibble");
        if (b[h + 25] > 64) faults.push_back(name + "volume above 64");
        if (loopLength > 1 && loopStart + loopLength > length) faults.push_back(name + "loop past the end");
        if (loopLength == 0) faults.push_back(name + "loop length 0 (1 means none)");
        lengths[size_t(s)] = length;
        sampleBytes += size_t(length) * 2;
    }
    if (b.size() != 1084 + size_t(patterns) * 1024 + sampleBytes)
        faults.push_back("file size " + std::to_string(b.size()) + " is not header, patterns and samples");
    for (size_t cell = 0; cell < size_t(patterns) * 256 && 1084 + cell * 4 + 4 <= b.size(); ++cell) {
        const uint8_t* c = &b[1084 + cell * 4];
        int sample = (c[0] & 0xF0) | c[2] >> 4, period = (c[0] & 0x0F) << 8 | c[1];
        int effect = c[2] & 0x0F, param = c[3];
        std::string where = "pattern " + std::to_string(cell / 256) + " row " + std::to_string(cell % 256 / 4) + ": ";
        if (period && ClassicIndex(period) < 0) faults.push_back(where + "period " + std::to_string(period));
        if (sample && lengths[size_t(sample)] == 0) faults.push_back(where + "empty sample");
        if (effect == 0 && param && period && ClassicIndex(period) + std::max(param >> 4, param & 15) > 35)
            faults.push_back(where + "arpeggio beyond the table");
        if (effect == 0xD && (param >> 4 > 6 || (param & 15) > 9)) faults.push_back(where + "break row");
    }
    return faults;
}

std::vector<SoundFile> ShippedSongs() {
    std::vector<SoundFile> files;
    std::string error;
    EXPECT_TRUE(MakeSongFiles(files, error)) << error;
    return files;
}

// Plays a module once through the game's mixer in stereo at 44100 Hz, for at
// most 200 seconds: the samples, interleaved.
std::vector<int16_t> Render(ModSound& module) {
    SoundMixer mixer;
    EXPECT_EQ(mixer.initOffline(44100, 16, 1, 1, 8), 0);
    EXPECT_GE(mixer.play(&module, kPlayAnyVoice), 0);
    std::vector<uint8_t> buffer(441 * 2 * 2);
    std::vector<int16_t> samples;
    while (mixer.isPlaying(&module) && samples.size() < 200 * 44100 * 2) {
        mixer.render(buffer.data(), buffer.size());
        for (size_t i = 0; i + 1 < buffer.size(); i += 2) samples.push_back(int16_t(buffer[i] | buffer[i + 1] << 8));
    }
    return samples;
}

double Rms(const std::vector<int16_t>& samples, size_t from, size_t to, size_t stride) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = from; i < to && i < samples.size(); i += stride, ++n) sum += double(samples[i]) * samples[i];
    return n ? std::sqrt(sum / double(n)) : 0;
}

TEST(ShippedSongs, AreClassicModulesBetween45And180Seconds) {
    std::vector<Song> songs = GameSongs();
    std::vector<SoundFile> files = ShippedSongs();
    ASSERT_EQ(files.size(), songs.size());
    for (size_t i = 0; i < files.size(); ++i) {
        std::vector<std::string> faults = ClassicModuleFaults(files[i].bytes);
        EXPECT_TRUE(faults.empty()) << files[i].name << ": " << faults.size() << " faults, first: " << faults.front();
        ComposedSong composed;
        std::string error;
        ASSERT_TRUE(BuildSongModule(songs[i], composed, error)) << error;
        EXPECT_GE(composed.seconds(), 45.0) << files[i].name;
        EXPECT_LE(composed.seconds(), 180.0) << files[i].name;
    }
}

TEST(ShippedSongs, AudibleThroughoutUnclippedAndUsingBothSides) {
    for (const SoundFile& file : ShippedSongs()) {
        ModSound module;
        ASSERT_EQ(module.loadFromMemory(file.bytes.data(), file.bytes.size()), kSoundOk);
        std::vector<int16_t> samples = Render(module);
        const size_t window = 5 * 44100 * 2;
        ASSERT_GT(samples.size(), 9 * window) << file.name;  // at least 45 s
        for (size_t from = 0; from + window <= samples.size(); from += window) {
            // -40 dB of full scale: a silent stretch or a lost channel pair sinks far below.
            EXPECT_GT(Rms(samples, from, from + window, 2), 328) << file.name << " left at " << from / 88200 << " s";
            EXPECT_GT(Rms(samples, from + 1, from + window, 2), 328) << file.name << " right at " << from / 88200 << " s";
        }
        int clipped = 0;
        for (int16_t v : samples) clipped += v == 32767 || v == -32768;
        EXPECT_EQ(clipped, 0) << file.name;
        // The two sides hold different channels, so they differ.
        double difference = 0;
        for (size_t i = 0; i + 1 < samples.size(); i += 2)
            difference += std::abs(double(samples[i]) - samples[i + 1]);
        EXPECT_GT(difference / double(samples.size() / 2), 300) << file.name;
    }
}

// Every effect loads in the game, is short and clean, and between them they
// use every WAV path the game decodes: 8-bit, 16-bit, stereo and ADPCM.
TEST(ShippedEffects, AreShortCleanAndUseEveryWavPath) {
    std::set<std::string> paths;
    for (const SoundFile& file : MakeEffectFiles()) {
        const bool adpcm = (file.bytes[20] | file.bytes[21] << 8) == 2;  // the format tag
        WaveSound sound;
        ASSERT_EQ(sound.loadFromMemory(file.bytes.data(), file.bytes.size()), kSoundOk) << file.name;
        paths.insert(adpcm ? "adpcm" : sound.eightBit ? "8-bit" : "16-bit");
        if (sound.stereo) paths.insert(adpcm ? "adpcm stereo" : "stereo");
        const bool soft = file.name == "eat.wav";  // heard often, under the music
        double seconds = double(sound.frames) / sound.nativeRate;
        EXPECT_GT(seconds, soft ? 0.04 : 0.1) << file.name;
        EXPECT_LT(seconds, soft ? 0.12 : 1.5) << file.name;
        int peak = 0;
        const uint8_t* d = sound.sampleData();
        for (size_t i = 0; i < sound.sampleBytes(); i += sound.eightBit ? 1 : 2)
            peak = std::max(peak, sound.eightBit ? std::abs((d[i] - 128) * 256) : std::abs(int(int16_t(d[i] | d[i + 1] << 8))));
        EXPECT_GT(peak, soft ? 6000 : 16000) << file.name;  // clearly audible at the game's 8-bit output
        EXPECT_LT(peak, soft ? 12000 : 32000) << file.name;  // room left: nothing at full scale
        // It starts quietly, so a voice never clicks in.
        int first = sound.eightBit ? std::abs(d[0] - 128) * 256 : std::abs(int(int16_t(d[0] | d[1] << 8)));
        EXPECT_LT(first, 1000) << file.name;
    }
    EXPECT_EQ(paths, (std::set<std::string>{"8-bit", "16-bit", "stereo", "adpcm", "adpcm stereo"}));
}

}  // namespace

// Module loading: the channel count from the format tag, the result codes and
// the song's identity.

#include <gtest/gtest.h>

#include <tuple>

#include "sound/mod_sound.h"
#include "sound_test_files.h"

namespace {

int Load(ModSound& sound, const std::vector<uint8_t>& file) { return sound.loadFromMemory(file.data(), file.size()); }

}  // namespace

TEST(ModSound, TagsGiveTheChannelCount) {
    // 0: unknown, no channels, not a digit, more channels than any player has.
    for (auto [tag, channels] : {std::pair{"M.K.", 4}, {"M!K!", 4}, {"6CHN", 6}, {"8CHN", 8}, {"9CHN", 9}, {"10CH", 10}, {"12CH", 12},
                                 {"32CH", 32}, {"FLT4", 0}, {"0CHN", 0}, {"XCHN", 0}, {":CHN", 0}, {"/CHN", 0}, {"4XYZ", 0}, {"MCHN", 0}, {"99CH", 0}, {"    ", 0}})
        EXPECT_EQ(ModuleChannelCount(reinterpret_cast<const uint8_t*>(tag)), channels) << tag;
}

TEST(ModSound, LoadsAModuleWholeAndARejectedOneKeepsNoData) {
    std::vector<uint8_t> file = soundtest::ModuleBuilder(8, "8CHN").bytes();
    ModSound sound;
    ASSERT_EQ(Load(sound, soundtest::ModuleBuilder(4, "M!K!").bytes()), kSoundOk);
    EXPECT_EQ(sound.channels, 4);
    const int32_t firstSong = sound.identity();
    sound.nativeRate = sound.frequency = 8000;
    sound.pan = 0;
    ASSERT_EQ(Load(sound, file), kSoundOk);
    EXPECT_EQ(sound.channels, 8);
    EXPECT_EQ(sound.moduleData(), file);
    // A load sets the module's own rate and pan again.
    EXPECT_EQ(std::tuple(sound.nativeRate, sound.frequency, sound.pan, sound.ownsData),
              std::tuple(44100, 44100, 128, true));
    // The identity that carries a song's place across a relaunch tells songs apart.
    EXPECT_NE(sound.identity(), firstSong);
    // It is the header's, from its first byte: the title, samples and orders.
    for (auto [at, differs] : {std::pair{size_t(0), true}, {kModulePatternOffset, false}}) {
        std::vector<uint8_t> changed = file;
        changed[at] ^= 1;
        ModSound other;
        ASSERT_EQ(Load(other, changed), kSoundOk);
        EXPECT_EQ(other.identity() != sound.identity(), differs) << at;
    }
    EXPECT_EQ(Load(sound, soundtest::ModuleBuilder(4, "FLT4").bytes()), kSoundBadFormat);
    EXPECT_FALSE(sound.hasData() || sound.ownsData);
    EXPECT_EQ(sound.identity(), 0) << "no song, which no carried place matches";
    ASSERT_EQ(Load(sound, file), kSoundOk);
    EXPECT_EQ(Load(sound, std::vector<uint8_t>(1000, 0)), kSoundBadStructure);
    EXPECT_FALSE(sound.hasData() || sound.channels);
    // A header without patterns is a module: they play as empty rows.
    file.resize(kModulePatternOffset);
    EXPECT_EQ(Load(sound, file), kSoundOk);
}

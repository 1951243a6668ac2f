// Module loading: the channel count from the format tag and the result codes.

#include <gtest/gtest.h>

#include "sound/mod_sound.h"
#include "sound_test_files.h"

namespace {

int Load(ModSound& sound, const std::vector<uint8_t>& file) { return sound.loadFromMemory(file.data(), file.size()); }

int ChannelsOfTag(const char* tag) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(tag);
    return ModuleChannelCount(bytes);
}

}  // namespace

TEST(ModSound, TagsGiveTheChannelCount) {
    EXPECT_EQ(ChannelsOfTag("M.K."), 4);
    EXPECT_EQ(ChannelsOfTag("M!K!"), 4);
    EXPECT_EQ(ChannelsOfTag("6CHN"), 6);
    EXPECT_EQ(ChannelsOfTag("8CHN"), 8);
    EXPECT_EQ(ChannelsOfTag("12CH"), 12);
    EXPECT_EQ(ChannelsOfTag("32CH"), 32);
}

TEST(ModSound, UnknownTagsAreRejected) {
    EXPECT_EQ(ChannelsOfTag("FLT4"), 0);
    EXPECT_EQ(ChannelsOfTag("0CHN"), 0);   // no channels
    EXPECT_EQ(ChannelsOfTag("XCHN"), 0);   // not a digit
    EXPECT_EQ(ChannelsOfTag("99CH"), 0);   // more channels than any player has
    EXPECT_EQ(ChannelsOfTag("    "), 0);
}

TEST(ModSound, LoadsAModuleWhole) {
    std::vector<uint8_t> file = soundtest::ModuleBuilder(8, "8CHN").bytes();
    ModSound sound;
    ASSERT_EQ(Load(sound, soundtest::ModuleBuilder(4, "M!K!").bytes()), kSoundOk);
    EXPECT_EQ(sound.channels, 4);
    ASSERT_EQ(Load(sound, file), kSoundOk);
    EXPECT_EQ(sound.channels, 8);
    EXPECT_EQ(sound.moduleData(), file);
    EXPECT_EQ(sound.nativeRate, 44100);
    EXPECT_EQ(sound.frequency, 44100);
    EXPECT_EQ(sound.pan, 128);
    EXPECT_TRUE(sound.ownsData);
}

TEST(ModSound, RejectedModulesKeepNoData) {
    ModSound sound;
    ASSERT_EQ(Load(sound, soundtest::ModuleBuilder().bytes()), kSoundOk);
    EXPECT_EQ(Load(sound, soundtest::ModuleBuilder(4, "FLT4").bytes()), kSoundBadFormat);
    EXPECT_FALSE(sound.hasData());
    EXPECT_FALSE(sound.ownsData);
    std::vector<uint8_t> shortFile(1000, 0);
    EXPECT_EQ(Load(sound, shortFile), kSoundBadStructure);
    EXPECT_FALSE(sound.hasData());
}

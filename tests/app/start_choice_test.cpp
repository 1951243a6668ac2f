#include "app/start_choice.h"

#include <gtest/gtest.h>

namespace {

TEST(StartChoice, WithoutArgShowsTheCover) {
    StartChoice s = ParseStartChoice(u"");
    EXPECT_EQ(s.kind, StartChoice::Kind::Cover);
    EXPECT_FALSE(s.hasArg);
    EXPECT_EQ(ParseStartChoice(u"intro").kind, StartChoice::Kind::Cover);
}

TEST(StartChoice, ArgAloneResumesAtLevelOne) {
    StartChoice s = ParseStartChoice(u"ARG:");
    EXPECT_EQ(s.kind, StartChoice::Kind::Resume);
    EXPECT_EQ(s.level, 1);
    EXPECT_EQ(s.score, 0);
    EXPECT_EQ(s.lives, 0);
    EXPECT_EQ(s.levelFolder, u"level1");
}

TEST(StartChoice, LevelsRepeatTheFirstTenFolders) {
    StartChoice s = ParseStartChoice(u"ARG:Level:12,Score:500,Lifes:2");
    EXPECT_EQ(s.kind, StartChoice::Kind::Resume);
    EXPECT_EQ(s.level, 12);
    EXPECT_EQ(s.score, 500);
    EXPECT_EQ(s.lives, 2);
    EXPECT_EQ(s.levelFolder, u"level2");
    EXPECT_EQ(s.musicMs, 0);
    // Music that plays on hands on where its song stood.
    StartChoice on = ParseStartChoice(u"ARG:Level:4,Score:900,Lifes:1,Music:61234,Song:2023");
    EXPECT_EQ(on.level, 4);
    EXPECT_EQ(on.musicMs, 61234);
    EXPECT_EQ(on.song, 2023);
    EXPECT_EQ(ParseStartChoice(u"ARG:Level:4,Music:-5").musicMs, 0);
    EXPECT_EQ(LevelFolderName(10), u"level10");
    EXPECT_EQ(LevelFolderName(11), u"level1");
    EXPECT_EQ(LevelFolderName(0), u"level10");
    EXPECT_EQ(LevelFolderName(-3), u"level7");
}

TEST(StartChoice, TextWithoutAPairNamesATemplate) {
    StartChoice s = ParseStartChoice(u"ignored words ARG:intro");
    EXPECT_EQ(s.kind, StartChoice::Kind::Template);
    EXPECT_EQ(s.templateName, u"intro.properties");
    EXPECT_EQ(ParseStartChoice(u"ARG:a,b").templateName, u"a,b.properties");
}

TEST(StartChoice, MalformedResumeTextFallsBackToDefaults) {
    StartChoice s = ParseStartChoice(u"ARG:Level:,Score:abc,Lifes:-1,:,x:");
    EXPECT_EQ(s.kind, StartChoice::Kind::Resume);
    EXPECT_EQ(s.level, 1);  // an empty value counts as absent
    EXPECT_EQ(s.score, 0);
    EXPECT_EQ(s.lives, 0);  // negative lives count as none
    // Numbers beyond what a level can hand on are kept within the game's range.
    EXPECT_EQ(ParseStartChoice(u"ARG:Level:-7").level, 1);
    StartChoice big = ParseStartChoice(u"ARG:Level:429496729600,Score:2147483647,Lifes:2147483647");
    EXPECT_EQ(big.level, StartChoice::kMaxLevel);
    EXPECT_EQ(big.levelFolder, LevelFolderName(StartChoice::kMaxLevel));
    EXPECT_EQ(big.score, StartChoice::kMaxScore);
    EXPECT_EQ(big.lives, StartChoice::kMaxLives);
    std::u16string huge = u"ARG:" + std::u16string(200000, u'x');
    EXPECT_EQ(ParseStartChoice(huge).kind, StartChoice::Kind::Template);
    std::u16string pairs = u"ARG:";
    for (int i = 0; i < 20000; ++i) pairs += u"k:1,";
    EXPECT_EQ(ParseStartChoice(pairs).level, 1);
}

}  // namespace

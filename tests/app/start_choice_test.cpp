#include "app/start_choice.h"

#include <gtest/gtest.h>

namespace {

using Kind = StartChoice::Kind;

// The resumed game's numbers and folder, with malformed and oversized values
// falling back to the defaults or kept within the game's range.
TEST(StartChoice, TheCommandLineChoosesTheFirstScreenAndTheResumedGame) {
    struct Case {
        const char16_t* line;
        Kind kind;
        int level, score, lives;
        const char16_t* folder;
    };
    const Case cases[] = {
        {u"", Kind::Cover, 1, 0, 0, u""},
        {u"intro", Kind::Cover, 1, 0, 0, u""},
        {u"ARG:", Kind::Resume, 1, 0, 0, u"level1"},
        {u"ARG:Level:12,Score:500,Lifes:2", Kind::Resume, 12, 500, 2, u"level2"},  // levels repeat the first ten folders
        {u"ARG:Level:,Score:abc,Lifes:-1,:,x:", Kind::Resume, 1, 0, 0, u"level1"},  // empty counts as absent
        {u"ARG:Level:-7", Kind::Resume, 1, 0, 0, u"level1"},
        {u"ARG:Level:429496729600,Score:2147483647,Lifes:2147483647", Kind::Resume, StartChoice::kMaxLevel,
         StartChoice::kMaxScore, StartChoice::kMaxLives, u"level10"},
    };
    for (const Case& c : cases) {
        const StartChoice s = ParseStartChoice(c.line);
        SCOPED_TRACE(std::string(c.line, c.line + std::char_traits<char16_t>::length(c.line)));
        EXPECT_EQ(s.kind, c.kind);
        EXPECT_EQ(s.hasArg, c.kind != Kind::Cover);
        EXPECT_TRUE(s.level == c.level && s.score == c.score && s.lives == c.lives)
            << s.level << " " << s.score << " " << s.lives;
        EXPECT_EQ(s.levelFolder, c.folder);
        EXPECT_EQ(s.musicMs, 0);
    }
    // Music that plays on hands on where its song stood.
    const StartChoice on = ParseStartChoice(u"ARG:Level:4,Score:900,Lifes:1,Music:61234,Song:2023");
    EXPECT_TRUE(on.level == 4 && on.musicMs == 61234 && on.song == 2023);
    EXPECT_EQ(ParseStartChoice(u"ARG:Level:4,Music:-5").musicMs, 0);
    for (auto [level, folder] : {std::pair{10, u"level10"}, {11, u"level1"}, {0, u"level10"}, {-3, u"level7"}})
        EXPECT_EQ(LevelFolderName(level), folder) << level;
    std::u16string pairs = u"ARG:";
    for (int i = 0; i < 20000; ++i) pairs += u"k:1,";
    EXPECT_EQ(ParseStartChoice(pairs).level, 1);
}

TEST(StartChoice, TextWithoutAPairNamesATemplate) {
    const StartChoice s = ParseStartChoice(u"ignored words ARG:intro");
    EXPECT_EQ(s.kind, Kind::Template);
    EXPECT_EQ(s.templateName, u"intro.properties");
    EXPECT_EQ(ParseStartChoice(u"ARG:a,b").templateName, u"a,b.properties");
    EXPECT_EQ(ParseStartChoice(u"ARG:" + std::u16string(200000, u'x')).kind, Kind::Template);
}

}  // namespace

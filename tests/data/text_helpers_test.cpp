// The wide-string helpers: the list rule, path collapsing, numbers and colours.

#include "data/text_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using Pieces = std::vector<std::u16string>;

// A separator splits only where an item follows it.
TEST(SplitList, SplitsOnlyBeforeAnItem) {
    EXPECT_EQ(SplitList(u"a:1,2,3, b:4", u",", u':'), (Pieces{u"a:1,2,3", u" b:4"}));
    EXPECT_EQ(SplitList(u"GUIType:checkboxGroup, selected:0", u",", u':'),
              (Pieces{u"GUIType:checkboxGroup", u" selected:0"}));
    EXPECT_EQ(SplitList(u"x,a:1", u",", u':'), (Pieces{u"x,a:1"}));
    EXPECT_EQ(SplitList(u":1,b:2", u",", u':'), (Pieces{u":1", u"b:2"})) << "an item from the first character";
    EXPECT_EQ(SplitList(u"a:1,2,:x", u",", u':'), (Pieces{u"a:1,2", u":x"})) << "an item after the next separator";
    EXPECT_EQ(SplitList(u"", u",", u':'), (Pieces{u""}));
    EXPECT_EQ(SplitList(u"a:1,", u",", u':'), (Pieces{u"a:1,"}));
    EXPECT_EQ(SplitList(u"a:1,,b:2", u",", u':'), (Pieces{u"a:1,", u"b:2"}));
    EXPECT_EQ(SplitList(u"a:1;b:2,c:3", u",;", u':'), (Pieces{u"a:1", u"b:2", u"c:3"}));
    const std::vector<char16_t> unterminated = {u'a', u':', u'1', u','};  // read no further than its end
    EXPECT_EQ(SplitList(std::u16string_view(unterminated.data(), unterminated.size()), u",", u':'), (Pieces{u"a:1,"}));
}

TEST(SplitKeyValue, SplitsAtTheFirstSeparatorAndTrimsTheInnerSides) {
    std::u16string key = u"unchanged", value = u"unchanged";
    EXPECT_FALSE(SplitKeyValue(u"no separator", u'=', key, value));
    EXPECT_EQ(key, u"unchanged");
    ASSERT_TRUE(SplitKeyValue(u" a \t= b=c ", u'=', key, value));
    EXPECT_EQ(key, u" a");
    EXPECT_EQ(value, u"b=c ");
    EXPECT_EQ(TrimView(u" \t a b \t", u" \t"), u"a b") << "and a view trims both its ends";
}

// Each occurrence once, the replaced text not searched again; only a
// replacement of the same length is made.
TEST(ReplaceSameLength, ReplacesEveryOccurrenceOnce) {
    for (auto [from, to, want] : {std::tuple{u"ab", u"ba", u"babab"}, {u"a", u"aa", u"ababb"}, {u"", u"", u"ababb"}}) {
        std::u16string text = u"ababb";
        ReplaceSameLength(text, from, to);
        EXPECT_EQ(text, want) << std::u16string_view(from).size();
    }
}

TEST(CollapseParentFolders, RemovesEachFolderWithItsDotDot) {
    auto collapsed = [](std::u16string path) {
        CollapseParentFolders(path);
        return path;
    };
    EXPECT_EQ(collapsed(u"\\Program Files\\Game\\..\\resources\\"), u"\\Program Files\\resources\\");
    EXPECT_EQ(collapsed(u"/opt/karrowen/bin/../resources/"), u"/opt/karrowen/resources/");
    EXPECT_EQ(collapsed(u"/opt/bin/..\\resources\\x.gif"), u"/opt/resources\\x.gif");
    EXPECT_EQ(collapsed(u"a/b/../../c"), u"c");
    EXPECT_EQ(collapsed(u"/a/../x/../c"), u"/c");
    EXPECT_EQ(collapsed(u"/some/xx/../y"), u"/some/y");  // a two-letter folder is read where it stands
    EXPECT_EQ(collapsed(u"a/b/../"), u"a/") << "a dot-dot folder at the very end";
    EXPECT_EQ(collapsed(u"/../../x"), u"/../../x");
    EXPECT_EQ(collapsed(u"../../x"), u"../../x");
    EXPECT_EQ(collapsed(u"a/../../x"), u"../x");
    EXPECT_EQ(collapsed(u"a/..x/y"), u"a/..x/y");
    EXPECT_EQ(collapsed(u"a/b/x./y"), u"a/b/x./y");
}

TEST(ParseColour, ReadsThreeDecimalChannels) {
    EXPECT_EQ(ParseColour(u"(255;128;0)"), 0xFF8000u);
    EXPECT_EQ(ParseColour(u" \t( 1; 2 ;3 )"), 0x010203u);
    EXPECT_EQ(ParseColour(u"255;255;255"), 0xFFFFFFu);
    EXPECT_EQ(ParseColour(u"(16)"), 0x100000u);
    EXPECT_EQ(ParseColour(u""), 0u);
}

TEST(ParseNumbers, ReadTheLeadingNumberLikeTheCLibrary) {
    EXPECT_EQ(ParseLeadingInt(u"42px"), 42);
    EXPECT_EQ(ParseLeadingInt(u" \t\r-7"), -7);
    EXPECT_EQ(ParseLeadingInt(u"+3"), 3);
    EXPECT_EQ(ParseLeadingInt(u"abc"), 0);
    EXPECT_EQ(ParseLeadingInt(u"99999999999"), 2147483647);
    EXPECT_EQ(ParseLeadingInt(u"-99999999999"), -2147483647 - 1);
    EXPECT_FLOAT_EQ(ParseLeadingFloat(u" 1.5e2x"), 150.0f);
    EXPECT_FLOAT_EQ(ParseLeadingFloat(u"-0.25"), -0.25f);
    EXPECT_FLOAT_EQ(ParseLeadingFloat(u"x1"), 0.0f);
    EXPECT_FLOAT_EQ(ParseLeadingFloat(u"--1"), 0.0f);
    EXPECT_TRUE(std::isinf(ParseLeadingFloat(u"1e300")));
    const std::vector<char16_t> blank = {u' '};  // read no further than its end
    EXPECT_FLOAT_EQ(ParseLeadingFloat(std::u16string_view(blank.data(), blank.size())), 0.0f);
}

TEST(Utf8KeepingBytes, SupplementaryCharactersBecomeSurrogatePairsAndStrayBytesSurvive) {
    auto units = [](std::initializer_list<int> list) {
        std::u16string text;
        for (int unit : list) text += char16_t(unit);
        return text;
    };
    // U+10000, U+1F600 and U+10FFFF: the first, a middle and the last pair.
    EXPECT_EQ(DecodeUtf8KeepingBytes("\xF0\x90\x80\x80"), units({0xD800, 0xDC00}));
    EXPECT_EQ(DecodeUtf8KeepingBytes("\xF0\x9F\x98\x80"), units({0xD83D, 0xDE00}));
    EXPECT_EQ(DecodeUtf8KeepingBytes("\xF4\x8F\xBF\xBF"), units({0xDBFF, 0xDFFF}));
    EXPECT_EQ(DecodeUtf8KeepingBytes("\xE0\xA0\x80"), units({0x0800}));  // the first of three bytes
    EXPECT_EQ(DecodeUtf8KeepingBytes("\xEE\x80\x80"), units({0xE000}));  // the first after the surrogates
    EXPECT_EQ(DecodeUtf8KeepingBytes("\xEF\xBF\xBD"), units({0xFFFD}));  // the last of three
    // The first and the last of two.
    EXPECT_EQ(DecodeUtf8KeepingBytes("\xC2\x80\xC2\xA9\xDF\xBF"), units({0x0080, 0x00A9, 0x07FF}));
    // Bytes that are not UTF-8 (a stray continuation, overlong forms, an
    // encoded surrogate) come back unchanged from the round trip.
    const std::string mixed = "a\x80\xC0\xAF\xE0\x80\xAF\xED\xA0\x80\xF0\x9F\x98\x80\xE2\x82\xAC";
    EXPECT_EQ(DecodeUtf8KeepingBytes(mixed).size(), 13u);
    EXPECT_EQ(EncodeUtf8KeepingBytes(DecodeUtf8KeepingBytes(mixed)), mixed);
    // A sequence cut by the end of the bytes is not read past it.
    EXPECT_EQ(DecodeUtf8KeepingBytes(std::string_view("\xE2\x82\xAC", 2)).size(), 2u);
    // A pair at the very end is still one character; a lone surrogate, even one
    // near the stray-byte range, is a replacement character.
    EXPECT_EQ(EncodeUtf8KeepingBytes(units({'a', 0xD83D, 0xDE00})), "a\xF0\x9F\x98\x80");
    EXPECT_EQ(EncodeUtf8KeepingBytes(units({0xDBFF, 0xDFFF})), "\xF4\x8F\xBF\xBF");  // the last pair
    EXPECT_EQ(EncodeUtf8KeepingBytes(units({0xD800, 0xDC00})), "\xF0\x90\x80\x80");  // and the first
    EXPECT_EQ(EncodeUtf8KeepingBytes(units({0xDC00, 0xDC01})), "\xEF\xBF\xBD\xEF\xBF\xBD");  // two low halves
    EXPECT_EQ(EncodeUtf8KeepingBytes(units({0xDC41, 0xDBFF, 0xE000})), "\xEF\xBF\xBD\xEF\xBF\xBD\xEE\x80\x80");
}

}  // namespace

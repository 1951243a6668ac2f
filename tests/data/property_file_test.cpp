// PropertyFile: line syntax, references, typed and list getters, write-back and
// crash-safe saving.

#include "data/property_file.h"

#include <gtest/gtest.h>

#include <tuple>

#include "data_test_support.h"

namespace {

using namespace datatest;

std::u16string Raw(const PropertyFile& file, std::u16string_view key) {
    const char16_t* value = file.getRaw(key);
    return value ? std::u16string(value) : u"<null>";
}

std::u16string Get(PropertyFile& file, std::u16string_view key) {
    const char16_t* value = file.get(key);
    return value ? std::u16string(value) : u"<null>";
}

// ---- Line syntax ------------------------------------------------------------------------

// One file's bytes, read: what it writes back and its entries in order.
struct SyntaxCase {
    const char* name;
    std::string bytes;
    std::u16string written;
    std::vector<std::pair<std::u16string, std::u16string>> entries;
};

const SyntaxCase kSyntax[] = {
    // Lines are trimmed before they are told apart.
    {"CommentsBlanksAndEntries", "  # settings\n \t\na = 1\n# more\n\nb=2\n", u"# settings\n\na=1\n# more\n\nb=2\n",
     {{u"a", u"1"}, {u"b", u"2"}}},
    // A line without "=" is dropped, even one left so by a cut comment.
    {"TrailingCommentCutAtTheLastDoubleSlash",
     "url=x//y//z\nplain = value // note\n// only a comment\nnonsense\n",
     u"url=x//y\nplain=value\n", {{u"url", u"x//y"}, {u"plain", u"value"}}},
    // Blanks before a continuing "\" stay: only the joined line's ends are trimmed.
    {"ContinuationJoinsTrimmedLines", "path=a\\\n  b\nlist = x:1, \\\n\t y:2 \\\n  , z:3\nnext=1\n",
     u"path=ab\nlist=x:1, y:2 , z:3\nnext=1\n", {{u"path", u"ab"}, {u"list", u"x:1, y:2 , z:3"}, {u"next", u"1"}}},
    {"ContinuationWithNothingAfter", "a=1\\", u"a=1\\\n", {{u"a", u"1\\"}}},
    {"WindowsLineBreaksAndByteOrderMark", "\xEF\xBB\xBFkey=v\r\n# c\r\n\r\nb=2\r\n", u"key=v\n# c\n\nb=2\n",
     {{u"key", u"v"}, {u"b", u"2"}}},
    {"ZeroCharacterEndsItsLine", std::string("a=1\0junk\nb=2\x01;\n\0c=3\n", 20), u"a=1\nb=2\x01;\n",
     {{u"a", u"1"}, {u"b", u"2\x01;"}}},
    {"OverlongLineReadInChunksOf2047", "long=" + std::string(3000, 'v') + "\nafter=1\n",
     u"long=" + std::u16string(2042, u'v') + u"\nafter=1\n",
     {{u"long", std::u16string(2042, u'v')}, {u"after", u"1"}}},
    {"KeysNamedLikePseudoEntriesAreRefused",
     "# c\n_COMMENT_LINE_0=x\nmy_EMPTY_LINE_=y\ndir=_EMPTY_LINE_\n{dir}=z\na=1\n",
     u"# c\ndir=_EMPTY_LINE_\na=1\n", {{u"dir", u"_EMPTY_LINE_"}, {u"a", u"1"}}},
};

class PropertySyntax : public ::testing::TestWithParam<SyntaxCase> {};

TEST_P(PropertySyntax, ReadsEntriesAndWritesBackTheLines) {
    const SyntaxCase& c = GetParam();
    PropertyFile file;
    std::vector<std::u16string> keys;
    file.loadBytes(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size(), &keys);
    EXPECT_EQ(file.serialize(), c.written);
    std::vector<std::u16string> expectedKeys;
    for (const auto& [key, value] : c.entries) {
        expectedKeys.push_back(key);
        EXPECT_EQ(Raw(file, key), value) << host::ToUtf8(key);
    }
    EXPECT_EQ(file.dataKeys(), expectedKeys);
    EXPECT_EQ(keys, expectedKeys);
    EXPECT_EQ(file.dataKeyCount(), int(expectedKeys.size()));
}

INSTANTIATE_TEST_SUITE_P(Lines, PropertySyntax, ::testing::ValuesIn(kSyntax),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PropertyLoading, BlankLinesCanBeSkippedTheFirstDefinitionKeptAndResetEmptiesAll) {
    PropertyFile skipping;
    skipping.loadText(u"a=1\n   \n\t\nb=2\n", nullptr, true);
    EXPECT_EQ(skipping.serialize(), u"a=1\nb=2\n");
    PropertyFile first, last;
    std::vector<std::u16string> keys;
    first.loadText(u"k=one\nk=two\n", &keys, false, true);
    last.loadText(u"k=one\nk=two\n", nullptr, false, false);
    EXPECT_EQ(Raw(first, u"k"), u"one");
    EXPECT_EQ(Raw(last, u"k"), u"two");
    EXPECT_EQ(first.count(), 1);
    EXPECT_EQ(keys, (std::vector<std::u16string>{u"k", u"k"}));
    first.set(u"_COMMENT_LINE_7", u"v");
    EXPECT_EQ(first.serialize(), u"k=one\n") << "a pseudo-entry's name is refused";
    first.set(u"k", u"1");
    first.set(u"c", u"3");
    EXPECT_EQ(first.serialize(), u"k=1\nc=3\n");
    first.setPath(u"/x/y.properties");
    first.reset();
    EXPECT_EQ(first.count(), 0);
    EXPECT_EQ(first.dataKeyCount(), 0);
    EXPECT_TRUE(first.path().empty());
    first.loadText(u"# again\n");
    EXPECT_EQ(first.serialize(), u"# again\n");
}

// The typed getters read the stored text, references unexpanded, and give the
// default for a missing or empty value.
TEST(PropertyLoading, TypedGettersReadTheStoredTextOrGiveTheDefault) {
    PropertyFile file;
    file.loadText(u"n=42px\nf=1.5\nc=(1;2;3)\ns=abcdef\nref={n}\nempty=\n");
    EXPECT_EQ(std::tuple(file.getInt(u"n", 7), file.getInt(u"ref", 7), file.getInt(u"empty", 7), file.getInt(u"none", 7)),
              std::tuple(42, 0, 7, 7));
    EXPECT_EQ(std::tuple(file.getBool(u"n", false), file.getBool(u"f", false), file.getBool(u"none", true)),
              std::tuple(true, true, true));
    EXPECT_EQ(std::pair(file.getFloat(u"f", 0.0f), file.getFloat(u"empty", 2.5f)), std::pair(1.5f, 2.5f));
    EXPECT_EQ(std::pair(file.getColour(u"c", 0), file.getColour(u"none", 5)), std::pair(0x010203u, 5u));
    std::u16string buffer = u"kept";
    EXPECT_FALSE(file.getString(u"empty", buffer, 3));
    EXPECT_EQ(buffer, u"kept");
    EXPECT_TRUE(file.getString(u"s", buffer, 3));
    EXPECT_EQ(buffer, u"abc");
}

TEST(PropertyLoading, CommentWithoutLineBreakCannotSwallowTheNextEntry) {
    PropertyFile file;
    file.loadText(u"a=1\n#last");
    file.set(u"b", u"2");
    PropertyFile reread;
    reread.loadText(file.serialize());
    EXPECT_EQ(Raw(reread, u"b"), u"2");
    EXPECT_EQ(reread.serialize(), u"a=1\n#last\nb=2\n");
}

// ---- References ----------------------------------------------------------------------------

TEST(PropertyReferences, GetExpandsInPlaceUpToAnUndefinedName) {
    PropertyFile file;
    file.loadText(u"a=1\nb={a}x\nc={nope}{a}\nd={a}{nope}{a}\ne={a\nf=<{a}>{a}.\ndir=images\n{dir}_{dir}=1\n{none}=2\nx}{dir=3\n");
    const char16_t* raw = file.getRaw(u"b");
    EXPECT_EQ(std::u16string(raw), u"{a}x");
    EXPECT_EQ(Get(file, u"b"), u"1x");
    EXPECT_EQ(Raw(file, u"b"), u"1x");
    file.set(u"b", u"other");
    EXPECT_EQ(std::u16string(raw), u"{a}x") << "still readable: retired, not freed";
    EXPECT_EQ(Get(file, u"c"), u"{nope}{a}");
    EXPECT_EQ(Get(file, u"d"), u"1{nope}{a}");
    EXPECT_EQ(Get(file, u"e"), u"{a");
    EXPECT_EQ(Get(file, u"f"), u"<1>1.");
    // A reference in a key replaces the first name once.
    EXPECT_EQ(Raw(file, u"images_{dir}"), u"1");
    EXPECT_EQ(Raw(file, u"{none}"), u"2");
    EXPECT_EQ(Raw(file, u"x}{dir"), u"3");
    file.set(u"a", u"2");
    EXPECT_EQ(Get(file, u"f"), u"<1>1.") << "expanded once, in place";
}

TEST(PropertyReferences, ExpansionStopsNineDeepAndAtItsSizeLimit) {
    std::u16string eight, nine;
    for (int i = 0; i < 8; ++i) eight += u"e" + std::u16string(1, char16_t(u'0' + i)) + u"={e" + char16_t(u'1' + i) + u"}\n";
    eight += u"e8=end\n";
    for (int i = 0; i < 9; ++i) nine += u"n" + std::u16string(1, char16_t(u'0' + i)) + u"={n" + char16_t(u'1' + i) + u"}\n";
    nine += u"n9=end\n";
    PropertyFile file;
    file.loadText(eight + nine + u"a=x{a}\nb={c}\nc={b}\n");
    EXPECT_EQ(Get(file, u"e0"), u"end");
    EXPECT_EQ(Get(file, u"n0"), u"{n9}");
    EXPECT_EQ(Get(file, u"n0"), u"{n9}");
    // What an earlier lookup expanded does not change a later one, in either order.
    EXPECT_EQ(Get(file, u"n5"), u"end");
    EXPECT_EQ(Get(file, u"n0"), u"{n9}");
    PropertyFile fresh;
    fresh.loadText(nine);
    EXPECT_EQ(Get(fresh, u"n5"), u"end");
    EXPECT_EQ(Get(fresh, u"n0"), u"{n9}");
    // One "x" per level, depths 0 to 8, then the reference that was not followed;
    // looking again does not grow the value: a cut expansion is not stored.
    EXPECT_EQ(Get(file, u"a"), u"xxxxxxxxx{a}");
    EXPECT_EQ(Get(file, u"b"), u"{c}");
    EXPECT_EQ(Get(file, u"a"), u"xxxxxxxxx{a}");
    EXPECT_EQ(Raw(file, u"a"), u"x{a}");
    // Each level quadruples: 4^8 copies of a 100-character text would be 6.5M.
    std::u16string text = u"l8=" + std::u16string(100, u'z') + u"\n";
    for (int i = 7; i >= 0; --i) {
        std::u16string ref = u"{l" + std::u16string(1, char16_t(u'1' + i)) + u"}";
        text += u"l" + std::u16string(1, char16_t(u'0' + i)) + u"=" + ref + ref + ref + ref + u"\n";
    }
    PropertyFile big;
    big.loadText(text);
    EXPECT_LE(Get(big, u"l0").size(), PropertyFile::kMaxExpandedLength);
    PropertyFile exact;  // just at the limit: whole
    exact.loadText(u"w=" + std::u16string(1024, u'w') + u"\nq={w}{w}{w}{w}\nfull={q}{q}\n");
    const std::u16string full = Get(exact, u"full");
    EXPECT_TRUE(full == std::u16string(PropertyFile::kMaxExpandedLength, u'w')) << full.size();
    // A lookup makes 256 substitutions and no more, those of a value expanded
    // before counted as they were made.
    std::u16string refs;
    for (int i = 0; i < 254; ++i) refs += u"{a}";
    PropertyFile steps;
    steps.loadText(u"a=x\nb={a}\nall=" + refs + u"{b}\nover=" + refs + u"{a}{b}\nmany=" + refs + u"{a}{a}{a}\n");
    EXPECT_EQ(Get(steps, u"all"), std::u16string(255, u'x'));
    EXPECT_EQ(Get(steps, u"over"), std::u16string(255, u'x') + u"{a}");
    EXPECT_EQ(Get(steps, u"many"), std::u16string(256, u'x') + u"{a}");
    std::u16string wide, rest;  // b, expanded before, costs its own step again each time: two a reference
    for (int i = 0; i < 300; ++i) wide += u"{b}", rest += i < 128 ? u"" : u"{b}";
    steps.set(u"wide", wide);
    EXPECT_EQ(Get(steps, u"wide"), std::u16string(128, u'x') + rest);
}

// A reset forgets what it expanded: values read after it may lie where the
// old expansions lay, and are expanded afresh.
TEST(PropertyReferences, AResetForgetsItsExpansions) {
    std::u16string refs;
    for (char16_t c = u'a'; c <= u'z'; ++c) refs += std::u16string(1, c) + u"x={v}\n";
    PropertyFile file;
    for (const char16_t* value : {u"12", u"34"}) {
        file.reset();
        file.loadText(refs + u"v=" + value + u"\n");
        for (char16_t c = u'a'; c <= u'z'; ++c) ASSERT_EQ(Get(file, std::u16string(1, c) + u"x"), value) << char(c);
    }
}

// ---- Lists -------------------------------------------------------------------

TEST(PropertyLists, ParseListFollowsTheListRule) {
    auto item = [](const ItemList& list, const char16_t* name) {
        return std::u16string(static_cast<const char16_t*>(list->lookup(name)));
    };
    ItemList list = PropertyFile::parseList(u"a:1,2,3, b:4", u',', u':');
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(item(list, u"a"), u"1,2,3");
    EXPECT_EQ(item(list, u"b"), u"4");
    // Later duplicates win, items are trimmed, pieces without a ':' drop.
    ItemList duplicates = PropertyFile::parseList(u"x:1, x:2, y : 3 ", u',', u':');
    EXPECT_EQ(item(duplicates, u"x"), u"2");
    EXPECT_EQ(item(duplicates, u"y"), u"3");
    EXPECT_EQ(PropertyFile::parseList(u"plain text", u',', u':')->count(), 0);
}

TEST(PropertyLists, ItemsAreReadExpandedAndRewrittenInOrder) {
    PropertyFile file;
    file.loadText(
        u"#note, a:1\nbase=10\nchkGAPIVideo=GUIType:checkbox, status:{base}, colour:(1;2;3), speed:1.5\n"
        u"grpName=GUIType:checkboxGroup, selected:0\nchk=GUIType:checkbox,status:0\nempty=\n");
    EXPECT_EQ(file.getItemInt(u"chkGAPIVideo", u"status", -1), 10);
    EXPECT_EQ(file.getItemInt(u"chkGAPIVideo", u"missing", -1), -1);
    EXPECT_EQ(file.getItemInt(u"nokey", u"status", -1), -1);
    EXPECT_EQ(file.getItemColour(u"chkGAPIVideo", u"colour", 0), 0x010203u);
    EXPECT_EQ(file.getItem(u"grpName", u"GUIType"), u"checkboxGroup");
    EXPECT_EQ(file.getItem(u"grpName", u""), u"GUIType:checkboxGroup, selected:0");
    std::u16string buffer;
    ASSERT_TRUE(file.getItemString(u"grpName", u"GUIType", buffer, 5));
    EXPECT_EQ(buffer, u"check");
    EXPECT_FALSE(file.getItemString(u"grpName", u"missing", buffer, 5)) << "no item";
    EXPECT_FALSE(file.getItemString(u"empty", u"", buffer, 5)) << "an empty one";
    EXPECT_EQ(buffer, u"check");
    file.setItem(u"chk", u"status", u"1");
    EXPECT_EQ(Raw(file, u"chk"), u" GUIType:checkbox, status:1");
    file.setItem(u"chk", u"persistent", u"1");
    EXPECT_EQ(Raw(file, u"chk"), u" GUIType:checkbox, status:1, persistent:1");
    file.setItem(u"empty", u"status", u"0");
    EXPECT_EQ(file.getItem(u"empty", u"status"), u"0");
    file.setItem(u"missing", u"status", u"1");
    EXPECT_EQ(file.getRaw(u"missing"), nullptr);
    file.setItem(u"_COMMENT_LINE_0", u"a", u"2");  // the name a comment is kept under
    EXPECT_EQ(file.serialize().substr(0, 11), u"#note, a:1\n");
}

TEST(PropertyPaths, VariantSuffixFollowsTheScreenShape) {
    EXPECT_EQ(ScreenVariantName(u"Cover.properties", 240, 320), u"Cover_P.properties");
    EXPECT_EQ(ScreenVariantName(u"Cover.properties", 240, 240), u"Cover_S.properties");
    EXPECT_EQ(ScreenVariantName(u"Cover.properties", 320, 240), u"Cover_L.properties");
    EXPECT_EQ(ScreenVariantName(u"a.b.c", 1, 2), u"a.b_P.c");
    EXPECT_EQ(ScreenVariantName(u"noextension", 1, 2), u"noextension");
    EXPECT_EQ(LargePictureName(u"characters/man_east.gif"), u"characters/man_east_2x.gif");
    EXPECT_EQ(LargePictureName(u"a.b.gif"), u"a.b_2x.gif");
    EXPECT_EQ(LargePictureName(u"Levels\\level1.x\\cell"), u"") << "a dot of a folder is not the extension's";
    EXPECT_EQ(JoinResourcePath(u"\\game\\bin\\..\\resources", u"x.properties"), u"\\game\\resources\\x.properties");
    EXPECT_EQ(JoinResourcePath(u"/game/resources/", u"x.properties"), u"/game/resources/x.properties");
}

class PropertyFileOnDisk : public ResourceTest {};

TEST_F(PropertyFileOnDisk, LoadAndSaveRoundTripAFile) {
    // Latin-1 and Windows-1252 bytes (not UTF-8) beside UTF-8: untouched
    // entries and comments keep their bytes.
    const std::string text =
        "# R\xE9glages \x80 caf\xC3\xA9\n\nchkSound = GUIType:checkbox, status:1 // on\nname=Zo\xEB\xC3\n";
    WriteFile(resources() / "gsettings.properties", text);
    PropertyFile file;
    std::vector<std::u16string> keys = {u"earlier"};  // what the file defines comes after
    ASSERT_TRUE(file.load(resources16(), u"gsettings.properties", &keys));
    EXPECT_EQ(keys, (std::vector<std::u16string>{u"earlier", u"chkSound", u"name"}));
    EXPECT_EQ(Get(file, u"name").size(), 4u);
    file.setItem(u"chkSound", u"status", u"0");
    ASSERT_TRUE(file.save());
    EXPECT_EQ(ReadFile(resources() / "gsettings.properties"),
              "# R\xE9glages \x80 caf\xC3\xA9\n\nchkSound= GUIType:checkbox, status:0\nname=Zo\xEB\xC3\n");
}

TEST_F(PropertyFileOnDisk, AMissingFileKeepsItsPathSoSaveCreatesItButNoFolder) {
    PropertyFile file;
    file.set(u"a", u"1");
    EXPECT_FALSE(file.save()) << "no path";
    file.reset();
    EXPECT_FALSE(file.load(resources16(), u"scores.properties"));
    EXPECT_EQ(file.count(), 0);
    file.set(u"default", u"Ann:5200");
    ASSERT_TRUE(file.save());
    EXPECT_EQ(ReadFile(resources() / "scores.properties"), "default=Ann:5200\n");
    file.setPath(U16((root_ / "no" / "such" / "x.properties").string()));
    EXPECT_FALSE(file.save());
}

TEST_F(PropertyFileOnDisk, ReadOnlyTargetIsRefusedAndKept) {
    const fs::path target = resources() / "scores.properties";
    WriteFile(target, "default=Ann:5200\n");
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read, fs::perm_options::replace);
    PropertyFile file;
    ASSERT_TRUE(file.load(resources16(), u"scores.properties"));
    file.set(u"default", u"Bob:1");
    EXPECT_FALSE(file.save());
    EXPECT_EQ(ReadFile(target), "default=Ann:5200\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(resources()), fs::directory_iterator()), 1);
}

TEST_F(PropertyFileOnDisk, SaveKeepsPermissionsAndLinks) {
    const fs::path real = root_ / "elsewhere" / "real.properties";
    WriteFile(real, "a=1\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read,
                    fs::perm_options::replace);
    fs::create_symlink(real, resources() / "linked.properties");
    PropertyFile file;
    ASSERT_TRUE(file.load(resources16(), u"linked.properties"));
    file.set(u"a", u"2");
    ASSERT_TRUE(file.save());
    EXPECT_TRUE(fs::is_symlink(resources() / "linked.properties"));
    EXPECT_EQ(ReadFile(real), "a=2\n");
    EXPECT_EQ(Mode(real), 0604);
}

}  // namespace

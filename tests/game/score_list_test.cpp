// The score list: ordering, duplicates, the ten kept, names that would break
// the stored list, and the file's other entries.

#include <gtest/gtest.h>

#include "data/data_test_support.h"
#include "data/property_file.h"
#include "game/score_list.h"
#include "data/text_helpers.h"
#include "platform/host/host.h"
#include "scene/canvas.h"
#include "scene/scene_sprite.h"
#include "scene/sprite.h"

namespace {

using namespace datatest;
using ScoreList = ResourceTest;

std::u16string U(const char* text) { return host::FromUtf8(text); }

const char* const kTen = "A:1000,B:900,C:800,D:700,E:600,F:500,G:400,H:300,I:200,J:100";

}  // namespace

// One insertion into a stored list: whether it was new, and the list written.
// Empty parts would show as blank rows and be written back.
TEST_F(ScoreList, InsertionsKeepTheOrderAndTheTenBest) {
    struct Case {
        const char *before, *name;
        int score;
        bool added;
        const char* after;
    };
    const Case cases[] = {
        {"", "Dee", 7, true, "Dee:7"},
        {",Ann:5200,,Bob:900,", "Bob", 900, false, "Ann:5200,Bob:900"},  // the same name and score is kept once
        {"Ann:5200,Bob:900", "Bob", 1000, true, "Ann:5200,Bob:1000,Bob:900"},
        {"Ann:500,Bob:500,Cy:100", "Dee", 500, true, "Ann:500,Bob:500,Dee:500,Cy:100"},  // after equal older ones
        {"Ann:5200,legacy,Bob:900", "Cy", 1000, true, "Ann:5200,Cy:1000,Bob:900,legacy"},  // a part without a colon stays
        // Names cannot break the stored list.
        {"Ann:5200,Bob:900", "x,Eve:99999", 10, true, "Ann:5200,Bob:900,x_Eve_99999:10"},
        {"Ann:5200", "a\\b//c{d}", 4, true, "Ann:5200,a_b__c_d_:4"},
        {kTen, "Zed", 50, true, kTen},   // below all ten: not written
        {kTen, "Zed", 100, true, kTen},  // equal to the tenth: after it, and off the list
        {kTen, "Zed", 750, true, "A:1000,B:900,C:800,Zed:750,D:700,E:600,F:500,G:400,H:300,I:200"},
        {kTen, "Zed", 5000, true, "Zed:5000,A:1000,B:900,C:800,D:700,E:600,F:500,G:400,H:300,I:200"},
    };
    for (const Case& c : cases) {
        ScoreTable table = ScoreTable::Parse(U(c.before));
        EXPECT_EQ(table.insert(U(c.name), c.score), c.added) << c.name << " " << c.score;
        EXPECT_EQ(table.format(), U(c.after)) << c.name << " " << c.score;
    }
}

TEST_F(ScoreList, AnEntryIsTakenOutUnderTheNameItWasAddedWith) {
    ScoreTable table = ScoreTable::Parse(U("Ann:5200,Bob:900,a_b:700"));
    ASSERT_TRUE(table.insert(U("a/b"), 800));
    EXPECT_TRUE(table.remove(U("a/b"), 800)) << "found in its stored form";
    EXPECT_EQ(table.format(), U("Ann:5200,Bob:900,a_b:700"));
    EXPECT_FALSE(table.remove(U("a/b"), 800));
}

TEST_F(ScoreList, ShownRowsHoldTheEntriesAndDashesAfterThem) {
    Canvas canvas(u"scores", false, false);
    auto* page = new SceneSprite(0, 0, 100, 100, 0, nullptr, 0, 0, 0, 0, 0);
    std::vector<Sprite*> names, values;
    for (size_t row = 0; row < ScoreTable::kShown; ++row) {
        names.push_back(new Sprite(0, 0, 10, 10));
        values.push_back(new Sprite(0, 0, 10, 10));
        page->addObject(u"ScoreName" + Decimal(row), names.back());
        page->addObject(u"ScoreValue" + Decimal(row), values.back());
        names.back()->setText(u"old");
        values.back()->setText(u"old");
    }
    canvas.addScene(u"page", page);
    ShowScores(canvas, ScoreTable::Parse(U("Ann:5200,,legacy,Bob:900")));
    const std::vector<std::u16string> shownNames = {u"Ann", u"legacy", u"Bob"}, shownValues = {u"5200", u"---", u"900"};
    for (size_t row = 0; row < ScoreTable::kShown; ++row) {
        EXPECT_EQ(names[row]->text(), row < 3 ? shownNames[row] : u"----------") << row;
        EXPECT_EQ(values[row]->text(), row < 3 ? shownValues[row] : u"---") << row;
    }
    ShowScores(canvas, ScoreTable::Parse(U(kTen)));
    EXPECT_EQ(names[0]->text(), U("A"));
    EXPECT_EQ(values[9]->text(), U("100"));
    ShowScores(canvas, ScoreTable{});
    EXPECT_EQ(names[0]->text(), u"----------") << "an empty list shows dashes only";
}

TEST_F(ScoreList, WritesTheListAndLeavesOtherEntriesAlone) {
    // A missing file reads as an empty list and is created on the first save.
    const std::u16string folder = resources16();
    ScoreTable table = LoadScores(folder);
    EXPECT_TRUE(table.entries().empty());
    table.insert(U("Dee"), 7);
    ASSERT_TRUE(SaveScores(folder, table));
    EXPECT_EQ(LoadScores(folder).format(), U("Dee:7"));

    WriteFile(resources() / "scores.properties", "# the best of all\nother=keep me\ndefault=Ann:5200,Bob:900\n");
    table = LoadScores(folder);
    table.insert(U("Cy"), 1000);
    ASSERT_TRUE(SaveScores(folder, table));
    EXPECT_EQ(LoadScores(folder).format(), U("Ann:5200,Cy:1000,Bob:900"));
    const std::string text = ReadFile(resources() / "scores.properties").value_or("");
    EXPECT_NE(text.find("# the best of all"), std::string::npos);
    EXPECT_NE(text.find("keep me"), std::string::npos);

    // A read-only install keeps the player's list in his data folder and reads it back from there.
    fs::permissions(resources(), fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    ConfigureResourceFolder(folder);
    table.insert(U("Eve"), 1100);
    ASSERT_TRUE(SaveScores(folder, table));
    EXPECT_EQ(LoadScores(folder).format(), U("Ann:5200,Eve:1100,Cy:1000,Bob:900"));
    EXPECT_TRUE(fs::exists(root_ / "share" / "karrowen" / "scores.properties"));
}

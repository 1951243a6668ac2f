// The player's overlays over a read-only resource folder: what is written
// (only what differs from the shipped file), how a later version of the
// shipped file shows through, and how an earlier version's full copy becomes
// an overlay.

#include <gtest/gtest.h>

#include "data/property_file.h"
#include "data_test_support.h"

namespace {

using namespace datatest;

std::u16string Get(PropertyFile& file, std::u16string_view key) {
    const char16_t* value = file.get(key);
    return value ? std::u16string(value) : u"<missing>";
}

const std::string kSettings =
    "# The settings page.\n"
    "\n"
    "title=type:Sprite, x:0, y:44, text:Settings\n"
    "chkVideo=type:Sprite, x:16, y:86, GUIType:checkbox, status:1\n"
    "optOn=type:Sprite, x:16, GUIType:checkbox, group:sound, status:1\n"
    "optOff=type:Sprite, x:122, GUIType:checkbox, group:sound, status:0\n"
    "sound=GUIType:checkboxGroup, selected:0\n";

class PropertyOverlay : public ResourceTest {
protected:
    void installReadOnly() {
        fs::permissions(resources(), fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
        ConfigureResourceFolder(resources16());
    }
    // A new version of the game replaces a shipped file.
    void ship(const std::string& name, const std::string& text) {
        fs::permissions(resources(), fs::perms::owner_all, fs::perm_options::replace);
        WriteFile(resources() / name, text);
        installReadOnly();
    }
    fs::path settingsOverlay() const { return root_ / "config" / "karrowen" / "gsettings.properties"; }
    fs::path scoresOverlay() const { return root_ / "share" / "karrowen" / "scores.properties"; }
    std::u16string folder() const { return resources16(); }
};

TEST_F(PropertyOverlay, OnlyChangedItemsAreKeptAndANewVersionShowsThrough) {
    ship("gsettings.properties", kSettings);
    {
        PropertyFile page;
        ASSERT_TRUE(page.load(folder(), u"gsettings.properties"));
        page.setItem(u"optOn", u"status", u"0");
        page.setItem(u"optOff", u"status", u"1");
        page.setItem(u"sound", u"selected", u"1");
        page.setItem(u"chkVideo", u"status", u"1");  // as shipped: nothing to keep
        ASSERT_TRUE(page.save());
    }
    EXPECT_EQ(ReadFile(resources() / "gsettings.properties"), kSettings);
    EXPECT_EQ(ReadFile(settingsOverlay()), "optOn:status=0\noptOff:status=1\nsound:selected=1\n");
    EXPECT_FALSE(fs::exists(scoresOverlay().parent_path()));

    // The next version moves the boxes, renames the title, adds an entry and
    // drops the Off option; the player's choices stay where they still apply.
    ship("gsettings.properties",
         "title=type:Sprite, x:0, y:44, text:Options\n"
         "chkVideo=type:Sprite, x:20, y:90, GUIType:checkbox, status:1\n"
         "optOn=type:Sprite, x:20, GUIType:checkbox, group:sound, status:1\n"
         "sound=GUIType:checkboxGroup, selected:0\n"
         "chkShake=type:Sprite, x:20, GUIType:checkbox, status:0\n");
    PropertyFile page;
    ASSERT_TRUE(page.load(folder(), u"gsettings.properties"));
    EXPECT_EQ(page.getItem(u"title", u"text"), u"Options");
    EXPECT_EQ(page.getItem(u"optOn", u"x"), u"20");
    EXPECT_EQ(page.getItem(u"optOn", u"status"), u"0");
    EXPECT_EQ(page.getItem(u"sound", u"selected"), u"1");
    EXPECT_EQ(page.getRaw(u"optOff"), nullptr);
    EXPECT_EQ(page.getItem(u"chkShake", u"status"), u"0");
    EXPECT_EQ(page.dataKeys(), (std::vector<std::u16string>{u"title", u"chkVideo", u"optOn", u"sound", u"chkShake"}));

    // The choice for the option that is gone is dropped on the next save.
    page.setItem(u"chkShake", u"status", u"1");
    ASSERT_TRUE(page.save());
    EXPECT_EQ(ReadFile(settingsOverlay()), "optOn:status=0\nsound:selected=1\nchkShake:status=1\n");
}

TEST_F(PropertyOverlay, ValuesBackAtTheShippedOneLeaveTheOverlayAndThenItGoes) {
    ship("gsettings.properties", kSettings);
    PropertyFile page;
    ASSERT_TRUE(page.load(folder(), u"gsettings.properties"));
    page.setItem(u"sound", u"selected", u"1");
    page.setItem(u"chkVideo", u"status", u"0");
    ASSERT_TRUE(page.save());
    EXPECT_EQ(ReadFile(settingsOverlay()), "chkVideo:status=0\nsound:selected=1\n");

    PropertyFile reread;
    ASSERT_TRUE(reread.load(folder(), u"gsettings.properties"));
    reread.setItem(u"chkVideo", u"status", u"1");
    ASSERT_TRUE(reread.save());
    EXPECT_EQ(ReadFile(settingsOverlay()), "sound:selected=1\n");
    reread.setItem(u"sound", u"selected", u"0");
    ASSERT_TRUE(reread.save());
    EXPECT_FALSE(fs::exists(settingsOverlay()));

    // A whole entry set back to its shipped text goes the same way.
    reread.set(u"title", u"type:Sprite, x:0, y:44, text:Mine");
    ASSERT_TRUE(reread.save());
    EXPECT_EQ(ReadFile(settingsOverlay()), "title=type:Sprite, x:0, y:44, text:Mine\n");
    reread.set(u"title", u"type:Sprite, x:0, y:44, text:Settings");
    ASSERT_TRUE(reread.save());
    EXPECT_FALSE(fs::exists(settingsOverlay()));
}

TEST_F(PropertyOverlay, ScoresWithoutAShippedFileGoToTheDataFolder) {
    installReadOnly();
    {
        PropertyFile scores;
        scores.setOverlayKind(OverlayKind::PlayerData);
        EXPECT_FALSE(scores.load(folder(), u"scores.properties"));
        scores.set(u"default", u"Bob:9000,Ann:5200");
        ASSERT_TRUE(scores.save());
    }
    EXPECT_EQ(ReadFile(scoresOverlay()), "default=Bob:9000,Ann:5200\n");
    EXPECT_FALSE(fs::exists(resources() / "scores.properties"));
    EXPECT_FALSE(fs::exists(root_ / "config"));

    PropertyFile scores;
    scores.setOverlayKind(OverlayKind::PlayerData);
    ASSERT_TRUE(scores.load(folder(), u"scores.properties"));
    EXPECT_EQ(Get(scores, u"default"), u"Bob:9000,Ann:5200");
    // The settings folder is not where scores are looked for.
    PropertyFile asSettings;
    EXPECT_FALSE(asSettings.load(folder(), u"scores.properties"));
}

TEST_F(PropertyOverlay, AFailedWriteLeavesTheOldOverlayWhole) {
    ship("gsettings.properties", kSettings);
    PropertyFile page;
    ASSERT_TRUE(page.load(folder(), u"gsettings.properties"));
    page.setItem(u"chkVideo", u"status", u"0");
    ASSERT_TRUE(page.save());
    const std::string old = "chkVideo:status=0\n";
    for (int i = 0; i < 200; ++i) page.set(u"entry" + U16(std::to_string(i)), std::u16string(40, u'x'));

    const bool savedOk = SaveUnderFileSizeLimit(page);

    EXPECT_FALSE(savedOk);
    EXPECT_EQ(ReadFile(settingsOverlay()), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(settingsOverlay().parent_path()), fs::directory_iterator()), 1)
        << "the temporary file must not be left behind";
}

TEST_F(PropertyOverlay, EarlierFullCopiesBecomeOverlaysOnce) {
    ship("gsettings.properties", kSettings);
    const fs::path legacy = root_ / "share" / "karrowen" / "resources";
    // The old version's page: another layout, an entry since dropped, and the
    // player's choices of the Off option and no direct video.
    WriteFile(legacy / "gsettings.properties",
              "# The settings page.\n"
              "title=type:Sprite, x:0, y:40, text:Old title\n"
              "chkVideo=type:Sprite, x:10, y:80, GUIType:checkbox, status:0\n"
              "optOn=type:Sprite, x:10, GUIType:checkbox, group:sound, status:0\n"
              "optOff=type:Sprite, x:100, GUIType:checkbox, group:sound, status:1\n"
              "sound=GUIType:checkboxGroup, selected:1\n"
              "chkGone=type:Sprite, GUIType:checkbox, status:1\n");
    WriteFile(legacy / "scores.properties", "# Best scores\ndefault=Ann:5200,Bob:900\n");

    PropertyFile page;
    ASSERT_TRUE(page.load(folder(), u"gsettings.properties"));
    EXPECT_EQ(page.getItem(u"title", u"text"), u"Settings");
    EXPECT_EQ(page.getItem(u"chkVideo", u"x"), u"16");
    EXPECT_EQ(page.getItem(u"chkVideo", u"status"), u"0");
    EXPECT_EQ(page.getItem(u"sound", u"selected"), u"1");
    EXPECT_EQ(page.getRaw(u"chkGone"), nullptr);
    EXPECT_EQ(ReadFile(settingsOverlay()),
              "chkVideo:status=0\noptOn:status=0\noptOff:status=1\nsound:selected=1\n");
    EXPECT_FALSE(fs::exists(legacy / "gsettings.properties"));

    PropertyFile scores;
    scores.setOverlayKind(OverlayKind::PlayerData);
    ASSERT_TRUE(scores.load(folder(), u"scores.properties"));
    EXPECT_EQ(Get(scores, u"default"), u"Ann:5200,Bob:900");
    EXPECT_EQ(ReadFile(scoresOverlay()), "default=Ann:5200,Bob:900\n");
    EXPECT_FALSE(fs::exists(legacy / "scores.properties"));
}

}  // namespace

// The language table and its fallbacks to the built-in texts.

#include "data/language_table.h"

#include <gtest/gtest.h>

#include "data/property_file.h"
#include "data_test_support.h"

namespace {

using namespace datatest;

using LanguageTableTest = ResourceTest;

TEST_F(LanguageTableTest, AMissingFileKeepsTheTableAReloadReplacesItAndFreeingRestoresDefaults) {
    LoadLanguageTable(resources16(), u"LanguageTable.txt");
    EXPECT_EQ(LanguageTable(), nullptr);
    EXPECT_EQ(GetLanguageText(u"MG_POW", u"MAGIC POWER!"), u"MAGIC POWER!");
    WriteFile(resources() / "LanguageTable.txt",
              "# German\n\nMG_POW=ZAUBERKRAFT!\nNEW_LF = NEUES LEBEN!\nQT_GM=Spiel beenden?\n");
    // A folder named without its closing separator is the same folder.
    LoadLanguageTable(U16(resources().string()), u"LanguageTable.txt");
    ASSERT_NE(LanguageTable(), nullptr);
    EXPECT_EQ(LanguageTable()->count(), 4) << "blank lines are not kept as entries";
    LoadLanguageTable(resources16(), u"Missing.txt");
    EXPECT_EQ(GetLanguageText(u"MG_POW", u"MAGIC POWER!"), u"ZAUBERKRAFT!");
    EXPECT_EQ(GetLanguageText(u"NEW_LF", u"NEW LIFE!"), u"NEUES LEBEN!");
    EXPECT_EQ(GetLanguageText(u"LV_CLR", u"Level Cleared"), u"Level Cleared");
    WriteFile(resources() / "Other.txt", "MG_POW=second\n");
    LoadLanguageTable(resources16(), u"Other.txt");
    EXPECT_EQ(GetLanguageText(u"MG_POW", u"MAGIC POWER!"), u"second");
    EXPECT_EQ(GetLanguageText(u"NEW_LF", u"NEW LIFE!"), u"NEW LIFE!");
    FreeLanguageTable();
    EXPECT_EQ(LanguageTable(), nullptr);
    EXPECT_EQ(GetLanguageText(u"MG_POW", u"MAGIC POWER!"), u"MAGIC POWER!");
}

// One table file, one look-up: texts are read whole and looked up as written.
TEST_F(LanguageTableTest, EachTextIsTheFirstNonEmptyDefinitionOfItsExactIdentifier) {
    struct Case {
        const char *file, *id, *fallback, *expected;
    };
    const Case cases[] = {
        {"LV_CLR=Niveau terminé ✓\n", "LV_CLR", "Level Cleared", "Niveau terminé ✓"},
        {"LDING=\n", "LDING", "Loading ...", "Loading ..."},
        {"INPUT_NAME=Dein Name:\nINPUT_NAME=Ihr Name:\n", "INPUT_NAME", "Your Name:", "Dein Name:"},
        {"base=X\nMG_KILL={base} KILL\n", "MG_KILL", "MAGIC KILL!", "{base} KILL"},
        {"base=X\nMG_KILL={base} KILL\n", "mg_kill", "MAGIC KILL!", "MAGIC KILL!"},
    };
    for (const Case& c : cases) {
        WriteFile(resources() / "LanguageTable.txt", c.file);
        LoadLanguageTable(resources16(), u"LanguageTable.txt");
        EXPECT_EQ(GetLanguageText(U16(c.id), U16(c.fallback)), U16(c.expected)) << c.file;
    }
}

TEST_F(LanguageTableTest, TableOnlyInTheArchiveIsUsed) {
    PrepareTempFolder();
    WriteZip(resources() / "resources.zip", {{"LanguageTable.txt", "LV_CLR=Nivel superado\n"}});
    ASSERT_TRUE(RegisterArchive(u"resources.zip", resources16()));
    LoadLanguageTable(resources16(), u"LanguageTable.txt");
    EXPECT_EQ(GetLanguageText(u"LV_CLR", u"Level Cleared"), u"Nivel superado");
}

}  // namespace

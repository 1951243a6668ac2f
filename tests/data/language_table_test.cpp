// The language table and its fallbacks to the built-in texts.

#include "data/language_table.h"

#include <gtest/gtest.h>

#include "data/property_file.h"
#include "data_test_support.h"

namespace {

using namespace datatest;

using LanguageTableTest = ResourceTest;

TEST_F(LanguageTableTest, WithoutATableEveryTextIsItsDefault) {
    LoadLanguageTable(resources16(), u"LanguageTable.txt");
    EXPECT_EQ(LanguageTable(), nullptr);
    EXPECT_EQ(GetLanguageText(u"MG_POW", u"MAGIC POWER!"), u"MAGIC POWER!");
    EXPECT_EQ(GetLanguageText(u"LD_LVL", u"Loading Level ...\n10%"), u"Loading Level ...\n10%");
}

TEST_F(LanguageTableTest, TranslatedTextsReplaceDefaults) {
    WriteFile(resources() / "LanguageTable.txt",
              "# German\n\nMG_POW=ZAUBERKRAFT!\nNEW_LF = NEUES LEBEN!\nQT_GM=Spiel beenden?\n");
    LoadLanguageTable(resources16(), u"LanguageTable.txt");
    ASSERT_NE(LanguageTable(), nullptr);
    EXPECT_EQ(GetLanguageText(u"MG_POW", u"MAGIC POWER!"), u"ZAUBERKRAFT!");
    EXPECT_EQ(GetLanguageText(u"NEW_LF", u"NEW LIFE!"), u"NEUES LEBEN!");
    // A folder named without its closing separator is the same folder.
    FreeLanguageTable();
    LoadLanguageTable(U16(resources().string()), u"LanguageTable.txt");
    EXPECT_EQ(GetLanguageText(u"MG_POW", u"MAGIC POWER!"), u"ZAUBERKRAFT!");
    EXPECT_EQ(GetLanguageText(u"LV_CLR", u"Level Cleared"), u"Level Cleared");
    // Blank lines are not kept as entries.
    EXPECT_EQ(LanguageTable()->count(), 4);
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

TEST_F(LanguageTableTest, MissingFileKeepsTheLoadedTableAndAReloadReplacesIt) {
    WriteFile(resources() / "LanguageTable.txt", "MG_POW=first\nNEW_LF=only in first\n");
    LoadLanguageTable(resources16(), u"LanguageTable.txt");
    LoadLanguageTable(resources16(), u"Missing.txt");
    EXPECT_EQ(GetLanguageText(u"MG_POW", u"MAGIC POWER!"), u"first");
    WriteFile(resources() / "Other.txt", "MG_POW=second\n");
    LoadLanguageTable(resources16(), u"Other.txt");
    EXPECT_EQ(GetLanguageText(u"MG_POW", u"MAGIC POWER!"), u"second");
    EXPECT_EQ(GetLanguageText(u"NEW_LF", u"NEW LIFE!"), u"NEW LIFE!");
}

TEST_F(LanguageTableTest, FreeingTheTableRestoresDefaults) {
    WriteFile(resources() / "LanguageTable.txt", "MG_POW=first\n");
    LoadLanguageTable(resources16(), u"LanguageTable.txt");
    FreeLanguageTable();
    EXPECT_EQ(LanguageTable(), nullptr);
    EXPECT_EQ(GetLanguageText(u"MG_POW", u"MAGIC POWER!"), u"MAGIC POWER!");
}

}  // namespace

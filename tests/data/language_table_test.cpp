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

TEST_F(LanguageTableTest, NonAsciiTextsSurviveTheRoundTrip) {
    WriteFile(resources() / "LanguageTable.txt", "LV_CLR=Niveau terminé ✓\n");
    LoadLanguageTable(resources16(), u"LanguageTable.txt");
    EXPECT_EQ(GetLanguageText(u"LV_CLR", u"Level Cleared"), u"Niveau terminé ✓");
}

TEST_F(LanguageTableTest, EmptyTextFallsBackToTheDefault) {
    WriteFile(resources() / "LanguageTable.txt", "LDING=\n");
    LoadLanguageTable(resources16(), u"LanguageTable.txt");
    EXPECT_EQ(GetLanguageText(u"LDING", u"Loading ..."), u"Loading ...");
}

TEST_F(LanguageTableTest, FirstDefinitionOfAnIdentifierCounts) {
    WriteFile(resources() / "LanguageTable.txt", "INPUT_NAME=Dein Name:\nINPUT_NAME=Ihr Name:\n");
    LoadLanguageTable(resources16(), u"LanguageTable.txt");
    EXPECT_EQ(GetLanguageText(u"INPUT_NAME", u"Please Input Your Name:"), u"Dein Name:");
}

TEST_F(LanguageTableTest, IdentifiersAreLookedUpRawAndCaseSensitively) {
    WriteFile(resources() / "LanguageTable.txt", "base=X\nMG_KILL={base} KILL\n");
    LoadLanguageTable(resources16(), u"LanguageTable.txt");
    EXPECT_EQ(GetLanguageText(u"MG_KILL", u"MAGIC KILL!"), u"{base} KILL");
    EXPECT_EQ(GetLanguageText(u"mg_kill", u"MAGIC KILL!"), u"MAGIC KILL!");
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

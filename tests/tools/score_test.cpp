// The score notation: what each token writes into the pattern cells, the
// mistakes it refuses, and the song frame the composer adds (speed, tempo,
// pattern break, the closing jump).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "music/score.h"

namespace {

SongScore TestSong() {
    SongScore song;
    song.title = "test";
    song.instruments = {4, 2, 1, 3};
    song.drums = {{'k', 4, 24}, {'h', 6, 36}};
    song.vibrato = 0x37;
    return song;
}

std::vector<ModCell> Track(const std::string& text, int channel = 2) {
    std::vector<ModCell> cells;
    std::string error;
    EXPECT_TRUE(ParseTrack(text, TestSong(), channel, cells, error)) << text << ": " << error;
    return cells;
}

bool Refused(const std::string& text) {
    std::vector<ModCell> cells;
    std::string error;
    return !ParseTrack(text, TestSong(), 2, cells, error) && !error.empty();
}

TEST(ScoreNotation, NotesDurationsAndInstruments) {
    // The classic Amiga periods: C1 856, A1 508, C#2 404, Bb2 240, B3 113.
    std::vector<ModCell> cells = Track("C1:2 A1 | C#2 - @5 Bb2:3 B3 k h");
    ASSERT_EQ(cells.size(), 11u);
    EXPECT_EQ(cells[0].period, 856);
    EXPECT_EQ(cells[0].sample, 1);  // channel 2's instrument
    EXPECT_EQ(cells[1].period, 0);  // the second row of C1 adds nothing
    EXPECT_EQ(cells[2].period, 508);
    EXPECT_EQ(cells[3].period, 404);
    EXPECT_EQ(cells[4].period, 0);
    EXPECT_EQ(cells[5].period, 240);
    EXPECT_EQ(cells[5].sample, 5);  // after @5
    EXPECT_EQ(cells[8].period, 113);
    EXPECT_EQ(cells[9].sample, 4);  // the kick: its own sample at C2
    EXPECT_EQ(cells[9].period, 428);
    EXPECT_EQ(cells[10].sample, 6);
    EXPECT_EQ(cells[10].period, 214);
    for (const ModCell& cell : cells) EXPECT_FALSE(cell.hasEffect());
}

TEST(ScoreNotation, EffectsLandOnTheirRows) {
    std::vector<ModCell> cells = Track("A2:3~ E2a37:2 G2>10:3 C2d04:2 D2:3f2 F2v20 ^:2 C3!e93 G1:2w84");
    ASSERT_EQ(cells.size(), 19u);
    // Vibrato: the note speaks plain, then sets the song's vibrato and keeps it.
    EXPECT_FALSE(cells[0].hasEffect());
    EXPECT_EQ(cells[1].effect, 0x4);
    EXPECT_EQ(cells[1].param, 0x37);
    EXPECT_EQ(cells[2].effect, 0x4);
    EXPECT_EQ(cells[2].param, 0x00);
    // Arpeggio on every row of the note.
    for (int r : {3, 4}) EXPECT_EQ(cells[size_t(r)].effect * 256 + cells[size_t(r)].param, 0x037) << r;
    // Tone portamento: the target with its speed, then the slide goes on.
    EXPECT_EQ(cells[5].effect, 0x3);
    EXPECT_EQ(cells[5].param, 0x10);
    EXPECT_EQ(cells[5].period, 285);
    EXPECT_EQ(cells[6].effect, 0x3);
    EXPECT_EQ(cells[6].param, 0x00);
    // Portamento down on both rows; volume slide down after the first.
    EXPECT_EQ(cells[8].effect, 0x2);
    EXPECT_EQ(cells[9].effect, 0x2);
    EXPECT_EQ(cells[9].param, 0x04);
    EXPECT_FALSE(cells[10].hasEffect());
    EXPECT_EQ(cells[11].effect, 0xA);
    EXPECT_EQ(cells[11].param, 0x02);
    EXPECT_EQ(cells[12].effect, 0xA);
    // Set volume, the stop (volume 0 and nothing after), a raw effect.
    EXPECT_EQ(cells[13].effect, 0xC);
    EXPECT_EQ(cells[13].param, 0x20);
    EXPECT_EQ(cells[14].effect, 0xC);
    EXPECT_EQ(cells[14].param, 0x00);
    EXPECT_EQ(cells[14].period, 0);
    EXPECT_FALSE(cells[15].hasEffect());
    EXPECT_EQ(cells[16].effect, 0xE);
    EXPECT_EQ(cells[16].param, 0x93);
    EXPECT_EQ(cells[18].effect, 0x4);  // vibrato of its own
    EXPECT_EQ(cells[18].param, 0x84);
}

TEST(ScoreNotation, RefusesWhatAClassicPlayerWouldNotPlay) {
    EXPECT_TRUE(Refused("C4"));        // outside the three classic octaves
    EXPECT_TRUE(Refused("Cb1"));       // below C1
    EXPECT_TRUE(Refused("A3a37"));     // the arpeggio would leave the table
    EXPECT_TRUE(Refused("A2a37v20"));  // two effects on the first row
    EXPECT_TRUE(Refused("A2:3~f2"));   // two effects on the later rows
    EXPECT_TRUE(Refused("A2:3w4"));    // vibrato needs speed and depth
    EXPECT_TRUE(Refused("A2v41"));     // volume above 64
    EXPECT_TRUE(Refused("A2:0"));
    EXPECT_TRUE(Refused("A2:65"));
    EXPECT_TRUE(Refused("z"));         // no such drum
    EXPECT_TRUE(Refused("@32 C2"));
    EXPECT_TRUE(Refused("H2"));
}

SongScore TwoPatternSong() {
    SongScore song = TestSong();
    song.bpm = 150;
    song.speed = 5;
    std::string full = "k:16 k:16 k:16 k:16";
    song.patterns = {{"a", {full, "C1:64", "E2:64", "G2:64"}}, {"b", {"k:16 k:16", "C1:32", "E2:32", "G2:32"}}};
    song.orders = {"a", "b", "a", "b"};
    song.loopOrder = 1;
    return song;
}

TEST(ScoreComposer, SongFrameSpeedTempoBreakAndClosingJump) {
    ComposedSong composed;
    std::string error;
    ASSERT_TRUE(ComposeSong(TwoPatternSong(), composed, error)) << error;
    const ModFile& module = composed.module;
    EXPECT_EQ(composed.rows, 64 + 32 + 64 + 32);
    EXPECT_EQ(composed.tickRate, 60);
    EXPECT_EQ(composed.ticks(), 192 * 5);
    EXPECT_EQ(module.restartOrder, 1);
    // The last order plays a copy of "b" that alone carries the jump back.
    ASSERT_EQ(module.orders, (std::vector<int>{0, 1, 0, 2}));
    ASSERT_EQ(module.patterns.size(), 3u);

    auto effectsOnRow = [](const ModPattern& p, int row) {
        std::vector<int> found;
        for (int c = 0; c < kModChannels; ++c)
            if (CellAt(p, row, c).hasEffect()) found.push_back(CellAt(p, row, c).effect << 8 | CellAt(p, row, c).param);
        return found;
    };
    EXPECT_EQ(effectsOnRow(module.patterns[0], 0), (std::vector<int>{0xF05, 0xF96}));  // speed 5, 150 bpm
    EXPECT_EQ(effectsOnRow(module.patterns[1], 31), (std::vector<int>{0xD00}));      // 32 rows, then on
    EXPECT_EQ(effectsOnRow(module.patterns[2], 31), (std::vector<int>{0xD00, 0xB01}));
    EXPECT_TRUE(effectsOnRow(module.patterns[1], 0).empty());
}

TEST(ScoreComposer, RefusesUnevenTracksAndFullRows) {
    SongScore song = TwoPatternSong();
    ComposedSong composed;
    std::string error;
    song.patterns[1].tracks[2] = "E2:31";
    EXPECT_FALSE(ComposeSong(song, composed, error));
    EXPECT_NE(error.find("pattern b"), std::string::npos) << error;

    song = TwoPatternSong();
    // Every channel of the first row busy: no room for speed and tempo.
    song.patterns[0].tracks = {"k!e00 k:63", "C1a37:64", "E2a37:64", "G2a37:64"};
    EXPECT_FALSE(ComposeSong(song, composed, error));

    song = TwoPatternSong();
    song.orders.push_back("missing");
    EXPECT_FALSE(ComposeSong(song, composed, error));
}

}  // namespace

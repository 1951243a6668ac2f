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

// What a cell should hold; -1: anything. An effect of -1 with a param of 0:
// no effect at all.
struct Expected {
    size_t row;
    int period, sample, effect = -1, param = -1;
};

void ExpectCells(const std::vector<ModCell>& cells, std::initializer_list<Expected> expected) {
    for (const Expected& e : expected) {
        ASSERT_LT(e.row, cells.size());
        const ModCell& c = cells[e.row];
        EXPECT_TRUE(e.period < 0 || c.period == e.period) << "row " << e.row << ": period " << c.period;
        EXPECT_TRUE(e.sample < 0 || c.sample == e.sample) << "row " << e.row << ": sample " << c.sample;
        EXPECT_TRUE(e.effect < 0 || c.effect == e.effect) << "row " << e.row << ": effect " << c.effect;
        EXPECT_TRUE(e.param < 0 || c.param == e.param) << "row " << e.row << ": param " << c.param;
        EXPECT_FALSE(e.effect < 0 && e.param == 0 && c.hasEffect()) << "row " << e.row << ": an effect";
    }
}

TEST(ScoreNotation, NotesDurationsAndInstruments) {
    // The classic Amiga periods: C1 856, A1 508, C#2 404, Bb2 240, B3 113.
    std::vector<ModCell> cells = Track("C1:2 A1 | C#2 - @5 Bb2:3 B3 k h");
    ASSERT_EQ(cells.size(), 11u);
    ExpectCells(cells, {{0, 856, 1},    // channel 2's instrument
                        {1, 0, -1},     // the second row of C1 adds nothing
                        {2, 508, -1}, {3, 404, -1}, {4, 0, -1},
                        {5, 240, 5},    // after @5
                        {8, 113, -1},
                        {9, 428, 4},    // the kick: its own sample at C2
                        {10, 214, 6}});
    for (const ModCell& cell : cells) EXPECT_FALSE(cell.hasEffect());
}

TEST(ScoreNotation, EffectsLandOnTheirRows) {
    std::vector<ModCell> cells = Track("A2:3~ E2a37:2 G2>10:3 C2d04:2 D2:3f2 F2v20 ^:2 C3!e93 G1:2w84");
    ASSERT_EQ(cells.size(), 19u);
    ExpectCells(cells, {
        // Vibrato: the note speaks plain, then sets the song's vibrato and keeps it.
        {0, -1, -1, -1, 0}, {1, -1, -1, 0x4, 0x37}, {2, -1, -1, 0x4, 0x00},
        // Arpeggio on every row of the note.
        {3, -1, -1, 0x0, 0x37}, {4, -1, -1, 0x0, 0x37},
        // Tone portamento: the target with its speed, then the slide goes on.
        {5, 285, -1, 0x3, 0x10}, {6, -1, -1, 0x3, 0x00},
        // Portamento down on both rows; volume slide down after the first.
        {8, -1, -1, 0x2}, {9, -1, -1, 0x2, 0x04}, {10, -1, -1, -1, 0}, {11, -1, -1, 0xA, 0x02}, {12, -1, -1, 0xA},
        // Set volume, the stop (volume 0 and nothing after), a raw effect, a vibrato of its own.
        {13, -1, -1, 0xC, 0x20}, {14, 0, -1, 0xC, 0x00}, {15, -1, -1, -1, 0}, {16, -1, -1, 0xE, 0x93},
        {18, -1, -1, 0x4, 0x84}});
}

TEST(ScoreNotation, RefusesWhatAClassicPlayerWouldNotPlay) {
    // Outside the three classic octaves, below C1, an arpeggio leaving the
    // table, two effects on the first row and on the later rows, a vibrato
    // without speed and depth, volume above 64, lengths, a drum, an instrument
    // and a note that do not exist.
    for (const char* text : {"C4", "Cb1", "A3a37", "A2a37v20", "A2:3~f2", "A2:3w4", "A2v41", "A2:0", "A2:65", "z",
                             "@32 C2", "H2"})
        EXPECT_TRUE(Refused(text)) << text;
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

// The module player: period table, note lookup, sequencer timing and song end,
// row and tick effects, and modules that lie about their data (random and
// truncated modules are the sound fuzz target's).

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <tuple>
#include <vector>

#include "sound/mod_player.h"
#include "sound/mod_sound.h"
#include "sound/period_table.h"
#include "sound_test_files.h"

using soundtest::InstrumentSample;
using soundtest::ModuleBuilder;

namespace {

constexpr int kRate = 8000;

NoteLookup& Notes() {
    static NoteLookup* notes = [] {
        auto* n = new NoteLookup;
        n->build();
        return n;
    }();
    return *notes;
}

// A looping sample of constant value, so channels keep playing.
InstrumentSample LoopedSample(int volume = 64, int8_t value = 100, int words = 300) {
    InstrumentSample s;
    s.volume = volume;
    s.loopStartWords = 0;
    s.loopLengthWords = words;
    s.data.assign(size_t(words) * 2, value);
    return s;
}

// How a fixture plays its module.
struct Play {
    bool loop = false;
    int frequency = 44100;
    int masterVolume = 64;
    int rate = kRate;
    bool stereo = false;
};

struct Fixture {
    explicit Fixture(const std::vector<uint8_t>& file, Play play = {}) {
        EXPECT_EQ(sound.loadFromMemory(file.data(), file.size()), kSoundOk);
        sound.loop = play.loop;
        sound.frequency = play.frequency;
        EXPECT_TRUE(player.start(sound, ModOutput{play.rate, play.stereo, &Notes()}, play.masterVolume));
    }
    explicit Fixture(const ModuleBuilder& builder, Play play = {}) : Fixture(builder.bytes(), play) {}

    // Runs whole ticks: the first frame of a tick runs its sequencer step.
    void runTicks(int ticks) {
        std::vector<int32_t> mix;
        for (int i = 0; i < ticks && player.active; ++i) {
            int32_t first = 0;
            player.mix(&first, 1);
            mix.assign(size_t(player.samplesPerTick()), 0);
            player.mix(mix.data(), player.samplesPerTick() - 1);
        }
    }

    // Plays until the song ends (or a limit); returns the frames played.
    int64_t playToEnd(int64_t limit = 10'000'000) {
        std::vector<int32_t> mix(8192);  // 4096 frames, stereo or not
        while (player.active && player.framesPlayed < limit) {
            std::fill(mix.begin(), mix.end(), 0);
            player.mix(mix.data(), 4096);
        }
        return player.framesPlayed;
    }

    const ModChannel& channel(int i = 0) const { return player.channel(i); }

    ModSound sound;
    ModPlayer player;
};

}  // namespace

// ---- Period table and note lookup ----------------------------------------------------

TEST(ModulePeriods, RowsHoldTheStandardPeriods) {
    const uint16_t* zero = kModulePeriods[0];
    const std::vector<int> firstOctave = {1712, 1616, 1525, 1440, 1357, 1281, 1209, 1141, 1077, 1017, 961, 907};
    EXPECT_EQ(std::vector<int>(zero, zero + 12), firstOctave);
    // C-1, F#-2 and B-3 of the standard ProTracker table, finetune 0 ... 7, -8 ... -1,
    // and the sum of the row's 36 periods there. No scaling formula gives them
    // all: they are the table's own roundings.
    const int standard[kFinetuneRows][4] = {
        {856, 302, 113, 13330}, {850, 300, 113, 13250}, {844, 298, 112, 13156}, {838, 296, 111, 13061},
        {832, 294, 110, 12967}, {826, 292, 109, 12874}, {820, 290, 109, 12781}, {814, 288, 108, 12688},
        {907, 320, 120, 14125}, {900, 318, 119, 14034}, {894, 316, 118, 13937}, {887, 314, 118, 13837},
        {881, 312, 117, 13736}, {875, 309, 116, 13640}, {868, 307, 115, 13540}, {862, 305, 114, 13441}};
    for (int row = 0; row < kFinetuneRows; ++row) {
        const uint16_t* periods = kModulePeriods[row];
        EXPECT_EQ(periods[12], standard[row][0]) << "row " << row;
        EXPECT_EQ(periods[30], standard[row][1]) << "row " << row;
        EXPECT_EQ(periods[47], standard[row][2]) << "row " << row;
        EXPECT_EQ(std::accumulate(periods + 12, periods + 48, 0), standard[row][3]) << "row " << row;
        // The octaves below and above those three are scaled from finetune 0's,
        // whose high octaves halve its first octave's periods, rounding halves down.
        const int finetune = row < 8 ? row : row - 16;
        for (int n = 0; n < kPeriodNotes; n = n == 11 ? 48 : n + 1) {
            const int octave = n / 12;
            const double base = octave == 0 ? zero[n] : std::floor(zero[n % 12] / std::ldexp(1.0, octave) - 0.5);
            int expected = int(std::floor(base * std::exp2(-finetune / 96.0)));
            if (row == 8 && n == 1) expected = 1711;  // the published value, one below the scaled one
            EXPECT_EQ(periods[n], expected) << "row " << row << ", note " << n;
        }
    }
}

TEST(ModulePeriods, LookupFindsTheNearestNote) {
    // 832 lies as far from 856 (note 12) as from 808 (note 13): the lower index wins.
    for (auto [period, note] : {std::pair{1712, 0}, {856, 12}, {850, 12}, {13, 83}, {1, 83}, {832, 12}, {831, 13}, {4095, 0}})
        EXPECT_EQ(Notes().noteOf(period), note) << period;
}

// ---- Timing and song end ----------------------------------------------------------------

TEST(ModulePlayer, F20SetsTheSpeedAndF21TheTickRate) {
    for (auto [param, speed, tickRate] : {std::tuple{0x20, 32, 50}, {0x21, 6, 13}, {0x00, 6, 50}}) {
        Fixture f(ModuleBuilder().cell(0, 0, 0, 0, 0, 0xF, param));
        f.runTicks(1);
        EXPECT_EQ(std::tuple(f.player.speed, f.player.tickRate, f.player.samplesPerTick()),
                  std::tuple(speed, tickRate, kRate / tickRate)) << param;
    }
    // However fast the song is played, a tick lasts at least one frame.
    EXPECT_EQ(Fixture(ModuleBuilder(), Play{.frequency = 8'000'000}).player.samplesPerTick(), 1);
}

// Order 0: speed 3 and a break at row 8 into row 10 of order 1; there the tick
// rate drops to 13; order 2 sets tick rate 40 and jumps back at row 4.
ModuleBuilder TimedSong() {
    return ModuleBuilder()
        .order({0, 1, 2})
        .cell(0, 0, 0, 0, 0, 0xF, 0x03)
        .cell(0, 8, 1, 0, 0, 0xD, 0x10)
        .cell(1, 10, 0, 0, 0, 0xF, 0x21)
        .cell(2, 0, 0, 0, 0, 0xF, 0x64)
        .cell(2, 4, 2, 0, 0, 0xB, 0x00);
}

// A song that plays once ends after these many frames (160 a tick at 50 Hz).
TEST(ModulePlayer, SongLengthFollowsTempoSpeedsBreaksJumpsLoopsAndDelays) {
    struct Case {
        const char* song;
        ModuleBuilder builder;
        int frequency;
        int64_t frames;
    };
    const Case cases[] = {
        {"64 rows of 6 ticks", ModuleBuilder{}, 44100, 64 * 6 * 160},
        {"half the frequency", ModuleBuilder{}, 22050, 64 * 6 * 320},
        // Rows 0-8 at speed 3, rows 10-63 at 13 Hz (615 frames a tick), rows 0-4 at 40 Hz.
        {"timed", TimedSong(), 44100, 9 * 3 * 160 + 54 * 3 * 615 + 5 * 3 * 200},
        {"rows 1 and 2 three times", ModuleBuilder().cell(0, 1, 1, 0, 0, 0xE, 0x60).cell(0, 2, 1, 0, 0, 0xE, 0x62), 44100,
         (1 + 3 * 2 + 61) * 6 * 160},
        {"row 0 delayed twice", ModuleBuilder().cell(0, 0, 3, 0, 0, 0xE, 0xE2), 44100, (64 + 2) * 6 * 160},
        {"a break on the last order", ModuleBuilder().order({0, 1}).restart(1).cell(1, 2, 0, 0, 0, 0xD, 0x00), 44100,
         (64 + 3) * 6 * 160},
    };
    for (const Case& c : cases) {
        Fixture f(c.builder, {.frequency = c.frequency});
        EXPECT_EQ(f.playToEnd(), c.frames) << c.song;
        // Started again part way, inside a tick of the first row's delay or loop, it
        // plays the whole song again.
        Fixture again(c.builder, {.frequency = c.frequency});
        again.runTicks(8);
        int32_t partOfATick[7] = {};
        again.player.mix(partOfATick, 7);
        ASSERT_TRUE(again.player.start(again.sound, ModOutput{kRate, false, &Notes()}, 64));
        EXPECT_EQ(again.playToEnd(), c.frames) << c.song << ", started again";
    }
}

// Where the song stands after some ticks: the first tick of the row named.
TEST(ModulePlayer, JumpsBreaksAndSongEndsLeadToTheirOrderAndRow) {
    struct Case {
        const char* what;
        ModuleBuilder song;
        bool loop;
        int ticks, order, row;
    };
    std::vector<int> longest(128, 1);  // pattern 0 first, which jumps to the last order
    longest[0] = 0;
    const Case cases[] = {
        {"a forward jump", ModuleBuilder().order({0, 1, 2}).cell(0, 0, 0, 0, 0, 0xB, 0x02), false, 7, 2, 0},
        {"a break to row 15, in decimal", ModuleBuilder().order({0, 1}).cell(0, 0, 0, 0, 0, 0xD, 0x15), false, 7, 1, 15},
        {"a break beyond the pattern", ModuleBuilder().order({0, 1}).cell(0, 0, 0, 0, 0, 0xD, 0x7F), false, 7, 1, 0},
        {"a break to the last row", ModuleBuilder().order({0, 1}).cell(0, 0, 0, 0, 0, 0xD, 0x63), false, 7, 1, 63},
        {"a break on the last order", ModuleBuilder().order({0, 1}).restart(1).cell(1, 2, 0, 0, 0, 0xD, 0x00), true,
         (64 + 3) * 6 + 1, 1, 0},
        {"a restart outside the song", ModuleBuilder().order({0, 1}).restart(5), true, 2 * 64 * 6 + 1, 0, 0},
        // 127 is no restart, even in a song long enough to have an order 127.
        {"no restart in the longest song", ModuleBuilder().order(longest).cell(0, 0, 0, 0, 0, 0xB, 127), true,
         6 + 64 * 6 + 1, 0, 0},
        // 27 + 162 + 15 ticks play the timed song once; the tenth tick after is row 3's first.
        {"a backward jump in a looping song", TimedSong(), true, 27 + 162 + 15 + 10, 0, 3},
    };
    for (const Case& c : cases) {
        Fixture f(c.song, {.loop = c.loop});
        f.runTicks(c.ticks);
        EXPECT_EQ(std::tuple(f.player.active, f.player.order, f.player.row), std::tuple(true, c.order, c.row))
            << c.what;
    }
    Fixture jumped(cases[0].song);
    jumped.runTicks(1);
    EXPECT_EQ(jumped.channel().volume, 0) << "a jump sets no volume";
    // Started on another song before its row ends, a player forgets the break it had met.
    Fixture again(cases[1].song);
    again.runTicks(1);
    const std::vector<uint8_t> plain = ModuleBuilder().order({0, 1}).bytes();
    ASSERT_EQ(again.sound.loadFromMemory(plain.data(), plain.size()), kSoundOk);
    ASSERT_TRUE(again.player.start(again.sound, ModOutput{kRate, false, &Notes()}, 64));
    again.runTicks(7);
    EXPECT_EQ(std::pair(again.player.order, again.player.row), std::pair(0, 1));
}

// ---- Row and tick effects ---------------------------------------------------------------------

TEST(ModulePlayer, NoteUsesTheSamplesFinetuneRowAndVolume) {
    InstrumentSample s = LoopedSample(40);
    s.finetune = 1;
    Fixture f(ModuleBuilder()
                  .sample(31, s)
                  .cell(0, 0, 0, 31, 856, 0, 0)  // the last sample
                  .sample(1, LoopedSample())
                  .cell(0, 0, 1, 1, kModulePeriods[0][0], 0, 0),
              {.masterVolume = 32});
    f.runTicks(1);
    EXPECT_EQ(f.channel(1).period, kModulePeriods[0][0]) << "the lowest note";
    // Playing C-1 at finetune +1, the output volume scaled by the player volume.
    EXPECT_EQ(std::tuple(f.channel().playing, f.channel().period, f.channel().volume, f.channel().outputVolume),
              std::tuple(true, 850, 40, 40 * 32 / 64));
    f.player.setMasterVolume(64);
    EXPECT_EQ(f.channel().outputVolume, 40) << "at once";
    EXPECT_EQ((std::vector<int>{f.channel(0).pan, f.channel(1).pan, f.channel(2).pan}), (std::vector<int>{95, 161, 95}))
        << "even and odd channels panned apart";
}

// One note on row 0 (and a cell on row 1) of a looped sample, some ticks
// played; then the channel's period, volume, output volume and whether it
// plays (-1: not looked at).
TEST(ModulePlayer, SlidesVolumesCutsAndDelays) {
    struct Case {
        const char* what;
        int sampleVolume, period, effect, param;
        int nextPeriod, nextEffect, nextParam;
        int ticks, wantPeriod, wantVolume, wantOutput, wantPlaying;
    };
    const Case cases[] = {
        {"1xx slides up every later tick", 64, 428, 0x1, 3, 0, 0, 0, 6, 428 - 5 * 3, -1, -1, 1},
        {"1xx stops at the shortest period", 64, 113, 0x1, 0xFF, 0, 0, 0, 2, 13, -1, -1, -1},
        {"2xx slides down", 64, 1616, 0x2, 0x40, 0, 0, 0, 2, 1680, -1, -1, -1},
        {"2xx stops at the longest period", 64, 1616, 0x2, 0x40, 0, 0, 0, 3, 1712, -1, -1, -1},
        {"Ax0 slides the volume up", 32, 428, 0xA, 0x20, 0, 0, 0, 6, -1, 32 + 5 * 2, -1, -1},
        {"A0y slides it down to 0", 6, 428, 0xA, 0x02, 0, 0, 0, 6, -1, 0, -1, -1},
        {"A00 slides nothing", 32, 428, 0xA, 0x00, 0, 0, 0, 6, -1, 32, -1, -1},
        {"6x0 slides it beside the vibrato", 32, 428, 0x6, 0x20, 0, 0, 0, 6, 428, 32 + 5 * 2, -1, -1},
        {"Cxx sets it, at most 64", 10, 428, 0xC, 0x50, 0, 0, 0, 1, -1, 64, -1, -1},
        {"EAx and EBx step it once a row", 60, 428, 0xE, 0xA9, 0, 0xE, 0xB5, 6, -1, 64, -1, -1},
        {"EBx on the next row", 60, 428, 0xE, 0xA9, 0, 0xE, 0xB5, 12, -1, 59, -1, -1},
        {"EBx stops at 0", 3, 428, 0xE, 0xB5, 0, 0, 0, 1, -1, 0, -1, -1},
        {"5xy slides the volume beside a tone slide", 20, 428, 0, 0, 404, 0x5, 0x10, 12, -1, 25, -1, -1},
        {"EC2 before its tick", 64, 428, 0xE, 0xC2, 0, 0, 0, 2, -1, -1, 64, -1},
        {"EC2 cuts on tick 2", 64, 428, 0xE, 0xC2, 0, 0, 0, 3, -1, -1, 0, -1},
        {"EC0 cuts at once", 64, 428, 0xE, 0xC0, 0, 0, 0, 1, -1, -1, 0, -1},
        {"ED3 holds the note back", 64, 428, 0xE, 0xD3, 0, 0, 0, 3, -1, -1, -1, 0},
        {"ED3 starts it on tick 3", 64, 428, 0xE, 0xD3, 0, 0, 0, 4, 428, -1, -1, 1},
        {"ED0 plays it at once", 64, 428, 0xE, 0xD0, 0, 0, 0, 1, 428, -1, -1, 1},
        {"ED9 outlasts its row and is not carried into the next ED", 64, 428, 0xE, 0xD9, 0, 0xE, 0xD2, 12, -1, -1, -1, 0},
        {"1xx slides nothing before the first note", 64, 0, 0x1, 3, 0, 0, 0, 3, 0, -1, -1, 0},
        {"2xx neither", 64, 0, 0x2, 3, 0, 0, 0, 3, 0, -1, -1, 0},
        {"3xx without a note slides back to the note", 64, 428, 0x1, 2, 0, 0x3, 0x05, 12, 428, -1, -1, -1},
        {"the highest note", 64, 13, 0, 0, 0, 0, 0, 1, 13, -1, -1, 1},
        {"4FF swings it below period 0, silent but playing", 64, 13, 0x4, 0xFF, 0, 0, 0, 6, 13, -1, -1, 1},
    };
    for (const Case& c : cases) {
        Fixture f(ModuleBuilder()
                      .sample(1, LoopedSample(c.sampleVolume))
                      .cell(0, 0, 0, 1, c.period, c.effect, c.param)
                      .cell(0, 1, 0, 0, c.nextPeriod, c.nextEffect, c.nextParam));
        f.runTicks(c.ticks);
        const ModChannel& channel = f.channel();
        auto seen = [](int want, int got) { return want < 0 ? -1 : got; };
        EXPECT_EQ((std::vector<int>{seen(c.wantPeriod, channel.period), seen(c.wantVolume, channel.volume),
                                    seen(c.wantOutput, channel.outputVolume), seen(c.wantPlaying, channel.playing)}),
                  (std::vector<int>{c.wantPeriod, c.wantVolume, c.wantOutput, c.wantPlaying}))
            << c.what;
    }
    // A slide is heard, not only kept: what plays follows it.
    for (auto [effect, period] : {std::pair{0x1, 428 - 5 * 3}, {0x2, 428 + 5 * 3}}) {
        Fixture f(ModuleBuilder().sample(1, LoopedSample()).cell(0, 0, 0, 1, 428, effect, 3));
        f.runTicks(6);
        EXPECT_EQ(f.channel().playedPeriod, period) << effect;
    }
}

TEST(ModulePlayer, TonePortamentoMovesTowardsItsTargetWithoutRetriggering) {
    InstrumentSample finer = LoopedSample();
    finer.finetune = 7;
    Fixture f(ModuleBuilder()
                  .sample(1, LoopedSample())
                  .sample(2, finer)
                  .cell(0, 0, 0, 1, 428, 0x4, 0x4F)
                  .cell(0, 1, 0, 0, 404, 0x3, 5)
                  .cell(0, 2, 0, 0, 0, 0x3, 0)
                  .cell(0, 3, 0, 0, 0, 0x0, 0x04)
                  .cell(0, 0, 1, 1, 428, 0, 0)
                  .cell(0, 1, 1, 0, 404, 0x3, 1)
                  .cell(0, 0, 2, 1, 428, 0, 0)
                  .cell(0, 1, 2, 0, 404, 0x3, 2)
                  .cell(0, 2, 2, 2, 0, 0x3, 0x10)
                  .cell(0, 0, 3, 1, 428, 0x3, 5));
    f.runTicks(6 + 3);
    EXPECT_EQ(f.channel(3).period, 0) << "a slide has nowhere to start from before the channel's first note";
    EXPECT_EQ(f.channel().period, 428 - 2 * 5);
    EXPECT_EQ(f.channel().playedPeriod, f.channel().period) << "the vibrato before it is over";
    EXPECT_EQ(f.channel(1).period, 428 - 2 * 1);
    EXPECT_GT(f.channel().position, 0);  // the sample was not restarted
    f.runTicks(3);
    EXPECT_EQ(f.channel().period, 404);  // stops at the target
    // The slide's note became the channel's note: a later 3xx without a note
    // holds it, and an arpeggio counts from it (404 is note 25, +4 is 320).
    f.runTicks(6);
    EXPECT_EQ(f.channel().period, 404);
    EXPECT_EQ(f.channel(2).period, 404) << "a slide under way keeps its target when the sample changes";
    f.runTicks(3);
    EXPECT_EQ(f.channel().playedPeriod, kModulePeriods[0][29]);
}

TEST(ModulePlayer, VibratoSwingsThePlayedPeriodOnly) {
    // Speed 1 walks every position of the half-sine, floor(255 sin(pi p / 32)),
    // up for positions 0-31 and down for 32-63. Each depth turns a different
    // set of table entries into a whole period step, (entry x depth) >> 7: an
    // entry one too low shows at one of these depths.
    const int depths[6] = {11, 12, 13, 10, 15, 7};
    ModuleBuilder song(6, "6CHN");
    song.sample(1, LoopedSample());
    for (int c = 0; c < 6; ++c) {
        song.cell(0, 0, c, 1, 428, 0x4, 0x10 | depths[c]);
        for (int row = 1; row < 15; ++row) song.cell(0, row, c, 0, 0, 0x4, row == 14 ? 0x10 | depths[c] : 0);
    }
    Fixture f(song);
    int position = 0;
    for (int row = 0; row < 15; ++row) {
        if (row == 14) position = 0;  // a vibrato given its speed and depth again starts its wave again
        for (int tick = 0; tick < 6; ++tick) {
            f.runTicks(1);
            for (int c = 0; c < 6; ++c) {
                int swing = tick == 0 ? 0 : int(std::floor(255 * std::sin(M_PI * (position & 31) / 32))) * depths[c] >> 7;
                EXPECT_EQ(f.channel(c).playedPeriod, position < 32 ? 428 + swing : 428 - swing)
                    << "row " << row << " tick " << tick << " depth " << depths[c];
                EXPECT_EQ(f.channel(c).period, 428);
            }
            if (tick > 0) position = (position + 1) % 64;
        }
    }
}

TEST(ModulePlayer, ArpeggioCyclesThroughThreeNotes) {
    // Channel 1 starts at note 81 (period 15): +5 would leave the table and
    // stays at its last note.
    Fixture f(ModuleBuilder()
                  .sample(1, LoopedSample())
                  .cell(0, 0, 0, 1, 428, 0x0, 0x47)
                  .cell(0, 0, 1, 1, 15, 0x0, 0x51)
                  .cell(0, 1, 0, 1, 428, 0x0, 0x01));
    // The next row's arpeggio, of one half-step only, starts its cycle again.
    const int p25 = kModulePeriods[0][25], p28 = kModulePeriods[0][28], p31 = kModulePeriods[0][31];
    const int expected[] = {428, p28, p31, 428, p28, p31, 428, 428, p25};
    const int high[] = {15, kModulePeriods[0][83], kModulePeriods[0][82], 15, kModulePeriods[0][83]};
    for (int tick = 0; tick < 9; ++tick) {
        f.runTicks(1);
        EXPECT_EQ(f.channel().playedPeriod, expected[tick]) << "tick " << tick;
        if (tick < 5) {
            EXPECT_EQ(f.channel(1).playedPeriod, high[tick]) << "tick " << tick;
        }
    }
}

TEST(ModulePlayer, SampleOffsetStartsInsideTheSample) {
    InstrumentSample plain;
    plain.data.assign(600, 1);
    Fixture inside(
        ModuleBuilder().sample(1, plain).cell(0, 0, 0, 1, 1712, 0x9, 0x02).cell(0, 1, 0, 1, 1712, 0x9, 0x00));
    inside.runTicks(1);
    EXPECT_TRUE(inside.channel().playing);
    EXPECT_GE(inside.channel().position >> 16, 512);
    inside.runTicks(6);
    EXPECT_GE(inside.channel().position >> 16, 512) << "900 uses the remembered offset";

    // Past the end: a plain sample is silent, a looped one starts its loop.
    Fixture past(ModuleBuilder().sample(1, plain).cell(0, 0, 0, 1, 1712, 0x9, 0x03));
    past.runTicks(1);
    EXPECT_FALSE(past.channel().playing);

    InstrumentSample looped = plain;
    looped.loopStartWords = 100;
    looped.loopLengthWords = 30;
    Fixture loop(ModuleBuilder().sample(1, looped).cell(0, 0, 0, 1, 1712, 0x9, 0x03));
    loop.runTicks(1);
    EXPECT_TRUE(loop.channel().playing);
    EXPECT_EQ(loop.channel().position, (int64_t(200) << 16) + loop.player.samplesPerTick() * loop.channel().step);
}

TEST(ModulePlayer, ASkippedStretchLeavesTheSongWhereMixingWouldHave) {
    // A resumed song must go on exactly: the same rows, the same notes at the
    // same sample positions, through a tempo change, a vibrato, a sample
    // that ends and one that loops.
    // Sample values that differ from frame to frame, so a position that is
    // off by any amount is heard.
    auto saw = [](size_t bytes) {
        std::vector<int8_t> data(bytes);
        for (size_t i = 0; i < bytes; ++i) data[i] = int8_t(int(i * 37 % 200) - 100);
        return data;
    };
    InstrumentSample shortOne, looped = LoopedSample(50, 0, 123);
    shortOne.data = saw(700);
    looped.data = saw(246);
    looped.loopStartWords = 90;  // a loop no tick steps over exactly
    looped.loopLengthWords = 33;
    ModuleBuilder builder;
    builder.sample(1, looped).sample(2, shortOne).order({0, 1, 0});
    for (int row = 0; row < 64; row += 3) {
        builder.cell(0, row, 0, 1, row % 2 ? 428 : 381, row % 9 == 0 ? 4 : 0, 0x46);
        builder.cell(1, row, 1, 2, 254, row == 30 ? 15 : 0, 4);
    }
    std::vector<uint8_t> file = builder.bytes();
    ModSound sound;
    ASSERT_EQ(sound.loadFromMemory(file.data(), file.size()), kSoundOk);
    sound.loop = true;
    for (int64_t skipped : {int64_t(1), int64_t(977), int64_t(50'000), int64_t(123'457)}) {
        ModPlayer played, skipping;
        ASSERT_TRUE(played.start(sound, ModOutput{kRate, true, &Notes()}, 64));
        ASSERT_TRUE(skipping.start(sound, ModOutput{kRate, true, &Notes()}, 64));
        std::vector<int32_t> scratch(size_t(skipped) * 2, 0), a(4000, 0), b(4000, 0);
        played.mix(scratch.data(), int(skipped));
        skipping.skip(skipped);
        EXPECT_EQ(skipping.framesPlayed, played.framesPlayed);
        played.mix(a.data(), 2000);
        skipping.mix(b.data(), 2000);
        EXPECT_EQ(std::pair(skipping.order, skipping.row), std::pair(played.order, played.row)) << skipped;
        EXPECT_EQ(a, b) << "after " << skipped << " frames";
    }
    // The widest module: skipping moves its last channel and none past it.
    ModuleBuilder wide(kMaxModuleChannels, "32CH");
    std::vector<uint8_t> wideFile = wide.sample(1, looped).cell(0, 0, kMaxModuleChannels - 1, 1, 428, 0, 0).bytes();
    ModSound wideSound;
    ASSERT_EQ(wideSound.loadFromMemory(wideFile.data(), wideFile.size()), kSoundOk);
    ModPlayer widePlayer;
    ASSERT_TRUE(widePlayer.start(wideSound, ModOutput{kRate, true, &Notes()}, 64));
    widePlayer.skip(5000);
    EXPECT_GT(widePlayer.channel(kMaxModuleChannels - 1).position, int64_t(90) << 16);
}

TEST(ModulePlayer, ChannelsMixedTogetherSumToEachChannelAlone) {
    // Six channels are mixed as a group of four and a group of two. A channel
    // mixed with another's gain or position, or a silent one (volume 0 for two
    // rows) that stops moving through its sample, breaks the sum or the
    // position it comes back at.
    auto build = [](int only, int silentVolume) {
        ModuleBuilder builder(6, "6CHN");
        for (int c = 0; c < 6; ++c) {
            InstrumentSample sample = LoopedSample(64 - 9 * c, 0, 150 + 20 * c);
            if (c == 4) sample.loopLengthWords = 0;  // ends after a few hundred frames
            for (size_t i = 0; i < sample.data.size(); ++i) sample.data[i] = int8_t(int(i * (13 + 6 * c) % 230) - 115);
            builder.sample(c + 1, sample);
            if (only >= 0 && c != only) continue;
            builder.cell(0, 0, c, c + 1, 214 + 71 * c, c == 2 ? 0xC : (c == 5 ? 0x4 : 0), c == 2 ? silentVolume : 0x46);
            if (c == 2) builder.cell(0, 2, c, 0, 0, 0xC, 0x30);
        }
        return builder.bytes();
    };
    auto play = [](const std::vector<uint8_t>& file, bool stereo, int64_t* silentPosition = nullptr) {
        Fixture f(file, {.stereo = stereo});
        std::vector<int32_t> mix(size_t(4000 * (stereo ? 2 : 1)), 0);
        f.player.mix(mix.data(), 4000);
        if (silentPosition) *silentPosition = f.channel(2).position;
        return mix;
    };
    std::vector<int32_t> whole[2], first[2];  // the mix and channel 0 alone, mono and stereo
    for (bool stereo : {false, true}) {
        std::vector<int32_t> sum(size_t(4000 * (stereo ? 2 : 1)), 0);
        for (int c = 0; c < 6; ++c) {
            std::vector<int32_t> alone = play(build(c, 0), stereo);
            for (size_t i = 0; i < sum.size(); ++i) sum[i] += alone[i];
            if (c == 0) first[stereo] = alone;
        }
        int64_t silentPosition = 0, heardPosition = 0;
        whole[stereo] = play(build(-1, 0), stereo, &silentPosition);
        EXPECT_EQ(whole[stereo], sum) << (stereo ? "stereo" : "mono");
        play(build(-1, 1), stereo, &heardPosition);
        EXPECT_EQ(silentPosition, heardPosition) << (stereo ? "stereo" : "mono");
    }
    // Panning splits a channel's volume between the sides: the two sides of a
    // stereo frame add up to twice the mono frame, and channel 0 alone (volume
    // 70 held to 64, pan 95) gives the right side 64 x 95 / 256 = 23 of it.
    for (size_t i = 0; i < whole[0].size(); ++i) {
        ASSERT_EQ(whole[1][2 * i] + whole[1][2 * i + 1], 2 * whole[0][i]) << i;
        ASSERT_EQ(first[1][2 * i + 1] * 64, first[0][i] * 2 * 23) << i;
    }
}

TEST(ModulePlayer, SamplesStopAtTheirEndOrWrapInsideTheirLoop) {
    InstrumentSample plain;
    plain.data.assign(100, 1);
    // The next sample's data begins where this one's ends.
    Fixture f(ModuleBuilder().sample(1, plain).sample(2, LoopedSample()).cell(0, 0, 0, 1, 113, 0, 0).cell(0, 0, 1, 2, 113, 0, 0));
    f.runTicks(6);
    EXPECT_FALSE(f.channel().playing);
    EXPECT_TRUE(f.channel(1).playing);

    InstrumentSample looped = plain;
    looped.data.assign(200, 1);
    looped.loopStartWords = 50;
    looped.loopLengthWords = 50;
    // At 22050 Hz period 1525 steps 6912 / 65536 of a frame: 27 words end
    // on frame 512 exactly, and nothing after them is read.
    InstrumentSample exact;
    exact.data.assign(54, 2);
    Fixture ending(ModuleBuilder().sample(1, exact).sample(2, looped).cell(0, 0, 0, 1, 1525, 0, 0), {.rate = 22050});
    std::vector<int32_t> mix(600, 0);
    ending.player.mix(mix.data(), 600);
    EXPECT_FALSE(ending.channel().playing);
    EXPECT_EQ(std::vector<int32_t>(mix.begin() + 510, mix.begin() + 514), (std::vector<int32_t>{128, 128, 0, 0}));

    Fixture loop(ModuleBuilder().sample(1, looped).cell(0, 0, 0, 1, 113, 0, 0));
    for (int tick = 0; tick < 12; ++tick) {
        loop.runTicks(1);
        ASSERT_TRUE(loop.channel().playing);
        EXPECT_GE(loop.channel().position >> 16, 100) << "tick " << tick;
        EXPECT_LT(loop.channel().position >> 16, 200) << "tick " << tick;
    }
    // Started again, on another module, the player begins with silent channels.
    const std::vector<uint8_t> none = ModuleBuilder().bytes();
    ModSound silent;
    ASSERT_EQ(silent.loadFromMemory(none.data(), none.size()), kSoundOk);
    ASSERT_TRUE(loop.player.start(silent, ModOutput{kRate, false, &Notes()}, 64));
    EXPECT_FALSE(loop.channel().playing);
}

// ---- Modules that lie about their data --------------------------------------------------------

TEST(ModulePlayer, StartRefusesWhatItCannotPlay) {
    ModPlayer player;
    player.setMasterVolume(32);  // before any module: nothing to scale
    ModSound empty;
    EXPECT_FALSE(player.start(empty, ModOutput{kRate, false, &Notes()}, 64));

    std::vector<uint8_t> file = ModuleBuilder().bytes();
    ModSound sound;
    ASSERT_EQ(sound.loadFromMemory(file.data(), file.size()), kSoundOk);
    EXPECT_FALSE(player.start(sound, ModOutput{kRate, false, nullptr}, 64));
    EXPECT_FALSE(player.start(sound, ModOutput{0, false, &Notes()}, 64));
    for (int channels : {0, kMaxModuleChannels + 1}) {
        sound.channels = channels;
        EXPECT_FALSE(player.start(sound, ModOutput{kRate, false, &Notes()}, 64)) << channels;
    }
    EXPECT_FALSE(player.active);
    for (int channels : {1, 4}) {
        sound.channels = channels;
        EXPECT_TRUE(player.start(sound, ModOutput{kRate, false, &Notes()}, 64)) << channels;
    }
    Fixture most(ModuleBuilder(kMaxModuleChannels, "32CH"));
    EXPECT_TRUE(most.player.active) << "the most channels play";
    most.player.setMasterVolume(32);  // reaches every channel and no further
    EXPECT_FALSE(player.start(empty, ModOutput{kRate, false, &Notes()}, 64));
    EXPECT_FALSE(player.active) << "a refused start stops what played";
}

TEST(ModulePlayer, SampleLengthsAndLoopsBeyondTheFileAreCut) {
    // The last sample declares far more data than the file holds: it ends
    // with the file, long before its declared length, and a loop over its
    // odd last byte, cut to one byte, is no loop.
    InstrumentSample last;
    last.data.assign(101, 1);
    last.declaredWords = 1000;
    last.loopStartWords = 50;
    last.loopLengthWords = 2;
    Fixture cut(ModuleBuilder().sample(1, last).cell(0, 0, 0, 1, 113, 0, 0));
    cut.runTicks(1);
    EXPECT_FALSE(cut.channel().playing);
    last.data.push_back(1);  // a whole last word: cut to it, the loop stays
    Fixture word(ModuleBuilder().sample(1, last).cell(0, 0, 0, 1, 113, 0, 0));
    word.runTicks(1);
    EXPECT_TRUE(word.channel().playing);

    InstrumentSample liar;
    liar.data.assign(10, 50);
    liar.declaredWords = 65535;
    liar.loopStartWords = 60000;
    liar.loopLengthWords = 5000;
    InstrumentSample loopBeyond;
    loopBeyond.data.assign(64, 50);
    loopBeyond.loopStartWords = 16;
    loopBeyond.loopLengthWords = 60000;
    Fixture f(ModuleBuilder()
                  .sample(1, loopBeyond)
                  .sample(2, liar)
                  .cell(0, 0, 0, 1, 113, 0, 0)
                  .cell(0, 0, 1, 2, 113, 0, 0)
                  .cell(0, 1, 2, 2, 113, 0x9, 0xFF));
    f.playToEnd();
    EXPECT_EQ(f.player.framesPlayed, 64 * 6 * 160);
}

// Sample 2 lies after sample 1 in the file: played alone, its own data is heard.
TEST(ModulePlayer, EachInstrumentPlaysItsOwnData) {
    Fixture f(ModuleBuilder().sample(1, LoopedSample(64, 100)).sample(2, LoopedSample(64, -50)).cell(0, 0, 0, 2, 428, 0, 0));
    f.runTicks(1);
    std::vector<int32_t> mix(64, 0);
    f.player.mix(mix.data(), 64);
    EXPECT_TRUE(std::all_of(mix.begin(), mix.end(), [](int32_t v) { return v < 0; }));
}

TEST(ModulePlayer, ASampleNumberWithoutANoteWaitsForTheNextNote) {
    InstrumentSample tiny;
    tiny.data.assign(4, 1);
    Fixture f(ModuleBuilder()
                  .sample(1, LoopedSample(64, 100, 2000))
                  .sample(2, tiny)
                  .cell(0, 0, 0, 1, 1712, 0, 0)
                  .cell(0, 4, 0, 2, 0, 0, 0));
    f.runTicks(5 * 6);
    // Still sounding, far past the new sample's end.
    EXPECT_EQ(std::tuple(f.channel().playing, f.channel().playingSample, f.channel().sample), std::tuple(true, 1, 2));
    EXPECT_GT(f.channel().position >> 16, 4);
}

TEST(ModulePlayer, PatternsMissingFromTheFilePlayAsEmptyRows) {
    std::vector<uint8_t> file = ModuleBuilder().order({0, 1}).sample(1, LoopedSample()).cell(0, 0, 0, 1, 428, 0, 0).bytes();
    file[952 + 1] = 127;  // order 1 names a pattern far beyond the file
    Fixture f(file, {.stereo = true});
    EXPECT_EQ(f.playToEnd(), 2 * 64 * 6 * 160);
}

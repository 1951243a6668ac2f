// The module player: period table, note lookup, sequencer timing and song end,
// row and tick effects, and modules that lie about their data (random and
// truncated modules are the sound fuzz target's).

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
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

struct Fixture {
    explicit Fixture(const ModuleBuilder& builder, bool loop = false, int frequency = 44100, int masterVolume = 64) {
        std::vector<uint8_t> file = builder.bytes();
        EXPECT_EQ(sound.loadFromMemory(file.data(), file.size()), kSoundOk);
        sound.loop = loop;
        sound.frequency = frequency;
        EXPECT_TRUE(player.start(sound, ModOutput{kRate, false, &Notes()}, masterVolume));
    }

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
        std::vector<int32_t> mix(4096);
        while (player.active && player.framesPlayed < limit) {
            std::fill(mix.begin(), mix.end(), 0);
            player.mix(mix.data(), int(mix.size()));
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
    EXPECT_EQ(std::vector<int>(zero + 81, zero + 84), (std::vector<int>{15, 14, 13}));
    EXPECT_EQ(std::vector<int>(kModulePeriods[1], kModulePeriods[1] + 4), (std::vector<int>{1699, 1604, 1514, 1429}));
    EXPECT_EQ(std::vector<int>(kModulePeriods[8], kModulePeriods[8] + 4), (std::vector<int>{1813, 1711, 1615, 1525}));
    EXPECT_EQ(std::vector<int>(kModulePeriods[15], kModulePeriods[15] + 4), (std::vector<int>{1724, 1627, 1536, 1450}));
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
        for (int n = 1; n < kPeriodNotes; ++n) EXPECT_LE(periods[n], periods[n - 1]);
    }
}

TEST(ModulePeriods, LookupFindsTheNearestNote) {
    const NoteLookup& notes = Notes();
    EXPECT_EQ(notes.noteOf(1712), 0);
    EXPECT_EQ(notes.noteOf(856), 12);
    EXPECT_EQ(notes.noteOf(850), 12);
    EXPECT_EQ(notes.noteOf(13), 83);
    EXPECT_EQ(notes.noteOf(1), 83);
    // 832 lies as far from 856 (note 12) as from 808 (note 13): the lower index wins.
    EXPECT_EQ(notes.noteOf(832), 12);
    EXPECT_EQ(notes.noteOf(831), 13);
    EXPECT_EQ(notes.noteOf(4095), 0);
}

// ---- Timing and song end ----------------------------------------------------------------

TEST(ModulePlayer, F20SetsTheSpeedAndF21TheTickRate) {
    Fixture speed(ModuleBuilder().cell(0, 0, 0, 0, 0, 0xF, 0x20));
    speed.runTicks(1);
    EXPECT_EQ(speed.player.speed, 32);
    EXPECT_EQ(speed.player.tickRate, 50);

    Fixture rate(ModuleBuilder().cell(0, 0, 0, 0, 0, 0xF, 0x21));
    rate.runTicks(1);
    EXPECT_EQ(rate.player.speed, 6);
    EXPECT_EQ(rate.player.tickRate, 13);
    EXPECT_EQ(rate.player.samplesPerTick(), kRate * 44100 / (44100 * 13));

    Fixture nothing(ModuleBuilder().cell(0, 0, 0, 0, 0, 0xF, 0x00));
    nothing.runTicks(1);
    EXPECT_EQ(nothing.player.speed, 6);
    EXPECT_EQ(nothing.player.tickRate, 50);
}

TEST(ModulePlayer, OnePatternLastsSixtyFourRowsOfSixTicks) {
    Fixture f(ModuleBuilder{});
    EXPECT_EQ(f.playToEnd(), 64 * 6 * (kRate / 50));
    EXPECT_FALSE(f.player.active);
}

TEST(ModulePlayer, SoundFrequencyChangesTheTempo) {
    Fixture f(ModuleBuilder{}, false, 22050);
    EXPECT_EQ(f.player.samplesPerTick(), 2 * kRate / 50);
    EXPECT_EQ(f.playToEnd(), 64 * 6 * 2 * (kRate / 50));
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

TEST(ModulePlayer, SongLengthFollowsSpeedsBreaksAndJumps) {
    Fixture f(TimedSong());
    const int64_t pattern0 = 9 * 3 * 160;   // rows 0-8, 160 frames per tick at 50 Hz
    const int64_t pattern1 = 54 * 3 * 615;  // rows 10-63, 615 frames per tick at 13 Hz
    const int64_t pattern2 = 5 * 3 * 200;   // rows 0-4, 200 frames per tick at 40 Hz
    EXPECT_EQ(f.playToEnd(), pattern0 + pattern1 + pattern2);
    EXPECT_DOUBLE_EQ(double(f.player.framesPlayed) / kRate, 13.36875);
}

TEST(ModulePlayer, ABackwardJumpRestartsALoopingModule) {
    Fixture f(TimedSong(), true);
    f.playToEnd(106950 + 10 * 160);
    EXPECT_TRUE(f.player.active);
    EXPECT_EQ(f.player.order, 0);
}

TEST(ModulePlayer, AForwardJumpSkipsOrders) {
    Fixture f(ModuleBuilder().order({0, 1, 2}).cell(0, 0, 0, 0, 0, 0xB, 0x02));
    f.runTicks(6);
    f.runTicks(1);
    EXPECT_EQ(f.player.order, 2);
    EXPECT_EQ(f.player.row, 0);
}

TEST(ModulePlayer, PatternBreakReadsItsParameterAsDecimal) {
    Fixture f(ModuleBuilder().order({0, 1}).cell(0, 0, 0, 0, 0, 0xD, 0x15));
    f.runTicks(7);
    EXPECT_EQ(f.player.order, 1);
    EXPECT_EQ(f.player.row, 15);

    Fixture tooFar(ModuleBuilder().order({0, 1}).cell(0, 0, 0, 0, 0, 0xD, 0x7F));
    tooFar.runTicks(7);
    EXPECT_EQ(tooFar.player.order, 1);
    EXPECT_EQ(tooFar.player.row, 0);
}

TEST(ModulePlayer, PatternBreakOnTheLastOrderEndsOrRestarts) {
    ModuleBuilder song = ModuleBuilder().order({0, 1}).restart(1).cell(1, 2, 0, 0, 0, 0xD, 0x00);
    Fixture once(song);
    EXPECT_EQ(once.playToEnd(), (64 + 3) * 6 * 160);

    Fixture looping(song, true);
    looping.runTicks((64 + 3) * 6 + 1);
    EXPECT_TRUE(looping.player.active);
    EXPECT_EQ(looping.player.order, 1);  // the restart position
    EXPECT_EQ(looping.player.row, 0);
}

TEST(ModulePlayer, RestartPositionOutsideTheSongMeansTheStart) {
    Fixture f(ModuleBuilder().order({0, 1}).restart(5), true);
    f.runTicks(2 * 64 * 6 + 1);
    EXPECT_EQ(f.player.order, 0);
}

TEST(ModulePlayer, PatternLoopRepeatsRows) {
    // Rows 0 and 1 play three times, then rows 2-63 once.
    Fixture f(ModuleBuilder().cell(0, 0, 1, 0, 0, 0xE, 0x60).cell(0, 1, 1, 0, 0, 0xE, 0x62));
    EXPECT_EQ(f.playToEnd(), (3 * 2 + 62) * 6 * 160);
}

TEST(ModulePlayer, PatternDelayRepeatsTheRowsTicks) {
    Fixture f(ModuleBuilder().cell(0, 0, 3, 0, 0, 0xE, 0xE2));
    EXPECT_EQ(f.playToEnd(), (64 + 2) * 6 * 160);
}

// ---- Row and tick effects ---------------------------------------------------------------------

TEST(ModulePlayer, NoteUsesTheSamplesFinetuneRowAndVolume) {
    InstrumentSample s = LoopedSample(40);
    s.finetune = 1;
    Fixture f(ModuleBuilder().sample(1, s).cell(0, 0, 0, 1, 856, 0, 0), false, 44100, 32);
    f.runTicks(1);
    EXPECT_TRUE(f.channel().playing);
    EXPECT_EQ(f.channel().period, 850);  // C-1 at finetune +1
    EXPECT_EQ(f.channel().volume, 40);
    EXPECT_EQ(f.channel().outputVolume, 40 * 32 / 64) << "scaled by the player volume";
}

TEST(ModulePlayer, EvenAndOddChannelsArePannedApart) {
    Fixture f(ModuleBuilder{});
    EXPECT_EQ(f.channel(0).pan, 95);
    EXPECT_EQ(f.channel(1).pan, 161);
    EXPECT_EQ(f.channel(2).pan, 95);
}

TEST(ModulePlayer, PortamentoSlidesEveryLaterTickWithinLimits) {
    Fixture up(ModuleBuilder().sample(1, LoopedSample()).cell(0, 0, 0, 1, 428, 0x1, 3));
    up.runTicks(6);
    EXPECT_EQ(up.channel().period, 428 - 5 * 3);

    Fixture floor(ModuleBuilder().sample(1, LoopedSample()).cell(0, 0, 0, 1, 113, 0x1, 0xFF));
    floor.runTicks(2);
    EXPECT_EQ(floor.channel().period, 13);

    Fixture down(ModuleBuilder().sample(1, LoopedSample()).cell(0, 0, 0, 1, 1616, 0x2, 0x40));
    down.runTicks(2);
    EXPECT_EQ(down.channel().period, 1680);
    down.runTicks(1);
    EXPECT_EQ(down.channel().period, 1712);
}

TEST(ModulePlayer, TonePortamentoMovesTowardsItsTargetWithoutRetriggering) {
    Fixture f(ModuleBuilder()
                  .sample(1, LoopedSample())
                  .cell(0, 0, 0, 1, 428, 0, 0)
                  .cell(0, 1, 0, 0, 404, 0x3, 5)
                  .cell(0, 2, 0, 0, 0, 0x3, 0)
                  .cell(0, 3, 0, 0, 0, 0x0, 0x04));
    f.runTicks(6 + 3);
    EXPECT_EQ(f.channel().period, 428 - 2 * 5);
    EXPECT_GT(f.channel().position, 0);  // the sample was not restarted
    f.runTicks(3);
    EXPECT_EQ(f.channel().period, 404);  // stops at the target
    // The slide's note became the channel's note: a later 3xx without a note
    // holds it, and an arpeggio counts from it (404 is note 25, +4 is 320).
    f.runTicks(6);
    EXPECT_EQ(f.channel().period, 404);
    f.runTicks(3);
    EXPECT_EQ(f.channel().playedPeriod, kModulePeriods[0][29]);
}

TEST(ModulePlayer, VibratoSwingsThePlayedPeriodOnly) {
    // Speed 1 walks every position of the half-sine, floor(255 sin(pi p / 32)),
    // up for positions 0-31 and down for 32-63. Depths 11, 12 and 13 each turn
    // a different set of table entries into a whole period step: (entry x depth) >> 7.
    const int depths[3] = {11, 12, 13};
    ModuleBuilder song;
    song.sample(1, LoopedSample());
    for (int c = 0; c < 3; ++c) {
        song.cell(0, 0, c, 1, 428, 0x4, 0x10 | depths[c]);
        for (int row = 1; row < 14; ++row) song.cell(0, row, c, 0, 0, 0x4, 0);
    }
    Fixture f(song);
    int position = 0;
    for (int row = 0; row < 14; ++row) {
        for (int tick = 0; tick < 6; ++tick) {
            f.runTicks(1);
            for (int c = 0; c < 3; ++c) {
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
                  .cell(0, 0, 1, 1, 15, 0x0, 0x51));
    const int expected[] = {428, kModulePeriods[0][28], kModulePeriods[0][31], 428, kModulePeriods[0][28]};
    const int high[] = {15, kModulePeriods[0][83], kModulePeriods[0][82], 15, kModulePeriods[0][83]};
    for (int tick = 0; tick < 5; ++tick) {
        f.runTicks(1);
        EXPECT_EQ(f.channel().playedPeriod, expected[tick]) << "tick " << tick;
        EXPECT_EQ(f.channel(1).playedPeriod, high[tick]) << "tick " << tick;
    }
}

TEST(ModulePlayer, VolumeEffects) {
    Fixture up(ModuleBuilder().sample(1, LoopedSample(32)).cell(0, 0, 0, 1, 428, 0xA, 0x20));
    up.runTicks(6);
    EXPECT_EQ(up.channel().volume, 32 + 5 * 2);

    Fixture down(ModuleBuilder().sample(1, LoopedSample(6)).cell(0, 0, 0, 1, 428, 0xA, 0x02));
    down.runTicks(6);
    EXPECT_EQ(down.channel().volume, 0);

    Fixture set(ModuleBuilder().sample(1, LoopedSample(10)).cell(0, 0, 0, 1, 428, 0xC, 0x50));
    set.runTicks(1);
    EXPECT_EQ(set.channel().volume, 64);

    Fixture fine(ModuleBuilder()
                     .sample(1, LoopedSample(60))
                     .cell(0, 0, 0, 1, 428, 0xE, 0xA9)
                     .cell(0, 1, 0, 0, 0, 0xE, 0xB5));
    fine.runTicks(6);
    EXPECT_EQ(fine.channel().volume, 64);
    fine.runTicks(6);
    EXPECT_EQ(fine.channel().volume, 59);

    Fixture withPortamento(ModuleBuilder()
                               .sample(1, LoopedSample(20))
                               .cell(0, 0, 0, 1, 428, 0, 0)
                               .cell(0, 1, 0, 0, 404, 0x5, 0x10));
    withPortamento.runTicks(12);
    EXPECT_EQ(withPortamento.channel().volume, 25);
}

TEST(ModulePlayer, NoteCutSilencesOnItsTick) {
    Fixture f(ModuleBuilder().sample(1, LoopedSample()).cell(0, 0, 0, 1, 428, 0xE, 0xC2));
    f.runTicks(2);
    EXPECT_EQ(f.channel().outputVolume, 64);
    f.runTicks(1);
    EXPECT_EQ(f.channel().outputVolume, 0);

    Fixture atOnce(ModuleBuilder().sample(1, LoopedSample()).cell(0, 0, 0, 1, 428, 0xE, 0xC0));
    atOnce.runTicks(1);
    EXPECT_EQ(atOnce.channel().outputVolume, 0);
}

TEST(ModulePlayer, NoteDelayHoldsTheNoteBack) {
    Fixture f(ModuleBuilder().sample(1, LoopedSample()).cell(0, 0, 0, 1, 428, 0xE, 0xD3));
    f.runTicks(3);
    EXPECT_FALSE(f.channel().playing);
    f.runTicks(1);
    EXPECT_TRUE(f.channel().playing);
    EXPECT_EQ(f.channel().period, 428);
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
    looped.loopLengthWords = 50;
    Fixture loop(ModuleBuilder().sample(1, looped).cell(0, 0, 0, 1, 1712, 0x9, 0x03));
    loop.runTicks(1);
    EXPECT_TRUE(loop.channel().playing);
    EXPECT_GE(loop.channel().position >> 16, 200);
    EXPECT_LT(loop.channel().position >> 16, 300);
}

TEST(ModulePlayer, OneMixCallFillsEveryFrameAcrossTicks) {
    std::vector<uint8_t> file = ModuleBuilder().sample(1, LoopedSample()).cell(0, 0, 0, 1, 428, 0, 0).bytes();
    ModSound sound;
    ASSERT_EQ(sound.loadFromMemory(file.data(), file.size()), kSoundOk);
    for (bool stereo : {false, true}) {
        ModPlayer player;
        ASSERT_TRUE(player.start(sound, ModOutput{kRate, stereo, &Notes()}, 64));
        const int frames = 3 * player.samplesPerTick() + 7, width = stereo ? 2 : 1;
        std::vector<int32_t> mix(size_t(frames * width + width), 0);
        player.mix(mix.data(), frames);
        // Full volume on sample value 100: 6400 per frame, in stereo split
        // between the sides (twice over), more to the left on channel 0.
        for (int i = 0; i < frames; ++i) {
            int32_t total = stereo ? mix[size_t(2 * i)] + mix[size_t(2 * i + 1)] : mix[size_t(i)];
            ASSERT_EQ(total, stereo ? 2 * 6400 : 6400) << "frame " << i << (stereo ? " stereo" : " mono");
            if (stereo) {
                ASSERT_GT(mix[size_t(2 * i)], mix[size_t(2 * i + 1)]) << "frame " << i;
            }
        }
        EXPECT_EQ(mix.back(), 0) << "nothing past the frames asked for";
    }
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
        EXPECT_EQ(skipping.order, played.order) << skipped;
        EXPECT_EQ(skipping.row, played.row) << skipped;
        EXPECT_EQ(a, b) << "after " << skipped << " frames";
    }
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
        ModSound sound;
        EXPECT_EQ(sound.loadFromMemory(file.data(), file.size()), kSoundOk);
        ModPlayer player;
        EXPECT_TRUE(player.start(sound, ModOutput{kRate, stereo, &Notes()}, 64));
        std::vector<int32_t> mix(size_t(4000 * (stereo ? 2 : 1)), 0);
        player.mix(mix.data(), 4000);
        if (silentPosition) *silentPosition = player.channel(2).position;
        return mix;
    };
    for (bool stereo : {false, true}) {
        std::vector<int32_t> sum(size_t(4000 * (stereo ? 2 : 1)), 0);
        for (int c = 0; c < 6; ++c) {
            std::vector<int32_t> alone = play(build(c, 0), stereo);
            for (size_t i = 0; i < sum.size(); ++i) sum[i] += alone[i];
        }
        int64_t silentPosition = 0, heardPosition = 0;
        EXPECT_EQ(play(build(-1, 0), stereo, &silentPosition), sum) << (stereo ? "stereo" : "mono");
        play(build(-1, 1), stereo, &heardPosition);
        EXPECT_EQ(silentPosition, heardPosition) << (stereo ? "stereo" : "mono");
    }
}

TEST(ModulePlayer, SamplesStopAtTheirEndOrWrapInsideTheirLoop) {
    InstrumentSample plain;
    plain.data.assign(100, 1);
    Fixture f(ModuleBuilder().sample(1, plain).cell(0, 0, 0, 1, 113, 0, 0));
    f.runTicks(6);
    EXPECT_FALSE(f.channel().playing);

    InstrumentSample looped = plain;
    looped.data.assign(200, 1);
    looped.loopStartWords = 50;
    looped.loopLengthWords = 50;
    Fixture loop(ModuleBuilder().sample(1, looped).cell(0, 0, 0, 1, 113, 0, 0));
    for (int tick = 0; tick < 12; ++tick) {
        loop.runTicks(1);
        ASSERT_TRUE(loop.channel().playing);
        EXPECT_GE(loop.channel().position >> 16, 100) << "tick " << tick;
        EXPECT_LT(loop.channel().position >> 16, 200) << "tick " << tick;
    }
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
    sound.channels = 4;
    EXPECT_TRUE(player.start(sound, ModOutput{kRate, false, &Notes()}, 64));
}

TEST(ModulePlayer, SampleLengthsAndLoopsBeyondTheFileAreCut) {
    // The last sample declares far more data than the file holds: it ends
    // with the file, long before its declared length.
    InstrumentSample last;
    last.data.assign(100, 1);
    last.declaredWords = 1000;
    Fixture cut(ModuleBuilder().sample(1, last).cell(0, 0, 0, 1, 113, 0, 0));
    cut.runTicks(1);
    EXPECT_FALSE(cut.channel().playing);


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

TEST(ModulePlayer, ASampleNumberWithoutANoteWaitsForTheNextNote) {
    InstrumentSample tiny;
    tiny.data.assign(4, 1);
    Fixture f(ModuleBuilder()
                  .sample(1, LoopedSample(64, 100, 2000))
                  .sample(2, tiny)
                  .cell(0, 0, 0, 1, 1712, 0, 0)
                  .cell(0, 4, 0, 2, 0, 0, 0));
    f.runTicks(5 * 6);
    EXPECT_TRUE(f.channel().playing);
    EXPECT_EQ(f.channel().playingSample, 1);  // still sounding, far past the new sample's end
    EXPECT_GT(f.channel().position >> 16, 4);
    EXPECT_EQ(f.channel().sample, 2);
}

TEST(ModulePlayer, PatternsMissingFromTheFilePlayAsEmptyRows) {
    std::vector<uint8_t> file = ModuleBuilder().order({0, 1}).sample(1, LoopedSample()).cell(0, 0, 0, 1, 428, 0, 0).bytes();
    file[952 + 1] = 127;  // order 1 names a pattern far beyond the file
    ModSound sound;
    ASSERT_EQ(sound.loadFromMemory(file.data(), file.size()), kSoundOk);
    NoteLookup& notes = Notes();
    ModPlayer player;
    ASSERT_TRUE(player.start(sound, ModOutput{kRate, true, &notes}, 64));
    std::vector<int32_t> mix(8192);
    while (player.active) player.mix(mix.data(), 4096);
    EXPECT_EQ(player.framesPlayed, 2 * 64 * 6 * 160);
}

// The mixer's control operations and render arithmetic, driven without a
// device: each test renders buffers directly.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <tuple>
#include <vector>

#include "sound/mod_player.h"
#include "sound/mod_sound.h"
#include "sound/sound_mixer.h"
#include "sound/wave_sound.h"
#include "sound_test_files.h"

namespace {

constexpr uint32_t kAny = kPlayAnyVoice;

std::unique_ptr<WaveSound> Sound16(int16_t value, int frames, bool stereo = false, int16_t right = 0, int rate = 8000) {
    std::vector<uint8_t> pcm;
    for (int i = 0; i < frames; ++i) {
        soundtest::PutLe(pcm, uint16_t(value), 2);
        if (stereo) soundtest::PutLe(pcm, uint16_t(right), 2);
    }
    auto sound = std::make_unique<WaveSound>();
    sound->setPcm(std::move(pcm), false, stereo, rate);
    return sound;
}

std::unique_ptr<WaveSound> Sound8(uint8_t value, int frames, int rate = 8000) {
    auto sound = std::make_unique<WaveSound>();
    sound->setPcm(std::vector<uint8_t>(size_t(frames), value), true, false, rate);
    return sound;
}

std::vector<int16_t> Render16(SoundMixer& mixer, int frames) {
    int channels = mixer.outputStereo() ? 2 : 1;
    std::vector<uint8_t> bytes(size_t(frames * channels * 2));
    mixer.render(bytes.data(), bytes.size());
    std::vector<int16_t> out;
    for (size_t i = 0; i < bytes.size(); i += 2) out.push_back(int16_t(bytes[i] | (bytes[i + 1] << 8)));
    return out;
}

std::vector<uint8_t> Render8(SoundMixer& mixer, int frames) {
    std::vector<uint8_t> bytes(size_t(frames * (mixer.outputStereo() ? 2 : 1)));
    mixer.render(bytes.data(), bytes.size());
    return bytes;
}

// A mixer rendering without a device.
struct Offline : SoundMixer {
    explicit Offline(int bits = 16, int stereo = 0, int voices = 16, int rate = 8000) {
        EXPECT_EQ(initOffline(rate, bits, stereo, 1, voices), 0);
    }
};

// A module playing `data`, looped whole, on its first `channels` channels,
// each `periodStep` above the one before.
std::unique_ptr<ModSound> LoopedModule(std::vector<int8_t> data, int channels = 1, int period = 428,
                                       int periodStep = 0) {
    soundtest::InstrumentSample sample;
    sample.loopLengthWords = int(data.size() / 2);
    sample.data = std::move(data);
    soundtest::ModuleBuilder builder;
    builder.sample(1, sample);
    for (int c = 0; c < channels; ++c) builder.cell(0, 0, c, 1, period + periodStep * c, 0, 0);
    std::vector<uint8_t> file = builder.bytes();
    auto module = std::make_unique<ModSound>();
    EXPECT_EQ(module->loadFromMemory(file.data(), file.size()), kSoundOk);
    return module;
}

std::unique_ptr<ModSound> ConstantModule(int8_t value, int channels = 1) {
    return LoopedModule(std::vector<int8_t>(200, value), channels);
}

}  // namespace

// ---- Set-up ---------------------------------------------------------------------------

TEST(SoundMixer, InitClampsPoolsAndRefusesASecondInit) {
    SoundMixer mixer;
    ASSERT_EQ(mixer.initOffline(8000, 8, 0, 0, 2), 0);
    EXPECT_EQ(std::pair(mixer.modPlayerCount(), mixer.voiceCount()), std::pair(1, 8));
    EXPECT_EQ(mixer.initOffline(8000, 8, 0, 1, 16), kMixerAlreadyInitialised);
    mixer.pauseOutput(), mixer.resumeOutput();  // offline there is no driver to pause

    SoundMixer big;
    ASSERT_EQ(big.initOffline(44100, 16, 1, 100, 1000), 0);
    EXPECT_EQ(std::pair(big.modPlayerCount(), big.voiceCount()), std::pair(64, 128));
    // A module player named by the low bits, the last of them included.
    auto song = ConstantModule(1);
    EXPECT_EQ(std::pair(big.play(song.get(), 63), big.play(song.get(), 64)), std::pair(63, kPlayRefused));
    EXPECT_EQ(SoundMixer().initOffline(8000, 12, 0, 1, 16), -1) << "a format no device plays";
    // A shut-down mixer plays nothing any more.
    auto tone = Sound16(1000, 100);
    big.play(tone.get(), kAny);
    big.shutdown();
    EXPECT_FALSE(big.isPlaying(tone.get()) || big.isPlaying(song.get()));
}

TEST(SoundMixer, RefusesPlayBeforeInitAndForSoundsWithoutData) {
    auto sound = Sound16(1000, 10);
    SoundMixer mixer;
    EXPECT_EQ(mixer.play(sound.get(), kAny), kPlayRefused);
    ASSERT_EQ(mixer.initOffline(8000, 16, 0, 1, 16), 0);
    WaveSound empty;
    EXPECT_EQ(mixer.play(&empty, kAny), kPlayRefused);
    ModSound emptyModule;
    EXPECT_EQ(mixer.play(&emptyModule, kAny), kPlayRefused);
    EXPECT_EQ(mixer.play(nullptr, kAny), kPlayRefused);
    sound->frequency = 0;
    EXPECT_EQ(mixer.play(sound.get(), kAny), kPlayRefused);
    sound->frequency = 1;
    EXPECT_EQ(mixer.play(sound.get(), kAny), 0);
}

// ---- Render arithmetic ---------------------------------------------------------------------

// Silence is 128 in 8 bits and 0 in 16; a voice at full volume gives half
// its value, three clip. Eight-bit output divides by 256 truncating toward
// zero: -16256 / 256 is -63, not -64.
TEST(SoundMixer, OutputScalesAndClipsInBothFormats) {
    for (auto [bits, silence] : {std::pair{8, 128}, std::pair{16, 0}}) {
        Offline mixer(bits, bits == 16);
        std::vector<uint8_t> buffer(240, 7);
        mixer.render(buffer.data(), buffer.size());
        EXPECT_EQ(buffer, std::vector<uint8_t>(240, uint8_t(silence))) << bits;
    }
    auto high = Sound16(32767, 100), low = Sound16(-32768, 100);
    Offline mixer;
    for (int voices : {1, 3}) {
        for (int i = 0; i < voices; ++i) mixer.play(high.get(), kAny);
        EXPECT_EQ(Render16(mixer, 4), std::vector<int16_t>(4, voices == 1 ? 32767 * 64 / 128 : 32767));
        mixer.stopAll();
    }
    for (int i = 0; i < 3; ++i) mixer.play(low.get(), kAny);
    EXPECT_EQ(Render16(mixer, 4), std::vector<int16_t>(4, -32768));

    auto loud = Sound8(255, 100), quiet = Sound8(1, 100);  // (255 - 128) x 256 = 32512
    Offline eight(8);
    eight.play(loud.get(), kAny);
    EXPECT_EQ(Render8(eight, 3), std::vector<uint8_t>(3, 128 + 63));  // 32512 x 64 / 128 / 256
    for (int i = 0; i < 4; ++i) eight.play(loud.get(), kAny);
    EXPECT_EQ(Render8(eight, 3), std::vector<uint8_t>(3, 255));
    eight.stopAll();
    eight.play(quiet.get(), kAny);
    EXPECT_EQ(Render8(eight, 3), std::vector<uint8_t>(3, 128 - 63));
    for (int i = 0; i < 4; ++i) eight.play(quiet.get(), kAny);
    EXPECT_EQ(Render8(eight, 3), std::vector<uint8_t>(3, 0));
}

TEST(SoundMixer, VoiceVolumeIsSoundVolumeTimesMasterVolume) {
    auto sound = Sound16(12800, 100);
    sound->volume = 32;
    Offline mixer;
    mixer.play(sound.get(), kAny);
    EXPECT_EQ(Render16(mixer, 1)[0], 12800 * 32 / 128);
    mixer.setSampleVolume(16);  // applies to the playing voice at once
    EXPECT_EQ(Render16(mixer, 1)[0], 12800 * (32 * 16 / 64) / 128);
    mixer.setSampleVolume(500);
    EXPECT_EQ(Render16(mixer, 1)[0], 12800 * 32 / 128);
    sound->volume = 100;  // at most 64
    mixer.play(sound.get(), 0);
    EXPECT_EQ(Render16(mixer, 1)[0], 12800 * 64 / 128);
    mixer.setSampleVolume(0);
    EXPECT_EQ(Render16(mixer, 1)[0], 0);
    mixer.setSampleVolume(64);
    sound->volume = 0;  // silent, not the least audible
    mixer.play(sound.get(), 0);
    EXPECT_EQ(Render16(mixer, 1)[0], 0);
}

TEST(SoundMixer, StereoOutputPansVoices) {
    Offline mixer(16, 1);
    auto sound = Sound16(12800, 100);
    // Pan 192: right = 2 x 64 x 192 / 256 = 96, left = 128 - 96 = 32.
    for (auto [pan, left, right] : {std::tuple{128, 6400, 6400}, {0, 12800, 0}, {192, 12800 * 32 / 128, 12800 * 96 / 128}}) {
        sound->pan = pan;
        mixer.stopAll();
        mixer.play(sound.get(), kAny);
        EXPECT_EQ(Render16(mixer, 2), (std::vector<int16_t>{int16_t(left), int16_t(right), int16_t(left), int16_t(right)}))
            << "pan " << pan;
    }
}

TEST(SoundMixer, StereoDataKeepsItsSidesAndSumsIntoMono) {
    auto sound = Sound16(12800, 100, true, -6400);
    Offline stereo(16, 1);
    stereo.play(sound.get(), kAny);
    EXPECT_EQ(Render16(stereo, 2), (std::vector<int16_t>{6400, -3200, 6400, -3200}));
    // Panned, each side still takes its own value: gains 32 and 96 at pan 192.
    stereo.stopAll();
    sound->pan = 192;
    stereo.play(sound.get(), kAny);
    EXPECT_EQ(Render16(stereo, 1), (std::vector<int16_t>{12800 * 32 / 128, -6400 * 96 / 128}));
    // Each frame is read from its own place.
    std::vector<uint8_t> pcm;
    for (int16_t v : {12800, -6400, 1280, -640}) soundtest::PutLe(pcm, uint16_t(v), 2);
    WaveSound twoFrames;
    twoFrames.setPcm(std::move(pcm), false, true, 8000);
    stereo.stopAll();
    stereo.play(&twoFrames, kAny);
    EXPECT_EQ(Render16(stereo, 2), (std::vector<int16_t>{6400, -3200, 640, -320}));

    Offline mono;
    mono.play(sound.get(), kAny);
    EXPECT_EQ(Render16(mono, 1), (std::vector<int16_t>{6400 - 3200}));
    // 8-bit data is unsigned around 128 on both sides.
    auto eightBit = std::make_unique<WaveSound>();
    eightBit->setPcm({200, 60, 100, 30}, true, true, 8000);
    stereo.stopAll();
    stereo.play(eightBit.get(), kAny);
    EXPECT_EQ(Render16(stereo, 2), (std::vector<int16_t>{72 * 256 / 2, -68 * 256 / 2, -28 * 256 / 2, -98 * 256 / 2}));
}

TEST(SoundMixer, VoicesStepByFrequencyAndStopOrLoopAtTheEnd) {
    // Frames 1000, 2000, 3000 at 4000 Hz on an 8000 Hz output: each twice.
    std::vector<uint8_t> pcm;
    for (int v : {2560, 5120, 7680}) soundtest::PutLe(pcm, uint16_t(v), 2);
    WaveSound sound;
    sound.setPcm(pcm, false, false, 4000);
    Offline mixer;
    mixer.play(&sound, kAny);
    EXPECT_EQ(Render16(mixer, 8), (std::vector<int16_t>{1280, 1280, 2560, 2560, 3840, 3840, 0, 0}));
    EXPECT_FALSE(mixer.isPlaying(&sound));

    sound.loop = true;
    mixer.play(&sound, kAny);
    EXPECT_EQ(Render16(mixer, 8), (std::vector<int16_t>{1280, 1280, 2560, 2560, 3840, 3840, 1280, 1280}));
    EXPECT_TRUE(mixer.isPlaying(&sound));

    // At 5000 Hz the step is 160/256 of a frame: a wrap keeps what passed the
    // end (800 - 768 = 32), so the third frame comes one output frame earlier.
    sound.setPcm(pcm, false, false, 5000);
    sound.loop = true;
    mixer.stopAll();
    mixer.play(&sound, kAny);
    EXPECT_EQ(Render16(mixer, 10),
              (std::vector<int16_t>{1280, 1280, 2560, 2560, 3840, 1280, 1280, 2560, 3840, 3840}));
    // At 7969 Hz the step is 255/256 of a frame: the first frame plays twice.
    sound.setPcm(pcm, false, false, 7969);
    mixer.stopAll();
    mixer.play(&sound, kAny);
    EXPECT_EQ(Render16(mixer, 3), (std::vector<int16_t>{1280, 1280, 2560}));
    // At the output rate the step is one frame exactly, with no drift.
    sound.setPcm(pcm, false, false, 8000);
    sound.loop = true;
    mixer.play(&sound, 0);
    EXPECT_EQ(Render16(mixer, 300)[299], 3840);
}

TEST(SoundMixer, ModuleChannelsMixWithoutTheVoiceScale) {
    auto module = ConstantModule(100);
    Offline mono;
    ASSERT_EQ(mono.play(module.get(), kAny), 0);
    EXPECT_EQ(Render16(mono, 2), (std::vector<int16_t>{6400, 6400}));
    Offline eight(8);
    eight.play(module.get(), kAny);
    EXPECT_EQ(Render8(eight, 2), (std::vector<uint8_t>{128 + 6400 / 256, 128 + 6400 / 256}));
    auto voice = Sound16(12800, 100);
    eight.play(voice.get(), kAny);
    EXPECT_EQ(Render8(eight, 1)[0], 128 + (6400 + 12800 * 64 / 128) / 256);

    // Channel 0 has pan 95: right = 64 x 95 / 256 = 23, left = 41, both doubled.
    Offline stereo(16, 1);
    stereo.play(module.get(), kAny);
    EXPECT_EQ(Render16(stereo, 1), (std::vector<int16_t>{41 * 100 * 2, 23 * 100 * 2}));

    // Half the master volume: output volume 32, right = 32 x 95 / 256 = 11, left = 21.
    stereo.setModVolume(32);
    EXPECT_EQ(Render16(stereo, 1), (std::vector<int16_t>{21 * 100 * 2, 11 * 100 * 2}));
    stereo.setModVolume(0);
    EXPECT_EQ(Render16(stereo, 1), (std::vector<int16_t>{0, 0}));
    stereo.setModVolume(100);
    EXPECT_EQ(Render16(stereo, 1), (std::vector<int16_t>{41 * 100 * 2, 23 * 100 * 2})) << "held to 64";
    // A song that has ended still tells how far it went: 64 rows of 6 ticks of 160 frames.
    Render16(mono, 64 * 6 * 160);
    EXPECT_EQ(mono.moduleStatus(module.get()).framesPlayed, 64 * 6 * 160);
    EXPECT_FALSE(mono.moduleStatus(module.get()).playing);
    EXPECT_EQ(stereo.moduleStatus(module.get()).framesPlayed, 4) << "each mixer its own";
    EXPECT_EQ(Offline().moduleStatus(module.get()).framesPlayed, 0) << "and none where it never played";

    // Channels 1 and 3 have pan 161 (left 24, right 40): four loud channels
    // clip on the left, 2 x (41 + 24) x 2 x 127, and not on the right.
    auto loud = ConstantModule(127, 4);
    Offline four(16, 1);
    four.play(loud.get(), kAny);
    EXPECT_EQ(Render16(four, 1), (std::vector<int16_t>{32767, 2 * (23 + 40) * 2 * 127}));
    Offline fourEight(8, 1);
    fourEight.play(loud.get(), kAny);
    EXPECT_EQ(Render8(fourEight, 1), (std::vector<uint8_t>{255, 128 + 2 * (23 + 40) * 2 * 127 / 256}));
    // and downward: a clipped negative value is 0, not wrapped round to the top.
    auto low = ConstantModule(-128, 4);
    Offline lowEight(8, 1);
    lowEight.play(low.get(), kAny);
    EXPECT_EQ(Render8(lowEight, 1), (std::vector<uint8_t>{0, 128 - 2 * (23 + 40) * 2 * 128 / 256}));
}

// Faults: music values written out of order, on the wrong byte, or unclipped,
// where sixteen-bit output converts many values at a time.
TEST(SoundMixer, SixteenBitMusicIsThePlayersSumClippedAndInOrder) {
    // Four channels of a saw loud enough to clip, in stereo, over a length
    // that is no multiple of the converter's width.
    std::vector<int8_t> saw;
    for (int i = 0; i < 300; ++i) saw.push_back(int8_t(int(i * 37 % 256) - 128));
    auto module = LoopedModule(saw, 4, 214, 40);
    Offline mixer(16, 1, 16, 44100);
    ASSERT_EQ(mixer.play(module.get(), kAny), 0);
    const int frames = 1001;
    const std::vector<int16_t> out = Render16(mixer, frames);

    NoteLookup notes;
    notes.build();
    ModPlayer player;
    ASSERT_TRUE(player.start(*module, ModOutput{44100, true, &notes}, 64));
    std::vector<int32_t> sum(size_t(frames) * 2, 0);
    player.mix(sum.data(), frames);
    int clipped = 0;
    for (size_t i = 0; i < sum.size(); ++i) {
        clipped += sum[i] > 32767 || sum[i] < -32768;
        ASSERT_EQ(out[i], std::clamp(sum[i], -32768, 32767)) << "value " << i;
    }
    EXPECT_GT(clipped, 0) << "the music never clipped: the test shows nothing of clipping";
    // Three frames and a byte of a fourth, which is silence; the last byte is not the mixer's.
    std::vector<uint8_t> guarded(3 * 4 + 2, 0xEE);
    mixer.render(guarded.data(), 3 * 4 + 1);
    EXPECT_EQ(guarded[12] << 8 | guarded[13], 0x00EE);
}

// ---- Voice allocation and control -----------------------------------------------------------

// Any voice: the first free one; a limited sound takes the last free one; without bit 28 the low bits name the voice.
TEST(SoundMixer, VoicesAreChosenByTheFlagsAndTheInstanceLimit) {
    auto limited = Sound16(100, 1000);
    auto other = Sound16(100, 1000);
    Offline mixer(16, 0, 8);
    EXPECT_EQ(mixer.play(limited.get(), 5), 5);
    EXPECT_EQ(mixer.play(other.get(), 5), 5);  // takes the voice over
    EXPECT_FALSE(mixer.isPlaying(limited.get()));
    EXPECT_EQ(mixer.play(other.get(), 8), kPlayRefused);
    mixer.stopAll();
    for (int i = 0; i < 8; ++i) EXPECT_EQ(mixer.play(other.get(), kAny), i);
    EXPECT_EQ(mixer.play(other.get(), kAny), kPlayRefused);
    mixer.stopAll();
    limited->maxInstances = 2;
    EXPECT_EQ(mixer.play(other.get(), kAny), 0);
    EXPECT_EQ(mixer.play(limited.get(), kAny), 7);
    EXPECT_EQ(mixer.play(limited.get(), kAny), 6);
    EXPECT_EQ(mixer.play(limited.get(), kAny), kPlayRefused);
    other->maxInstances = 0;
    EXPECT_EQ(mixer.play(other.get(), kAny), kPlayRefused);
    mixer.stopSound(limited.get());  // frees voice 6, the first one found, alone
    EXPECT_TRUE(mixer.isPlaying(limited.get()));
    EXPECT_EQ(mixer.play(limited.get(), kAny), 6);
    mixer.stopSound(limited.get());
    mixer.stopSound(limited.get());
    EXPECT_FALSE(mixer.isPlaying(limited.get()));
    // An instance on the first voice counts as much as one on any other.
    limited->maxInstances = 1;
    EXPECT_EQ(mixer.play(limited.get(), 0), 0);
    EXPECT_EQ(mixer.play(limited.get(), kAny), kPlayRefused);
}

TEST(SoundMixer, PauseAllHoldsVoicesAndModulesInPlace) {
    auto module = ConstantModule(100);
    auto sound = Sound16(12800, 100);
    Offline mixer(16, 0, 8);
    mixer.play(module.get(), kAny);
    mixer.play(sound.get(), kAny);
    mixer.pauseAll();
    EXPECT_EQ(Render16(mixer, 2), (std::vector<int16_t>{0, 0}));
    EXPECT_EQ(std::pair(mixer.isPlaying(module.get()), mixer.isPlaying(sound.get())), std::pair(true, true));
    auto another = Sound16(12800, 100);
    EXPECT_EQ(mixer.play(another.get(), kAny | kPlayPaused), 1);  // a paused voice is not free
    EXPECT_TRUE(mixer.isPlaying(another.get()));
    mixer.stopSound(another.get());
    mixer.resumeAll();
    EXPECT_EQ(Render16(mixer, 1)[0], 6400 + 6400);
    mixer.play(another.get(), kAny | kPlayPaused);  // bit 29: paused until resumed
    EXPECT_EQ(Render16(mixer, 1)[0], 6400 + 6400);
    mixer.resumeAll();
    EXPECT_EQ(Render16(mixer, 1)[0], 6400 + 6400 + 6400);
    mixer.stopSamples();
    EXPECT_EQ(std::pair(mixer.isPlaying(module.get()), mixer.isPlaying(sound.get())), std::pair(true, false));
    // A song started paused waits for the resume too.
    Offline held;
    ASSERT_EQ(held.play(module.get(), kAny | kPlayPaused), 0);
    EXPECT_EQ(Render16(held, 1)[0], 0);
    held.resumeAll();
    EXPECT_EQ(Render16(held, 1)[0], 6400);
}

TEST(SoundMixer, DisablingStopsTheMusicAndEnablingDoesNotRestartIt) {
    auto music = ConstantModule(100);
    auto effect = Sound16(100, 1000);
    Offline mixer(8);
    ASSERT_EQ(mixer.playLooped(music.get(), kAny), 0);
    EXPECT_TRUE(music->loop);
    mixer.play(effect.get(), kAny);
    mixer.setEnabled(false);
    EXPECT_EQ(std::pair(mixer.isPlaying(music.get()), mixer.isPlaying(effect.get())), std::pair(false, false));
    EXPECT_EQ(mixer.play(effect.get(), kAny), kPlayRefused);
    mixer.setEnabled(true);
    EXPECT_FALSE(mixer.isPlaying(music.get()));
    EXPECT_EQ(Render8(mixer, 2), (std::vector<uint8_t>{128, 128}));
    EXPECT_EQ(mixer.playLooped(music.get(), kAny), 0);
}

TEST(SoundMixer, OneModulePlayerServesOneModuleAtATime) {
    auto first = ConstantModule(10);
    auto second = ConstantModule(20);
    Offline mixer(8);
    EXPECT_EQ(mixer.play(first.get(), kAny), 0);
    EXPECT_EQ(mixer.play(second.get(), kAny), kPlayRefused);
    EXPECT_EQ(mixer.play(second.get(), 1), kPlayRefused);  // names a player there is not
    EXPECT_EQ(mixer.play(second.get(), 0), 0);  // named player: replaces the first
    EXPECT_EQ(std::pair(mixer.isPlaying(first.get()), mixer.isPlaying(second.get())), std::pair(false, true));
    mixer.stopSound(second.get());
    EXPECT_FALSE(mixer.isPlaying(second.get()));

    SoundMixer two;
    ASSERT_EQ(two.initOffline(8000, 8, 0, 2, 16), 0);
    EXPECT_EQ(two.play(first.get(), kAny), 0);  // the first free player
    EXPECT_EQ(two.play(second.get(), kAny), 1);
    // A song that ended on one player and plays again on another is told as playing.
    Render8(two, 64 * 6 * 160);
    EXPECT_EQ(two.play(first.get(), 1), 1);
    Render8(two, 10);
    EXPECT_EQ(std::pair(two.moduleStatus(first.get()).playing, two.moduleStatus(first.get()).framesPlayed),
              std::pair(true, int64_t(10)));
}

// Faults: music resumed where it was starts from its beginning, or is
// refused by a working mixer, or played by a disabled one.
TEST(SoundMixer, AResumedSongPlaysOnFromWhereItWas) {
    std::vector<int8_t> saw;
    for (int i = 0; i < 100; ++i) saw.push_back(int8_t(i - 50));
    auto song = LoopedModule(saw);
    for (int64_t ms : {1, 1250}) {
        Offline whole, resumed;
        ASSERT_EQ(whole.playLooped(song.get(), kAny), 0);
        Render16(whole, int(8000 * ms / 1000));
        song->loop = false;
        ASSERT_EQ(resumed.playLoopedFrom(song.get(), kAny, ms), 0);
        EXPECT_TRUE(song->loop);
        const std::vector<int16_t> expected = Render16(whole, 64);
        EXPECT_EQ(Render16(resumed, 64), expected) << ms << " ms";
        EXPECT_NE(expected, std::vector<int16_t>(64, 0));
    }
    // A sampled sound has no song position: it loops from its start.
    Offline mixer;
    auto tone = Sound16(12800, 100);
    EXPECT_EQ(mixer.playLoopedFrom(tone.get(), kAny, 1250), 0);
    EXPECT_TRUE(tone->loop);
    EXPECT_EQ(mixer.playLoopedFrom(nullptr, kAny, 1250), kPlayRefused);
    // With its one player busy a song is refused, and no player is moved on.
    ASSERT_EQ(mixer.play(song.get(), kAny), 0);
    EXPECT_EQ(mixer.playLoopedFrom(LoopedModule(saw).get(), kAny, 1250), kPlayRefused);

    mixer.setEnabled(false);
    EXPECT_EQ(mixer.playLoopedFrom(song.get(), kAny, 1250), kPlayRefused);
}

TEST(SoundMixer, ReloadingOrDestroyingAPlayingSoundTakesItOffTheMixer) {
    Offline mixer(16, 0, 8);
    auto sound = Sound16(12800, 100000);
    auto module = ConstantModule(50);
    mixer.play(sound.get(), kAny);
    sound->setPcm(std::vector<uint8_t>(4, 0), false, false, 8000);
    EXPECT_FALSE(mixer.isPlaying(sound.get()));
    mixer.play(sound.get(), kAny);
    sound->clearData();
    EXPECT_FALSE(mixer.isPlaying(sound.get()));
    mixer.play(module.get(), kAny);
    Render16(mixer, 4);
    module->clearData();
    EXPECT_FALSE(mixer.isPlaying(module.get()));
    EXPECT_EQ(mixer.moduleStatus(module.get()).speed, 0) << "forgotten with its place, not ended";
    sound = Sound16(12800, 100000);
    module = ConstantModule(50);
    mixer.play(sound.get(), kAny);
    mixer.play(module.get(), kAny);
    sound.reset();
    module.reset();
    EXPECT_EQ(Render16(mixer, 16), std::vector<int16_t>(16, 0));
}


// The sound store, its lower-cased cache, the "Sound"/"WaveSound" template
// reader and the report of a missing file, over real files in a temporary folder.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/property_file.h"
#include "platform/host/host.h"
#include "sound/mod_sound.h"
#include "sound/sound_mixer.h"
#include "sound/sound_store.h"
#include "sound/sound_template.h"
#include "sound/wave_sound.h"
#include "sound_test_files.h"
#include "support/test_host.h"

namespace {

class SoundStoreTest : public testhost::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        folder_ = scratch.path16();
        scratch.write("bang.wav", soundtest::MakeWav(soundtest::WavFormat{}, {1, 2, 3, 4}));
        scratch.write("Music.MOD", soundtest::ModuleBuilder().bytes());
        scratch.write("broken.wav", std::vector<uint8_t>(4, 'j'));
    }

    std::u16string folder_;
    SoundStore store_;
};

}  // namespace

// Names differing in case share one sound, found on disk whatever its
// capitals; a bad file is stored without data, and other names make none.
TEST_F(SoundStoreTest, NamesDifferingInCaseShareOneSoundAndOnlyWavAndModNamesMakeSounds) {
    std::u16string upper = u"BANG.wav", mixed = u"Bang.WAV", music = u"Music.MOD", text = u"notes.txt", broken = u"broken.wav";
    SoundBase* first = loadSound(store_, folder_, upper);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(upper, u"bang.wav");  // lower-cased in place
    EXPECT_FALSE(store_.lastWasCached);
    EXPECT_EQ(first->kind, SoundKind::Sample);
    EXPECT_TRUE(first->hasData());
    EXPECT_EQ(loadSound(store_, folder_, mixed), first);
    EXPECT_TRUE(store_.lastWasCached);
    SoundBase* module = loadSound(store_, folder_, music);
    ASSERT_NE(module, nullptr);
    EXPECT_FALSE(store_.lastWasCached);
    EXPECT_EQ(module->kind, SoundKind::Module);
    EXPECT_TRUE(module->hasData());
    EXPECT_EQ(static_cast<ModSound*>(module)->channels, 4);
    EXPECT_EQ(loadSound(store_, folder_, text), nullptr);
    EXPECT_EQ(store_.size(), 2u);
    EXPECT_TRUE(boxes.empty());
    SoundBase* bad = loadSound(store_, folder_, broken);
    ASSERT_NE(bad, nullptr);
    EXPECT_FALSE(bad->hasData());
    // Latin-1 capitals are lowered too, all but the multiplication sign.
    // The sharp s has no capital in Latin-1 and stays.
    std::u16string latin = u"AZ\u00C0\u00D7\u00DE\u00DF.WAV";
    loadSound(store_, folder_, latin);
    EXPECT_EQ(latin, u"az\u00E0\u00D7\u00FE\u00DF.wav");
}

TEST_F(SoundStoreTest, AMissingFileIsReportedAndStoredWithoutData) {
    std::u16string name = u"missing.wav";
    SoundBase* sound = loadSound(store_, folder_, name);
    ASSERT_NE(sound, nullptr);
    EXPECT_FALSE(sound->hasData());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].line(), "Exception: Error: can not find the sound / music '" + scratch.path() + "missing.wav'.");
    EXPECT_EQ(boxes[0].style & 0xF0u, host::MB_ICONEXCLAMATION);

    SoundMixer mixer;
    ASSERT_EQ(mixer.initOffline(8000, 8, 0, 1, 16), 0);
    EXPECT_EQ(mixer.play(sound, kPlayAnyVoice), kPlayRefused);

    // Asking again answers from the store without a second message.
    std::u16string again = u"MISSING.wav";
    EXPECT_EQ(loadSound(store_, folder_, again), sound);
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(SoundStoreTest, LoadersReturnTheirResultCodes) {
    WaveSound wave;
    EXPECT_EQ(wave.load(folder_, u"bang.wav"), kSoundOk);
    EXPECT_EQ(wave.load(folder_, u"broken.wav"), kSoundBadStructure);
    EXPECT_EQ(wave.load(folder_, u"bang.wav"), kSoundOk);
    EXPECT_EQ(wave.load(folder_, u"nothing.wav"), kSoundMissingFile);
    EXPECT_FALSE(wave.hasData());
    ModSound module;
    EXPECT_EQ(module.load(folder_, u"Music.MOD"), kSoundOk);
    EXPECT_EQ(module.load(folder_, u"nothing.mod"), kSoundMissingFile);
    EXPECT_FALSE(module.hasData());
    EXPECT_EQ(boxes.size(), 2u);
}

TEST_F(SoundStoreTest, TemplateEntriesWithTheSameSourceShareOneSound) {
    // A source is cut to 260 characters, as every path the system reads.
    const std::string deep = std::string(249, 'd') + "/bang.wav";
    scratch.write(deep, soundtest::MakeWav(soundtest::WavFormat{}, {1, 2}));
    PropertyFile file(u'=', u',', u':');
    file.loadText(u"music=type:Sound,src:Music.MOD\n"
                  u"bang=type:WaveSound,src:BANG.wav\n"
                  u"bangAgain=type:Sound,src:bang.wav\n"
                  u"silent=type:Sound\n"
                  u"notes=type:Sound,src:notes.txt\n"
                  u"deep=type:Sound,src:./" + host::FromUtf8(deep) + u"!\n");
    SoundTable table;
    for (const std::u16string& entry : file.dataKeys()) ReadSoundEntry(file, entry, folder_, store_, table);
    ASSERT_NE(table.find(u"deep"), nullptr);
    EXPECT_TRUE(table.find(u"deep")->hasData());
    EXPECT_EQ(table.size(), 4u);
    EXPECT_EQ(store_.size(), 3u);
    ASSERT_NE(table.find(u"bang"), nullptr);
    EXPECT_EQ(table.find(u"bang"), table.find(u"bangAgain"));
    EXPECT_EQ(table.find(u"music")->kind, SoundKind::Module);
    // Entry names keep their case; entries without a sound make none.
    for (const char16_t* none : {u"Music", u"silent", u"notes"}) EXPECT_EQ(table.find(none), nullptr);
    WaveSound other;
    table.add(u"bang", &other);
    EXPECT_EQ(table.find(u"bang"), table.find(u"bangAgain")) << "the first entry of a name wins";
}

TEST(SoundPath, InsertsABackslashOnlyWhenNeeded) {
    EXPECT_EQ(SoundPath(u"res", u"a.wav"), u"res\\a.wav");
    EXPECT_EQ(SoundPath(u"res\\", u"a.wav"), u"res\\a.wav");
    EXPECT_EQ(SoundPath(u"res/", u"a.wav"), u"res/a.wav");
}

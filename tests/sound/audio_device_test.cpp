// The headless audio devices and the program's mixer over them: the null
// device paced by the (virtual) host clock, and the WAV-recording device.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "platform/host/audio_device.h"
#include "platform/host/host.h"
#include "sound/sound_mixer.h"
#include "sound/wave_sound.h"

namespace {

template <typename Condition>
bool WaitFor(Condition condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void Settle() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

void CountDone(void* counter) { ++*static_cast<std::atomic<int>*>(counter); }

host::HostOptions VirtualHeadless(const std::string& audio) {
    host::HostOptions options;
    options.backend = "headless";
    options.clock = "virtual";
    options.audio = audio;
    return options;
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

class AudioDeviceTest : public ::testing::Test {
protected:
    void TearDown() override {
        DestroySoundMixer();
        host::Shutdown();
    }
};

}  // namespace

TEST_F(AudioDeviceTest, NullDevicePlaysBuffersAtThePaceOfTheHostClock) {
    host::InitializeWith(VirtualHeadless("null"));
    std::atomic<int> done{0};
    auto device = host::OpenNullAudioDevice(host::AudioFormat{8000, 8, 1}, CountDone, &done);
    ASSERT_NE(device, nullptr);
    std::vector<uint8_t> buffer(240, 128);  // 30 ms
    for (int i = 0; i < 4; ++i) device->write(buffer.data(), buffer.size());
    Settle();
    EXPECT_EQ(done, 0);  // the virtual clock has not moved

    host::Sleep(30);
    ASSERT_TRUE(WaitFor([&] { return done == 1; }));
    host::Sleep(60);
    ASSERT_TRUE(WaitFor([&] { return done == 3; }));

    device->pause();
    host::Sleep(100);
    Settle();
    EXPECT_EQ(done, 3);
    device->resume();
    Settle();
    EXPECT_EQ(done, 3);  // time spent paused is not owed afterwards
    host::Sleep(30);
    ASSERT_TRUE(WaitFor([&] { return done == 4; }));

    device->write(buffer.data(), buffer.size());
    device->reset();
    host::Sleep(60);
    Settle();
    EXPECT_EQ(done, 4);
}

TEST_F(AudioDeviceTest, TheAudioOptionChoosesTheDevice) {
    host::InitializeWith(VirtualHeadless("auto"));
    EXPECT_NE(host::OpenAudioDevice(host::AudioFormat{8000, 8, 1}, nullptr, nullptr), nullptr);  // null when headless
    EXPECT_EQ(host::OpenAudioDevice(host::AudioFormat{8000, 24, 1}, nullptr, nullptr), nullptr);
    host::InitializeWith(VirtualHeadless("wav:/nonexistent-folder/x.wav"));
    EXPECT_EQ(host::OpenAudioDevice(host::AudioFormat{8000, 8, 1}, nullptr, nullptr), nullptr);
}

TEST_F(AudioDeviceTest, ProgramMixerDefaultsTo8000Hz8BitMono) {
    host::InitializeWith(VirtualHeadless("null"));
    ASSERT_EQ(CreateSoundMixer(), 0);
    SoundMixer* mixer = GetSoundMixer();
    ASSERT_NE(mixer, nullptr);
    EXPECT_EQ(mixer->outputRate(), 8000);
    EXPECT_EQ(mixer->outputBits(), 8);
    EXPECT_FALSE(mixer->outputStereo());
    EXPECT_EQ(mixer->modPlayerCount(), 1);
    EXPECT_EQ(mixer->voiceCount(), 16);
    PauseSoundOutput();
    ResumeSoundOutput();
    DestroySoundMixer();
    EXPECT_EQ(GetSoundMixer(), nullptr);
}

TEST_F(AudioDeviceTest, WavDeviceRecordsWhatTheProgramMixerPlays) {
    const std::string path =
        std::filesystem::temp_directory_path() / ("karrowen-sound-record-" + std::to_string(::getpid()) + ".wav");
    host::HostOptions options = VirtualHeadless("wav:" + path);
    options.audioRate = 22050;
    options.audioBits = 16;
    options.audioStereo = 1;
    host::InitializeWith(options);
    ASSERT_EQ(CreateSoundMixer(), 0);
    SoundMixer* mixer = GetSoundMixer();
    EXPECT_EQ(mixer->outputRate(), 22050);

    WaveSound tone;
    std::vector<uint8_t> pcm;
    for (int i = 0; i < 2205; ++i) pcm.insert(pcm.end(), {0x00, 0x40});  // 16384
    tone.setPcm(pcm, false, false, 22050);
    tone.loop = true;
    ASSERT_GE(mixer->play(&tone, kPlayAnyVoice), 0);
    for (uint64_t played = 1; played <= 10; ++played) {
        host::Sleep(31);  // a buffer of 2648 bytes lasts a little over 30 ms
        ASSERT_TRUE(WaitFor([&] { return mixer->driver()->buffersRendered() >= played; }));
    }
    DestroySoundMixer();

    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(path);
    ASSERT_GE(file.size(), 44u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(U32(file, 4), file.size() - 8);
    EXPECT_EQ(U32(file, 24), 22050u);
    EXPECT_EQ(file[22], 2);   // channels
    EXPECT_EQ(file[34], 16);  // bits
    const size_t bufferBytes = 2648;  // 22050 x 4 x 30 / 1000 = 2646, rounded up to 8
    const size_t dataBytes = U32(file, 40);
    EXPECT_EQ(dataBytes, file.size() - 44);
    EXPECT_EQ(dataBytes % bufferBytes, 0u);
    ASSERT_GE(dataBytes, 10 * bufferBytes);
    // Six silent buffers were queued before anything played; the tone follows:
    // 16384 x 64 / 128 on both sides.
    for (size_t i = 44; i < 44 + 6 * bufferBytes; ++i) ASSERT_EQ(file[i], 0) << i;
    size_t toneAt = 44 + 6 * bufferBytes;
    EXPECT_EQ(file[toneAt], 0x00);
    EXPECT_EQ(file[toneAt + 1], 0x20);
    EXPECT_EQ(file[toneAt + 3], 0x20);
}

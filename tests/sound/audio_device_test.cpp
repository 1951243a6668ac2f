// The headless audio devices and the program's mixer over them: the null
// device paced by the (virtual) host clock, the WAV-recording device, the
// output format the program asks for, and the player's volume.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/host/audio_device.h"
#include "platform/host/headless/null_audio.h"
#include "platform/host/host.h"
#include "platform/host/host_core.h"
#include "sound/sound_mixer.h"
#include "sound/wave_sound.h"
#include "support/test_host.h"

namespace {

void Settle() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

void CountDone(void* counter) { ++*static_cast<std::atomic<int>*>(counter); }

// A process started with standard input closed gets /dev/null there, so
// that what a test opens next does not land on descriptor 0 unawares.
void KeepStandardInputOpen() {
    if (::fcntl(0, F_GETFD) == -1) {
        ASSERT_EQ(::open("/dev/null", O_RDONLY), 0);
    }
}

host::HostOptions VirtualHeadless(const std::string& audio) {
    host::HostOptions options;
    options.backend = "headless";
    options.clock = "virtual";
    options.audio = audio;
    return options;
}

uint32_t U32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}

// A recording the device starts in the folder: its path and its header.
std::pair<std::string, std::string> FreshRecording(testhost::ScratchFolder& folder, const std::string& name) {
    const std::string path = folder.write(name, "");
    host::OpenWavAudioDevice(path, host::AudioFormat{8000, 8, 1}, nullptr, nullptr).reset();
    return {path, folder.read(name)};
}

// Sets a header's two sizes for `dataBytes` of sound.
void SetSizes(std::string& header, uint32_t dataBytes) {
    for (auto [at, value] : {std::pair{size_t(4), 36 + dataBytes}, {size_t(40), dataBytes}})
        for (size_t i = 0; i < 4; ++i) header[at + i] = char(value >> 8 * i);
}

constexpr size_t kToneBufferBytes = 2648;  // 22050 x 4 x 30 / 1000 = 2646, rounded up to 8
// Six silent buffers are queued before anything plays.
constexpr size_t kToneAt = 44 + 6 * kToneBufferBytes;

// The program mixer, at 22050 Hz 16-bit stereo and the given options, playing
// a constant 16384 for ten buffers into a WAV recording; the file's bytes.
std::string RecordTone(host::HostOptions options) {
    testhost::ScratchFolder folder;
    options.audio = "wav:" + folder.path() + "tone.wav";
    options.audioRate = 22050;
    options.audioBits = 16;
    options.audioStereo = 1;
    host::InitializeWith(options);
    if (CreateSoundMixer() != 0) return {};
    SoundMixer* mixer = GetSoundMixer();
    WaveSound tone;
    std::vector<uint8_t> pcm;
    for (int i = 0; i < 2205; ++i) pcm.insert(pcm.end(), {0x00, 0x40});  // 16384
    tone.setPcm(pcm, false, false, 22050);
    tone.loop = true;
    PauseSoundOutput();  // output that stays paused records silence
    ResumeSoundOutput();
    if (mixer->play(&tone, kPlayAnyVoice) >= 0) {
        for (uint64_t played = 1; played <= 10; ++played) {
            host::Sleep(31);  // a buffer lasts a little over 30 ms
            if (!testhost::WaitFor([&] { return mixer->driver()->buffersRendered() >= played; })) break;
        }
    }
    DestroySoundMixer();
    host::Shutdown();
    return folder.read("tone.wav");
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
    ASSERT_TRUE(testhost::WaitFor([&] { return done == 1; }));
    host::Sleep(60);
    ASSERT_TRUE(testhost::WaitFor([&] { return done == 3; }));

    device->pause();
    host::Sleep(100);
    Settle();
    EXPECT_EQ(done, 3);
    device->resume();
    Settle();
    EXPECT_EQ(done, 3);  // time spent paused is not owed afterwards
    host::Sleep(30);
    ASSERT_TRUE(testhost::WaitFor([&] { return done == 4; }));

    device->write(buffer.data(), buffer.size());
    device->reset();
    host::Sleep(60);
    Settle();
    EXPECT_EQ(done, 4);
    // On the virtual clock the time the queue stood empty is owed, so a late
    // buffer plays at once and a recording keeps in step with the program.
    device->write(buffer.data(), buffer.size());
    ASSERT_TRUE(testhost::WaitFor([&] { return done == 5; }));
}

// The program waits on a recording only while it owes more than the slack;
// in 16-bit stereo a frame is four bytes.
TEST_F(AudioDeviceTest, WaitingForTheDeviceEndsOnceItOwesNoMoreThanTheSlack) {
    host::InitializeWith(VirtualHeadless("null"));
    std::atomic<int> done{0};
    auto device = host::OpenNullAudioDevice(host::AudioFormat{22050, 16, 2}, CountDone, &done);
    ASSERT_NE(device, nullptr);
    auto& paced = static_cast<host::NullAudioDevice&>(*device);
    host::Sleep(10);
    Settle();
    EXPECT_TRUE(paced.awaitCaughtUp(40, 0));
    host::Sleep(50);
    EXPECT_FALSE(paced.awaitCaughtUp(40, 0)) << "the time since the device last looked is owed too";
    Settle();
    EXPECT_FALSE(paced.awaitCaughtUp(40, 0));  // 60 ms owed and nothing queued to pay it with
    std::vector<uint8_t> buffer(kToneBufferBytes, 0);
    device->write(buffer.data(), buffer.size());
    EXPECT_TRUE(paced.awaitCaughtUp(40, 5000));  // playing it pays 30 ms
    EXPECT_EQ(done, 1);
}

// Without a thread of its own (as on a web page) the device plays in the
// message poll, and a wait for it plays the queue itself.
TEST_F(AudioDeviceTest, AThreadlessDevicePlaysInThePollAndWhileWaitedFor) {
    host::InitializeWith(VirtualHeadless("null"));
    std::atomic<int> done{0};
    host::NullAudioDevice device(host::AudioFormat{8000, 8, 1}, CountDone, &done, false);
    std::vector<uint8_t> buffer(240, 128);  // 30 ms
    for (int i = 0; i < 3; ++i) device.write(buffer.data(), buffer.size());
    host::Sleep(30);
    Settle();
    EXPECT_EQ(done, 0) << "nothing but the poll plays it";
    host::PaceThreadlessAudio();
    EXPECT_EQ(done, 1);
    host::Sleep(100);
    EXPECT_TRUE(device.awaitCaughtUp(40, 0));  // the other two play: 40 ms owed
    EXPECT_EQ(done, 3);
    host::Sleep(10);
    EXPECT_FALSE(device.awaitCaughtUp(40, 0));
    device.pause();
    host::Sleep(100);
    host::PaceThreadlessAudio();
    device.resume();
    device.write(buffer.data(), buffer.size());
    host::PaceThreadlessAudio();
    EXPECT_EQ(done, 3) << "time spent paused is not owed";
    // A device closed is paced no more (the sanitizer build sees it if it were).
    std::atomic<int> other{0};
    auto closed = std::make_unique<host::NullAudioDevice>(host::AudioFormat{8000, 8, 1}, CountDone, &other, false);
    closed->write(buffer.data(), buffer.size());
    closed.reset();
    host::Sleep(30);
    host::PaceThreadlessAudio();
    EXPECT_EQ(done, 4);
    // A reset drops what was paid toward the queue with the queue.
    device.write(buffer.data(), buffer.size());
    host::Sleep(20);
    host::PaceThreadlessAudio();
    device.reset();
    device.write(buffer.data(), buffer.size());
    host::Sleep(15);
    host::PaceThreadlessAudio();
    EXPECT_EQ(done, 4);
    // A device that another's notice closes while the devices are paced is
    // left alone from then on (the sanitizer build sees it if it were not).
    std::unique_ptr<host::NullAudioDevice> victim;
    auto closeVictim = [](void* v) { static_cast<std::unique_ptr<host::NullAudioDevice>*>(v)->reset(); };
    host::NullAudioDevice closer(host::AudioFormat{8000, 8, 1}, closeVictim, &victim, false);
    victim = std::make_unique<host::NullAudioDevice>(host::AudioFormat{8000, 8, 1}, CountDone, &other, false);
    closer.write(buffer.data(), buffer.size());
    victim->write(buffer.data(), buffer.size());
    host::Sleep(30);
    host::PaceThreadlessAudio();
    EXPECT_EQ(victim, nullptr);
    EXPECT_EQ(other, 0);
}

// One step up from where the thread stood, where the system allows it: the
// test tries the step itself first, and undoes it.
TEST_F(AudioDeviceTest, TheOutputThreadGoesOneStepUp) {
    std::thread([] {
        const int before = testhost::ThisThreadNice();
        const bool allowed = testhost::ThisThreadMayGoUp();
        errno = EPERM;  // left over from something else: not this call's answer
        EXPECT_EQ(host::RaiseThreadPriority(), allowed);
        EXPECT_EQ(testhost::ThisThreadNice(), allowed ? before - 1 : before);
    }).join();
}

// On the real clock a stall is an underrun, as on a sound card: after one,
// at most half a second is played at once. A wait then plays each buffer as
// its time comes, looking again and again until then.
TEST_F(AudioDeviceTest, AfterAStallTheRealClockPlaysAtMostHalfASecondAtOnceThenKeepsTime) {
    host::HostOptions options = VirtualHeadless("null");
    options.clock = "real";
    host::InitializeWith(options);
    std::atomic<int> done{0};
    host::NullAudioDevice device(host::AudioFormat{8000, 8, 1}, CountDone, &done, false);
    std::vector<uint8_t> buffer(240, 128);  // 30 ms
    for (int i = 0; i < 40; ++i) device.write(buffer.data(), buffer.size());
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    host::PaceThreadlessAudio();
    EXPECT_EQ(done, 500 / 30);
    device.awaitCaughtUp(10, 2000);  // a loaded machine may owe more than the slack again
    EXPECT_GT(done, 500 / 30);
}

TEST_F(AudioDeviceTest, TheAudioOptionChoosesTheDevice) {
    host::Shutdown();  // asked for before the host starts, a device starts it, headless
    EXPECT_NE(host::OpenAudioDevice(host::AudioFormat{8000, 8, 1}, nullptr, nullptr), nullptr);
    host::InitializeWith(VirtualHeadless("auto"));
    ::testing::internal::CaptureStderr();
    EXPECT_NE(host::OpenAudioDevice(host::AudioFormat{8000, 8, 2}, nullptr, nullptr), nullptr);  // null when headless
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "karrowen: audio: null device, 8000 Hz 8-bit stereo, no sound is heard\n");
    EXPECT_EQ(host::OpenAudioDevice(host::AudioFormat{8000, 24, 1}, nullptr, nullptr), nullptr);
    EXPECT_EQ(host::OpenNullAudioDevice(host::AudioFormat{8000, 8, 0}, nullptr, nullptr), nullptr);
    host::InitializeWith(VirtualHeadless("wav:/nonexistent-folder/x.wav"));
    EXPECT_EQ(host::OpenAudioDevice(host::AudioFormat{8000, 8, 1}, nullptr, nullptr), nullptr);
    // A device name mistyped is said, not passed over in silence.
    host::InitializeWith(VirtualHeadless("nul"));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(host::OpenAudioDevice(host::AudioFormat{8000, 8, 1}, nullptr, nullptr), nullptr);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "karrowen: unknown audio device \"nul\"; running silent\n");
}

// A relaunched program continues its predecessor's recording, but only a file
// this program wrote in the same format, and without the part of a write that a
// killed process left unfinished. Anything else is started afresh, and said.
TEST_F(AudioDeviceTest, ARecordingIsContinuedOnlyWhenItIsOursInTheSameFormat) {
    host::InitializeWith(VirtualHeadless("null"));
    testhost::ScratchFolder folder;
    auto [path, recording] = FreshRecording(folder, "rec.wav");
    const host::AudioFormat mono{8000, 8, 1};
    ASSERT_EQ(recording.size(), 44u);
    EXPECT_EQ(std::pair(U32(recording, 4), U32(recording, 40)), std::pair(36u, 0u));
    EXPECT_EQ(U32(recording, 28), 8000u) << "bytes a second";
    EXPECT_EQ(recording.substr(8, 8) + recording.substr(36, 4), "WAVEfmt data");
    EXPECT_EQ(std::pair(U32(recording, 16), U32(recording, 20) & 0xFFFF), std::pair(16u, 1u)) << "16 bytes of PCM format";
    ::testing::internal::CaptureStderr();
    host::OpenWavAudioDevice(folder.path() + "stereo.wav", host::AudioFormat{8000, 8, 2}, nullptr, nullptr).reset();
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("8000 Hz 8-bit stereo into"), std::string::npos);

    auto reopen = [&](const host::AudioFormat& format) {
        ::testing::internal::CaptureStderr();
        host::OpenWavAudioDevice(path, format, nullptr, nullptr, true).reset();
        return ::testing::internal::GetCapturedStderr().find("holds no recording to continue") != std::string::npos;
    };
    EXPECT_FALSE(reopen(mono)) << "one of no sound yet is continued too";
    SetSizes(recording, 6);
    folder.write("rec.wav", recording + "sound!" + "cut");
    EXPECT_FALSE(reopen(mono));
    EXPECT_EQ(folder.read("rec.wav"), recording + "sound!");
    SetSizes(recording, 7);
    folder.write("rec.wav", recording + "sound!");  // a byte short of what it claims
    const long descriptors = testhost::OpenDescriptorCount();
    EXPECT_TRUE(reopen(mono));
    EXPECT_EQ(testhost::OpenDescriptorCount(), descriptors) << "the refused file's descriptor is closed";
    EXPECT_TRUE(reopen(host::AudioFormat{8000, 16, 2}));
    EXPECT_EQ(folder.read("rec.wav").size(), 44u);
    folder.write("rec.wav", "");  // shorter than a header
    EXPECT_TRUE(reopen(mono));
    EXPECT_EQ(folder.read("rec.wav").size(), 44u);
}

// A new recording: readable by all and written by its owner, made without
// touching standard input, in a usable format only; once closed, the host
// keeps pace with it no more.
TEST_F(AudioDeviceTest, ANewRecordingIsAPlainFileThatLeavesTheRestAlone) {
    host::InitializeWith(VirtualHeadless("null"));
    testhost::ScratchFolder folder;
    KeepStandardInputOpen();
    auto input = [] {
        struct stat st {};
        return ::fstat(0, &st) == 0 ? std::pair(st.st_dev, st.st_ino) : std::pair(dev_t(0), ino_t(0));
    };
    const auto inputBefore = input();
    const std::string path = folder.path() + "new.wav";
    EXPECT_EQ(host::OpenWavAudioDevice(path, host::AudioFormat{8000, 12, 1}, nullptr, nullptr), nullptr);
    auto device = host::OpenWavAudioDevice(path, host::AudioFormat{8000, 8, 1}, nullptr, nullptr);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(input(), inputBefore) << "standard input was closed or replaced";
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0644 & ~mask));
    EXPECT_EQ(host::Core().recording, device.get());
    device.reset();
    EXPECT_EQ(host::Core().recording, nullptr);
    host::Sleep(10);  // which would wait on the recording
}

// Started with standard input closed, the recording may get descriptor 0 and
// works the same: a buffer of one frame is recorded, and a device whose
// recording ended before it goes (as before a relaunch) closes nothing more.
// A file that takes no header, a pipe, is refused.
TEST_F(AudioDeviceTest, ARecordingOnDescriptorZeroRecordsAndClosesOnlyItsOwn) {
    host::InitializeWith(VirtualHeadless("null"));
    testhost::ScratchFolder folder;
    KeepStandardInputOpen();
    const std::string path = folder.write("zero.wav", "no recording");  // refused on descriptor 0, then made anew there
    ::testing::internal::CaptureStderr();
    const int input = ::dup(0);
    ::close(0);
    std::atomic<int> done{0};
    auto device = host::OpenWavAudioDevice(path, host::AudioFormat{8000, 8, 1}, CountDone, &done, true);
    const std::string told = ::testing::internal::GetCapturedStderr();
    const bool onZero = ::fcntl(0, F_GETFD) != -1;
    const uint8_t frame = 7;
    if (device) device->write(&frame, 1);
    host::Sleep(10);
    const bool played = testhost::WaitFor([&] { return done == 1; });
    host::EndAudioRecording();
    const int other = ::open("/dev/null", O_RDONLY);
    device.reset();
    const bool otherOpen = ::fcntl(other, F_GETFD) != -1;
    ::dup2(input, 0);
    ::close(input);
    if (other > 0) ::close(other);
    EXPECT_TRUE(onZero && played);
    EXPECT_NE(told.find("starting it afresh"), std::string::npos) << told;
    EXPECT_EQ(other, 0);
    EXPECT_TRUE(otherOpen) << "a descriptor not the recording's was closed";
    const std::string recorded = folder.read("zero.wav");
    EXPECT_EQ(recorded.size(), 45u);
    EXPECT_EQ(U32(recorded, 40), 1u) << "the header counts the frame";

    ASSERT_EQ(::mkfifo((folder.path() + "pipe").c_str(), 0600), 0);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(host::OpenWavAudioDevice(folder.path() + "pipe", host::AudioFormat{8000, 8, 1}, nullptr, nullptr), nullptr);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot create"), std::string::npos);
}

// A recording stops just short of what the WAV sizes can count, rather than
// let them wrap. Tried on a sparse file ten bytes short of that limit.
TEST_F(AudioDeviceTest, ARecordingStopsBeforeItsSizesWouldWrap) {
    host::InitializeWith(VirtualHeadless("null"));
    testhost::ScratchFolder folder;
    auto [path, header] = FreshRecording(folder, "big.wav");
    const host::AudioFormat mono{8000, 8, 1};
    ASSERT_EQ(header.size(), 44u);
    constexpr uint32_t kNearlyFull = 0xFFFFFFFFu - 36 - 10;
    SetSizes(header, kNearlyFull);
    folder.write("big.wav", header);
    std::filesystem::resize_file(path, 44 + uint64_t(kNearlyFull));

    std::atomic<int> done{0};
    auto device = host::OpenWavAudioDevice(path, mono, CountDone, &done, true);
    ASSERT_NE(device, nullptr);
    const std::vector<uint8_t> fits(10, 1), overflows(20, 2);  // to the last byte, then past it
    device->write(fits.data(), fits.size());
    device->write(overflows.data(), overflows.size());
    host::Sleep(10);
    ASSERT_TRUE(testhost::WaitFor([&] { return done == 2; }));
    device.reset();
    EXPECT_EQ(std::filesystem::file_size(path), 44 + uint64_t(kNearlyFull) + 10);
    std::ifstream file(path, std::ios::binary);
    file.read(header.data(), 44);
    EXPECT_EQ(std::pair(U32(header, 4), U32(header, 40)), std::pair(36 + kNearlyFull + 10, kNearlyFull + 10));
}

// The handheld's 8000 Hz 8-bit mono on a handheld profile, desktop quality on
// the desktop, and each audio option over the profile's choice.
TEST_F(AudioDeviceTest, ProgramMixerOutputFollowsTheProfileAndTheOptions) {
    struct Case {
        const char* profile;
        int rate, bits, stereo;  // options; 0 or -1: not given
        std::tuple<int, int, bool, size_t> want;  // rate, bits, stereo, buffer bytes
    };
    for (const Case& c : {Case{"pocketpc", 0, 0, -1, {8000, 8, false, 240}},
                          Case{"desktop", 0, 0, -1, {44100, 16, true, 5296}},  // 44100 x 4 x 30 / 1000, to 8
                          Case{"desktop", 48000, 0, 0, {48000, 16, false, 2880}},
                          Case{"square", 22050, 16, -1, {22050, 16, false, 1328}}}) {
        host::HostOptions options = VirtualHeadless("null");
        options.profile = c.profile;
        options.audioRate = c.rate;
        options.audioBits = c.bits;
        options.audioStereo = c.stereo;
        host::InitializeWith(options);
        ASSERT_EQ(CreateSoundMixer(), 0) << c.profile;
        SoundMixer* mixer = GetSoundMixer();
        EXPECT_EQ(std::tuple(mixer->outputRate(), mixer->outputBits(), mixer->outputStereo(),
                             mixer->driver()->bufferBytes()), c.want) << c.profile;
        EXPECT_EQ(std::pair(mixer->modPlayerCount(), mixer->voiceCount()), std::pair(1, 16));
        DestroySoundMixer();
        EXPECT_EQ(GetSoundMixer(), nullptr);
        host::Shutdown();
    }
}

// The WAV device records what the program mixer plays: six silent buffers
// queued before anything played, then the tone, 16384 x 64 / 128 on both
// sides at full volume. The player's volume scales it: --volume over the
// karrowen.conf in the player's config folder, over full volume.
TEST_F(AudioDeviceTest, WavDeviceRecordsWhatTheMixerPlaysScaledByTheVolume) {
    testhost::ScratchFolder config;
    config.write("karrowen/karrowen.conf", "volume=50\n");
    std::optional<testhost::ScopedEnv> home(std::in_place, "XDG_CONFIG_HOME", config.path());
    std::string file;
    auto toneSample = [&](int volume) {
        host::HostOptions options = VirtualHeadless("");
        options.volume = volume;
        file = RecordTone(options);
        return file.size() > kToneAt + 5 ? std::array{int16_t(U32(file, kToneAt)), int16_t(U32(file, kToneAt + 2))}
                                         : std::array<int16_t, 2>{-1, -1};
    };
    const auto fromFile = toneSample(-1), quarter = toneSample(25), silent = toneSample(0), full = toneSample(100);
    home.reset();
    EXPECT_EQ(full, (std::array<int16_t, 2>{0x2000, 0x2000}));
    EXPECT_EQ((std::array{fromFile[0], quarter[0], silent[0]}), (std::array<int16_t, 3>{0x1000, 0x0800, 0}));
    ASSERT_GE(file.size(), kToneAt);
    EXPECT_EQ(file.substr(0, 4), "RIFF");
    // RIFF size, rate, channels, bytes a second, frame size, bits, data size.
    EXPECT_EQ((std::array{U32(file, 4), U32(file, 24), uint32_t(file[22]), U32(file, 28), uint32_t(file[32]),
                          uint32_t(file[34]), U32(file, 40)}),
              (std::array{uint32_t(file.size() - 8), 22050u, 2u, 22050u * 4, 4u, 16u, uint32_t(file.size() - 44)}));
    EXPECT_EQ(U32(file, 40) % kToneBufferBytes, 0u);
    ASSERT_GE(U32(file, 40), 10 * kToneBufferBytes);
    EXPECT_GE(file.find_first_not_of('\0', 44), kToneAt) << "the silent buffers hold sound";

    // 8-bit data is unsigned around 128.
    const host::AudioFormat eightBit{8000, 8, 1};
    uint8_t samples[] = {0, 128, 255, 200};
    host::ScaleToVolume(eightBit, samples, sizeof samples, 50);
    EXPECT_EQ(std::vector<uint8_t>(samples, samples + 4), (std::vector<uint8_t>{64, 128, 191, 164}));
    host::ScaleToVolume(eightBit, samples, sizeof samples, 0);
    EXPECT_EQ(std::vector<uint8_t>(samples, samples + 4), (std::vector<uint8_t>(4, 128)));
    // 16-bit data to its last whole sample, with or without a byte after it.
    for (size_t bytes : {4, 5}) {
        uint8_t wide[] = {0x02, 0x10, 0x00, 0xE0, 0x7F};
        host::ScaleToVolume(host::AudioFormat{8000, 16, 1}, wide, bytes, 50);
        EXPECT_EQ(std::vector<uint8_t>(wide, wide + 5), (std::vector<uint8_t>{0x01, 0x08, 0x00, 0xF0, 0x7F})) << bytes;
    }
    // The player's setting while the game runs, held to 0 ... 100.
    for (auto [asked, held] : {std::pair{-20, 0}, {0, 0}, {100, 100}, {140, 100}}) {
        host::SetOutputVolume(asked);
        EXPECT_EQ(host::Core().outputVolume->load(), held) << asked;
    }
    // Rates from 1 to 384 kHz, 8 or 16 bits, one or two channels.
    for (auto [rate, bits, channels, usable] : {std::tuple{1000, 8, 1, true}, {384000, 16, 2, true}, {999, 8, 1, false},
                                                {384001, 16, 2, false}, {8000, 12, 1, false}, {8000, 8, 3, false}})
        EXPECT_EQ(host::IsUsableAudioFormat(host::AudioFormat{rate, bits, channels}), usable) << rate << " " << bits;
}

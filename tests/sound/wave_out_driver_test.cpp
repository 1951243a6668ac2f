// The wave-out driver and the mixer's output thread, over a scripted device.
// Run these under ThreadSanitizer too (KARROWEN_TSAN).

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "sound/sound_mixer.h"
#include "sound/wave_out_driver.h"
#include "sound/wave_sound.h"
#include "support/test_host.h"

namespace {

// What the scripted device saw; the opener is a plain function, so the test
// reaches its device through this one record.
struct DeviceScript {
    std::mutex mutex;
    std::vector<std::vector<uint8_t>> writes;  // the first 64: instant mode writes without end
    int pauses = 0, resumes = 0, resets = 0, closed = 0;
    bool paused = false, failOpen = false;
    bool instant = false;     // report every buffer played as soon as it is written
    int heldWhilePaused = 0;  // instant buffers written while paused, reported on resume
    host::AudioFormat format;
    host::AudioDevice::BufferDone done = nullptr;
    void* context = nullptr;

    // Reports `count` buffers played, as the device thread would.
    void complete(int count) {
        for (int i = 0; i < count; ++i) done(context);
    }
    size_t writeCount() {
        std::lock_guard<std::mutex> guard(mutex);
        return writes.size();
    }
    std::vector<uint8_t> write(size_t index) {
        std::lock_guard<std::mutex> guard(mutex);
        return writes.at(index);
    }
};

DeviceScript* script = nullptr;

class ScriptedDevice : public host::AudioDevice {
public:
    ~ScriptedDevice() override {
        if (script) ++script->closed;
    }
    bool write(const uint8_t* data, size_t bytes) override {
        std::unique_lock<std::mutex> guard(script->mutex);
        if (script->writes.size() < 64) script->writes.emplace_back(data, data + bytes);
        if (script->instant && script->paused) ++script->heldWhilePaused;
        const bool instant = script->instant && !script->paused;
        guard.unlock();
        if (instant) script->done(script->context);
        return true;
    }
    void pause() override {
        std::lock_guard<std::mutex> guard(script->mutex);
        ++script->pauses;
        script->paused = true;
    }
    void reset() override { ++script->resets; }
    void resume() override {
        std::unique_lock<std::mutex> guard(script->mutex);
        ++script->resumes;
        script->paused = false;
        const int held = std::exchange(script->heldWhilePaused, 0);
        guard.unlock();
        script->complete(held);
    }
};

std::unique_ptr<host::AudioDevice> OpenScripted(const host::AudioFormat& format, host::AudioDevice::BufferDone done,
                                                void* context) {
    if (script->failOpen) return nullptr;
    script->format = format;
    script->done = done;
    script->context = context;
    return std::make_unique<ScriptedDevice>();
}

void NoRender(void*, uint8_t*, size_t) {}

class WaveOutDriverTest : public ::testing::Test {
protected:
    void SetUp() override { script = &record; }
    void TearDown() override { script = nullptr; }
    DeviceScript record;
};

// How many of this process's threads stand at a nice value.
int ThreadsAtNice(int nice) {
    int count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream stat(task.path() / "stat");
        std::string line, field;
        std::getline(stat, line);
        std::istringstream fields(line.substr(line.rfind(')') + 2));  // from the third field, the state
        for (int i = 3; i <= 19; ++i) fields >> field;                 // the 19th is the nice value
        count += std::stoi(field) == nice;
    }
    return count;
}

std::unique_ptr<WaveSound> Tone() {
    auto sound = std::make_unique<WaveSound>();
    sound->setPcm(std::vector<uint8_t>(8000, 255), true, false, 8000);
    sound->loop = true;
    return sound;
}

}  // namespace

// The count of buffers owed never passes the ring's size, however many
// notices come: the thread renders no more than the device gave back.
TEST(CountingSemaphore, CountsUpToItsMaximumAndNoFurther) {
    CountingSemaphore owed(2);
    EXPECT_EQ((std::vector<bool>{owed.release(), owed.release(), owed.release()}), (std::vector<bool>{true, true, false}));
    EXPECT_EQ((std::vector<bool>{owed.tryAcquire(), owed.acquireFor(0), owed.tryAcquire()}),
              (std::vector<bool>{true, true, false}));
}

// The ring holds 30 ms buffers of silence (128 in 8 bits, 0 in 16), queued
// while the device is paused and then started; 4 ... 32 of them.
TEST_F(WaveOutDriverTest, InitQueuesARingOfSilentBuffersAndRefusesBadRequests) {
    SoundMixer mixer;
    ASSERT_EQ(mixer.init(8000, 8, 0, 1, 16, OpenScripted), 0);
    EXPECT_EQ(std::pair(mixer.driver()->bufferCount(), mixer.driver()->bufferBytes()), std::pair(6, size_t(240)));
    EXPECT_EQ(std::tuple(record.format.rate, record.format.bits, record.format.channels), std::tuple(8000, 8, 1));
    ASSERT_EQ(record.writeCount(), 6u);
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(record.write(i), std::vector<uint8_t>(240, 128));
    EXPECT_EQ(std::pair(record.pauses, record.resumes), std::pair(1, 1));
    SoundMixer wide;
    ASSERT_EQ(wide.init(44100, 16, 1, 1, 16, OpenScripted), 0);
    EXPECT_EQ(record.write(6), std::vector<uint8_t>(5296, 0));  // 44100 x 4 x 30 / 1000 = 5292, rounded up to 8

    for (auto [bytes, buffers] : {std::pair{1, 4}, {8000 * 10, 32}}) {
        WaveOutDriver driver(OpenScripted);
        ASSERT_EQ(driver.open(host::AudioFormat{8000, 8, 1}, bytes, NoRender, nullptr), 0);
        EXPECT_EQ(driver.bufferCount(), buffers);
    }
    WaveOutDriver driver(OpenScripted);
    EXPECT_EQ(driver.open(host::AudioFormat{8000, 12, 1}, 1440, NoRender, nullptr), -1);
    EXPECT_EQ(driver.open(host::AudioFormat{8000, 8, 3}, 1440, NoRender, nullptr), -1);
    EXPECT_EQ(driver.open(host::AudioFormat{0, 8, 1}, 1440, NoRender, nullptr), -1);
    EXPECT_EQ(driver.open(host::AudioFormat{8000, 8, 1}, 0, NoRender, nullptr), -1);
    EXPECT_EQ(driver.open(host::AudioFormat{8000, 8, 1}, 1440, nullptr, nullptr), -1);
    record.failOpen = true;
    EXPECT_EQ(driver.open(host::AudioFormat{8000, 8, 1}, 1440, NoRender, nullptr), -1);
    EXPECT_EQ(driver.bufferCount(), 0) << "no ring is kept without a device";
    record.failOpen = false;
    ASSERT_EQ(driver.open(host::AudioFormat{8000, 8, 1}, 1440, NoRender, nullptr), 0);
    EXPECT_EQ(driver.open(host::AudioFormat{8000, 8, 1}, 1440, NoRender, nullptr), -2);
}

TEST_F(WaveOutDriverTest, EachPlayedBufferIsRenderedAndWrittenAgainInRingOrder) {
    // Where a thread may go up a step (tried here and undone), the output thread does.
    const int base = testhost::ThisThreadNice();
    const bool raises = testhost::ThisThreadMayGoUp();
    SoundMixer mixer;
    ASSERT_EQ(mixer.init(8000, 8, 0, 1, 16, OpenScripted), 0);
    if (raises) {
        EXPECT_TRUE(testhost::WaitFor([&] { return ThreadsAtNice(base - 1) == 1; }));
    }
    auto tone = Tone();
    ASSERT_GE(mixer.play(tone.get(), kPlayAnyVoice), 0);
    record.complete(2);
    ASSERT_TRUE(testhost::WaitFor([&] { return record.writeCount() == 8; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // and no more than were played
    EXPECT_EQ(record.writeCount(), 8u);
    // (255 - 128) x 256 x 64 / 128 / 256 = 63 above the centre.
    for (size_t i : {6, 7}) EXPECT_EQ(record.write(i), std::vector<uint8_t>(240, 128 + 63));
    EXPECT_EQ(mixer.driver()->buffersRendered(), 2u);

    // A driver closed and opened again has an output thread again, and a
    // ring of the new size, begun from its start: six buffers, then four.
    WaveOutDriver driver(OpenScripted);
    for (auto [frames, played] : {std::pair{1440, 5}, {10, 1}}) {
        ASSERT_EQ(driver.open(host::AudioFormat{8000, 8, 1}, frames, NoRender, nullptr), 0);
        driver.resume();
        record.complete(played);
        ASSERT_TRUE(testhost::WaitFor([&] { return driver.buffersRendered() == size_t(played); })) << frames;
        driver.close();
    }
    EXPECT_EQ(record.resets, 2) << "what the device still holds is dropped on closing";
    EXPECT_EQ(record.closed, 2) << "and the device closed, not kept until the next open";
}

TEST_F(WaveOutDriverTest, APausedDriverRendersNothingUntilResumed) {
    SoundMixer mixer;
    ASSERT_EQ(mixer.init(8000, 8, 0, 1, 16, OpenScripted), 0);
    mixer.pauseOutput();
    EXPECT_EQ(record.pauses, 2);
    record.complete(3);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(mixer.driver()->buffersRendered(), 0u);
    mixer.resumeOutput();
    ASSERT_TRUE(testhost::WaitFor([&] { return mixer.driver()->buffersRendered() == 3; }));
}

// Without a device, and after a shutdown, the game runs silent; a shut-down
// mixer can start again.
TEST_F(WaveOutDriverTest, WithoutADeviceOrAfterShutdownTheGameRunsSilent) {
    SoundMixer mixer;
    auto tone = Tone();
    for (bool opens : {false, true}) {
        record.failOpen = !opens;
        EXPECT_EQ(mixer.init(8000, 8, 0, 1, 16, OpenScripted), opens ? 0 : -1);
        if (opens) {
            record.instant = true;
            record.complete(1);
            mixer.shutdown();
        } else {
            mixer.pauseOutput();
            mixer.resumeOutput();
            mixer.stopAll();
        }
        EXPECT_FALSE(mixer.isInitialised() || mixer.driver()) << "initialised or holding a driver";
        EXPECT_EQ(mixer.play(tone.get(), kPlayAnyVoice), kPlayRefused);
    }
    EXPECT_EQ(mixer.init(8000, 8, 0, 1, 16, OpenScripted), 0);
}

// Without threads (a web page) the device's notice renders the next buffer
// itself. Faults: a notice that renders nothing leaves the page silent; a
// notice that comes while output is paused and is dropped leaves the device
// one buffer short for good, and after a few pauses it plays nothing.
TEST_F(WaveOutDriverTest, FedByTheDeviceNoticeEachPlayedBufferIsRenderedAtOnceAndPausedNoticesAreKept) {
    WaveOutDriver driver(OpenScripted, WaveOutDriver::Feeding::DeviceNotice);
    int rendered = 0;
    auto fill = [](void* context, uint8_t* buffer, size_t bytes) {
        int& count = *static_cast<int*>(context);
        std::fill(buffer, buffer + bytes, uint8_t(0x40 + count++));
    };
    ASSERT_EQ(driver.open(host::AudioFormat{8000, 8, 1}, 1920, fill, &rendered), 0);
    const size_t ring = record.writeCount();
    ASSERT_EQ(ring, size_t(driver.bufferCount()));
    driver.resume();
    record.complete(2);
    ASSERT_EQ(record.writeCount(), ring + 2);  // at once: nothing else would render them
    for (size_t i = 0; i < 2; ++i)
        EXPECT_EQ(record.write(ring + i), std::vector<uint8_t>(driver.bufferBytes(), uint8_t(0x40 + i)));

    driver.pause();
    record.complete(3);
    EXPECT_EQ(record.writeCount(), ring + 2);
    driver.resume();
    EXPECT_EQ(std::pair(record.writeCount(), driver.buffersRendered()), std::pair(ring + 5, uint64_t(5)));
    // However many notices come while paused, no more are owed than the ring holds.
    driver.pause();
    record.complete(int(ring) + 1);
    driver.resume();
    EXPECT_EQ(driver.buffersRendered(), 5 + ring);
    // What was owed when the driver closed is not owed once it opens again.
    driver.pause();
    record.complete(2);
    driver.close();
    ASSERT_EQ(driver.open(host::AudioFormat{8000, 8, 1}, 1920, fill, &rendered), 0);
    const size_t reopened = record.writeCount();
    EXPECT_EQ(driver.buffersRendered(), 0u);
    driver.resume();
    EXPECT_EQ(record.writeCount(), reopened);
    // Closed while playing and opened again, it waits to be resumed.
    driver.close();
    ASSERT_EQ(driver.open(host::AudioFormat{8000, 8, 1}, 1920, fill, &rendered), 0);
    const size_t fresh = record.writeCount();
    record.complete(1);
    EXPECT_EQ(record.writeCount(), fresh);
    driver.close();
    EXPECT_EQ(driver.bufferCount(), 0) << "closed, it keeps no buffers";
}

// The user-interface thread keeps changing the voices, pausing and resuming
// while the output thread renders as fast as the device accepts buffers.
TEST_F(WaveOutDriverTest, ControlCallsRaceSafelyWithTheOutputThread) {
    record.instant = true;
    SoundMixer mixer;
    ASSERT_EQ(mixer.init(8000, 16, 1, 1, 16, OpenScripted), 0);
    auto tone = Tone();
    auto start = std::chrono::steady_clock::now();
    int round = 0;
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(300)) {
        auto shortLived = Tone();
        mixer.play(tone.get(), kPlayAnyVoice);
        mixer.play(shortLived.get(), kPlayAnyVoice | (round % 2 ? kPlayPaused : 0));
        mixer.isPlaying(tone.get());
        mixer.setSampleVolume(round % 65);
        if (round % 3 == 0) mixer.pauseAll();
        if (round % 3 == 1) mixer.resumeAll();
        if (round % 5 == 0) mixer.pauseOutput();
        if (round % 5 == 2) mixer.resumeOutput();
        if (round % 7 == 0) mixer.stopAll();
        ++round;
    }  // shortLived is destroyed while it may still play
    mixer.resumeOutput();
    EXPECT_GT(mixer.driver()->buffersRendered(), 0u);
    mixer.shutdown();
}

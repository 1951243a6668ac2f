#include "platform/host/host_options.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/host/device_profile.h"
#include "platform/host/input_recorder.h"
#include "platform/host/input_script.h"
#include "platform/host/win_types.h"
#include "support/test_host.h"

using namespace host;

namespace {

bool Parse(const std::vector<std::string>& args, HostOptions& options, std::string& line) {
    std::string error;
    bool help = false;
    return ParseHostOptions(args, options, line, error, help);
}

TEST(HostOptions, SeparateHostOptionsFromTheGameCommandLine) {
    HostOptions o;
    std::string line;
    ASSERT_TRUE(Parse({"--headless", "--screen=240x320", "--screenshot=a@b.png@500", "ARG:Level:2,Score:5", "--",
                       "--not-an-option"},
                      o, line));
    EXPECT_EQ(o.backend, "headless");
    EXPECT_EQ(o.screenWidth, 240);
    ASSERT_EQ(o.screenshots.size(), 1u);
    EXPECT_EQ(o.screenshots[0].path, "a@b.png");
    EXPECT_EQ(o.screenshots[0].atMs, 500u);
    EXPECT_EQ(line, "ARG:Level:2,Score:5 --not-an-option");
}

TEST(HostOptions, SurviveARelaunch) {
    // Given in the order they are written back, so each must come back as it was.
    const std::vector<std::string> args = {
        "--backend=headless", "--profile=vga", "--screen=8192x8192", "--depth=32", "--zoom=fit", "--clock=virtual",
        "--frame-ms=20", "--clock-start=5", "--seed=90", "--input=in.txt", "--input-from=2", "--record=session.input",
        "--screenshot=x.png@10", "--exit-after=0", "--instance=" + std::string(64, 'i'), "--answer=no", "--audio=wav:w",
        "--audio-rate=44100", "--audio-bits=16", "--audio-stereo=1", "--volume=0", "--threads=3", "--play=enhanced",
        "--window-geometry=10,20,640,480,0", "--fullscreen", "--autoplay", "--relaunched", "--stop-at-level=1"};
    HostOptions o, again;
    std::string line;
    ASSERT_TRUE(Parse(args, o, line));
    EXPECT_EQ(FormatHostOptions(o), args);
    ASSERT_TRUE(Parse(FormatHostOptions(o), again, line));
    EXPECT_EQ(FormatHostOptions(again), args);
    EXPECT_TRUE(line.empty());
}

TEST(HostOptions, RefuseMalformedValues) {
    for (const std::string& bad : std::vector<std::string>{"--screen=0x5", "--screen=5x0", "--screen=abc", "--screen=8193x2", "--screen=2x8193", "--depth=24", "--zoom=0",
                            "--screenshot=noat", "--screenshot=x@", "--exit-after=-5", "--instance=../x",
                            "--audio=wav:", "--frame-ms=1001", "--bogus", "--seed=4294967296", "--clock-start=4294967296", "--seed=abc",
                            "--stop-at-level=0", "--autoplay=1", "--volume=101", "--volume=-1",
                            "--threads=0", "--threads=65", "--play=fast", "--record=", "--screenshot=@5", "--zoom=17",
                            "--stop-at-level=1000001", "--x", "--window-geometry=" + std::string(64, '1')}) {
        HostOptions o;
        std::string line, error;
        bool help;
        EXPECT_FALSE(ParseHostOptions({bad}, o, line, error, help)) << bad;
        EXPECT_NE(error.find(bad.substr(0, bad.find('='))), std::string::npos) << bad;  // the message names the option
    }
}

TEST(HostOptions, AcceptTheirBounds) {
    for (const char* edge : {"--seed=0", "--seed=4294967295", "--clock-start=4294967295", "--input-from=0",
                             "--audio-stereo=0", "--threads=1", "--threads=64", "--volume=100", "--stop-at-level=1000000",
                             "--screen=8192x1", "--zoom=1", "--zoom=16", "--frame-ms=1000"}) {
        HostOptions o;
        std::string line, error;
        bool help;
        EXPECT_TRUE(ParseHostOptions({edge}, o, line, error, help)) << edge << ": " << error;
        EXPECT_EQ(FormatHostOptions(o), std::vector<std::string>{edge}) << "written back for a relaunch";
    }
}

TEST(HostOptions, OddCommandLinesAreKeptAsTextAndAskForHelpOnlyBeforeThem) {
    HostOptions o;
    std::string line, error, huge(100000, 'A');
    bool help = true;
    ASSERT_TRUE(ParseHostOptions({"", "-", "--", huge, "ARG:\xff\xfe", "-h", "--help"}, o, line, error, help));
    EXPECT_EQ(line, "- " + huge + " ARG:\xff\xfe -h --help");
    EXPECT_FALSE(help);
    for (const char* ask : {"-h", "--help"}) {
        ASSERT_TRUE(ParseHostOptions({ask}, o, line, error, help));
        EXPECT_TRUE(help && line.empty()) << ask;
    }
}

TEST(InputScript, ReadsEventsInTimeOrder) {
    InputScript script;
    script.events.resize(3);  // what was read before is replaced
    std::string error;
    testhost::ScratchFolder folder;
    ASSERT_TRUE(LoadInputScript(folder.write("in.input", "# comment\n200 tap 10 20\n100 key RETURN\n\n100 keydown 0x01\n"
                                                         "300 rotate 320x240\n400 screenshot a.png\n500 quit\n600 text\ttabbed\r\n"),
                                script, error))
        << error;
    ASSERT_EQ(script.events.size(), 7u);
    EXPECT_EQ(script.events[0].action, "key");  // of two at the same time, the first in the file
    EXPECT_EQ(script.events[0].a, VK_RETURN);
    EXPECT_EQ(script.events[1].a, 1);  // the lowest key code
    EXPECT_EQ(script.events[2].a, 10);
    EXPECT_EQ(script.events[2].b, 20);
    EXPECT_EQ(script.events[3].a, 320);
    EXPECT_EQ(script.events[4].text, "a.png");
    EXPECT_EQ(script.events[6].text, "\ttabbed");  // only a space before the text is taken away
}

TEST(InputScript, RejectsBadLinesWithTheirNumber) {
    InputScript script;
    std::string error;
    EXPECT_FALSE(ParseInputScript("100 key NOSUCHKEY\n", script, error));
    EXPECT_NE(error.find("line 1"), std::string::npos);
    for (const char* bad : {"x tap 1 2\n", "5 tap 1\n", "5 rotate 0x240\n", "5 rotate 240x0\n", "5 dance\n"})
        EXPECT_FALSE(ParseInputScript(bad, script, error)) << bad;
    EXPECT_FALSE(LoadInputScript(::testing::TempDir() + "no-such.input", script, error));
    EXPECT_NE(error.find("cannot open input script"), std::string::npos);
}

TEST(InputScript, KeyNames) {
    const std::pair<const char*, int> names[] = {
        {"left", VK_LEFT}, {"VK_RETURN", VK_RETURN}, {"APP3", VK_APP3}, {"q", 'Q'}, {"7", '7'}, {"F1", VK_F1},
        {"F24", VK_F1 + 23}, {"200", 200}, {"13", VK_RETURN}, {"256", -1}, {"0x0", -1}, {"F0", -1}, {"F25", -1}, {"", -1}};
    for (auto [name, key] : names) EXPECT_EQ(ParseKeyName(name), key) << name;
}

TEST(InputScript, WrittenEventsAndKeyNamesReadBackTheSame) {
    for (int vk = 1; vk < 256; ++vk) EXPECT_EQ(ParseKeyName(KeyName(vk)), vk) << KeyName(vk);
    EXPECT_EQ(KeyName('A') + KeyName('Z') + KeyName('0') + KeyName('9'), "AZ09");  // recordings stay readable
    std::vector<ScriptEvent> events = {
        {10, "keydown", VK_PAUSE, 0, ""}, {20, "keyup", 'Q', 0, ""},      {30, "key", 0x86, 0, ""},
        {40, "down", 0, 639, ""},         {50, "move", 479, 3, ""},       {60, "up", 12, 34, ""},
        {70, "tap", 5, 6, ""},            {80, "activate", 0, 0, ""},     {90, "activate", 1, 0, ""},
        {100, "rotate", 8192, 8192, "8192x8192"},    {110, "screenshot", 0, 0, "s.png"}, {120, "close", 0, 0, ""},
        {130, "text", 0, 0, "two words"},
        {4000000000u, "quit", 0, 0, ""},
    };
    std::string text;
    for (const ScriptEvent& e : events) text += FormatScriptEvent(e) + "\n";
    InputScript script;
    std::string error;
    ASSERT_TRUE(ParseInputScript(text, script, error)) << error << "\n" << text;
    ASSERT_EQ(script.events.size(), events.size());
    for (size_t i = 0; i < events.size(); ++i) {
        const ScriptEvent &in = events[i], &out = script.events[i];
        EXPECT_EQ(std::tie(in.atMs, in.action, in.a, in.b, in.text), std::tie(out.atMs, out.action, out.a, out.b, out.text))
            << FormatScriptEvent(in);
    }
}

// A second copy started with the same --record hands its command line to the
// running one and ends; it must not have emptied that run's recording.
TEST(InputRecorder, ANewRecordingTouchesItsFileOnlyWithItsFirstEvent) {
    testhost::ScratchFolder folder;
    const std::string path = folder.write("recorder_test.input", "100 key A\n");
    auto text = [&] { return folder.read("recorder_test.input"); };
    std::string error;
    {
        InputRecorder idle;
        ASSERT_TRUE(idle.open(path, false, 7, error)) << error;
        EXPECT_TRUE(idle.recording());
    }
    EXPECT_EQ(text(), "100 key A\n");

    InputRecorder first;
    ASSERT_TRUE(first.open(path, false, 7, error)) << error;
    first.record({250, "keydown", 'B', 0, ""});
    InputRecorder successor;
    ASSERT_TRUE(successor.open(path, true, 7, error)) << error;
    successor.record({300, "keyup", 'B', 0, ""});
    InputScript script;
    ASSERT_TRUE(ParseInputScript(text(), script, error)) << error;
    ASSERT_EQ(script.events.size(), 2u) << text();
    EXPECT_EQ(script.events[0].atMs, 250u);
    EXPECT_EQ(script.events[1].action, "keyup");
    EXPECT_NE(text().find("--seed=7"), std::string::npos);
}

TEST(DeviceProfile, RefusesDisplayMemoryTheProgramWouldWriteBeyond) {
    DeviceProfile p;
    p.name = "kept";
    std::string error;
    // A raw frame buffer of one size over display memory of another.
    EXPECT_FALSE(ParseDeviceProfile("base=desktop\nmemoryWidth=240\nmemoryHeight=240\nmemoryXPitch=2\nmemoryYPitch=480\n",
                                    "t", p, error));
    EXPECT_EQ(p.name, "kept");
    // An iPAQ H3800 whose fixed address holds memory of another layout.
    EXPECT_FALSE(ParseDeviceProfile("oemInfo=Compaq iPAQ H3800\nmemoryAddress=0xAC0755A0\n", "t", p, error));
    EXPECT_FALSE(ParseDeviceProfile("base=pocketpc\nmemoryXPitch=-2147483648\n", "t", p, error));
    // A pitch of an odd number of bytes would store 16-bit pixels misaligned.
    EXPECT_FALSE(ParseDeviceProfile("base=square\nmemoryWidth=240\nmemoryHeight=240\nmemoryXPitch=480\nmemoryYPitch=-1\n",
                                    "t", p, error));
    ASSERT_TRUE(ParseDeviceProfile("base=ipaq-h3800\nosBuild=7\n", "t", p, error)) << error;
    EXPECT_EQ(p.memoryAddress, 0xAC0755A0u);
    EXPECT_EQ(p.osBuild, 7);
}

}  // namespace

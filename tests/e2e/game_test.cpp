// The game in real runs of the program, headless with the virtual clock, in a
// copy of the build's program and resources: the built-in player through the
// relaunch chain, the golden seeded game, a game over with the score list, a
// level played by an input script through the quit question, and a recorded
// session played again.
// Relaunched processes keep the standard streams, so a run's log holds the
// whole chain; the shell pipe ends only when the last process of the chain
// has ended.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>

#include "e2e_support.h"

namespace fs = std::filesystem;

namespace {

using e2e::ReadText;
using e2e::Screenshot;

constexpr int kWidth = 480, kHeight = 640;
// A small screen and long frames keep the unscripted runs short (also under
// the sanitizers); the rules run on the frame time, so the game is the same kind.
const std::string kQuick = "--screen=240x320 --frame-ms=100";

struct LevelStart {
    int level, score, lives;
    bool operator==(const LevelStart&) const = default;
};

std::vector<LevelStart> LevelStarts(const std::string& log) {
    std::vector<LevelStart> starts;
    std::regex line(R"(karrowen: level (\d+) started \(score (\d+), lives (-?\d+)\))");
    for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator(); ++it)
        starts.push_back({std::stoi((*it)[1]), std::stoi((*it)[2]), std::stoi((*it)[3])});
    return starts;
}

// The runs are split between two test programs that may run side by side
// (KARROWEN_E2E_PART names this one's share); each keeps its own folder.
fs::path Shots() {
    const char* part = std::getenv("KARROWEN_E2E_PART");
    return fs::path(KARROWEN_E2E_SHOTS) / (part && *part ? part : "all");
}

class GameRuns : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        tree_ = e2e::CopyOfTheBuild("game");
        fs::remove(tree_ / "resources" / "scores.properties");
        fs::remove_all(Shots());
        fs::create_directories(Shots());
    }
    static void TearDownTestSuite() { fs::remove_all(tree_); }

    // Runs the program of a tree (and every process it relaunches) in a folder.
    static std::string run(const std::string& name, const std::string& options, const std::string& arguments,
                           const fs::path& tree = tree_, const fs::path& folder = Shots()) {
        fs::path log = folder / (name + ".log");
        std::string command = "cd '" + folder.string() + "' && timeout 240 '" +
                              (tree / "bin" / "karrowen").string() + "' --headless --instance=e2e-game-" + name +
                              "-" + std::to_string(::getpid()) + " " + options + " -- " + arguments + " 2>&1 | cat > '" +
                              log.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        const std::string text = ReadText(log);
        EXPECT_FALSE(e2e::SanitizerReported(text)) << text;
        return text;
    }
    static Screenshot shot(const std::string& name, const fs::path& folder = Shots()) {
        Screenshot s;
        EXPECT_TRUE(s.load(folder / name)) << name;
        return s;
    }
    // The score list as the runs so far left it.
    static std::string scores() {
        const fs::path file = tree_ / "resources" / "scores.properties";
        return fs::exists(file) ? ReadText(file) : "";
    }
    static std::string script(const std::string& name) {
        return " --input='" + std::string(KARROWEN_E2E_SCRIPTS) + "/" + name + "'";
    }
    static fs::path tree_;
};

fs::path GameRuns::tree_;

// The run's pictures against the stored ones, pixel for pixel, naming the
// first that differs; KARROWEN_UPDATE_GOLDEN=1 stores them (and the log, when
// one is given) instead and answers true.
bool UpdatedOrCompared(const std::vector<std::string>& pictures, const std::string* log = nullptr) {
    const fs::path golden = fs::path(KARROWEN_E2E_SCRIPTS) / "golden", lines = golden / "autoplay-to-level3.log";
    if (std::getenv("KARROWEN_UPDATE_GOLDEN")) {
        fs::create_directories(golden);
        if (log) std::ofstream(lines, std::ios::binary) << *log;
        for (const std::string& name : pictures)
            fs::copy_file(Shots() / name, golden / name, fs::copy_options::overwrite_existing);
        return true;
    }
    EXPECT_EQ(log ? *log : "", log ? ReadText(lines) : "");
    for (const std::string& name : pictures) {
        Screenshot expected, actual;
        EXPECT_TRUE(actual.load(Shots() / name)) << name;
        EXPECT_TRUE(expected.load(golden / name)) << "missing " << (golden / name) << " (KARROWEN_UPDATE_GOLDEN=1 writes it)";
        if (expected.rgb.size() != actual.rgb.size()) {
            ADD_FAILURE() << name << ": another size";
            continue;
        }
        size_t differing = 0, first = 0;
        for (size_t i = 0; i < actual.rgb.size(); i += 3) {
            if (std::equal(&actual.rgb[i], &actual.rgb[i] + 3, &expected.rgb[i])) continue;
            if (differing++ == 0) first = i / 3;
        }
        EXPECT_EQ(differing, 0u) << name << ": the first at (" << first % size_t(actual.width) << ", "
                                 << first / size_t(actual.width) << ")";
    }
    return false;
}

// Screenshots named "<prefix>-<N>s.png", taken at each of the seconds: adds
// their names to `pictures` and returns the options that take them.
std::string ShotsAt(std::vector<std::string>& pictures, const std::string& prefix, std::initializer_list<int> seconds) {
    std::string options;
    for (int s : seconds) {
        pictures.push_back(prefix + "-" + std::to_string(s) + "s.png");
        options += " --screenshot=" + pictures.back() + "@" + std::to_string(1000 * s);
    }
    return options;
}

// Ticks box `selected` of a settings group ("soundEffect", "mazeEffect");
// false when the page has no such group.
bool ChooseSetting(const fs::path& settings, const std::string& group, int selected) {
    std::string text = ReadText(settings);
    const std::regex entry(group + R"(=GUIType:checkboxGroup, selected:\d+)");
    if (!std::regex_search(text, entry)) return false;
    text = std::regex_replace(text, entry, group + "=GUIType:checkboxGroup, selected:" + std::to_string(selected));
    std::ofstream(settings, std::ios::binary | std::ios::trunc) << text;
    return true;
}

// The seeded game as it stands: the built-in player's run to level 3 prints
// the stored lines, and a seeded level with ghosts, popups and a death takes
// the stored pictures pixel for pixel. A change meant to keep behaviour (a new
// structure, a faster path) must leave both alone. After a deliberate change
// of the game, rewrite them with
//   KARROWEN_UPDATE_GOLDEN=1 ctest -R karrowen_e2e_game
// and look at the pictures before committing them.
TEST_F(GameRuns, ASeededRunPrintsAndShowsTheGoldenGame) {
    const std::string lines = run("golden", "--seed=5 --autoplay --stop-at-level=3", "ARG:");
    std::vector<std::string> pictures;
    const std::string shots = ShotsAt(pictures, "level4", {3, 6, 9, 12});
    run("golden-level", "--seed=5 --autoplay --screen=240x320 --exit-after=12500" + shots, "ARG:Level:4,Score:1000,Lifes:2");
    if (UpdatedOrCompared(pictures, &lines)) GTEST_SKIP() << "wrote the golden files";
}

// The same level on the large screen with the camera set to sway: the swaying
// view, the large screen's pictures, and at 9 s the fallen hero's three ghosts
// in view at once.
TEST_F(GameRuns, TheSwayingCameraOnTheLargeScreenShowsTheStoredPictures) {
    const fs::path tree = e2e::CopyOfTheBuild("sway");
    ASSERT_TRUE(ChooseSetting(tree / "resources" / "gsettings.properties", "mazeEffect", 0));
    std::vector<std::string> pictures;
    run("sway", "--seed=5 --autoplay --exit-after=9500" + ShotsAt(pictures, "sway-level4", {6, 9}),
        "ARG:Level:4,Score:1000,Lifes:2", tree);
    fs::remove_all(tree);
    if (UpdatedOrCompared(pictures)) GTEST_SKIP() << "wrote the golden files";
}

// The Enhanced play style, seeded at levels 1, 10 and 15 on the small screen
// and at level 10 on the large one, whose popups are drawn larger: the
// overhead view, the ghosts in their own colours and scared in goodtime, the
// popups near their cells. Its pictures are kept as the golden run's are,
// so that a change of what Enhanced shows is seen and looked at; the Original
// golden run stays apart.
TEST_F(GameRuns, TheEnhancedStyleSeededAtThreeLevelsShowsTheStoredPictures) {
    std::vector<std::string> pictures;
    for (int level : {1, 10, 15}) {
        const std::string shots = ShotsAt(pictures, "enhanced-level" + std::to_string(level), {4, 8});
        run("enhanced" + std::to_string(level), "--play=enhanced --seed=5 --autoplay --screen=240x320 --exit-after=8500" + shots,
            "ARG:Level:" + std::to_string(level) + ",Score:1000,Lifes:2");
    }
    run("enhanced-large",
        "--play=enhanced --seed=5 --autoplay --exit-after=11500" + ShotsAt(pictures, "enhanced-large-level10", {7, 11}),
        "ARG:Level:10,Score:1000,Lifes:2");
    if (UpdatedOrCompared(pictures)) GTEST_SKIP() << "wrote the golden files";
}

TEST_F(GameRuns, GameOverEndsInTheScoreListWithTheNameEntered) {
    const std::string log = run("gameover", "--seed=3 --autoplay " + kQuick, "ARG:Level:30,Score:1234,Lifes:0");
    std::vector<LevelStart> starts = LevelStarts(log);
    ASSERT_EQ(starts.size(), 1u) << log;
    EXPECT_EQ(starts[0], (LevelStart{30, 1234, 0}));
    // The player types AUTO, closes the list, and the run ends at the introduction.
    const std::string list = scores();
    std::smatch entry;
    ASSERT_TRUE(std::regex_search(list, entry, std::regex(R"(default\s*=\s*AUTO:(\d+))"))) << list << log;
    const int first = std::stoi(entry[1]);
    EXPECT_GE(first, 1234);

    // A better game later goes in above it; the list keeps both, best first.
    run("gameover2", "--seed=4 --autoplay " + kQuick, "ARG:Level:30,Score:900000,Lifes:0");
    const std::string again = scores();
    ASSERT_TRUE(std::regex_search(again, entry, std::regex(R"(default\s*=\s*AUTO:(\d+),AUTO:(\d+)\s)"))) << again;
    EXPECT_GE(std::stoi(entry[1]), 900000);
    EXPECT_EQ(std::stoi(entry[2]), first);
}

TEST_F(GameRuns, TheQuitQuestionFreezesResumesAndQuits) {
    const std::string scoresBefore = scores();
    const std::string log = run("quit", "--seed=9" + script("game.input") + " --exit-after=14000", "ARG:");
    ASSERT_EQ(LevelStarts(log).size(), 1u) << log;
    Screenshot level = shot("01-level.png"), question = shot("02-quit-question.png"),
               frozen = shot("03-quit-frozen.png"), resumed = shot("04-resumed.png"),
               later = shot("05-resumed-later.png"), keyboard = shot("06-score-list-keyboard.png"),
               list = shot("07-score-list.png");
    EXPECT_GT(question.difference(level, 0, 0, kWidth, kHeight), 2.0) << "the question shows";
    EXPECT_EQ(question.difference(frozen, 0, 0, kWidth, kHeight), 0.0) << "the game stands still under it";
    EXPECT_GT(resumed.difference(later, 0, 0, kWidth, kHeight), 0.5) << "No resumes the game";
    EXPECT_GT(keyboard.difference(list, 0, 0, kWidth, kHeight), 2.0) << "the keyboard closes";
    // Cancelling the name inserts nothing; Done relaunched into the introduction.
    EXPECT_EQ(scores(), scoresBefore);
    EXPECT_EQ(log.find("screenshot 99"), std::string::npos);
}

TEST_F(GameRuns, ANameTypedOnTheKeyboardLandsInTheScoreFile) {
    const std::string log = run("name", "--seed=9" + script("name.input") + " --exit-after=8000", "ARG:");
    ASSERT_EQ(LevelStarts(log).size(), 1u) << log;
    EXPECT_NE(scores().find("Zoe7:"), std::string::npos) << scores();
    EXPECT_GT(shot("name-typed.png").difference(shot("name-entered.png"), 0, 0, kWidth, kHeight), 2.0)
        << "RETURN closed the keyboard";
}

TEST_F(GameRuns, TheCoverLeftAloneForThirtySecondsPlaysADemoUntilAKey) {
    const std::string scoresBefore = scores();
    const std::string log = run("demo", "--seed=4 " + kQuick + script("demo.input") + " --exit-after=45000", "");
    const std::vector<LevelStart> starts = LevelStarts(log);
    ASSERT_EQ(starts.size(), 1u) << log;
    EXPECT_GT(starts[0].lives, 0) << "the demo has lives to lose";
    Screenshot before = shot("demo-cover-before.png"), playing = shot("demo-playing.png"),
               after = shot("demo-cover-after.png");
    EXPECT_GT(playing.difference(before, 0, 0, 240, 320), 10.0) << "the demo plays";
    // The cover's characters move a little; the maze is all different.
    EXPECT_LT(after.difference(before, 0, 0, 240, 320), 4.0) << "the key brought the cover back";
    EXPECT_EQ(scores(), scoresBefore) << "a demo never scores";
}

struct ScriptLine {
    uint32_t atMs = 0;
    std::string action, word;
};

// The events of an input script (comments and blank lines left out).
std::vector<ScriptLine> ReadScript(const std::string& text) {
    std::vector<ScriptLine> events;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        ScriptLine e;
        std::istringstream words(line);
        if (line.empty() || line[0] == '#' || !(words >> e.atMs >> e.action)) continue;
        words >> e.word;
        events.push_back(e);
    }
    return events;
}

TEST_F(GameRuns, ARecordedSessionPlaysAgainAcrossTheRelaunch) {
    auto screenshots = [](const std::string& prefix) {
        return " --screenshot=" + prefix + "-a.png@1500 --screenshot=" + prefix + "-b.png@11000 --screenshot=" +
               prefix + "-c.png@12600 --screenshot=" + prefix + "-d.png@13000";
    };
    // A handheld, where the introduction opens under the direct display notice.
    const std::string options = "--seed=7 --profile=pocketpc " + kQuick;
    const std::string recorded = run(
        "record", options + script("record.input") + " --record=recorded.input --exit-after=13500" + screenshots("rec"),
        "ARG:intro");
    ASSERT_EQ(LevelStarts(recorded).size(), 1u) << "Pause starts the game: " << recorded;
    const std::string recording = ReadText(Shots() / "recorded.input");
    const std::vector<ScriptLine> events = ReadScript(recording);
    // The first process wrote the page's events, the relaunched one the maze's
    // after them on the same clock, and the exit time ends the script.
    std::vector<std::string> keys;
    for (const ScriptLine& e : events)
        if (e.action.rfind("key", 0) == 0) keys.push_back(e.action + " " + e.word);
    const std::vector<std::string> expectedKeys = {
        "keydown RETURN", "keyup RETURN", "keydown ESCAPE", "keyup ESCAPE", "keydown RETURN", "keyup RETURN",
        "keydown DOWN",   "keyup DOWN",   "keydown DOWN",   "keyup DOWN",   "keydown PAUSE",  "keyup PAUSE",
        "keydown RIGHT",  "keyup RIGHT",  "keydown UP",     "keyup UP",     "keydown LEFT",   "keydown DOWN",
        "keyup LEFT",     "keyup DOWN",   "keydown PAUSE",  "keyup PAUSE"};
    EXPECT_EQ(keys, expectedKeys) << recording;
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().action, "quit");
    EXPECT_GE(events.back().atMs, 13500u);
    EXPECT_TRUE(std::is_sorted(events.begin(), events.end(),
                               [](const ScriptLine& a, const ScriptLine& b) { return a.atMs < b.atMs; }));
    EXPECT_NE(recording.find(" down 76 109\n"), std::string::npos) << recording;
    EXPECT_NE(recording.find("--seed=7 --input=recorded.input"), std::string::npos) << recording;

    // The recording alone (it ends itself) gives the same pictures.
    const std::string again = run("replay", options + " --input=recorded.input" + screenshots("rep"), "ARG:intro");
    EXPECT_EQ(LevelStarts(again), LevelStarts(recorded)) << again;
    for (const char* name : {"-a.png", "-b.png", "-c.png", "-d.png"}) {
        Screenshot original = shot(std::string("rec") + name), replayed = shot(std::string("rep") + name);
        ASSERT_EQ(original.rgb.size(), replayed.rgb.size()) << name;
        EXPECT_EQ(original.difference(replayed, 0, 0, original.width, original.height), 0.0) << name;
    }
}

// The samples of one of our WAV recordings (a canonical 44-byte header, 8 or
// 16 bits) on the 16-bit scale, interleaved, and its length by its header;
// no samples when the header claims more than the file.
struct Recording {
    int rate = 0, channels = 0;
    double seconds = 0;
    std::vector<int> samples;
    // The loudest sample on the 8-bit scale: 0 for silence, -1 for no samples.
    int loudest() const {
        int peak = samples.empty() ? -1 : 0;
        for (int v : samples) peak = std::max(peak, std::abs(v) >> 8);
        return peak;
    }
};

Recording ReadRecording(const fs::path& path) {
    const std::string bytes = ReadText(path);
    auto at = [&](size_t i, int n) {
        uint32_t v = 0;
        for (int k = n - 1; k >= 0; --k) v = v << 8 | uint8_t(bytes[i + size_t(k)]);
        return v;
    };
    if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || 44 + at(40, 4) > bytes.size()) return {};
    Recording r{int(at(24, 4)), int(at(22, 2)), double(at(40, 4)) / at(28, 4), {}};
    const uint32_t width = at(34, 2) / 8;
    for (size_t i = 44; i + width <= 44 + at(40, 4); i += width)
        r.samples.push_back(width == 1 ? (int(at(i, 1)) - 128) * 256 : int(int16_t(at(i, 2))));
    return r;
}

// The sound run goes on into the next level, and the recording holds the
// whole run, whichever process played it.
TEST_F(GameRuns, TheSoundSettingSilencesTheNextLevelAndBringsItBack) {
    const fs::path settings = tree_ / "resources" / "gsettings.properties";
    const std::string shots = Shots().string();
    ChooseSetting(settings, "soundEffect", 1);
    run("silent", "--seed=5 --autoplay --audio=wav:" + shots + "/silent.wav --exit-after=8000 " + kQuick, "ARG:");
    ChooseSetting(settings, "soundEffect", 0);
    const std::string log = run(
        "sound", "--seed=5 --autoplay --audio=wav:" + shots + "/sound.wav --exit-after=30000 " + kQuick, "ARG:");
    ASSERT_GE(LevelStarts(log).size(), 2u) << "the run reaches the next level:\n" << log;
    EXPECT_EQ(ReadRecording(fs::path(shots) / "silent.wav").loudest(), 0);
    const Recording sound = ReadRecording(fs::path(shots) / "sound.wav");
    EXPECT_GT(sound.loudest(), 10) << "music and the landing play";
    EXPECT_NEAR(sound.seconds, 30.0, 1.0);
}

TEST_F(GameRuns, MissingPicturesAndObjectsAreToldAndTheGameGoesOn) {
    // A tree of its own, with pictures and template entries taken away.
    const fs::path broken = e2e::CopyOfTheBuild("broken");
    for (const char* file : {"Levels/level1/bkg.jpg", "Levels/level1/pickable.gif", "characters/ghost_east.gif",
                             "messagebox.properties"})
        fs::remove(broken / "resources" / file);
    const fs::path screen = broken / "resources" / "GameCanvas.properties";
    std::string text = ReadText(screen);
    text = std::regex_replace(text, std::regex(R"((^|\n)(sptScore|fontBright|fog)=[^\n]*)"), "$1");
    std::ofstream(screen, std::ios::binary | std::ios::trunc) << text;

    const std::string log = run("broken", "--seed=5 --autoplay --stop-at-level=2 " + kQuick, "ARG:", broken, broken);
    // Without a message box the quit button cannot ask: the game goes on.
    const std::string quit = run("broken-quit", "--seed=9" + script("game.input") + " --exit-after=6500", "ARG:", broken, broken);
    Screenshot asked = shot("02-quit-question.png", broken), later = shot("03-quit-frozen.png", broken);
    fs::remove_all(broken);
    EXPECT_NE(log.find("bkg.jpg"), std::string::npos) << log;
    EXPECT_NE(log.find("pickable.gif"), std::string::npos) << log;
    EXPECT_NE(log.find("messagebox.properties"), std::string::npos) << log;
    std::vector<LevelStart> starts = LevelStarts(log);
    ASSERT_EQ(starts.size(), 2u) << log;
    EXPECT_GT(starts[1].score, 0);
    ASSERT_FALSE(asked.rgb.empty() || later.rgb.empty()) << quit;
    EXPECT_GT(asked.difference(later, 0, 0, kWidth, kHeight), 0.5) << "the game stands still after the quit button";
}

// The longest quiet stretch, in seconds, of a recording between its first
// sound and `untilSeconds` after it (a stretch quiet when no sample of its
// 10 ms reaches 200 of 32767); -1 when it holds no sound.
double LongestQuietAfterFirstSound(const fs::path& wav, double untilSeconds) {
    const Recording r = ReadRecording(wav);
    const size_t window = size_t(r.rate / 100 * r.channels), windows = window ? r.samples.size() / window : 0;
    auto loud = [&](size_t w) {
        return std::any_of(&r.samples[w * window], &r.samples[w * window] + window, [](int v) { return std::abs(v) >= 200; });
    };
    size_t w = 0;
    while (w < windows && !loud(w)) ++w;
    if (w == windows) return -1;
    const size_t end = std::min(windows, w + size_t(untilSeconds * 100));
    size_t longest = 0, quiet = 0;
    for (; w < end; ++w) {
        quiet = loud(w) ? 0 : quiet + 1;
        longest = std::max(longest, quiet);
    }
    return double(longest) / 100.0;
}

// Deaths, kill-alls and the clear stop the original's music, which starts
// again from its beginning on a later two-second tick; music that plays on
// only gives way. The level's music starts with it, and the recording is
// read from there to the level's end.
TEST_F(GameRuns, EnhancedMusicPlaysOnThroughALevelWithDeaths) {
    const std::string level = "ARG:Level:15,Score:0,Lifes:1";
    const std::string options = "--seed=4 --autoplay --screen=240x320 --stop-at-level=16 --audio=wav:";
    const fs::path shots = Shots();
    const std::string log = run("music-enhanced", options + (shots / "music-enhanced.wav").string() + " --play=enhanced --exit-after=240000", level);
    std::smatch ended;
    ASSERT_TRUE(std::regex_search(log, ended, std::regex(R"(level 15 ended \(.*deaths (\d+), .*seconds ([\d.]+)\))"))) << log;
    EXPECT_GE(std::stoi(ended[1]), 2) << log;
    const double seconds = std::stod(ended[2]);
    EXPECT_LE(LongestQuietAfterFirstSound(shots / "music-enhanced.wav", seconds - 0.2), 0.3);
    EXPECT_GE(LongestQuietAfterFirstSound(shots / "music-enhanced.wav", seconds - 0.2), 0.0) << "the recording holds music";

    // The same game in the original style: its deaths are heard as gaps.
    run("music-original", options + (shots / "music-original.wav").string() + " --exit-after=60000", level);
    EXPECT_GT(LongestQuietAfterFirstSound(shots / "music-original.wav", 60.0), 0.5);
}

}  // namespace

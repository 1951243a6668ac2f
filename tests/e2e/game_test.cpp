// The game in real runs of the program, headless with the virtual clock, in a
// copy of the build's program and resources: the built-in player through the
// relaunch chain, the golden seeded game, a game over with the score list, a
// level played by an input script through the quit question, and a recorded
// session played again.
// Relaunched processes keep the standard streams, so a run's log holds the
// whole chain; the shell pipe ends only when the last process of the chain
// has ended.

#include <gtest/gtest.h>
#include <sys/wait.h>
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
        tree_ = fs::temp_directory_path() / ("karrowen-e2e-game-" + std::to_string(::getpid()));
        fs::remove_all(tree_);
        fs::create_directories(tree_ / "bin");
        fs::copy_file(KARROWEN_PROGRAM, tree_ / "bin" / "karrowen");
        fs::copy(KARROWEN_BUILD_RESOURCES, tree_ / "resources", fs::copy_options::recursive);
        fs::remove(tree_ / "resources" / "scores.properties");
        fs::remove_all(Shots());
        fs::create_directories(Shots());
    }
    static void TearDownTestSuite() { fs::remove_all(tree_); }

    // Runs the program (and every process it relaunches) in the shots folder.
    static std::string run(const std::string& name, const std::string& options, const std::string& arguments) {
        fs::path log = Shots() / (name + ".log");
        std::string command = "cd '" + Shots().string() + "' && timeout 240 '" +
                              (tree_ / "bin" / "karrowen").string() + "' --headless --instance=e2e-game-" + name +
                              "-" + std::to_string(::getpid()) + " " + options + " -- " + arguments + " 2>&1 | cat > '" +
                              log.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        const std::string text = ReadText(log);
        EXPECT_FALSE(e2e::SanitizerReported(text)) << text;
        return text;
    }
    static Screenshot shot(const std::string& name) {
        Screenshot s;
        EXPECT_TRUE(s.load(Shots() / name)) << name;
        return s;
    }
    static fs::path tree_;
};

fs::path GameRuns::tree_;

TEST_F(GameRuns, TheBuiltInPlayerClearsLevelsAndOneSeedGivesOneGame) {
    const std::string options = "--seed=5 --autoplay --stop-at-level=3 " + kQuick;
    const std::string first = run("auto1", options + " --screenshot=auto-level1.png@7000", "ARG:");
    const std::string second = run("auto2", options, "ARG:");
    std::vector<LevelStart> starts = LevelStarts(first);
    ASSERT_EQ(starts.size(), 3u) << first;
    EXPECT_EQ(starts[0], (LevelStart{1, 0, 0}));
    EXPECT_EQ(starts[1].level, 2);
    EXPECT_GT(starts[1].score, 0) << "items were eaten";
    EXPECT_GE(starts[2].score, starts[1].score);
    EXPECT_EQ(starts, LevelStarts(second));
    EXPECT_EQ(first.find("[message box"), std::string::npos) << first;
    // A level shows the maze, not a black screen.
    Screenshot level = shot("auto-level1.png");
    EXPECT_GT(level.brightness(0, 100, level.width, 150), 20.0);
}

// The seeded game as it stands: the built-in player's run to level 3 prints
// the stored lines, and a seeded level with ghosts, popups and a death takes
// the stored pictures pixel for pixel. A change meant to keep behaviour (a new
// structure, a faster path) must leave both alone. After a deliberate change
// of the game, rewrite them with
//   KARROWEN_UPDATE_GOLDEN=1 ctest -R karrowen_e2e_game
// and look at the pictures before committing them.
TEST_F(GameRuns, ASeededRunPrintsAndShowsTheGoldenGame) {
    const fs::path golden = fs::path(KARROWEN_E2E_SCRIPTS) / "golden";
    const std::string lines = run("golden", "--seed=5 --autoplay --stop-at-level=3", "ARG:");
    const std::vector<std::string> pictures = {"level4-3s.png", "level4-6s.png", "level4-9s.png", "level4-12s.png"};
    std::string shots;
    for (size_t i = 0; i < pictures.size(); ++i)
        shots += " --screenshot=" + pictures[i] + "@" + std::to_string(3000 * (i + 1));
    run("golden-level", "--seed=5 --autoplay --screen=240x320 --exit-after=12500" + shots, "ARG:Level:4,Score:1000,Lifes:2");
    if (std::getenv("KARROWEN_UPDATE_GOLDEN")) {
        fs::create_directories(golden);
        std::ofstream(golden / "autoplay-to-level3.log", std::ios::binary) << lines;
        for (const std::string& name : pictures)
            fs::copy_file(Shots() / name, golden / name, fs::copy_options::overwrite_existing);
        GTEST_SKIP() << "wrote " << golden;
    }
    EXPECT_EQ(lines, ReadText(golden / "autoplay-to-level3.log"));
    for (const std::string& name : pictures) {
        Screenshot expected, actual = shot(name);
        ASSERT_TRUE(expected.load(golden / name)) << "missing " << (golden / name) << " (KARROWEN_UPDATE_GOLDEN=1 writes it)";
        ASSERT_EQ(expected.rgb.size(), actual.rgb.size()) << name;
        size_t differing = 0, first = 0;
        for (size_t i = 0; i < actual.rgb.size(); i += 3) {
            if (std::equal(&actual.rgb[i], &actual.rgb[i] + 3, &expected.rgb[i])) continue;
            if (differing++ == 0) first = i / 3;
        }
        EXPECT_EQ(differing, 0u) << name << ": the first at (" << first % size_t(actual.width) << ", "
                                 << first / size_t(actual.width) << ")";
    }
}

// The Enhanced play style, seeded at levels 1, 10 and 15 on the small screen:
// the overhead view, the ghosts in their own colours and scared in goodtime,
// the popups near their cells. Its pictures are kept as the golden run's are
// (the same KARROWEN_UPDATE_GOLDEN=1 rewrites them), so that a change of what
// Enhanced shows is seen and looked at; the Original golden run stays apart.
TEST_F(GameRuns, TheEnhancedStyleSeededAtThreeLevelsShowsTheStoredPictures) {
    const fs::path golden = fs::path(KARROWEN_E2E_SCRIPTS) / "golden";
    std::vector<std::string> pictures;
    for (int level : {1, 10, 15}) {
        std::string shots;
        for (int seconds : {4, 8}) {
            const std::string name = "enhanced-level" + std::to_string(level) + "-" + std::to_string(seconds) + "s.png";
            shots += " --screenshot=" + name + "@" + std::to_string(1000 * seconds);
            pictures.push_back(name);
        }
        run("enhanced" + std::to_string(level), "--play=enhanced --seed=5 --autoplay --screen=240x320 --exit-after=8500" + shots,
            "ARG:Level:" + std::to_string(level) + ",Score:1000,Lifes:2");
    }
    if (std::getenv("KARROWEN_UPDATE_GOLDEN")) {
        fs::create_directories(golden);
        for (const std::string& name : pictures)
            fs::copy_file(Shots() / name, golden / name, fs::copy_options::overwrite_existing);
        GTEST_SKIP() << "wrote " << golden;
    }
    for (const std::string& name : pictures) {
        Screenshot expected, actual = shot(name);
        ASSERT_TRUE(expected.load(golden / name)) << "missing " << (golden / name) << " (KARROWEN_UPDATE_GOLDEN=1 writes it)";
        ASSERT_EQ(expected.rgb.size(), actual.rgb.size()) << name;
        EXPECT_EQ(expected.difference(actual, 0, 0, actual.width, actual.height), 0.0) << name;
    }
}

TEST_F(GameRuns, GameOverEndsInTheScoreListWithTheNameEntered) {
    const std::string log = run("gameover", "--seed=3 --autoplay " + kQuick, "ARG:Level:30,Score:1234,Lifes:0");
    std::vector<LevelStart> starts = LevelStarts(log);
    ASSERT_EQ(starts.size(), 1u) << log;
    EXPECT_EQ(starts[0], (LevelStart{30, 1234, 0}));
    // The player types AUTO, closes the list, and the run ends at the introduction.
    const std::string scores = ReadText(tree_ / "resources" / "scores.properties");
    std::smatch entry;
    ASSERT_TRUE(std::regex_search(scores, entry, std::regex(R"(default\s*=\s*AUTO:(\d+))"))) << scores << log;
    const int first = std::stoi(entry[1]);
    EXPECT_GE(first, 1234);

    // A better game later goes in above it; the list keeps both, best first.
    run("gameover2", "--seed=4 --autoplay " + kQuick, "ARG:Level:30,Score:900000,Lifes:0");
    const std::string again = ReadText(tree_ / "resources" / "scores.properties");
    ASSERT_TRUE(std::regex_search(again, entry, std::regex(R"(default\s*=\s*AUTO:(\d+),AUTO:(\d+)\s)"))) << again;
    EXPECT_GE(std::stoi(entry[1]), 900000);
    EXPECT_EQ(std::stoi(entry[2]), first);
}

TEST_F(GameRuns, TheQuitQuestionFreezesResumesAndQuits) {
    const fs::path scoreFile = tree_ / "resources" / "scores.properties";
    const std::string scoresBefore = fs::exists(scoreFile) ? ReadText(scoreFile) : "";
    const std::string log = run("quit", "--seed=9 --input='" + std::string(KARROWEN_E2E_SCRIPTS) +
                                            "/game.input' --exit-after=14000", "ARG:");
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
    EXPECT_EQ(fs::exists(scoreFile) ? ReadText(scoreFile) : "", scoresBefore);
    EXPECT_EQ(log.find("screenshot 99"), std::string::npos);
}

TEST_F(GameRuns, ANameTypedOnTheKeyboardLandsInTheScoreFile) {
    const fs::path scoreFile = tree_ / "resources" / "scores.properties";
    const std::string log = run("name", "--seed=9 --input='" + std::string(KARROWEN_E2E_SCRIPTS) +
                                            "/name.input' --exit-after=8000", "ARG:");
    ASSERT_EQ(LevelStarts(log).size(), 1u) << log;
    const std::string scores = fs::exists(scoreFile) ? ReadText(scoreFile) : "";
    EXPECT_NE(scores.find("Zoe7:"), std::string::npos) << scores;
    EXPECT_GT(shot("name-typed.png").difference(shot("name-entered.png"), 0, 0, kWidth, kHeight), 2.0)
        << "RETURN closed the keyboard";
}

TEST_F(GameRuns, TheCoverLeftAloneForThirtySecondsPlaysADemoUntilAKey) {
    const fs::path scoreFile = tree_ / "resources" / "scores.properties";
    const std::string scoresBefore = fs::exists(scoreFile) ? ReadText(scoreFile) : "";
    const std::string log = run("demo", "--seed=4 " + kQuick + " --input='" + std::string(KARROWEN_E2E_SCRIPTS) +
                                            "/demo.input' --exit-after=45000", "");
    const std::vector<LevelStart> starts = LevelStarts(log);
    ASSERT_EQ(starts.size(), 1u) << log;
    EXPECT_GT(starts[0].lives, 0) << "the demo has lives to lose";
    Screenshot before = shot("demo-cover-before.png"), playing = shot("demo-playing.png"),
               after = shot("demo-cover-after.png");
    EXPECT_GT(playing.difference(before, 0, 0, 240, 320), 10.0) << "the demo plays";
    // The cover's characters move a little; the maze is all different.
    EXPECT_LT(after.difference(before, 0, 0, 240, 320), 4.0) << "the key brought the cover back";
    EXPECT_EQ(fs::exists(scoreFile) ? ReadText(scoreFile) : "", scoresBefore) << "a demo never scores";
}

struct ScriptLine {
    uint32_t atMs = 0;
    std::string action, word, line;
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
        e.line = line;
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
    const std::string recorded = run("record",
                                     options + " --input='" + std::string(KARROWEN_E2E_SCRIPTS) +
                                         "/record.input' --record=recorded.input --exit-after=13500" + screenshots("rec"),
                                     "ARG:intro");
    ASSERT_EQ(LevelStarts(recorded).size(), 1u) << "Pause starts the game: " << recorded;
    const std::string script = ReadText(Shots() / "recorded.input");
    const std::vector<ScriptLine> events = ReadScript(script);
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
    EXPECT_EQ(keys, expectedKeys) << script;
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().action, "quit");
    EXPECT_GE(events.back().atMs, 13500u);
    EXPECT_TRUE(std::is_sorted(events.begin(), events.end(),
                               [](const ScriptLine& a, const ScriptLine& b) { return a.atMs < b.atMs; }));
    EXPECT_NE(script.find(" down 76 109\n"), std::string::npos) << script;
    EXPECT_NE(script.find("--seed=7 --input=recorded.input"), std::string::npos) << script;

    // The recording alone (it ends itself) gives the same pictures.
    const std::string again = run("replay", options + " --input=recorded.input" + screenshots("rep"), "ARG:intro");
    EXPECT_EQ(LevelStarts(again), LevelStarts(recorded)) << again;
    for (const char* name : {"-a.png", "-b.png", "-c.png", "-d.png"}) {
        Screenshot original = shot(std::string("rec") + name), replayed = shot(std::string("rep") + name);
        ASSERT_EQ(original.rgb.size(), replayed.rgb.size()) << name;
        EXPECT_EQ(original.difference(replayed, 0, 0, original.width, original.height), 0.0) << name;
    }

    // Without what the relaunched process recorded the maze looks otherwise,
    // so the pictures above rest on those events.
    std::string beforeTheMaze;
    for (const ScriptLine& e : events) {
        if (e.action == "keydown" && e.word == "RIGHT") break;
        beforeTheMaze += e.line + "\n";
    }
    std::ofstream(Shots() / "before-maze.input") << beforeTheMaze;
    run("replay-part", options + " --input=before-maze.input --exit-after=13500" + screenshots("part"), "ARG:intro");
    EXPECT_EQ(shot("part-a.png").difference(shot("rec-a.png"), 0, 0, 240, 320), 0.0);
    EXPECT_GT(shot("part-b.png").difference(shot("rec-b.png"), 0, 0, 240, 320), 0.5);
    // Pause froze the recorded game under the quit question; without it the
    // maze goes on moving.
    EXPECT_EQ(shot("rec-c.png").difference(shot("rec-d.png"), 0, 0, 240, 320), 0.0);
    EXPECT_GT(shot("part-c.png").difference(shot("part-d.png"), 0, 0, 240, 320), 0.1);
}

// What a recording holds: its length by its header, and its loudest sample
// on the 8-bit scale (0 for silence; 16-bit samples count by their high
// byte). A loudest of -1: no WAV, or a header that claims more than the file.
struct Recording {
    double seconds = 0;
    int loudest = -1;
};

Recording ReadRecording(const fs::path& path) {
    const std::string bytes = ReadText(path);
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0) return {};
    auto byteAt = [&](size_t i) { return uint32_t(uint8_t(bytes[i])); };
    auto u32At = [&](size_t i) { return byteAt(i) | byteAt(i + 1) << 8 | byteAt(i + 2) << 16 | byteAt(i + 3) << 24; };
    uint32_t bits = 0, bytesPerSecond = 0;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const uint32_t size = u32At(at + 4);
        if (bytes.compare(at, 4, "fmt ") == 0 && at + 24 <= bytes.size()) {
            bytesPerSecond = u32At(at + 16);
            bits = byteAt(at + 22);
        }
        if (bytes.compare(at, 4, "data") == 0) {
            if (at + 8 + size > bytes.size() || bytesPerSecond == 0) return {};
            Recording r{double(size) / bytesPerSecond, 0};
            const size_t end = at + 8 + size;
            if (bits == 16)
                for (size_t i = at + 8; i + 1 < end; i += 2)
                    r.loudest = std::max(r.loudest, std::abs(int(int16_t(byteAt(i) | byteAt(i + 1) << 8))) >> 8);
            else if (bits == 8)
                for (size_t i = at + 8; i < end; ++i) r.loudest = std::max(r.loudest, std::abs(int(byteAt(i)) - 128));
            else
                return {};
            return r;
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

void SetSoundSetting(const fs::path& settings, int selected) {
    std::string text = ReadText(settings);
    const std::regex group(R"(soundEffect=GUIType:checkboxGroup, selected:\d+)");
    text = std::regex_replace(text, group, "soundEffect=GUIType:checkboxGroup, selected:" + std::to_string(selected));
    std::ofstream(settings, std::ios::binary | std::ios::trunc) << text;
}

// The sound run goes on into the next level, and the recording holds the
// whole run, whichever process played it.
TEST_F(GameRuns, TheSoundSettingSilencesTheNextLevelAndBringsItBack) {
    const fs::path settings = tree_ / "resources" / "gsettings.properties";
    const std::string shots = Shots().string();
    SetSoundSetting(settings, 1);
    run("silent", "--seed=5 --autoplay --audio=wav:" + shots + "/silent.wav --exit-after=8000 " + kQuick, "ARG:");
    SetSoundSetting(settings, 0);
    const std::string log = run(
        "sound", "--seed=5 --autoplay --audio=wav:" + shots + "/sound.wav --exit-after=30000 " + kQuick, "ARG:");
    ASSERT_GE(LevelStarts(log).size(), 2u) << "the run reaches the next level:\n" << log;
    EXPECT_EQ(ReadRecording(fs::path(shots) / "silent.wav").loudest, 0);
    const Recording sound = ReadRecording(fs::path(shots) / "sound.wav");
    EXPECT_GT(sound.loudest, 10) << "music and the landing play";
    EXPECT_NEAR(sound.seconds, 30.0, 1.0);
}

TEST_F(GameRuns, MissingPicturesAndObjectsAreToldAndTheGameGoesOn) {
    // A tree of its own, with pictures and template entries taken away.
    const fs::path broken = fs::temp_directory_path() / ("karrowen-e2e-broken-" + std::to_string(::getpid()));
    fs::remove_all(broken);
    fs::create_directories(broken / "bin");
    fs::copy_file(tree_ / "bin" / "karrowen", broken / "bin" / "karrowen");
    fs::copy(KARROWEN_BUILD_RESOURCES, broken / "resources", fs::copy_options::recursive);
    for (const char* file : {"Levels/level1/bkg.jpg", "Levels/level1/pickable.gif", "characters/ghost_east.gif",
                             "messagebox.properties"})
        fs::remove(broken / "resources" / file);
    const fs::path screen = broken / "resources" / "GameCanvas.properties";
    std::string text = ReadText(screen);
    text = std::regex_replace(text, std::regex(R"((^|\n)(sptScore|fontBright|fog)=[^\n]*)"), "$1");
    std::ofstream(screen, std::ios::binary | std::ios::trunc) << text;

    const std::string command = "cd '" + broken.string() + "' && timeout 240 bin/karrowen --headless --instance=e2e-broken-" +
                                std::to_string(::getpid()) + " --seed=5 --autoplay --stop-at-level=2 " + kQuick + " -- ARG: 2>&1";
    auto runBroken = [&](const std::string& commandLine) {
        std::string log;
        if (FILE* pipe = popen(commandLine.c_str(), "r")) {
            char buffer[4096];
            size_t n;
            while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) log.append(buffer, n);
            pclose(pipe);
        }
        EXPECT_FALSE(e2e::SanitizerReported(log)) << log;
        return log;
    };
    const std::string log = runBroken(command);
    // Without a message box the quit button cannot ask: the game goes on.
    const std::string quit = runBroken("cd '" + broken.string() + "' && timeout 240 bin/karrowen --headless --instance=e2e-broken-quit-" +
                                       std::to_string(::getpid()) + " --seed=9 --input='" + KARROWEN_E2E_SCRIPTS +
                                       "/game.input' --exit-after=6500 -- ARG: 2>&1");
    Screenshot asked, later;
    const bool shots = asked.load(broken / "02-quit-question.png") && later.load(broken / "03-quit-frozen.png");
    fs::remove_all(broken);
    EXPECT_NE(log.find("bkg.jpg"), std::string::npos) << log;
    EXPECT_NE(log.find("pickable.gif"), std::string::npos) << log;
    EXPECT_NE(log.find("messagebox.properties"), std::string::npos) << log;
    std::vector<LevelStart> starts = LevelStarts(log);
    ASSERT_EQ(starts.size(), 2u) << log;
    EXPECT_GT(starts[1].score, 0);
    ASSERT_TRUE(shots) << quit;
    EXPECT_GT(asked.difference(later, 0, 0, kWidth, kHeight), 0.5) << "the game stands still after the quit button";
}

// The longest quiet stretch, in seconds, of a 16-bit stereo recording between
// its first sound and `untilSeconds` after it (a stretch quiet when no sample
// of its 10 ms reaches 200 of 32767); -1 when the file is not such a
// recording or holds no sound.
double LongestQuietAfterFirstSound(const fs::path& wav, double untilSeconds) {
    const std::string bytes = ReadText(wav);
    constexpr size_t kHeader = 44;
    if (bytes.size() < kHeader || bytes.compare(0, 4, "RIFF") != 0 || bytes[22] != 2 || bytes[34] != 16) return -1;
    const int rate = int(uint8_t(bytes[24])) | int(uint8_t(bytes[25])) << 8 | int(uint8_t(bytes[26])) << 16;
    const size_t window = size_t(rate) / 100, frames = (bytes.size() - kHeader) / 4;
    auto loud = [&](size_t w) {
        for (size_t i = w * window * 2; i < (w + 1) * window * 2; ++i) {
            const int v = int16_t(uint8_t(bytes[kHeader + 2 * i]) | uint8_t(bytes[kHeader + 2 * i + 1]) << 8);
            if (std::abs(v) >= 200) return true;
        }
        return false;
    };
    size_t w = 0;
    const size_t windows = frames / window;
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

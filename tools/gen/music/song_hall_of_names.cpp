// "Hall of Names", for the score list: C major, 113 beats per minute. Calm
// after the chase: a flute-like lead with a slow, wide vibrato over a beating
// pad, a bass that walks in quarter notes and a light beat; the last phrase
// settles on C before the song starts again.

#include "music/instruments.h"
#include "music/songs.h"

namespace {

std::string Walk(const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
    return a + ":4 " + b + ":4 " + c + ":4 " + d + ":4 ";
}

const char* kBeat = "k:4 h:4 s:4 h:2 k:2";
const char* kTurn = "k:4 h:4 s:4 s:2 s:2";

std::string Drums() { return Repeat(kBeat, 3) + kTurn; }

}  // namespace

Song HallOfNames() {
    Song song{"scores.mod", StandardScore("Hall of Names", 113, 6), {}};
    SongScore& s = song.score;
    s.vibrato = 0x43;
    s.instruments[kChordChannel] = kPad;
    const std::string firstBass =
        Walk("C1", "E1", "G1", "E1") + Walk("A1", "E1", "A1", "C2") + Walk("F1", "A1", "C2", "A1") +
        Walk("G1", "D1", "G1", "B1");
    const std::string firstPad = "C2a47:16 A1a37:16 F1a47:16 G1a47:16";
    s.patterns = {
        {"first",
         {Drums(), firstBass,
          "E2:4 G2:4 C3:6~ B2:2 | A2:8~ G2:4 E2:4 | F2:4 A2:4 C3:4 A2:4 | G2:16~", firstPad}},
        {"first2",
         {Drums(), firstBass,
          "E2:4 G2:4 C3:4 E3:4 | D3:4 C3:4 A2:8~ | F2:4 A2:4 C3:4 F3:4 | E3:4 D3:4 B2:4 G2:4", firstPad}},
        {"second",
         {"x:4 h:4 s:4 h:2 k:2 " + Repeat(kBeat, 2) + kTurn,
          Walk("F1", "A1", "C2", "A1") + Walk("G1", "B1", "D2", "B1") + Walk("E1", "G1", "B1", "G1") +
              Walk("A1", "C2", "E2", "C2"),
          "A2:6~ C3:2 F3:8~ | E3:4 D3:4 B2:8~ | G2:4 B2:4 E3:8~ | C3:4 B2:4 A2:8~",
          "@3 F1a47:16 G1a47:16 E1a37:16 A1a37:16"}},
        {"close",
         {Drums(),
          Walk("D1", "F1", "A1", "F1") + Walk("G1", "B1", "D2", "B1") + Walk("C1", "E1", "G1", "E1") +
              "C1:8 G1d01:8",
          "F3:6~ E3:2 D3:8~ | B2:4 D3:4 G3:4 F3:4 | E3:16~ | C3f1:12 ^:4",
          "D1a37:16 G1a47:16 C2a47:16 C2a47:12 ^:4"}},
    };
    s.orders = {"first", "first2", "second", "close", "first", "first2", "second", "close"};
    s.loopOrder = 0;

    song.samples.push_back(MakeTone({"hall flute", 32, 64, 4, {1, 0.3f, 0.12f, 0.05f}, {1, 0.15f, 0.04f}, 12, 3,
                                     40, 0.8f, 46}));
    song.samples.push_back(MakeTone({"hall bass", 64, 64, 4, {1, 0.5f, 0.3f, 0.15f, 0.1f}, {1, 0.25f, 0.05f}, 8,
                                     1, 18, 0.45f, 56}));
    song.samples.push_back(MakeTone({"hall chord", 32, 24, 4, {1, 0.2f}, {1, 0.2f}, 8, 1, 20, 0.8f, 20}));
    AddDrumSamples(song.samples);
    song.samples.push_back(MakePad("hall pad", {1, 0.35f, 0.15f, 0.08f}, 22));
    return song;
}

// "Night Gate", for the cover and the pages before a game: A minor, 96 beats
// per minute. Quieter than the levels' songs: a slow beat with open hats, a
// bass that walks the chords in quarter notes, a bell-like lead over a
// beating pad; the bridge leans on E major before the tune comes home.

#include "music/instruments.h"
#include "music/songs.h"

namespace {

std::string Walk(const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
    return a + ":4 " + b + ":4 " + c + ":4 " + d + ":4 ";
}

const char* kBeat = "k:4 h:4 s:4 o:4";
const char* kTurn = "k:4 h:4 s:4 s:2 s:2";

std::string Drums() { return Repeat(kBeat, 3) + " " + kTurn; }

}  // namespace

Song NightGate() {
    Song song{"menu.mod", StandardScore("Night Gate", 96, 6), {}};
    SongScore& s = song.score;
    s.vibrato = 0x42;
    s.instruments[kChordChannel] = kPad;
    const std::string homeBass =
        Walk("A1", "E1", "A1", "C2") + Walk("F1", "A1", "C2", "A1") + Walk("C2", "G1", "E1", "G1") +
        Walk("G1", "D1", "G1", "B1");
    const std::string homePad = "A1a37:16 F1a47:16 C2a47:16 G1a47:16";
    s.patterns = {
        {"home",
         {Drums(), homeBass, "E2:4 A2:4 C3:6~ B2:2 | A2:8~ G2:4 E2:4 | F2:4 A2:4 C3:4 E3:4 | D3:16~", homePad}},
        {"home2",
         {Drums(), homeBass, "E3:4 D3:4 C3:4 B2:4 | A2:4 C3:4 F3:8~ | E3:4 D3:4 C3:4 G2:4 | B2:8 D3:4 B2:4",
          homePad}},
        {"bridge",
         {"x:4 h:4 s:4 o:4 " + Repeat(kBeat, 2) + " " + kTurn,
          Walk("A1", "C2", "E2", "C2") + Walk("F1", "A1", "C2", "A1") + Walk("G1", "B1", "D2", "B1") +
              Walk("E1", "G#1", "B1", "G#1"),
          "C3:6~ B2:2 A2:8~ | A2:4 C3:4 F3:8~ | D3:4 B2:4 G2:8~ | G#2:8~ B2:4 E3:4",
          "A1a37:16 F1a47:16 G1a47:16 E1a47:16"}},
        {"close",
         {Drums(),
          Walk("A1", "E1", "A1", "C2") + Walk("F1", "A1", "C2", "A1") + Walk("G1", "D1", "G1", "B1") + "A1:8 E1:8",
          "A2:6~ G2:2 E2:8~ | F2:4 E2:4 C2:8~ | D2:4 B1:4 G1:4 B1:4 | A1:12 ^:4",
          "A1a37:16 F1a47:16 G1a47:16 A1a37:12 ^:4"}},
    };
    s.orders = {"home", "home2", "bridge", "close", "home", "home2", "bridge", "close"};
    s.loopOrder = 0;

    song.samples.push_back(MakeTone({"gate bell", 32, 64, 4, {1, 0.2f, 0.35f, 0.05f, 0.12f}, {1, 0.1f, 0.03f}, 10, 2,
                                     30, 0.7f, 44}));
    song.samples.push_back(MakeTone({"gate bass", 64, 64, 4, {1, 0.5f, 0.3f, 0.15f, 0.1f}, {1, 0.25f, 0.05f}, 8,
                                     1, 18, 0.45f, 56}));
    song.samples.push_back(MakeTone({"gate chord", 32, 24, 4, {1, 0.2f}, {1, 0.2f}, 8, 1, 20, 0.8f, 20}));
    AddDrumSamples(song.samples);
    song.samples.push_back(MakePad("gate pad", {1, 0.3f, 0.18f, 0.06f}, 20));
    return song;
}

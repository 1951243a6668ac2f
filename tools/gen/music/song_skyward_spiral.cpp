// "Skyward Spiral": G major, 160 beats per minute. Bright and running: a
// bouncing root-fifth-octave bass, bell chords and a saw lead over G D Em C,
// a syncopated second theme over C D Bm Em, a half-length breakdown, and a
// last phrase that sparkles with arpeggios before the loop.

#include "music/instruments.h"
#include "music/songs.h"

namespace {

std::string Bounce(const std::string& root, const std::string& fifth, const std::string& octave) {
    return root + ":2 " + root + ":2 " + fifth + ":2 " + root + ":2 " + octave + ":2 " + root + ":2 " + fifth +
           ":2 " + root + ":2 ";
}
// Chords on the beat and the "and" of two and four.
std::string Pulse(const std::string& chord) {
    return chord + ":4 " + chord + ":2 " + chord + ":2 ^:2 " + chord + ":2 " + chord + ":4 ";
}

const char* kBeat = "k:2 h:1 h:1 s:2 h:2 k:2 h:1 h:1 s:2 o:2";
const char* kFill = "k:2 h:1 h:1 s:2 h:2 k:2 s:1 s:1 s:1 s:1 s:2";
const char* kCrashIn = "x:2 h:1 h:1 s:2 h:2 k:2 h:1 h:1 s:2 o:2";

std::string Drums() { return std::string(kCrashIn) + " " + kBeat + " " + kBeat + " " + kFill; }

const std::string kThemeBass =
    Bounce("G1", "D2", "G2") + Bounce("D1", "A1", "D2") + Bounce("E1", "B1", "E2") + Bounce("C1", "G1", "C2");
const std::string kThemeChords = Pulse("G1a47") + Pulse("D2a47") + Pulse("E1a37") + Pulse("C2a47");
const std::string kSecondBass =
    Bounce("C1", "G1", "C2") + Bounce("D1", "A1", "D2") + Bounce("B1", "F#1", "B2") + Bounce("E1", "B1", "E2");
const std::string kSecondChords = Pulse("C2a47") + Pulse("D2a47") + Pulse("B1a37") + Pulse("E1a37");

}  // namespace

Song SkywardSpiral() {
    Song song{"Levels/song3.mod", StandardScore("Skyward Spiral", 160, 6), {}};
    SongScore& s = song.score;
    s.patterns = {
        {"intro",
         {"k:4 k:4 k:4 k:4 " + Repeat("k:4", 4) + kBeat + " " + kFill, kThemeBass,
          "-:56 D3:2 E3:2 F#3:2 A3:2", kThemeChords}},
        {"theme",
         {Drums(), kThemeBass,
          "B2:2 D3:2 G3:4 F#3:2 G3:2 A3:4 | F#3:2 E3:2 D3:4 A2:4 D3:4 | G3:2 F#3:2 E3:2 B2:2 E3:4 G3:4 | "
          "E3:4 D3:2 C3:2 D3:8~",
          kThemeChords}},
        {"theme2",
         {Drums(), kThemeBass,
          "B2:2 D3:2 G3:4 A3:2 B3:2 A3:4 | F#3:4 A3:4 D3:8~ | E3:2 G3:2 B3:4 A3:2 G3:2 E3:4 | "
          "G3:4 E3:4 D3>08:8",
          kThemeChords}},
        {"second",
         {Drums(), kSecondBass,
          "G3:3 E3:3 C3:2 E3:3 G3:3 A3:2 | F#3:3 D3:3 A2:2 D3:8~ | F#3:3 D3:3 B2:2 D3:3 F#3:3 B3:2 | "
          "G3:8~ F#3:4 E3:4",
          kSecondChords}},
        {"sparkle",
         {Drums(), Bounce("A1", "E2", "A2") + Bounce("D1", "A1", "D2") + Repeat(Bounce("G1", "D2", "G2"), 2),
          "A3:4 G3:2 E3:2 C3:4 E3:4 | D3:4 F#3:4 A3:4 F#3:4 | G2a7c:8 B2:4 D3:4 | G3:12~ ^:4",
          Pulse("A1a37") + Pulse("D2a47") + Pulse("G1a47") + Pulse("G1a47")}},
        {"breakdown",
         {Repeat("k:4", 4) + " k:2 k:2 k:2 k:2 s:1 s:1 s:1 s:1 s:1 s:1 s:1 s:1",
          "E1:8 E1:4 B1:4 C1:8 D1u02:8", "E3f1:16 G3:8 A3:8~", "E1a37:16 C2a47:8 D2a47:8"}},
    };
    s.orders = {"intro",  "theme",     "theme2", "second", "sparkle", "breakdown",
                "theme",  "theme2",    "second", "sparkle"};
    s.loopOrder = 1;

    song.samples.push_back(MakeTone({"skyward lead", 32, 48, 4, {1, 0.5f, 0.33f, 0.25f, 0.2f, 0.16f, 0.12f},
                                     {1, 0.4f, 0.2f, 0.1f}, 10, 1, 18, 0.6f, 42}));
    song.samples.push_back(MakeTone({"skyward bass", 64, 48, 4, {1, 0, 0.45f, 0, 0.25f, 0, 0.15f, 0, 0.1f},
                                     {1, 0, 0.2f}, 6, 0.5, 12, 0.5f, 58}));
    // A bell: the upper partials ring out first and die away.
    song.samples.push_back(MakeTone({"skyward bell", 32, 64, 4, {1, 0, 0, 0.5f, 0, 0.3f}, {1, 0.1f}, 6, 0.5, 14,
                                     0.45f, 28}));
    AddDrumSamples(song.samples);
    return song;
}

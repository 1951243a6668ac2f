// "Lantern Run": A minor, 150 beats per minute, four rows a beat. Pumping
// octave bass, chip-chord stabs and a lead that climbs into a chorus over
// F G Em Am; a bridge over a three-three-two bass turns to E major before the
// verse comes round again.

#include "music/instruments.h"
#include "music/songs.h"

namespace {

std::string Pump(const std::string& low, const std::string& high) { return Repeat(low + ":2 " + high + ":2", 4); }
std::string Tresillo(const std::string& low, const std::string& high) {
    return Repeat(low + ":3 " + low + ":3 " + high + ":2", 2);
}
// Staccato chord stabs, the arpeggio giving the chord.
std::string Stabs(const std::string& chord) {
    return chord + ":3 ^:1 " + chord + ":3 ^:1 " + chord + ":2 " + chord + ":2 ^:2 " + chord + ":2 ";
}

const char* kBeat = "k:2 h:2 s:2 h:2 k:2 k:2 s:2 h:2";
const char* kBeatOpen = "k:2 h:2 s:2 h:2 k:2 k:2 s:2 o:2";
const char* kFill = "k:2 h:2 s:2 h:2 k:2 s:1 s:1 s:1 s:1 s:2";
const char* kCrashIn = "x:2 h:2 s:2 h:2 k:2 k:2 s:2 h:2";

std::string VerseDrums(const char* fill) { return std::string(kBeat) + " " + kBeatOpen + " " + kBeat + " " + fill; }

const std::string kVerseBass = Pump("A1", "A2") + Pump("F1", "F2") + Pump("C2", "C3") + Pump("G1", "G2");
const std::string kVerseChords = Stabs("A1a37") + Stabs("F1a47") + Stabs("C2a47") + Stabs("G1a47");
const std::string kChorusBass = Pump("F1", "F2") + Pump("G1", "G2") + Pump("E1", "E2") + Pump("A1", "A2");
const std::string kChorusChords = Stabs("F1a47") + Stabs("G1a47") + Stabs("E1a37") + Stabs("A1a37");

}  // namespace

Song LanternRun() {
    Song song{"Levels/song1.mod", StandardScore("Lantern Run", 150, 6), {}};
    SongScore& s = song.score;
    s.patterns = {
        {"intro",
         {"k:4 k:4 k:4 k:4 k:2 h:2 k:2 h:2 k:2 h:2 k:2 h:2 " + std::string(kBeat) + " " + kFill, kVerseBass,
          "-:48 E2:2 G2:2 A2:2 B2:2 C3:2 B2:2 A2:2 G2:2", kVerseChords}},
        {"verse",
         {VerseDrums(kFill), kVerseBass,
          "A2:2 C3:2 E3:4 D3:2 C3:2 D3:4 | C3:2 A2:2 F2:8~ A2:2 C3:2 | E3:2 G3:2 E3:2 C3:2 D3:4 E3:4 | "
          "D3:2 B2:2 G2:4 -:2 G2:2 A2:2 B2:2",
          kVerseChords}},
        {"verse2",
         {VerseDrums(kFill), kVerseBass,
          "A2:2 C3:2 E3:4 D3:2 C3:2 E3:4 | F3:4 E3:2 C3:2 A2:8~ | G2:2 C3:2 E3:2 G3:2 A3:4 G3:4 | "
          "B3>08:4 G3:2 D3:2 B2:4 D3:4",
          kVerseChords}},
        {"chorus",
         {std::string(kCrashIn) + " " + kBeatOpen + " " + kBeat + " " + kFill, kChorusBass,
          "A3:4 G3:2 F3:2 E3:4 C3:4 | D3:2 E3:2 D3:2 B2:2 G2:8~ | E3:2 G3:2 B3:2 G3:2 E3:4 D3:4 | "
          "C3:2 B2:2 A2:12~",
          kChorusChords}},
        {"chorus2",
         {std::string(kCrashIn) + " " + kBeatOpen + " " + kBeat + " " + kFill, kChorusBass,
          "A3:4 G3:2 A3:2 C3:4 F3:4 | G3:4 F3:2 E3:2 D3:4 B2:4 | E3:2 B2:2 E3:2 G3:2 B3:4 A3:4 | "
          "A3f2:12 ^:4",
          kChorusChords}},
        {"bridge",
         {std::string(kCrashIn) + " " + kBeat + " " + kBeatOpen + " " + kFill,
          Tresillo("D1", "D2") + Tresillo("A1", "A2") + Tresillo("D1", "D2") + Tresillo("E1", "E2"),
          "D3:8~ F3:4 E3:4 | C3:8~ A2:8 | D3:4 E3:4 F3:4 A3:4 | G#3:8~ E3:4 B2:4",
          "D2a37:16 A1a37:16 D2a37:16 E1a47:16"}},
    };
    s.orders = {"intro", "verse", "verse2", "chorus", "chorus2", "bridge", "verse", "verse2", "chorus", "chorus2"};
    s.loopOrder = 1;

    song.samples.push_back(MakeTone({"lantern lead", 32, 56, 4, {1, 0.5f, 0.45f, 0.2f, 0.15f, 0.08f},
                                     {1, 0.2f, 0.25f, 0.05f}, 10, 1, 20, 0.65f, 44}));
    song.samples.push_back(MakeTone({"lantern bass", 64, 60, 4, {1, 0.6f, 0.4f, 0.3f, 0.2f, 0.15f, 0.1f, 0.08f},
                                     {1, 0.3f, 0.1f}, 6, 0.5, 14, 0.5f, 60}));
    song.samples.push_back(MakeTone({"lantern chord", 32, 40, 4, {1, 0, 0.4f, 0, 0.2f}, {1, 0, 0.25f}, 10, 1,
                                     24, 0.7f, 26}));
    AddDrumSamples(song.samples);
    return song;
}

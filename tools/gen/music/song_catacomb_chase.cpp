// "Catacomb Chase": D minor, 140 beats per minute. A galloping sixteenth-note
// bass under a reedy lead; the verse turns on A major (the harmonic minor's
// dominant), the chorus climbs over Gm Dm Bb A, and a bridge lets the bass
// slide down while the lead holds long notes.

#include "music/instruments.h"
#include "music/songs.h"

namespace {

std::string Gallop(const std::string& low, const std::string& high) {
    return Repeat(low + ":1 " + low + ":1 " + high + ":1 " + low + ":1", 4);
}
// Off-beat chord stabs.
std::string Offbeats(const std::string& chord) { return Repeat("-:2 " + chord + ":1 ^:1", 4); }

const char* kBeat = "k:2 h:1 h:1 s:2 h:2 k:1 k:1 h:2 s:2 h:1 h:1";
const char* kFill = "k:2 h:1 h:1 s:2 h:2 k:1 k:1 s:1 s:1 s:1 s:1 s:1 s:1";
const char* kCrashIn = "x:2 h:1 h:1 s:2 h:2 k:1 k:1 h:2 s:2 h:1 h:1";

std::string Drums(const char* first) { return std::string(first) + " " + kBeat + " " + kBeat + " " + kFill; }

const std::string kVerseBass = Gallop("D1", "D2") + Gallop("Bb1", "Bb2") + Gallop("C2", "C3") + Gallop("A1", "A2");
const std::string kVerseChords = Offbeats("D2a37") + Offbeats("Bb1a47") + Offbeats("C2a47") + Offbeats("A1a47");
const std::string kChorusBass = Gallop("G1", "G2") + Gallop("D1", "D2") + Gallop("Bb1", "Bb2") + Gallop("A1", "A2");
const std::string kChorusChords = Offbeats("G1a37") + Offbeats("D2a37") + Offbeats("Bb1a47") + Offbeats("A1a47");

}  // namespace

Song CatacombChase() {
    Song song{"Levels/song2.mod", StandardScore("Catacomb Chase", 140, 6), {}};
    SongScore& s = song.score;
    s.vibrato = 0x62;
    s.patterns = {
        {"intro", {"k:4 k:4 k:4 k:2 k:2 " + Repeat(kBeat, 2) + kFill, kVerseBass, "-:64", kVerseChords}},
        {"verse",
         {Drums(kCrashIn), kVerseBass,
          "D2:3 F2:3 A2:2 G2:2 F2:2 E2:2 F2:2 | D2:8~ C2:4 D2:4 | E2:3 G2:3 C3:2 Bb2:2 A2:2 G2:2 E2:2 | "
          "C#3:8~ A2:4 E2:4",
          kVerseChords}},
        {"verse2",
         {Drums(kBeat), kVerseBass,
          "A2:3 F2:3 D3:2 C3:2 A2:2 F2:2 A2:2 | Bb2:8~ A2:2 G2:2 F2:4 | G2:3 E2:3 C2:2 E2:2 G2:2 Bb2:2 C3:2 | "
          "E3>06:8 C#3:4 A2:4",
          kVerseChords}},
        {"chorus",
         {Drums(kCrashIn), kChorusBass,
          "D3:4 Bb2:2 G2:2 A2:2 Bb2:2 C3:4 | D3:6~ F3:2 E3:2 D3:2 C3:4 | Bb2:4 C3:2 D3:2 F3:4 D3:4 | "
          "E3:4 C#3:4 A2:8~",
          kChorusChords}},
        {"chorus2",
         {Drums(kCrashIn), kChorusBass,
          "G3:4 F3:2 D3:2 Bb2:2 D3:2 G3:4 | F3:4 E3:2 D3:2 A2:8~ | Bb2:2 D3:2 F3:2 Bb3:2 A3:4 F3:4 | "
          "A3:4 G3:2 E3:2 C#3:8~",
          kChorusChords}},
        {"bridge",
         {"x:4 k:4 k:4 k:4 " + Repeat("k:4 h:4 s:4 h:4", 2) + kFill,
          "D2d01:16 C2d01:16 Bb1d01:16 A1:8 A2:8",
          "F3:8~ E3:8~ | D3:4 C3:4 Bb2:8~ | A2f1:16 | A2:4 C#3:4 E3:4 G3:4",
          "D2a37:16 C2a47:16 Bb1a47:16 A1a47:16"}},
    };
    s.orders = {"intro", "verse", "verse2", "chorus", "chorus2", "bridge", "verse", "verse2", "chorus", "chorus2"};
    s.loopOrder = 1;

    // A reed: odd harmonics, brighter as it speaks.
    song.samples.push_back(MakeTone({"catacomb reed", 32, 56, 4, {1, 0.1f, 0.6f, 0.05f, 0.35f, 0, 0.2f},
                                     {1, 0.05f, 0.4f, 0, 0.15f}, 12, 2, 24, 0.7f, 44}));
    song.samples.push_back(MakeTone({"catacomb bass", 64, 48, 4, {1, 0.7f, 0.5f, 0.4f, 0.3f, 0.2f, 0.15f, 0.1f},
                                     {1, 0.4f, 0.15f, 0.05f}, 4, 0.5, 10, 0.55f, 58}));
    song.samples.push_back(MakeTone({"catacomb organ", 32, 24, 4, {1, 0.5f, 0, 0.3f, 0, 0, 0, 0.15f},
                                     {1, 0.5f, 0, 0.3f}, 8, 1, 20, 0.8f, 24}));
    AddDrumSamples(song.samples);
    return song;
}

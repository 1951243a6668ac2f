#pragma once
// The game's songs: a score in the notation of score.h and the instruments it
// plays, for each module file the game loads.

#include <string>
#include <vector>

#include "music/module_file.h"
#include "music/score.h"

// Sample numbers every song uses the same way, so the scores share a drum kit.
enum SongInstrument {
    kLead = 1,
    kBass = 2,
    kChord = 3,
    kKick = 4,
    kSnare = 5,
    kClosedHat = 6,
    kOpenHat = 7,
    kCrash = 8,
    kPad = 9,
};

// Channels: drums and lead sound left of centre, bass and chords right.
enum SongChannel { kDrumChannel = 0, kBassChannel = 1, kLeadChannel = 2, kChordChannel = 3 };

struct Song {
    std::string fileName;          // relative to the resource folder
    SongScore score;
    std::vector<ModSample> samples;  // in SongInstrument order
};

// The kit letters: k kick, s snare, h closed hat, o open hat, x crash.
std::vector<DrumSound> StandardDrumKit();
// Drums, bass, lead and chords on their channels, the standard kit, and the
// instruments of SongInstrument.
SongScore StandardScore(const std::string& title, int bpm, int speed);
// The drum samples, appended after lead, bass and chord.
void AddDrumSamples(std::vector<ModSample>& samples);
// `phrase` written `times` times.
std::string Repeat(const std::string& phrase, int times);

Song LanternRun();      // levels of the first theme group
Song CatacombChase();   // second group
Song SkywardSpiral();   // third group
Song HallOfNames();     // the score list
Song NightGate();       // the cover and the pages before a game

std::vector<Song> GameSongs();

// The module of a song. False with a message when its score does not compose.
bool BuildSongModule(const Song& song, ComposedSong& composed, std::string& error);

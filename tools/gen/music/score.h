#pragma once
// The composer's score notation and its translation into module patterns.
//
// A track is a line of tokens separated by spaces, one per note or pause; a
// token lasts one row unless it ends in ":n" (n rows). "|" marks bars and is
// skipped.
//   C2 F#1 Bb3   a note; octaves 1 ... 3 are the classic three (C1 = period 856)
//   k s h        a drum of the song's kit (lower-case letters)
//   -            nothing new: the last note sounds on
//   ^            the note stops (volume 0)
//   @n           the following notes use instrument n
// A note or drum may carry effects, written after it (before or after ":n"):
//   ~            vibrato from its second row on, at the song's speed and depth
//   wxy          the same at speed x and depth y
//   axy          arpeggio over +x and +y semitones on all its rows
//   >xx          tone portamento to this note at speed xx instead of a new note
//   uxx dxx      portamento up or down by xx on all its rows
//   fx           volume slide down by x from its second row on
//   vxx          volume xx (hex, at most 40) on its first row
//   !exx         any effect e with parameter xx on its first row
// A row holds one effect per channel; two on one row are an error.

#include <array>
#include <string>
#include <vector>

#include "music/module_file.h"

struct DrumSound {
    char letter = 0;
    int sample = 0;   // 1 ... 31
    int note = 24;    // period-table note index (24 is C2)
};

struct PatternScore {
    std::string name;
    std::array<std::string, kModChannels> tracks;  // equal lengths, at most 64 rows
};

struct SongScore {
    std::string title;
    int bpm = 125;                // 33 ... 255
    int speed = 6;                // ticks per row, 1 ... 32
    int vibrato = 0x52;           // default vibrato speed and depth
    std::array<int, kModChannels> instruments = {1, 2, 3, 4};
    std::vector<DrumSound> drums;
    std::vector<PatternScore> patterns;
    std::vector<std::string> orders;  // pattern names, in play order
    int loopOrder = 0;            // where the song goes on after its last order
};

// A song's patterns and orders; the caller adds the samples.
struct ComposedSong {
    ModFile module;
    int rows = 0;        // rows played from the first order to the end of the last
    int speed = 6;       // ticks per row
    int tickRate = 50;   // ticks per second
    int ticks() const { return rows * speed; }
    double seconds() const { return double(ticks()) / tickRate; }
};

// The classic periods of notes 12 ... 47 (octaves 1 to 3); 0 outside them.
int ClassicPeriod(int note);

// Translates one track into its cells, one per row. False with a message
// when a token cannot be read.
bool ParseTrack(const std::string& text, const SongScore& song, int channel, std::vector<ModCell>& cells,
                std::string& error);

// Builds every pattern the orders name, sets speed and tempo on the first
// row, ends a pattern shorter than 64 rows with a pattern break, and closes
// the last order with a position jump to the loop order.
bool ComposeSong(const SongScore& song, ComposedSong& composed, std::string& error);

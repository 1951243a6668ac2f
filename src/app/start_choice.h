#pragma once
// What the command line asks the program to show first: the cover, a named
// template ("ARG:intro"), or a game resumed at a level ("ARG:",
// "ARG:Level:3,Score:120,Lifes:2", which may add ",Music:5200,Song:81723"
// for music that plays on). "ARG:" may stand anywhere in the line.

#include <string>

struct StartChoice {
    // A resumed game's numbers are kept within these (level from 1, the
    // others from 0).
    static constexpr int kMaxLevel = 1000;
    static constexpr int kMaxScore = 999999999;
    static constexpr int kMaxLives = 1000;

    enum class Kind { Cover, Template, Resume };
    Kind kind = Kind::Cover;
    bool hasArg = false;
    std::u16string templateName;  // "%s.properties" of the text after "ARG:"
    int level = 1;
    int score = 0;
    int lives = 0;
    // Where the last level left its song ("Music:" milliseconds into it,
    // "Song:" the module's identity), so that the music plays on; 0 for none.
    int musicMs = 0;
    int song = 0;
    // "Demo:1": the built-in player plays the level to show the game, and any
    // input returns to the cover.
    bool demo = false;
    // "level%d" with ((level - 1) mod 10) + 1: levels repeat the first ten folders.
    std::u16string levelFolder;
};

StartChoice ParseStartChoice(const std::u16string& commandLine);
std::u16string LevelFolderName(int level);

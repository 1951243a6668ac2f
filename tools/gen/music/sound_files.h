#pragma once
// Every sound file the game plays: the effects as WAV files and the songs as
// modules, with names relative to the resource folder.

#include <cstdint>
#include <string>
#include <vector>

struct SoundFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

// The effects: "bang" as 16-bit PCM, "killed" as mono MS-ADPCM,
// "ghostKilled" as 8-bit PCM, "goodtime" as 16-bit stereo PCM and
// "eatspecial" as stereo MS-ADPCM, so that every reading path is used.
std::vector<SoundFile> MakeEffectFiles();

// The songs. False with a message when a score does not compose.
bool MakeSongFiles(std::vector<SoundFile>& files, std::string& error);

// Writes both into `outputDir`, creating sub-folders. False with a message on stderr.
bool WriteSoundFiles(const std::string& outputDir);

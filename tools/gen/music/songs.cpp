#include "music/songs.h"

#include "music/instruments.h"

std::vector<DrumSound> StandardDrumKit() {
    return {{'k', kKick, 24}, {'s', kSnare, 36}, {'h', kClosedHat, 36}, {'o', kOpenHat, 36}, {'x', kCrash, 36}};
}

SongScore StandardScore(const std::string& title, int bpm, int speed) {
    SongScore score;
    score.title = title;
    score.bpm = bpm;
    score.speed = speed;
    score.instruments = {kKick, kBass, kLead, kChord};
    score.drums = StandardDrumKit();
    return score;
}

void AddDrumSamples(std::vector<ModSample>& samples) {
    samples.push_back(MakeKick(64));
    samples.push_back(MakeSnare(50));
    samples.push_back(MakeHat(false, 30));
    samples.push_back(MakeHat(true, 26));
    samples.push_back(MakeCrash(34));
}

std::string Repeat(const std::string& phrase, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += phrase + " ";
    return out;
}

std::vector<Song> GameSongs() { return {LanternRun(), CatacombChase(), SkywardSpiral(), HallOfNames(), NightGate()}; }

bool BuildSongModule(const Song& song, ComposedSong& composed, std::string& error) {
    if (!ComposeSong(song.score, composed, error)) return false;
    composed.module.samples = song.samples;
    return true;
}

#include "music/sound_files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "music/effects.h"
#include "music/songs.h"
#include "music/wav_file.h"

namespace {

// Block sizes as common encoders choose them for the rate: 512 bytes per
// channel at 22050 Hz.
constexpr int kAdpcmBlockPerChannel = 512;

std::vector<uint8_t> AdpcmWav(const Signal& interleaved, int channels, int rate) {
    std::vector<int16_t> samples = ToSigned16(interleaved);
    MsAdpcmEncoding encoding = EncodeMsAdpcm(samples, channels, kAdpcmBlockPerChannel * channels);
    return EncodeWavMsAdpcm(encoding, rate, uint32_t(samples.size() / size_t(channels)));
}

}  // namespace

std::vector<SoundFile> MakeEffectFiles() {
    return {
        {"bang.wav", EncodeWavPcm16(ToSigned16(LandingThud()), 1, kEffectRate)},
        {"killed.wav", AdpcmWav(CaughtWail(), 1, kEffectRate)},
        {"ghostKilled.wav", EncodeWavPcm8(ToUnsigned8(GhostZap()), 1, kSmallEffectRate)},
        {"goodtime.wav", EncodeWavPcm16(ToSigned16(Interleave(PowerUpChime())), 2, kEffectRate)},
        {"eatspecial.wav", AdpcmWav(Interleave(ExtraLifeFanfare()), 2, kEffectRate)},
        {"eat.wav", EncodeWavPcm16(ToSigned16(EatBlip()), 1, kEffectRate)},
        {"levelclear.wav", AdpcmWav(Interleave(ClearJingle()), 2, kEffectRate)},
    };
}

bool MakeSongFiles(std::vector<SoundFile>& files, std::string& error) {
    for (const Song& song : GameSongs()) {
        ComposedSong composed;
        if (!BuildSongModule(song, composed, error)) return false;
        files.push_back({song.fileName, EncodeModule(composed.module)});
    }
    return true;
}

bool WriteSoundFiles(const std::string& outputDir) {
    std::vector<SoundFile> files = MakeEffectFiles();
    std::string error;
    if (!MakeSongFiles(files, error)) {
        std::fprintf(stderr, "karrowen-gen: %s\n", error.c_str());
        return false;
    }
    for (const SoundFile& file : files) {
        std::filesystem::path path = std::filesystem::path(outputDir) / file.name;
        std::error_code ignored;
        std::filesystem::create_directories(path.parent_path(), ignored);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.bytes.data()), std::streamsize(file.bytes.size()));
        if (!out) {
            std::fprintf(stderr, "karrowen-gen: cannot write %s\n", path.string().c_str());
            return false;
        }
    }
    return true;
}

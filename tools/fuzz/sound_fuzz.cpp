// libFuzzer target: WAV and module loading from memory, then a few seconds of
// mixing of whatever loaded. The first byte chooses the reader and the output.
//
// Mode byte: bit 0 module (else WAV), bit 1 stereo output, bit 2 16-bit output,
// bit 3 loop the sound, bits 4-5 play it at half, double or four times its rate.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "sound/mod_sound.h"
#include "sound/sound_mixer.h"
#include "sound/wave_sound.h"

namespace {

constexpr int kRate = 8000;
constexpr int kSeconds = 3;

SoundMixer& MixerFor(bool stereo, bool sixteenBit) {
    static SoundMixer* mixers[4] = {};
    SoundMixer*& mixer = mixers[(stereo ? 1 : 0) + (sixteenBit ? 2 : 0)];
    if (!mixer) {
        mixer = new SoundMixer;
        mixer->initOffline(kRate, sixteenBit ? 16 : 8, stereo, 2, 8);
    }
    return *mixer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t mode = data[0];
    ++data;
    --size;

    std::unique_ptr<SoundBase> sound;
    if (mode & 1) {
        auto module = std::make_unique<ModSound>();
        if (module->loadFromMemory(data, size) != kSoundOk) return 0;
        sound = std::move(module);
    } else {
        auto wave = std::make_unique<WaveSound>();
        if (wave->loadFromMemory(data, size) != kSoundOk) return 0;
        sound = std::move(wave);
    }
    static const int kRateShift[4] = {0, -1, 1, 2};
    int shift = kRateShift[(mode >> 4) & 3];
    sound->frequency = shift < 0 ? sound->frequency / 2 : sound->frequency << shift;
    sound->loop = (mode & 8) != 0;

    SoundMixer& mixer = MixerFor((mode & 2) != 0, (mode & 4) != 0);
    mixer.play(sound.get(), kPlayAnyVoice);
    if (sound->kind == SoundKind::Sample) mixer.play(sound.get(), kPlayAnyVoice);
    std::vector<uint8_t> buffer(size_t(kRate) * 30 / 1000 * 4);
    for (int i = 0; i < kSeconds * 1000 / 30 && mixer.isPlaying(sound.get()); ++i)
        mixer.render(buffer.data(), buffer.size());
    mixer.stopAll();
    return 0;
}

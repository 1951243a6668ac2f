#include "sound/voice.h"

namespace {

struct Frame {
    int left;
    int right;
};

// Sample values scaled to 16 bits; mono data repeats its value on the right.
inline Frame ReadFrame(const Voice& voice, int64_t index) {
    if (voice.eightBit) {
        const uint8_t* p = voice.data + (voice.stereo ? index * 2 : index);
        int left = (p[0] - 128) * 256;
        return {left, voice.stereo ? (p[1] - 128) * 256 : left};
    }
    const uint8_t* p = voice.data + (voice.stereo ? index * 4 : index * 2);
    int left = int16_t(uint16_t(p[0] | (p[1] << 8)));
    return {left, voice.stereo ? int16_t(uint16_t(p[2] | (p[3] << 8))) : left};
}

}  // namespace

void MixVoice(Voice& voice, int32_t* mix, int frames, bool stereoOutput) {
    const int volume = voice.volume;
    // Gains for a pan away from the centre; at the centre each side takes the
    // volume as it is.
    const bool centred = voice.pan == 128;
    const int rightGain = 2 * volume * voice.pan / 256;
    const int leftGain = 2 * volume - rightGain;
    int64_t position = voice.position;
    if (voice.end <= 0) {
        voice.active = false;
        return;
    }
    for (int i = 0; i < frames; ++i) {
        Frame f = ReadFrame(voice, position >> 8);
        if (!stereoOutput) {
            mix[i] += volume * f.left;
            if (voice.stereo) mix[i] += volume * f.right;
        } else if (centred) {
            mix[2 * i] += volume * f.left;
            mix[2 * i + 1] += volume * f.right;
        } else {
            mix[2 * i] += leftGain * f.left;
            mix[2 * i + 1] += rightGain * f.right;
        }
        position += voice.step;
        if (position >= voice.end) {
            if (!voice.loop) {
                voice.active = false;
                break;
            }
            position %= voice.end;
        }
    }
    voice.position = position;
}

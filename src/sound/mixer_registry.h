#pragma once
// Internal link between sounds and the live mixers.

class SoundBase;

// Stops, on every live mixer, each voice and module player that plays `sound`.
void ForgetSoundInMixers(const SoundBase* sound);

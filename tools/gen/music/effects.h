#pragma once
// The game's sound effects, synthesised. Each keeps nearly all its energy
// below 4 kHz so that it stays clear when the game mixes at 8000 Hz, and fades
// in and out within a few milliseconds so that it never clicks.

#include <cstdint>
#include <vector>

#include "music/synth.h"

struct StereoSignal {
    Signal left, right;
};

constexpr int kEffectRate = 22050;
constexpr int kSmallEffectRate = 11025;

Signal LandingThud();        // "bang": a short, soft thump, kEffectRate
Signal CaughtWail();         // "killed": a wobbling fall and a low knock, kEffectRate
Signal GhostZap();           // "ghostKilled": a quick rising zap, kSmallEffectRate
StereoSignal PowerUpChime(); // "goodtime": a rising chime that swings across, kEffectRate
StereoSignal ExtraLifeFanfare();  // "eatspecial": a short fanfare on a held chord, kEffectRate
Signal EatBlip();            // "eat": a soft, short pluck for an ordinary item, kEffectRate
StereoSignal ClearJingle();  // "levelClear": a bright two-bar jingle for a cleared level, kEffectRate

// Interleaves two channels of equal length.
Signal Interleave(const StereoSignal& stereo);

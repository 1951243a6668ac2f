#include "sound/sound_base.h"

#include "sound/mixer_registry.h"

SoundBase::~SoundBase() { ForgetSoundInMixers(this); }

#include "sound/mod_player.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The module layout is the 31-instrument ProTracker one: a 20-byte title, 31
// sample headers of 30 bytes, song length and restart bytes, 128 orders, the
// format tag, then patterns of 64 rows of 4-byte cells per channel, then the
// sample data in header order. Effect semantics follow the classic players.

namespace {

constexpr size_t kSampleHeaderOffset = 20;
constexpr size_t kSampleHeaderBytes = 30;
constexpr size_t kSongLengthOffset = 950;
constexpr size_t kRestartOffset = 951;
constexpr size_t kOrderOffset = 952;
constexpr int kNoRestart = 127;
// Half the PAL Amiga colour clock: the sample rate of period 1, in Hz.
constexpr int64_t kPaulaClock = 3546895;

constexpr int kVibratoHalfSine[32] = {0,   24,  49,  74,  97,  120, 141, 161, 180, 197, 212, 224, 235, 244, 250, 253,
                                      255, 253, 250, 244, 235, 224, 212, 197, 180, 161, 141, 120, 97,  74,  49,  24};

uint16_t ReadU16Be(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }

}  // namespace

bool ModPlayer::start(const ModSound& module, const ModOutput& output, int masterVolume) {
    active = false;
    if (!module.hasData() || module.channels < 1 || module.channels > kMaxModuleChannels || !output.notes ||
        output.rate <= 0)
        return false;
    const std::vector<uint8_t>& bytes = module.moduleData();
    if (bytes.size() < kModulePatternOffset || bytes.size() > UINT32_MAX) return false;
    sound = &module;
    data_ = bytes.data();
    size_ = uint32_t(bytes.size());
    output_ = output;
    channelCount_ = module.channels;

    std::memcpy(orders_, data_ + kOrderOffset, kOrderEntries);
    songLength_ = std::clamp<int>(data_[kSongLengthOffset], 1, kOrderEntries);
    int restart = data_[kRestartOffset];
    restartOrder_ = (restart != kNoRestart && restart < songLength_) ? restart : 0;
    readSampleTable();

    loop_ = module.loop;
    frequency_ = module.frequency > 0 ? module.frequency : 44100;
    speed = 6;
    tickRate = 50;
    updateSamplesPerTick();
    tickFramesLeft_ = 0;
    tick_ = 0;
    started_ = false;
    delayRepeats_ = 0;
    jumpRequested_ = breakRequested_ = loopRequested_ = false;
    enterOrder(0, 0);
    framesPlayed = 0;

    for (ModChannel& channel : channels_) channel = ModChannel{};
    playerVolume_ = masterVolume * module.volume / 64;
    setPan(module.pan);
    paused = false;
    active = true;
    return true;
}

void ModPlayer::readSampleTable() {
    int patternCount = 1 + *std::max_element(orders_, orders_ + kOrderEntries);
    uint64_t offset = kModulePatternOffset + uint64_t(patternCount) * kPatternRows * uint64_t(channelCount_) * 4;
    samples_[0] = ModSampleInfo{};
    for (int i = 1; i <= kModuleSamples; ++i) {
        const uint8_t* header = data_ + kSampleHeaderOffset + size_t(i - 1) * kSampleHeaderBytes;
        uint64_t declared = uint64_t(ReadU16Be(header + 22)) * 2;
        ModSampleInfo& info = samples_[i];
        info = ModSampleInfo{};
        info.finetune = header[24] & 0x0F;
        info.volume = std::min<int>(header[25], 64);
        uint64_t available = offset < size_ ? size_ - offset : 0;
        info.start = uint32_t(std::min<uint64_t>(offset, size_));
        info.length = uint32_t(std::min(declared, available));
        offset += declared;

        uint32_t loopStart = uint32_t(ReadU16Be(header + 26)) * 2;
        uint32_t loopWords = ReadU16Be(header + 28);
        // A loop of one word or less means no loop; a loop beyond the data is cut to it.
        if (loopWords > 1 && loopStart < info.length) {
            uint32_t loopEnd = std::min(loopStart + loopWords * 2, info.length);
            if (loopEnd - loopStart >= 2) {
                info.loopStart = loopStart;
                info.loopLength = loopEnd - loopStart;
            }
        }
    }
}

void ModPlayer::updateSamplesPerTick() {
    int64_t frames = int64_t(output_.rate) * 44100 / (int64_t(frequency_) * tickRate);
    samplesPerTick_ = int(std::clamp<int64_t>(frames, 1, INT32_MAX));
}

void ModPlayer::setMasterVolume(int masterVolume) {
    if (!sound) return;
    playerVolume_ = masterVolume * sound->volume / 64;
    for (int c = 0; c < channelCount_; ++c) updateOutputVolume(channels_[c]);
}

void ModPlayer::setPan(int pan) {
    int spread = ((255 - pan) * 64) / 256;
    for (int c = 0; c < kMaxModuleChannels; ++c) channels_[c].pan = (c % 2 == 0) ? spread + 64 : 192 - spread;
}

// ---- Sequencer ------------------------------------------------------------------

bool ModPlayer::nextTick() {
    if (!started_) {
        started_ = true;
        startRow();
        return true;
    }
    if (++tick_ < speed) {
        runTickEffects();
        return true;
    }
    tick_ = 0;
    if (delayRepeats_ > 0) {
        // A pattern delay repeats the row's ticks without its notes.
        --delayRepeats_;
        runTickEffects();
        return true;
    }
    if (!advanceRow()) return false;
    startRow();
    return true;
}

bool ModPlayer::advanceRow() {
    if (loopRequested_) {
        loopRequested_ = jumpRequested_ = breakRequested_ = false;
        row = loopTargetRow_;
        return true;
    }
    if (jumpRequested_ || breakRequested_) {
        bool jump = jumpRequested_;
        int target = jump ? jumpOrder_ : order + 1;
        int targetRow = breakRequested_ ? breakRow_ : 0;
        jumpRequested_ = breakRequested_ = false;
        if (jump && target <= order && !loop_) return false;  // a backward jump ends a module that does not loop
        if (target >= songLength_) return loop_ && enterOrder(restartOrder_, targetRow);
        return enterOrder(target, targetRow);
    }
    if (++row < kPatternRows) return true;
    if (order + 1 >= songLength_) return loop_ && enterOrder(restartOrder_, 0);
    return enterOrder(order + 1, 0);
}

bool ModPlayer::enterOrder(int newOrder, int newRow) {
    order = newOrder;
    pattern = orders_[newOrder];
    row = std::clamp(newRow, 0, kPatternRows - 1);
    return true;
}

const uint8_t* ModPlayer::cell(int channel) const {
    uint64_t offset =
        kModulePatternOffset + ((uint64_t(pattern) * kPatternRows + uint64_t(row)) * uint64_t(channelCount_) + uint64_t(channel)) * 4;
    return offset + 4 <= size_ ? data_ + offset : nullptr;  // patterns beyond the file are empty
}

void ModPlayer::startRow() {
    for (int c = 0; c < channelCount_; ++c) startChannelRow(channels_[c], cell(c));
}

int ModPlayer::periodOf(const ModChannel& channel, int note) const {
    return kModulePeriods[samples_[channel.sample].finetune][std::clamp(note, 0, kPeriodNotes - 1)];
}

void ModPlayer::startChannelRow(ModChannel& channel, const uint8_t* cellData) {
    static const uint8_t kEmpty[4] = {};
    const uint8_t* c = cellData ? cellData : kEmpty;
    int sampleNumber = (c[0] & 0xF0) | (c[2] >> 4);
    int period = ((c[0] & 0x0F) << 8) | c[1];
    channel.effect = c[2] & 0x0F;
    channel.param = c[3];
    channel.cutCounter = -1;
    channel.delayCounter = -1;

    if (sampleNumber >= 1 && sampleNumber <= kModuleSamples) {
        channel.sample = sampleNumber;
        channel.volume = samples_[sampleNumber].volume;
    }
    if (channel.effect == 0x9 && channel.param != 0) channel.sampleOffset = int64_t(channel.param) * 256;
    // Whatever vibrato or arpeggio did last row, the row starts from the stored period.
    setPlayedPeriod(channel, channel.period);

    bool hasNote = period != 0;
    if (hasNote) {
        int note = output_.notes->noteOf(period);
        bool tonePortamento = channel.effect == 0x3 || channel.effect == 0x5;
        bool delayed = channel.effect == 0xE && (channel.param >> 4) == 0xD && (channel.param & 0x0F) != 0;
        if (tonePortamento) {
            // The note becomes the channel's note (later slides and arpeggios
            // count from it); only its period is reached by sliding.
            channel.note = note;
            channel.portaTarget = periodOf(channel, note);
        } else if (delayed) {
            channel.heldNote = note;
            channel.delayCounter = channel.param & 0x0F;
        } else {
            triggerNote(channel, note);
        }
    }
    startRowEffect(channel, hasNote);
    updateOutputVolume(channel);
}

void ModPlayer::startRowEffect(ModChannel& channel, bool hasNote) {
    const int x = channel.param >> 4;
    const int y = channel.param & 0x0F;
    switch (channel.effect) {
    case 0x0:
        if (channel.param != 0) {
            channel.arpeggioPeriods[0] = channel.period;
            channel.arpeggioPeriods[1] = periodOf(channel, channel.note + x);
            channel.arpeggioPeriods[2] = periodOf(channel, channel.note + y);
            channel.arpeggioCounter = 0;
        }
        break;
    case 0x3:
    case 0x5:
        if (!hasNote && channel.portaTarget == 0) channel.portaTarget = periodOf(channel, channel.note);
        if (channel.effect == 0x3) {
            if (channel.param != 0) channel.portaSpeed = channel.param;
            break;
        }
        [[fallthrough]];
    case 0x6:
    case 0xA:
        channel.volumeSlide = channel.param == 0 ? 0 : (x != 0 ? x : -y);
        break;
    case 0x4:
        if (channel.param != 0) {
            channel.vibratoSpeed = x;
            channel.vibratoDepth = y;
            channel.vibratoPosition = 0;
        }
        break;
    case 0xB:
        jumpRequested_ = true;
        jumpOrder_ = channel.param;
        break;
    case 0xC:
        channel.volume = std::min(channel.param, 64);
        break;
    case 0xD:
        breakRequested_ = true;
        breakRow_ = x * 10 + y;
        if (breakRow_ >= kPatternRows) breakRow_ = 0;
        break;
    case 0xE:
        switch (x) {
        case 0x6:
            if (y == 0) {
                channel.loopRow = row;
                break;
            }
            // The first pass arms the count; each later pass uses one up.
            channel.loopCount = channel.loopCount == 0 ? y : channel.loopCount - 1;
            if (channel.loopCount != 0) {
                loopRequested_ = true;
                loopTargetRow_ = channel.loopRow;
            }
            break;
        case 0xA: channel.volume = std::min(channel.volume + y, 64); break;
        case 0xB: channel.volume = std::max(channel.volume - y, 0); break;
        case 0xC:
            if (y == 0) channel.volume = 0;
            else channel.cutCounter = y;
            break;
        case 0xE:
            if (delayRepeats_ == 0) delayRepeats_ = y;
            break;
        default: break;
        }
        break;
    case 0xF:
        if (channel.param > 32) {
            tickRate = channel.param * 2 / 5;
            updateSamplesPerTick();
        } else if (channel.param != 0) {
            speed = channel.param;
        }
        break;
    default: break;
    }
}

void ModPlayer::runTickEffects() {
    for (int c = 0; c < channelCount_; ++c) runChannelTick(channels_[c]);
}

void ModPlayer::runChannelTick(ModChannel& channel) {
    const int x = channel.param >> 4;
    switch (channel.effect) {
    case 0x0:
        if (channel.param != 0) {
            channel.arpeggioCounter = (channel.arpeggioCounter + 1) % 3;
            setPlayedPeriod(channel, channel.arpeggioPeriods[channel.arpeggioCounter]);
        }
        break;
    case 0x1:
        if (channel.period == 0) break;
        channel.period = std::max(channel.period - channel.param, kShortestSlidePeriod);
        setPlayedPeriod(channel, channel.period);
        break;
    case 0x2:
        if (channel.period == 0) break;
        channel.period = std::min(channel.period + channel.param, kLongestPeriod);
        setPlayedPeriod(channel, channel.period);
        break;
    case 0x3:
    case 0x5:
        if (channel.portaTarget != 0 && channel.period != 0) {
            if (channel.period < channel.portaTarget)
                channel.period = std::min(channel.period + channel.portaSpeed, channel.portaTarget);
            else
                channel.period = std::max(channel.period - channel.portaSpeed, channel.portaTarget);
            if (channel.period == channel.portaTarget) channel.portaTarget = 0;
            setPlayedPeriod(channel, channel.period);
        }
        if (channel.effect == 0x5) slideVolume(channel);
        break;
    case 0x4:
    case 0x6: {
        int p = channel.vibratoPosition;
        int swing = (kVibratoHalfSine[p & 31] * channel.vibratoDepth) >> 7;
        if (channel.period != 0) setPlayedPeriod(channel, p < 32 ? channel.period + swing : channel.period - swing);
        channel.vibratoPosition += channel.vibratoSpeed;
        if (channel.vibratoPosition >= 64) channel.vibratoPosition -= 64;
        if (channel.effect == 0x6) slideVolume(channel);
        break;
    }
    case 0xA:
        slideVolume(channel);
        break;
    case 0xE:
        if (x == 0xC && channel.cutCounter > 0 && --channel.cutCounter == 0) {
            channel.volume = 0;
            updateOutputVolume(channel);
        } else if (x == 0xD && channel.delayCounter > 0 && --channel.delayCounter == 0) {
            triggerNote(channel, channel.heldNote);
        }
        break;
    default: break;
    }
}

void ModPlayer::triggerNote(ModChannel& channel, int note) {
    channel.note = std::clamp(note, 0, kPeriodNotes - 1);
    channel.period = periodOf(channel, channel.note);
    setPlayedPeriod(channel, channel.period);
    channel.playingSample = channel.sample;
    const ModSampleInfo& info = samples_[channel.playingSample];
    uint32_t end = info.loopLength ? info.loopStart + info.loopLength : info.length;
    int64_t offset = channel.effect == 0x9 ? channel.sampleOffset : 0;
    channel.playing = channel.playingSample != 0 && end > 0;
    if (!channel.playing) return;
    if (offset < int64_t(end)) {
        channel.position = offset << 16;
    } else if (info.loopLength) {
        channel.position = int64_t(info.loopStart) << 16;  // an offset past the end starts the loop
    } else {
        channel.playing = false;
    }
}

void ModPlayer::setPlayedPeriod(ModChannel& channel, int period) {
    channel.playedPeriod = period;
    channel.step = period > 0 ? (kPaulaClock << 16) / (int64_t(period) * output_.rate) : 0;
}

void ModPlayer::slideVolume(ModChannel& channel) {
    channel.volume = std::clamp(channel.volume + channel.volumeSlide, 0, 64);
    updateOutputVolume(channel);
}

void ModPlayer::updateOutputVolume(ModChannel& channel) { channel.outputVolume = (channel.volume * playerVolume_) >> 6; }

// ---- Mixing ------------------------------------------------------------------------

namespace {

constexpr int kLanesMixedTogether = 4;

// One playing channel during one mix call (left uninitialised: a mix call
// fills only the lanes it uses). Positions are 16.16 frames from the start of
// the module data, so that every lane reads from the same base.
struct MixLane {
    ModChannel* channel;
    int64_t sampleStart;  // the sample's first frame, 16.16
    int64_t position;
    int64_t step;
    int64_t end;
    int64_t loopStart;
    int64_t loopLength;   // 0: no loop
    // Stereo: twice the left gain in the low 32 bits, twice the right gain in
    // the high ones, so one multiplication by a sample value gives both sides'
    // products (see MixLanes). Mono: the volume. Zero for a silent channel.
    int64_t gains;
};

// Adds `frames` frames of `lanes` to `out`; no lane reaches its end in them.
//
// A stereo lane's sample value times its gain pair is left product plus right
// product times 2^32. The sum starts from a bias of 128 times the left gains,
// which lifts the left sum to between 0 and 2^32 whatever the samples: so the
// low 32 bits of the sum are the lifted left sum and the high 32 bits the
// right sum, each exactly, and the two sides come apart by plain word moves.
template <int N, bool Stereo>
void MixLanes(const int8_t* data, const MixLane* lanes, int32_t* out, int frames) {
    int64_t position[N], step[N], gains[N];
    int64_t bias = 0;
    for (int c = 0; c < N; ++c) {
        position[c] = lanes[c].position;
        step[c] = lanes[c].step;
        gains[c] = lanes[c].gains;
        if (Stereo) bias += 128 * (gains[c] & 0xFFFFFFFF);
    }
    auto nextFrame = [&] {
        int64_t sum = bias;
#pragma GCC unroll 4
        for (int c = 0; c < N; ++c) {
            sum += gains[c] * data[position[c] >> 16];
            position[c] += step[c];
        }
        return sum;
    };
    int k = 0;
    if constexpr (Stereo) {
#if defined(__SSE2__)
        // Two frames' sums are the four output words, less the bias on the left ones.
        const __m128i unbias = _mm_set_epi32(0, int32_t(-bias), 0, int32_t(-bias));
        for (; k + 2 <= frames; k += 2) {
            const int64_t first = nextFrame();
            const __m128i sums = _mm_add_epi32(_mm_set_epi64x(nextFrame(), first), unbias);
            __m128i* to = reinterpret_cast<__m128i*>(out + 2 * k);
            _mm_storeu_si128(to, _mm_add_epi32(_mm_loadu_si128(to), sums));
        }
#endif
        for (; k < frames; ++k) {
            const int64_t sum = nextFrame();
            out[2 * k] += int32_t(uint32_t(sum)) - int32_t(bias);
            out[2 * k + 1] += int32_t(sum >> 32);
        }
    } else {
        for (; k < frames; ++k) out[k] += int32_t(nextFrame());
    }
}

template <bool Stereo>
void MixLanes(const int8_t* data, const MixLane* lanes, int count, int32_t* out, int frames) {
    switch (count) {
    case 1: MixLanes<1, Stereo>(data, lanes, out, frames); break;
    case 2: MixLanes<2, Stereo>(data, lanes, out, frames); break;
    case 3: MixLanes<3, Stereo>(data, lanes, out, frames); break;
    case 4: MixLanes<4, Stereo>(data, lanes, out, frames); break;
    default: break;
    }
}

// Mixes up to kLanesMixedTogether lanes into `mix` (null: only moves them on)
// for `frames` frames, wrapping each lane inside its loop and stopping a lane
// that runs out of data.
void MixLaneGroup(const int8_t* data, MixLane* lanes, int count, int32_t* mix, int frames, bool stereo) {
    for (int i = 0; i < frames && count > 0;) {
        // Checked before the read, so no path can leave a position outside the data.
        for (int c = 0; c < count;) {
            MixLane& lane = lanes[c];
            const bool beforeStart = lane.position < lane.sampleStart;
            if (lane.position >= lane.end || beforeStart) {
                if (lane.loopLength == 0 || beforeStart) {
                    lane.channel->playing = false;
                    lane.channel->position = lane.position - lane.sampleStart;
                    lane = lanes[--count];
                    continue;
                }
                lane.position = lane.loopStart + (lane.position - lane.loopStart) % lane.loopLength;
            }
            ++c;
        }
        // The frames in which every position stays inside its data need no check.
        int run = frames - i;
        for (int c = 0; c < count; ++c)
            if (lanes[c].step > 0)
                run = int(std::min<int64_t>(run, (lanes[c].end - lanes[c].position + lanes[c].step - 1) / lanes[c].step));
        if (mix) {
            int32_t* out = mix + (stereo ? 2 * i : i);
            if (stereo) MixLanes<true>(data, lanes, count, out, run);
            else MixLanes<false>(data, lanes, count, out, run);
        }
        for (int c = 0; c < count; ++c) lanes[c].position += lanes[c].step * run;
        i += run;
    }
    for (int c = 0; c < count; ++c) lanes[c].channel->position = lanes[c].position - lanes[c].sampleStart;
}

}  // namespace

template <typename Play>
void ModPlayer::runFrames(int64_t frames, Play&& play) {
    while (frames > 0 && active) {
        if (tickFramesLeft_ == 0) {
            if (!nextTick()) {
                active = false;
                return;
            }
            tickFramesLeft_ = samplesPerTick_;
        }
        const int count = int(std::min<int64_t>(frames, tickFramesLeft_));
        play(count);
        frames -= count;
        tickFramesLeft_ -= count;
        framesPlayed += count;
    }
}

void ModPlayer::mix(int32_t* mixBuffer, int frames) {
    const int outputChannels = output_.stereo ? 2 : 1;
    runFrames(frames, [&](int count) {
        mixChannels(mixBuffer, count);
        mixBuffer += count * outputChannels;
    });
}

void ModPlayer::skip(int64_t frames) {
    runFrames(frames, [&](int count) {
        for (int c = 0; c < channelCount_; ++c) skipChannel(channels_[c], count);
    });
}

// Where mixChannels would leave the channel after `frames` frames.
void ModPlayer::skipChannel(ModChannel& channel, int64_t frames) {
    if (!channel.playing) return;
    const ModSampleInfo& info = samples_[channel.playingSample];
    const int64_t end = int64_t(info.loopLength ? info.loopStart + info.loopLength : info.length) << 16;
    const int64_t loopStart = int64_t(info.loopStart) << 16;
    const int64_t loopLength = int64_t(info.loopLength) << 16;
    int64_t position = channel.position;
    if (position < 0) {
        channel.playing = false;
        return;
    }
    position += channel.step * frames;
    if (position >= end) {
        if (loopLength == 0) {
            channel.playing = false;
            return;
        }
        position = loopStart + (position - loopStart) % loopLength;
    }
    channel.position = position;
}

// The channels are mixed together, up to four at a time, so that each output
// frame is read and written once for all of them, in stretches in which no
// channel reaches the end of its data.
void ModPlayer::mixChannels(int32_t* mixBuffer, int frames) {
    MixLane audible[kMaxModuleChannels], silent[kMaxModuleChannels];
    int audibleCount = 0, silentCount = 0;
    for (int c = 0; c < channelCount_; ++c) {
        ModChannel& channel = channels_[c];
        if (!channel.playing) continue;
        const ModSampleInfo& info = samples_[channel.playingSample];
        MixLane lane;
        lane.channel = &channel;
        lane.sampleStart = int64_t(info.start) << 16;
        lane.position = lane.sampleStart + channel.position;
        lane.step = channel.step;
        lane.end = lane.sampleStart + (int64_t(info.loopLength ? info.loopStart + info.loopLength : info.length) << 16);
        lane.loopStart = lane.sampleStart + (int64_t(info.loopStart) << 16);
        lane.loopLength = int64_t(info.loopLength) << 16;
        const int volume = channel.outputVolume;
        const int right = volume * channel.pan / 256;
        const int left = volume - right;
        lane.gains = output_.stereo ? int64_t(left * 2) | int64_t(right * 2) << 32 : int64_t(volume);
        if (lane.gains != 0) audible[audibleCount++] = lane;
        else silent[silentCount++] = lane;
    }
    const int8_t* data = reinterpret_cast<const int8_t*>(data_);
    for (int first = 0; first < audibleCount; first += kLanesMixedTogether)
        MixLaneGroup(data, audible + first, std::min(kLanesMixedTogether, audibleCount - first), mixBuffer, frames,
                     output_.stereo);
    for (int i = 0; i < silentCount; ++i) MixLaneGroup(data, silent + i, 1, nullptr, frames, output_.stereo);
}

#pragma once
// One playing tracker module, internal to the mixer: the sequencer (rows,
// ticks, effects, song end) and the mixing of its channels. Everything read
// from the module is bounds-checked, since the file is untrusted.

#include <cstdint>

#include "sound/mod_sound.h"
#include "sound/period_table.h"

constexpr int kModuleSamples = 31;
constexpr int kPatternRows = 64;
constexpr int kOrderEntries = 128;

struct ModSampleInfo {
    uint32_t start = 0;       // byte offset of the sample data in the module
    uint32_t length = 0;      // bytes present in the file
    uint32_t loopStart = 0;   // bytes
    uint32_t loopLength = 0;  // bytes; 0: no loop
    int volume = 0;           // 0 ... 64
    int finetune = 0;         // row of the period table
};

struct ModChannel {
    int sample = 0;           // the instrument for the next note: 1 ... 31, 0 for none
    int playingSample = 0;    // the sample whose data is sounding
    bool playing = false;
    int64_t position = 0;     // 16.16 frames into the sample
    int64_t step = 0;         // 16.16 frames per output frame
    int volume = 0;           // 0 ... 64
    int outputVolume = 0;     // volume scaled by the player volume
    int pan = 128;
    int period = 0;           // the stored period
    int playedPeriod = 0;     // the period sounding now (vibrato and arpeggio vary it)
    int note = 0;             // index into the period table rows
    int effect = 0;
    int param = 0;

    int arpeggioPeriods[3] = {};
    int arpeggioCounter = 0;
    int portaTarget = 0;      // 0: unset
    int portaSpeed = 0;
    int vibratoSpeed = 0;
    int vibratoDepth = 0;
    int vibratoPosition = 0;  // 0 ... 63
    int volumeSlide = 0;      // per tick, signed
    int64_t sampleOffset = 0; // frames, remembered from effect 9
    int loopRow = 0;          // pattern loop start and count (E6)
    int loopCount = 0;
    int cutCounter = -1;      // ticks until the note cut, -1: none
    int delayCounter = -1;    // ticks until the held note starts, -1: none
    int heldNote = 0;
};

// Facts of the mixer output a player needs.
struct ModOutput {
    int rate = 8000;
    bool stereo = false;
    const NoteLookup* notes = nullptr;
};

class ModPlayer {
public:
    // Starts the module from its first order. False when the module holds no
    // usable data.
    bool start(const ModSound& sound, const ModOutput& output, int masterVolume);
    void stop() { active = false; }
    // Adds `frames` frames of the module to `mix` (interleaved when the output
    // is stereo), running the sequencer on every tick boundary. The player
    // becomes inactive when the song ends.
    void mix(int32_t* mix, int frames);
    // Plays `frames` frames silently: the sequencer and every channel's
    // position move on exactly as `mix` would move them, at a cost per tick
    // rather than per frame. A song resumes this way where it was.
    void skip(int64_t frames);
    void setMasterVolume(int masterVolume);
    void setPan(int pan);
    const ModChannel& channel(int index) const { return channels_[index]; }
    int samplesPerTick() const { return samplesPerTick_; }

    bool active = false;
    bool paused = false;
    const ModSound* sound = nullptr;

    // Song position and timing, readable for tools and tests.
    int order = 0;
    int pattern = 0;
    int row = 0;
    int speed = 6;            // ticks per row
    int tickRate = 50;        // ticks per second
    int64_t framesPlayed = 0;

private:
    void readSampleTable();
    void updateSamplesPerTick();
    bool nextTick();          // false when the song has ended
    bool advanceRow();
    bool enterOrder(int newOrder, int newRow);
    void startRow();
    void startChannelRow(ModChannel& channel, const uint8_t* cell);
    void startRowEffect(ModChannel& channel, bool hasNote);
    void runTickEffects();
    void runChannelTick(ModChannel& channel);
    void triggerNote(ModChannel& channel, int note);
    void setPlayedPeriod(ModChannel& channel, int period);
    void slideVolume(ModChannel& channel);
    void updateOutputVolume(ModChannel& channel);
    int periodOf(const ModChannel& channel, int note) const;
    const uint8_t* cell(int channel) const;
    void mixChannels(int32_t* mix, int frames);
    void skipChannel(ModChannel& channel, int64_t frames);
    // Runs the sequencer over `frames` frames, handing each stretch within
    // one tick to `play`.
    template <typename Play>
    void runFrames(int64_t frames, Play&& play);

    const uint8_t* data_ = nullptr;
    uint32_t size_ = 0;
    ModOutput output_;
    int channelCount_ = 0;
    ModSampleInfo samples_[kModuleSamples + 1];
    ModChannel channels_[kMaxModuleChannels];
    uint8_t orders_[kOrderEntries] = {};
    int songLength_ = 1;
    int restartOrder_ = 0;
    bool loop_ = false;
    int playerVolume_ = 64;
    int frequency_ = 44100;

    int samplesPerTick_ = 1;
    int tickFramesLeft_ = 0;
    int tick_ = 0;
    bool started_ = false;
    int delayRepeats_ = 0;    // pattern delay: times the current row repeats

    // Row-end requests from B, D and E6.
    bool jumpRequested_ = false;
    int jumpOrder_ = 0;
    bool breakRequested_ = false;
    int breakRow_ = 0;
    bool loopRequested_ = false;
    int loopTargetRow_ = 0;
};

#pragma once
// Where a canvas keeps its sounds: the store owns every sound loaded for the
// canvas, by lower-cased file name, so template entries naming the same file
// share one sound; the table maps template entry names to those sounds.

#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "sound/sound_base.h"

class SoundStore {
public:
    SoundStore() = default;
    SoundStore(const SoundStore&) = delete;
    SoundStore& operator=(const SoundStore&) = delete;

    // The sound stored under this lower-cased name, or null.
    SoundBase* find(const std::u16string& lowerCaseName) const;
    SoundBase* add(const std::u16string& lowerCaseName, std::unique_ptr<SoundBase> sound);
    // Destroys every sound; any voice still playing one is stopped first.
    void clear();
    size_t size() const { return sounds_.size(); }
    // Whether the last loadSound was answered from the store.
    bool lastWasCached = false;

private:
    std::unordered_map<std::u16string, std::unique_ptr<SoundBase>> sounds_;
};

// Lower-cases `fileName` in place, then returns the stored sound of that name
// or loads folder + fileName: a name containing ".wav" becomes a WaveSound, one
// containing ".mod" a ModSound, anything else gives null. A sound whose file
// failed to load is stored and returned all the same; it never plays.
SoundBase* loadSound(SoundStore& store, const std::u16string& folder, std::u16string& fileName);

// Template entry name -> sound, case as written; not owning. The first entry
// of a name wins a lookup.
class SoundTable {
public:
    void add(const std::u16string& name, SoundBase* sound) { entries_.emplace_back(name, sound); }
    SoundBase* find(const std::u16string& name) const;
    void clear() { entries_.clear(); }
    size_t size() const { return entries_.size(); }

private:
    std::vector<std::pair<std::u16string, SoundBase*>> entries_;
};

// The folder, a "\" unless it ends in "\" or "/", and the file name.
std::u16string SoundPath(const std::u16string& folder, const std::u16string& fileName);
// Reads a sound file whole through the resource layer. A missing file is
// reported in an "Exception" message box and gives false.
bool ReadSoundFile(const std::u16string& folder, const std::u16string& fileName, std::vector<uint8_t>& bytes);

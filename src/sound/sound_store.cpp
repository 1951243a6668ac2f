#include "sound/sound_store.h"

#include "data/resource.h"
#include "platform/host/host.h"
#include "sound/mod_sound.h"
#include "sound/wave_sound.h"

namespace {

// ASCII and Latin-1 letters; file names outside them keep their case.
void LowerCaseInPlace(std::u16string& text) {
    for (char16_t& c : text) {
        if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) c = char16_t(c + 32);
    }
}

}  // namespace

SoundBase* SoundStore::find(const std::u16string& lowerCaseName) const {
    auto it = sounds_.find(lowerCaseName);
    return it == sounds_.end() ? nullptr : it->second.get();
}

SoundBase* SoundStore::add(const std::u16string& lowerCaseName, std::unique_ptr<SoundBase> sound) {
    SoundBase* raw = sound.get();
    sounds_[lowerCaseName] = std::move(sound);
    return raw;
}

void SoundStore::clear() { sounds_.clear(); }

SoundBase* loadSound(SoundStore& store, const std::u16string& folder, std::u16string& fileName) {
    const std::u16string asWritten = fileName;
    LowerCaseInPlace(fileName);
    if (SoundBase* cached = store.find(fileName)) {
        store.lastWasCached = true;
        return cached;
    }
    store.lastWasCached = false;
    // The file is read under the name as written first: on a case-sensitive
    // file system the lower-cased key may not name it.
    std::unique_ptr<SoundBase> sound;
    if (fileName.find(u".wav") != std::u16string::npos) {
        auto wave = std::make_unique<WaveSound>();
        wave->load(folder, asWritten);
        sound = std::move(wave);
    } else if (fileName.find(u".mod") != std::u16string::npos) {
        auto module = std::make_unique<ModSound>();
        module->load(folder, asWritten);
        sound = std::move(module);
    } else {
        return nullptr;
    }
    return store.add(fileName, std::move(sound));
}

SoundBase* SoundTable::find(const std::u16string& name) const {
    for (const auto& [entryName, sound] : entries_)
        if (entryName == name) return sound;
    return nullptr;
}

std::u16string SoundPath(const std::u16string& folder, const std::u16string& fileName) {
    std::u16string path = folder;
    if (!path.empty() && path.back() != u'\\' && path.back() != u'/') path += u'\\';
    return path + fileName;
}

bool ReadSoundFile(const std::u16string& folder, const std::u16string& fileName, std::vector<uint8_t>& bytes) {
    std::u16string path = SoundPath(folder, fileName);
    std::optional<std::vector<uint8_t>> content = ReadResourceFile(path);
    if (!content) {
        host::MessageBox(nullptr, u"Error: can not find the sound / music '" + path + u"'.", u"Exception",
                         host::MB_OK | host::MB_ICONEXCLAMATION);
        return false;
    }
    bytes = std::move(*content);
    return true;
}

int WaveSound::load(const std::u16string& folder, const std::u16string& fileName) {
    clearData();
    std::vector<uint8_t> bytes;
    if (!ReadSoundFile(folder, fileName, bytes)) return kSoundMissingFile;
    return loadFromMemory(bytes.data(), bytes.size());
}

int ModSound::load(const std::u16string& folder, const std::u16string& fileName) {
    std::vector<uint8_t> bytes;
    if (!ReadSoundFile(folder, fileName, bytes)) {
        clearData();
        return kSoundMissingFile;
    }
    return loadFromMemory(bytes.data(), bytes.size());
}

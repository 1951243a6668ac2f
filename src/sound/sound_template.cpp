#include "sound/sound_template.h"

#include "data/property_file.h"
#include "sound/sound_store.h"

namespace {
// Longest file name a template may give, as for every path of the system.
constexpr size_t kMaxPath = 260;
}  // namespace

void ReadSoundEntry(PropertyFile& templateFile, const std::u16string& entryName, const std::u16string& templateDir,
                    SoundStore& store, SoundTable& table) {
    std::u16string source;
    if (!templateFile.getItemString(entryName, u"src", source, kMaxPath)) return;
    if (SoundBase* sound = loadSound(store, templateDir, source)) table.add(entryName, sound);
}

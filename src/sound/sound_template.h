#pragma once
// The template reader for entries of type "Sound" and "WaveSound".

#include <string>

class PropertyFile;
class SoundStore;
class SoundTable;

// Reads the entry's "src" (its only key) and, when present, loads that file
// relative to templateDir through the canvas's sound store and registers the
// sound in its sound table under the entry name. A "src" naming neither a
// ".wav" nor a ".mod" file registers nothing.
void ReadSoundEntry(PropertyFile& templateFile, const std::u16string& entryName, const std::u16string& templateDir,
                    SoundStore& store, SoundTable& table);

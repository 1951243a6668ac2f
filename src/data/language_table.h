#pragma once
// The language table: "LanguageTable.txt" maps text identifiers to the texts
// the player reads. Every caller passes its built-in English text as the
// default, used when the table or the identifier is missing.

#include <cstddef>
#include <cstdint>
#include <string_view>

class PropertyFile;

// Loads folder\name (from the folder or an archive) into the process-wide
// table, replacing an earlier table. When the file does not exist, any table
// already loaded stays. Blank lines are skipped and the first definition of an
// identifier counts.
void LoadLanguageTable(std::u16string_view folder, std::u16string_view name);
// The same for a table file already in memory (UTF-8).
void LoadLanguageTableBytes(const uint8_t* data, size_t size);
// The table's non-empty text for `identifier`, else `defaultText`. The view
// stays valid until the table is reloaded or freed.
std::u16string_view GetLanguageText(std::u16string_view identifier, std::u16string_view defaultText);
// Shut-down: frees the table; texts fall back to their defaults afterwards.
void FreeLanguageTable();
// The loaded table, or null.
const PropertyFile* LanguageTable();

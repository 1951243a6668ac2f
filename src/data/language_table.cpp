#include "data/language_table.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/data_state.h"
#include "data/property_file.h"
#include "data/resource.h"

namespace {

std::unique_ptr<PropertyFile>& Table() { return Data().languageTable; }

}  // namespace

void LoadLanguageTable(std::u16string_view folder, std::u16string_view name) {
    std::u16string path(folder);
    path.push_back(u'\\');
    path += name;
    // Read once: whether the file exists and what it holds.
    std::optional<std::vector<uint8_t>> bytes = ReadResourceFile(path);
    if (!bytes) return;
    LoadLanguageTableBytes(bytes->data(), bytes->size());
}

void LoadLanguageTableBytes(const uint8_t* data, size_t size) {
    auto& table = Table();
    if (table)
        table->reset();
    else
        table = std::make_unique<PropertyFile>(u'=', u',', u':');
    table->loadBytes(data, size, nullptr, true, true);
}

std::u16string_view GetLanguageText(std::u16string_view identifier, std::u16string_view defaultText) {
    const auto& table = Table();
    if (!table) return defaultText;
    const char16_t* text = table->getRaw(identifier);
    return text && *text ? std::u16string_view(text) : defaultText;
}

void FreeLanguageTable() { Table().reset(); }

const PropertyFile* LanguageTable() { return Table().get(); }

#include "data/language_table.h"

#include <memory>
#include <string>

#include "data/property_file.h"
#include "data/resource.h"

namespace {

std::unique_ptr<PropertyFile>& Table() {
    static std::unique_ptr<PropertyFile> table;
    return table;
}

}  // namespace

void LoadLanguageTable(std::u16string_view folder, std::u16string_view name) {
    std::u16string path(folder);
    path.push_back(u'\\');
    path += name;
    if (!ResourceExists(path)) return;
    auto& table = Table();
    if (table)
        table->reset();
    else
        table = std::make_unique<PropertyFile>(u'=', u',', u':');
    table->load(folder, name, nullptr, true, true);
}

std::u16string_view GetLanguageText(std::u16string_view identifier, std::u16string_view defaultText) {
    const auto& table = Table();
    if (!table) return defaultText;
    const char16_t* text = table->getRaw(identifier);
    return text && *text ? std::u16string_view(text) : defaultText;
}

void FreeLanguageTable() { Table().reset(); }

const PropertyFile* LanguageTable() { return Table().get(); }

// libFuzzer target for the language table: any bytes are loaded as the table
// (twice, as a reload does). Every identifier it defines must give its own
// one-line text, or the caller's default when that text is empty; identifiers
// it lacks give the default.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/language_table.h"
#include "data/property_file.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

constexpr std::u16string_view kDefault = u"\u2400default";

void CheckTable() {
    const PropertyFile* table = LanguageTable();
    Check(table != nullptr);
    for (const std::u16string& id : table->dataKeys()) {
        const std::u16string_view text = GetLanguageText(id, kDefault);
        const char16_t* raw = table->getRaw(id);
        Check(raw != nullptr);
        if (*raw == 0) {
            Check(text == kDefault);
            continue;
        }
        Check(text.data() == raw);
        // A lone carriage return is data; only a line feed ends a line.
        Check(text.find(u'\n') == std::u16string_view::npos);
    }
    for (const char16_t* id : {u"MG_POW", u"LD_LVL", u"QT_GM", u""})
        if (!table->getRaw(id)) Check(GetLanguageText(id, kDefault) == kDefault);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LoadLanguageTableBytes(data, size);
    CheckTable();
    const int32_t entries = LanguageTable()->count();
    LoadLanguageTableBytes(data, size);
    Check(LanguageTable()->count() == entries);
    CheckTable();
    FreeLanguageTable();
    Check(GetLanguageText(u"MG_POW", kDefault) == kDefault);
    return 0;
}

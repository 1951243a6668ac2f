// libFuzzer target for the properties reader: arbitrary bytes are loaded, every
// key is queried through the expanding, typed and list getters, a list item is
// rewritten, and the file is written out and read back. Besides memory and
// undefined-behaviour errors (the sanitizers), it checks the bookkeeping that
// write-back relies on.
//
// The first input byte holds the load flags (bit 0 skipEmptyLines, bit 1
// keepFirst); the rest is the file content.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/property_file.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

void QueryEverything(PropertyFile& file, const std::vector<std::u16string>& keys) {
    for (const std::u16string& key : keys) {
        const char16_t* value = file.get(key);
        Check(value != nullptr);
        file.getInt(key, 0);
        file.getFloat(key, 0.0f);
        file.getColour(key, 0);
        ItemList list = PropertyFile::parseList(value, file.listSeparator(), file.itemSeparator());
        // A few items per key reach every getter; all of them would make the
        // run quadratic in the value length without finding more.
        const size_t items = std::min<size_t>(list->keys().size(), 4);
        for (StringMap::Key item : std::vector<StringMap::Key>(list->keys().begin(), list->keys().begin() + items)) {
            // A self-referencing value grows on every get (up to the size
            // bound), so the item need not be there any more.
            const std::u16string name(static_cast<const char16_t*>(item));
            file.getItem(key, name);
            file.getItemInt(key, name, -1);
            file.getItemColour(key, name, 0);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool skipEmptyLines = data[0] & 1;
    const bool keepFirst = data[0] & 2;

    PropertyFile file;
    std::vector<std::u16string> keys;
    file.loadBytes(data + 1, size - 1, &keys, skipEmptyLines, keepFirst);
    Check(file.dataKeyCount() >= 0);
    Check(file.dataKeys().size() == size_t(file.dataKeyCount()));
    Check(file.map().keys().size() == size_t(file.count()));

    QueryEverything(file, keys);
    if (!keys.empty()) {
        const std::u16string key = keys.front();
        file.setItem(key, u"status", u"1");
        // Without references in the rewritten list, the item reads back as set.
        if (std::u16string_view(file.getRaw(key)).find(u'{') == std::u16string_view::npos)
            Check(file.getItem(key, u"status") == std::u16string(u"1"));
    }

    const int32_t pseudoEntries = file.count() - file.dataKeyCount();
    const std::u16string text = file.serialize();
    Check(file.count() - file.dataKeyCount() == pseudoEntries);
    PropertyFile reread;
    reread.loadText(text, nullptr, skipEmptyLines, keepFirst);
    return 0;
}

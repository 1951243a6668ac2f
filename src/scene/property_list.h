#pragma once
// The properties of one template entry ("type:Sprite, x:10, ..."), read with
// the same rules as the properties file's own getters.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/property_file.h"

class PropertyList {
public:
    PropertyList(std::u16string_view text, char16_t listSeparator = u',', char16_t itemSeparator = u':');

    bool has(std::u16string_view key) const;
    // The value, or nothing when the key is absent.
    std::optional<std::u16string> string(std::u16string_view key) const;
    // Missing or empty values give the default.
    int32_t integer(std::u16string_view key, int32_t defaultValue) const;
    bool boolean(std::u16string_view key, bool defaultValue) const;
    float number(std::u16string_view key, float defaultValue) const;
    uint32_t colour(std::u16string_view key, uint32_t defaultValue) const;
    // A length or position of the design, scaled to the screen.
    int32_t scaled(std::u16string_view key, int32_t defaultValue) const;

private:
    const char16_t* raw(std::u16string_view key) const;
    ItemList items_;
};

#include "scene/property_list.h"

#include "data/text_helpers.h"
#include "platform/device_info.h"

PropertyList::PropertyList(std::u16string_view text, char16_t listSeparator, char16_t itemSeparator)
    : items_(PropertyFile::parseList(text, listSeparator, itemSeparator)) {}

const char16_t* PropertyList::raw(std::u16string_view key) const {
    return items_ ? static_cast<const char16_t*>(items_->lookup(key)) : nullptr;
}

bool PropertyList::has(std::u16string_view key) const { return raw(key) != nullptr; }

std::optional<std::u16string> PropertyList::string(std::u16string_view key) const {
    const char16_t* value = raw(key);
    if (!value) return std::nullopt;
    return std::u16string(value);
}

int32_t PropertyList::integer(std::u16string_view key, int32_t defaultValue) const {
    return IntValueOr(raw(key), defaultValue);
}

bool PropertyList::boolean(std::u16string_view key, bool defaultValue) const {
    return BoolValueOr(raw(key), defaultValue);
}

float PropertyList::number(std::u16string_view key, float defaultValue) const {
    return FloatValueOr(raw(key), defaultValue);
}

uint32_t PropertyList::colour(std::u16string_view key, uint32_t defaultValue) const {
    return ColourValueOr(raw(key), defaultValue);
}

int32_t PropertyList::scaled(std::u16string_view key, int32_t defaultValue) const {
    const char16_t* value = raw(key);
    return value && *value ? ScaleToScreen(ParseLeadingInt(value)) : defaultValue;
}

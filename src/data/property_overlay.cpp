// The player's overlay of a shipped properties file: reading it over the
// shipped entries, writing what differs, and turning an earlier version's full
// copy into one.

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <initializer_list>

#include "data/file_io.h"
#include "data/property_file.h"
#include "data/resource.h"
#include "data/text_helpers.h"

namespace {

// Widgets keep what the player chose in these items of their entries; the
// rest of an earlier version's full copy is that version's own template.
constexpr std::initializer_list<std::u16string_view> kPlayerStateItems = {u"status", u"selected"};

std::u16string_view AsText(const void* text) { return std::u16string_view(static_cast<const char16_t*>(text)); }

bool RemoveFileIfPresent(const std::u16string& path) {
    return ::unlink(ToHostPath(path).c_str()) == 0 || errno == ENOENT;
}

}  // namespace

void PropertyFile::rememberShipped(const std::vector<std::u16string>& keys) {
    if (OverlayPath(path_, overlayKind_).empty()) return;
    for (const std::u16string& key : keys)
        if (const char16_t* value = getRaw(key)) shipped_[key] = value;
}

void PropertyFile::noteChange(std::u16string_view key, std::u16string_view item) {
    std::vector<std::u16string>& items = changes_[std::u16string(key)];
    if (item.empty()) {
        items.assign(1, std::u16string());
        return;
    }
    const bool wholeEntry = !items.empty() && items.front().empty();
    if (!wholeEntry && std::find(items.begin(), items.end(), item) == items.end()) items.emplace_back(item);
}

bool PropertyFile::loadPlayerChanges(bool shippedLoaded) {
    const std::u16string overlay = OverlayPath(path_, overlayKind_);
    if (overlay.empty()) return false;
    if (std::optional<std::vector<uint8_t>> bytes = ReadHostFile(overlay)) return applyOverlay(*bytes);
    const std::u16string legacy = LegacyUserCopyPath(path_);
    return !legacy.empty() && migrateLegacyCopy(legacy, overlay, shippedLoaded);
}

// Returns whether a whole entry was stored. An item change whose entry is gone
// from the shipped file is dropped with it.
bool PropertyFile::applyOverlay(const std::vector<uint8_t>& bytes) {
    PropertyFile overlay(keyValueSeparator_, listSeparator_, itemSeparator_);
    overlay.loadBytes(bytes.data(), bytes.size());
    bool wholeEntries = false;
    for (const std::u16string& key : overlay.dataKeys()) {
        const std::u16string_view value = AsText(overlay.getRaw(key));
        const size_t separator = key.find(itemSeparator_);
        if (!getRaw(key) && separator != std::u16string::npos && separator > 0) {
            const std::u16string entry = key.substr(0, separator);
            if (getRaw(entry)) setItem(entry, std::u16string_view(key).substr(separator + 1), value);
            continue;
        }
        set(key, value);
        wholeEntries = true;
    }
    return wholeEntries;
}

// Without a shipped file the whole copy was the player's (the score list);
// otherwise only the widget state that differs from the shipped file is.
// The copy goes once its overlay is safely written.
bool PropertyFile::migrateLegacyCopy(const std::u16string& legacyPath, const std::u16string& overlayPath,
                                     bool shippedLoaded) {
    std::optional<std::vector<uint8_t>> bytes = ReadHostFile(legacyPath);
    if (!bytes) return false;
    PropertyFile copy(keyValueSeparator_, listSeparator_, itemSeparator_);
    copy.loadBytes(bytes->data(), bytes->size());
    bool wholeEntries = false;
    for (const std::u16string& key : copy.dataKeys()) {
        const char16_t* old = copy.get(key);
        if (!shippedLoaded) {
            set(key, old);
            wholeEntries = true;
            continue;
        }
        const char16_t* current = get(key);
        if (!current) continue;
        ItemList was = parseList(old, listSeparator_, itemSeparator_);
        ItemList now = parseList(current, listSeparator_, itemSeparator_);
        for (std::u16string_view item : kPlayerStateItems) {
            const void* chosen = was->lookup(item);
            const void* shipped = now->lookup(item);
            if (chosen && shipped && AsText(chosen) != AsText(shipped)) setItem(key, item, AsText(chosen));
        }
    }
    if (saveOverlay(overlayPath)) RemoveFileIfPresent(legacyPath);
    return wholeEntries;
}

std::u16string PropertyFile::serializeOverlay() {
    std::u16string text;
    const std::vector<StringMap::Key> keys = map_.keys();
    for (StringMap::Key keyPointer : keys) {
        const std::u16string key(AsText(keyPointer));
        auto changed = changes_.find(key);
        if (changed == changes_.end()) continue;
        const char16_t* current = get(key);
        if (!current) continue;
        auto shipped = shipped_.find(key);
        if (shipped == shipped_.end() || changed->second.front().empty()) {
            if (shipped == shipped_.end() || shipped->second != current)
                text += key + keyValueSeparator_ + current + u'\n';
            continue;
        }
        ItemList now = parseList(current, listSeparator_, itemSeparator_);
        ItemList before = parseList(shipped->second, listSeparator_, itemSeparator_);
        for (const std::u16string& item : changed->second) {
            const void* value = now->lookup(item);
            const void* old = before->lookup(item);
            if (!value || (old && AsText(old) == AsText(value))) continue;
            text += key + itemSeparator_ + item + keyValueSeparator_ + std::u16string(AsText(value)) + u'\n';
        }
    }
    return text;
}

// An overlay that no longer differs from the shipped file is deleted, so that
// the shipped file alone shows again.
bool PropertyFile::saveOverlay(const std::u16string& overlayPath) {
    const std::u16string text = serializeOverlay();
    if (text.empty()) return RemoveFileIfPresent(overlayPath);
    MakeFolders(overlayPath.substr(0, overlayPath.rfind(u'/') + 1), 0);
    return ReplaceFileContent(overlayPath, EncodeUtf8KeepingBytes(text));
}

#pragma once
// PropertyFile: an in-memory ".properties" file. Lines are key=value; "#" lines
// and blank lines are kept as pseudo-entries so the file writes back with its
// layout; "//" starts a trailing comment; a line ending in "\" continues on the
// next. Values may refer to other entries as {name}, expanded on `get` and
// cached in place. A value's expansion is the same whatever was looked up
// before: a cached expansion is used only where it fits within the depth and
// work limits left, and an expansion cut short by a limit is not cached.
// Values can themselves be lists such as "type:sprite, x:10".
//
// In an installed game the shipped file is never rewritten: `load` reads the
// player's overlay (see OverlayPath) over it, and `save` writes into the
// overlay only what the player changed through `set` and `setItem` and what
// still differs from the shipped file, so a later version's template shows
// through everywhere else. An overlay line "entry=value" replaces a whole
// entry; "entry:item=value" (with the file's item separator) changes one item
// of the entry's list. A full copy that earlier versions wrote instead is
// turned into an overlay the first time the file loads.
//
// The file owns every key and value string. Pointers returned by get and
// getRaw stay valid until `reset` or destruction, even when a later `get`,
// `set` or `load` replaces the stored value: replaced values are retired, not
// freed, because callers routinely hold on to them.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/resource.h"
#include "data/string_map.h"

// Frees a list from PropertyFile::parseList: every item name, value and the map.
struct ItemListDeleter {
    void operator()(StringMap* list) const;
};
// Item name -> item value (zero-terminated char16_t), in item order.
using ItemList = std::unique_ptr<StringMap, ItemListDeleter>;

class PropertyFile {
public:
    static constexpr size_t kMaxLineLength = 2047;
    static constexpr int kMaxReferenceDepth = 8;
    // Expansion stops before a value would grow beyond this many characters, so
    // that a few lines of nested references cannot demand gigabytes.
    static constexpr size_t kMaxExpandedLength = 8192;

    explicit PropertyFile(char16_t keyValueSeparator = u'=', char16_t listSeparator = u',',
                          char16_t itemSeparator = u':');
    ~PropertyFile();
    PropertyFile(const PropertyFile&) = delete;
    PropertyFile& operator=(const PropertyFile&) = delete;

    // Reads folder + "\" + fileName through the resource layer, then the
    // player's overlay of it, and adds their entries. `keyList` receives the
    // key of every key=value line of the file in order; lines with a reserved
    // key (see `set`) are dropped like lines without a separator. With keepFirst the first definition of a key wins.
    // The path is remembered (for `save`) even when the file cannot be opened,
    // in which case the entries are unchanged and the result is false (an
    // overlay alone loads when it holds whole entries: a file the game makes
    // itself, such as the score list, ships with no file).
    bool load(std::u16string_view folder, std::u16string_view fileName, std::vector<std::u16string>* keyList = nullptr,
              bool skipEmptyLines = false, bool keepFirst = false);
    // As `load`, with the screen-shape suffix "_P", "_S" or "_L" inserted into
    // the file name.
    bool loadVariant(std::u16string_view folder, std::u16string_view fileName,
                     std::vector<std::u16string>* keyList = nullptr, bool skipEmptyLines = false,
                     bool keepFirst = false);
    // Adds the entries of file content already in memory (UTF-8).
    void loadBytes(const uint8_t* data, size_t size, std::vector<std::u16string>* keyList = nullptr,
                   bool skipEmptyLines = false, bool keepFirst = false);
    void loadText(std::u16string_view text, std::vector<std::u16string>* keyList = nullptr,
                  bool skipEmptyLines = false, bool keepFirst = false);
    void reset();

    // Writes every entry back to `path()` in key order, replacing the file only
    // after a complete write, or, where overlays apply, replaces the overlay
    // the same way (and deletes it once nothing differs). False when the path
    // is empty, the file is read-only or the write fails; the old file then
    // stays as it was.
    bool save();
    // The text `save` writes in place.
    std::u16string serialize();

    // The text of the overlay `save` would write: the changed entries and
    // items that differ from the shipped file, in key order.
    std::u16string serializeOverlay();
    // Which player folder keeps this file's overlay (settings by default);
    // kept over `reset`.
    void setOverlayKind(OverlayKind kind) { overlayKind_ = kind; }

    const std::u16string& path() const { return path_; }
    void setPath(std::u16string_view path) { path_ = path; }

    // Stored value without expansion, or null.
    const char16_t* getRaw(std::u16string_view key) const;
    // Value with {name} references expanded (and cached), or null.
    const char16_t* get(std::u16string_view key);

    // Typed getters read the raw value; a missing or empty one gives the default.
    bool getBool(std::u16string_view key, bool defaultValue) const;
    int32_t getInt(std::u16string_view key, int32_t defaultValue) const;
    float getFloat(std::u16string_view key, float defaultValue) const;
    // Copies at most maxLength characters into `buffer`; false (buffer
    // untouched) for a missing or empty value.
    bool getString(std::u16string_view key, std::u16string& buffer, size_t maxLength) const;
    uint32_t getColour(std::u16string_view key, uint32_t defaultValue) const;

    // The item `itemName` of the expanded list value of `key`; with an empty
    // item name the whole value.
    std::optional<std::u16string> getItem(std::u16string_view key, std::u16string_view itemName);
    bool getItemBool(std::u16string_view key, std::u16string_view itemName, bool defaultValue);
    int32_t getItemInt(std::u16string_view key, std::u16string_view itemName, int32_t defaultValue);
    float getItemFloat(std::u16string_view key, std::u16string_view itemName, float defaultValue);
    bool getItemString(std::u16string_view key, std::u16string_view itemName, std::u16string& buffer,
                       size_t maxLength);
    uint32_t getItemColour(std::u16string_view key, std::u16string_view itemName, uint32_t defaultValue);

    // Stores a copy of key and value, replacing any earlier value. Keys that
    // contain "_COMMENT_LINE_" or "_EMPTY_LINE_" are reserved and ignored.
    void set(std::u16string_view key, std::u16string_view value);
    // Rewrites the list under `key` with `itemName` set to `itemValue`
    // (appended when new). Nothing happens when the key is missing.
    void setItem(std::u16string_view key, std::u16string_view itemName, std::u16string_view itemValue);

    // Keys that are not comment or blank-line pseudo-entries, in order.
    std::vector<std::u16string> dataKeys() const;
    int32_t dataKeyCount() const { return map_.count() - commentCount_ - emptyLineCount_; }
    // Number of entries, pseudo-entries included.
    int32_t count() const { return map_.count(); }
    const StringMap& map() const { return map_; }

    char16_t keyValueSeparator() const { return keyValueSeparator_; }
    char16_t listSeparator() const { return listSeparator_; }
    char16_t itemSeparator() const { return itemSeparator_; }

    // Splits `text` into items by the list rule (see SplitList) and each item
    // at its first itemSeparator; later duplicates win, items without the
    // separator are dropped.
    static ItemList parseList(std::u16string_view text, char16_t listSeparator, char16_t itemSeparator);

private:
    class LineReader;

    // Overlays (property_overlay.cpp).
    void rememberShipped(const std::vector<std::u16string>& keys);
    bool applyOverlay(const std::vector<uint8_t>& bytes);
    bool migrateLegacyCopy(const std::u16string& legacyPath, const std::u16string& overlayPath, bool shippedLoaded);
    bool loadPlayerChanges(bool shippedLoaded);
    bool saveOverlay(const std::u16string& overlayPath);
    void noteChange(std::u16string_view key, std::u16string_view item);

    void loadLine(LineReader& reader, std::u16string line, std::vector<std::u16string>* keyList,
                  bool skipEmptyLines, bool keepFirst);
    // Returns the value the map holds for the key afterwards.
    const char16_t* store(std::u16string_view key, std::u16string_view value, bool overwrite);
    void storeBlankLine();
    void storeComment(std::u16string_view line);
    // A finished expansion: its text, the nesting levels and substitutions it
    // took (0 when nothing was replaced), and whether a limit cut it short.
    struct Expanded {
        const char16_t* text = nullptr;
        int height = 0;
        int steps = 0;
        bool cut = false;
    };
    Expanded expand(std::u16string_view key, int depth);
    std::u16string expandKey(std::u16string key);
    void retire(char16_t* value);

    StringMap map_{StringMap::kStringKeys};
    std::u16string path_;
    int32_t commentCount_ = 0;
    int32_t emptyLineCount_ = 0;
    char16_t keyValueSeparator_;
    char16_t listSeparator_;
    char16_t itemSeparator_;
    std::vector<char16_t*> retired_;
    // A stored expansion -> the text it came from and what it took, so that
    // a lookup with fewer levels or steps left expands the source again.
    struct Source {
        const char16_t* text;
        int height;
        int steps;
    };
    std::unordered_map<const char16_t*, Source> sources_;
    int expansionSteps_ = 0;  // substitutions left in the current top-level get

    OverlayKind overlayKind_ = OverlayKind::Settings;
    // Raw values as the shipped files gave them, before any overlay.
    std::unordered_map<std::u16string, std::u16string> shipped_;
    // What `set` (an empty item: the whole entry) and `setItem` changed since
    // loading, the overlay's own lines included; items in the order changed.
    std::unordered_map<std::u16string, std::vector<std::u16string>> changes_;
};

// "Cover.properties" -> "Cover_P.properties" on a screen taller than wide, "_S"
// when square, "_L" when wider; a name without "." is returned unchanged.
std::u16string ScreenVariantName(std::u16string_view fileName, int screenWidth, int screenHeight);
// The same picture drawn at twice the size, for screens that show the design
// larger: "man_east.gif" -> "man_east_2x.gif" (the suffix goes before the last
// "." of the file name, as the screen variants' does); empty without a ".".
std::u16string LargePictureName(std::u16string_view fileName);
// folder, a "\" unless the folder ends in "\" or "/", and the name, with every
// "\..\" collapsed.
std::u16string JoinResourcePath(std::u16string_view folder, std::u16string_view fileName);

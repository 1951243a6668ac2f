#include "data/property_file.h"

#include <algorithm>

#include "data/file_io.h"
#include "data/resource.h"
#include "data/text_helpers.h"
#include "platform/host/host.h"

namespace {

constexpr std::u16string_view kCommentKey = u"_COMMENT_LINE_";
constexpr std::u16string_view kEmptyLineKey = u"_EMPTY_LINE_";
// Every blank-line entry shares this value; it is never freed.
constexpr char16_t kBlankLineValue[] = u"\n";
// Substitutions allowed within one top-level `get`. Values that keep
// unresolvable references are re-examined on every lookup, so without a bound
// a few lines of fanned-out references cost exponential time.
constexpr int kMaxExpansionSteps = 256;

char16_t* NewText(std::u16string_view text) {
    auto* copy = new char16_t[text.size() + 1];
    text.copy(copy, text.size());
    copy[text.size()] = 0;
    return copy;
}

void FreeValue(void* value) {
    if (value != kBlankLineValue) delete[] static_cast<char16_t*>(value);
}

std::u16string_view AsText(const void* text) { return std::u16string_view(static_cast<const char16_t*>(text)); }

bool IsPseudoKey(std::u16string_view key) {
    return key.find(kCommentKey) != std::u16string_view::npos || key.find(kEmptyLineKey) != std::u16string_view::npos;
}

std::u16string Numbered(std::u16string_view prefix, int32_t number) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), char16_t(u'0' + number % 10));
        number /= 10;
    } while (number > 0);
    return std::u16string(prefix) + digits;
}

// A "\r\n" file reads like a "\n" one, as text-mode streams read it; a leading
// byte-order mark is not part of the first key.
std::u16string NormalizeLineBreaks(std::u16string_view text) {
    if (!text.empty() && text.front() == u'\uFEFF') text.remove_prefix(1);
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')) out.push_back(text[i]);
    return out;
}

}  // namespace

// Reads physical lines the way a C wide-character line reader fills a fixed
// buffer: at most `limit` characters per read, the line break after them
// included, and a zero character ends the text of that read.
class PropertyFile::LineReader {
public:
    explicit LineReader(std::u16string_view text) : text_(text) {}

    bool atEnd() const { return position_ >= text_.size(); }

    std::u16string read(size_t limit) {
        const size_t end = std::min(text_.size(), position_ + limit);
        size_t stop = text_.find(u'\n', position_);
        if (stop == std::u16string_view::npos || stop > end) stop = end;
        if (stop < text_.size() && text_[stop] == u'\n') ++stop;
        std::u16string line(text_.substr(position_, stop - position_));
        position_ = stop;
        size_t zero = line.find(char16_t(0));
        if (zero != std::u16string::npos) line.erase(zero);
        return line;
    }

private:
    std::u16string_view text_;
    size_t position_ = 0;
};

void ItemListDeleter::operator()(StringMap* list) const {
    std::vector<void*> values;
    for (StringMap::Key key : list->keys()) values.push_back(list->lookup(key));
    for (void* value : values) delete[] static_cast<char16_t*>(value);
    for (StringMap::Key key : list->keys()) delete[] static_cast<const char16_t*>(key);
    delete list;
}

PropertyFile::PropertyFile(char16_t keyValueSeparator, char16_t listSeparator, char16_t itemSeparator)
    : keyValueSeparator_(keyValueSeparator), listSeparator_(listSeparator), itemSeparator_(itemSeparator) {}

PropertyFile::~PropertyFile() { reset(); }

void PropertyFile::reset() {
    std::vector<StringMap::Key> keys = map_.keys();
    for (StringMap::Key key : keys) FreeValue(map_.lookup(key));
    map_.clear();
    for (StringMap::Key key : keys) delete[] static_cast<const char16_t*>(key);
    for (char16_t* value : retired_) delete[] value;
    retired_.clear();
    sources_.clear();
    shipped_.clear();
    changes_.clear();
    path_.clear();
    commentCount_ = 0;
    emptyLineCount_ = 0;
}

void PropertyFile::retire(char16_t* value) {
    if (value != kBlankLineValue) retired_.push_back(value);
}

// ---- Reading -------------------------------------------------------------------------

bool PropertyFile::load(std::u16string_view folder, std::u16string_view fileName,
                        std::vector<std::u16string>* keyList, bool skipEmptyLines, bool keepFirst) {
    path_ = JoinResourcePath(folder, fileName);
    bool shipped = false;
    if (std::FILE* file = OpenResource(path_, "r")) {
        std::vector<uint8_t> bytes = ReadStream(file);
        CloseResource(file);
        std::vector<std::u16string> keys;
        loadBytes(bytes.data(), bytes.size(), &keys, skipEmptyLines, keepFirst);
        rememberShipped(keys);
        if (keyList) keyList->insert(keyList->end(), keys.begin(), keys.end());
        shipped = true;
    }
    const bool overlayEntries = loadPlayerChanges(shipped);
    return shipped || overlayEntries;
}

bool PropertyFile::loadVariant(std::u16string_view folder, std::u16string_view fileName,
                               std::vector<std::u16string>* keyList, bool skipEmptyLines, bool keepFirst) {
    const std::u16string name = ScreenVariantName(fileName, host::ScreenWidth(), host::ScreenHeight());
    return load(folder, name, keyList, skipEmptyLines, keepFirst);
}

void PropertyFile::loadBytes(const uint8_t* data, size_t size, std::vector<std::u16string>* keyList,
                             bool skipEmptyLines, bool keepFirst) {
    // Bytes that are not UTF-8 survive the round trip to `save` unchanged.
    loadText(DecodeUtf8KeepingBytes(std::string_view(reinterpret_cast<const char*>(data), size)), keyList,
             skipEmptyLines, keepFirst);
}

void PropertyFile::loadText(std::u16string_view text, std::vector<std::u16string>* keyList, bool skipEmptyLines,
                            bool keepFirst) {
    const std::u16string normalized = NormalizeLineBreaks(text);
    LineReader reader(normalized);
    while (!reader.atEnd()) loadLine(reader, reader.read(kMaxLineLength), keyList, skipEmptyLines, keepFirst);
}

void PropertyFile::loadLine(LineReader& reader, std::u16string line, std::vector<std::u16string>* keyList,
                            bool skipEmptyLines, bool keepFirst) {
    Trim(line, kBlanks);
    if (!line.empty() && line.front() == u'\n') {
        if (!skipEmptyLines) storeBlankLine();
        return;
    }
    if (!line.empty() && line.front() == u'#') {
        storeComment(line);
        return;
    }
    if (!line.empty() && line.back() == u'\n') line.pop_back();
    while (!line.empty() && line.back() == u'\\' && !reader.atEnd()) {
        line.pop_back();
        std::u16string next = reader.read(kMaxLineLength - line.size());
        Trim(next, kBlanks);
        if (!next.empty() && next.back() == u'\n') next.pop_back();
        line += next;
    }
    size_t comment = line.rfind(u"//");
    if (comment != std::u16string::npos) line.erase(comment);
    std::u16string key, value;
    if (!SplitKeyValue(line, keyValueSeparator_, key, value)) return;
    Trim(key, kBlanks);
    Trim(value, kBlanks);
    key = expandKey(std::move(key));
    if (IsPseudoKey(key)) return;
    store(key, value, !keepFirst);
    if (keyList) keyList->push_back(key);
}

// Only the first {name} of a key is replaced, and only when the name is defined.
std::u16string PropertyFile::expandKey(std::u16string key) {
    size_t open = key.find(u'{');
    size_t close = key.find(u'}');
    if (open == std::u16string::npos || close == std::u16string::npos || close < open) return key;
    const char16_t* value = get(std::u16string_view(key).substr(open + 1, close - open - 1));
    if (!value) return key;
    return key.substr(0, open) + value + key.substr(close + 1);
}

void PropertyFile::storeBlankLine() {
    const std::u16string key = Numbered(kEmptyLineKey, emptyLineCount_++);
    char16_t* keyCopy = NewText(key);
    void* previous = map_.insert(keyCopy, const_cast<char16_t*>(kBlankLineValue), true);
    if (previous) {
        delete[] keyCopy;
        retire(static_cast<char16_t*>(previous));
    }
}

// A comment always ends in a line break, so that writing it back can never
// join it with the entry that follows.
void PropertyFile::storeComment(std::u16string_view line) {
    std::u16string value(line);
    if (value.back() != u'\n') value.push_back(u'\n');
    store(Numbered(kCommentKey, commentCount_++), value, true);
}

const char16_t* PropertyFile::store(std::u16string_view key, std::u16string_view value, bool overwrite) {
    char16_t* keyCopy = NewText(key);
    char16_t* valueCopy = NewText(value);
    void* previous = map_.insert(keyCopy, valueCopy, overwrite);
    if (!previous) return valueCopy;
    delete[] keyCopy;  // the map keeps the key it already had
    if (!overwrite) {
        delete[] valueCopy;
        return static_cast<const char16_t*>(previous);
    }
    retire(static_cast<char16_t*>(previous));
    return valueCopy;
}

// ---- Lookup and expansion -------------------------------------------------------------

const char16_t* PropertyFile::getRaw(std::u16string_view key) const {
    return static_cast<const char16_t*>(map_.lookup(key));
}

const char16_t* PropertyFile::get(std::u16string_view key) {
    expansionSteps_ = kMaxExpansionSteps;
    return expand(key, 0).text;
}

// Each {name} is replaced by the name's own expansion, one level deeper; the
// scan then goes on after the inserted text, so a value that refers to itself
// ends at the depth limit with its reference text intact. Only complete
// expansions are stored: a cut one is kept aside (retired), so the next get
// starts again from the same source and gives the same text.
PropertyFile::Expanded PropertyFile::expand(std::u16string_view key, int depth) {
    const char16_t* stored = getRaw(key);
    if (!stored) return {};
    const char16_t* sourceText = stored;
    if (auto cached = sources_.find(stored); cached != sources_.end()) {
        const Source& from = cached->second;
        if (depth + from.height <= kMaxReferenceDepth && from.steps <= expansionSteps_) {
            expansionSteps_ -= from.steps;
            return {stored, from.height, from.steps, false};
        }
        sourceText = from.text;
    }
    // Retired values stay readable, so `source` survives a nested expansion
    // that replaces this very entry.
    const std::u16string_view source(sourceText);
    if (source.find(u'{') == std::u16string_view::npos) return {sourceText};
    if (depth + 1 > kMaxReferenceDepth || expansionSteps_ <= 0) return {sourceText, 0, 0, true};
    const int stepsBefore = expansionSteps_;
    Expanded result{nullptr, 0, 0, false};
    std::u16string text;
    size_t position = 0;
    for (size_t open = source.find(u'{'); open != std::u16string_view::npos; open = source.find(u'{', position)) {
        const size_t close = source.find(u'}', open);
        if (close == std::u16string_view::npos) break;
        if (expansionSteps_-- <= 0) {
            result.cut = true;
            break;
        }
        const Expanded value = expand(source.substr(open + 1, close - open - 1), depth + 1);
        if (!value.text) break;
        result.cut |= value.cut;
        const size_t length = TextLength(value.text);
        if (text.size() + (open - position) + length + (source.size() - close - 1) > kMaxExpandedLength) {
            result.cut = true;
            break;
        }
        text.append(source.substr(position, open - position));
        text.append(value.text, length);
        position = close + 1;
        result.height = std::max(result.height, value.height + 1);
    }
    result.steps = stepsBefore - expansionSteps_;
    if (result.height == 0) {
        result.text = sourceText;
        return result;
    }
    text.append(source.substr(position));
    if (result.cut) {
        char16_t* aside = NewText(text);
        retired_.push_back(aside);
        result.text = aside;
        return result;
    }
    result.text = store(key, text, true);
    sources_[result.text] = Source{sourceText, result.height, result.steps};
    return result;
}

bool PropertyFile::getBool(std::u16string_view key, bool defaultValue) const {
    return BoolValueOr(getRaw(key), defaultValue);
}

int32_t PropertyFile::getInt(std::u16string_view key, int32_t defaultValue) const {
    return IntValueOr(getRaw(key), defaultValue);
}

float PropertyFile::getFloat(std::u16string_view key, float defaultValue) const {
    return FloatValueOr(getRaw(key), defaultValue);
}

bool PropertyFile::getString(std::u16string_view key, std::u16string& buffer, size_t maxLength) const {
    const char16_t* value = getRaw(key);
    if (!value || !*value) return false;
    buffer.assign(AsText(value).substr(0, maxLength));
    return true;
}

uint32_t PropertyFile::getColour(std::u16string_view key, uint32_t defaultValue) const {
    return ColourValueOr(getRaw(key), defaultValue);
}

// ---- Lists ------------------------------------------------------------------------------

ItemList PropertyFile::parseList(std::u16string_view text, char16_t listSeparator, char16_t itemSeparator) {
    ItemList list(new StringMap(StringMap::kStringKeys));
    for (const std::u16string& piece : SplitList(text, std::u16string_view(&listSeparator, 1), itemSeparator)) {
        std::u16string key, value;
        if (!SplitKeyValue(piece, itemSeparator, key, value)) continue;
        Trim(key, kBlanks);
        Trim(value, kBlanks);
        char16_t* keyCopy = NewText(key);
        void* previous = list->insert(keyCopy, NewText(value), true);
        if (previous) {
            delete[] keyCopy;
            delete[] static_cast<char16_t*>(previous);
        }
    }
    return list;
}

std::optional<std::u16string> PropertyFile::getItem(std::u16string_view key, std::u16string_view itemName) {
    const char16_t* value = get(key);
    if (!value) return std::nullopt;
    if (itemName.empty()) return std::u16string(value);
    ItemList list = parseList(value, listSeparator_, itemSeparator_);
    const void* item = list->lookup(itemName);
    if (!item) return std::nullopt;
    return std::u16string(AsText(item));
}

bool PropertyFile::getItemBool(std::u16string_view key, std::u16string_view itemName, bool defaultValue) {
    auto item = getItem(key, itemName);
    return BoolValueOr(item ? item->c_str() : nullptr, defaultValue);
}

int32_t PropertyFile::getItemInt(std::u16string_view key, std::u16string_view itemName, int32_t defaultValue) {
    auto item = getItem(key, itemName);
    return IntValueOr(item ? item->c_str() : nullptr, defaultValue);
}

float PropertyFile::getItemFloat(std::u16string_view key, std::u16string_view itemName, float defaultValue) {
    auto item = getItem(key, itemName);
    return FloatValueOr(item ? item->c_str() : nullptr, defaultValue);
}

bool PropertyFile::getItemString(std::u16string_view key, std::u16string_view itemName, std::u16string& buffer,
                                 size_t maxLength) {
    auto item = getItem(key, itemName);
    if (!item || item->empty()) return false;
    buffer.assign(item->substr(0, maxLength));
    return true;
}

uint32_t PropertyFile::getItemColour(std::u16string_view key, std::u16string_view itemName, uint32_t defaultValue) {
    auto item = getItem(key, itemName);
    return ColourValueOr(item ? item->c_str() : nullptr, defaultValue);
}

// ---- Changing and writing -------------------------------------------------------------

// Keys named like the comment and blank-line entries are refused: write-back
// would print their value without the key and lose the entry.
void PropertyFile::set(std::u16string_view key, std::u16string_view value) {
    if (IsPseudoKey(key)) return;
    store(key, value, true);
    noteChange(key, u"");
}

// The rebuilt list puts a blank before every item, " a:1, b:2", as the
// templates write it. An item added to an empty list gets no leading separator,
// which would otherwise glue it to an empty first piece on the next read.
void PropertyFile::setItem(std::u16string_view key, std::u16string_view itemName, std::u16string_view itemValue) {
    if (IsPseudoKey(key)) return;
    const char16_t* current = get(key);
    if (!current) return;
    ItemList list = parseList(current, listSeparator_, itemSeparator_);
    std::u16string text;
    bool found = false;
    auto append = [&](std::u16string_view name, std::u16string_view value) {
        if (!text.empty()) text.push_back(listSeparator_);
        text.push_back(u' ');
        text.append(name);
        text.push_back(itemSeparator_);
        text.append(value);
    };
    for (StringMap::Key item : list->keys()) {
        const bool named = AsText(item) == itemName;
        found = found || named;
        append(AsText(item), named ? itemValue : AsText(list->lookup(item)));
    }
    if (!found) append(itemName, itemValue);
    store(key, text, true);
    noteChange(key, itemName);
}

std::vector<std::u16string> PropertyFile::dataKeys() const {
    std::vector<std::u16string> keys;
    for (StringMap::Key key : map_.keys())
        if (!IsPseudoKey(AsText(key))) keys.emplace_back(AsText(key));
    return keys;
}

std::u16string PropertyFile::serialize() {
    std::u16string text;
    const std::vector<StringMap::Key> keys = map_.keys();
    for (StringMap::Key keyPointer : keys) {
        const std::u16string_view key = AsText(keyPointer);
        if (IsPseudoKey(key)) {
            text += getRaw(key);
            continue;
        }
        text += key;
        text.push_back(keyValueSeparator_);
        text += get(key);
        text.push_back(u'\n');
    }
    return text;
}

bool PropertyFile::save() {
    if (path_.empty()) return false;
    const std::u16string overlay = OverlayPath(path_, overlayKind_);
    if (!overlay.empty()) return saveOverlay(overlay);
    return ReplaceFileContent(path_, EncodeUtf8KeepingBytes(serialize()));
}

// ---- Paths --------------------------------------------------------------------------------

std::u16string ScreenVariantName(std::u16string_view fileName, int screenWidth, int screenHeight) {
    std::u16string name(fileName);
    size_t dot = name.rfind(u'.');
    if (dot == std::u16string::npos) return name;
    const char16_t* suffix = screenWidth < screenHeight ? u"_P" : screenWidth == screenHeight ? u"_S" : u"_L";
    return name.insert(dot, suffix);
}

std::u16string LargePictureName(std::u16string_view fileName) {
    const size_t dot = fileName.rfind(u'.');
    const size_t folder = fileName.find_last_of(u"\\/");
    if (dot == std::u16string_view::npos || (folder != std::u16string_view::npos && dot < folder)) return {};
    return std::u16string(fileName).insert(dot, u"_2x");
}

std::u16string JoinResourcePath(std::u16string_view folder, std::u16string_view fileName) {
    std::u16string path(folder);
    if (!path.empty() && path.back() != u'\\' && path.back() != u'/') path.push_back(u'\\');
    path += fileName;
    CollapseParentFolders(path);
    return path;
}

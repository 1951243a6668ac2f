#include "data/text_helpers.h"

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

#include "platform/host/host.h"

namespace {

bool IsCSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

}  // namespace

void TrimRight(std::u16string& text, std::u16string_view set) {
    size_t end = text.find_last_not_of(set);
    text.erase(end == std::u16string::npos ? 0 : end + 1);
}

void TrimLeft(std::u16string& text, std::u16string_view set) {
    size_t start = text.find_first_not_of(set);
    text.erase(0, start == std::u16string::npos ? text.size() : start);
}

void Trim(std::u16string& text, std::u16string_view set) {
    TrimRight(text, set);
    TrimLeft(text, set);
}

std::u16string_view TrimView(std::u16string_view text, std::u16string_view set) {
    size_t start = text.find_first_not_of(set);
    if (start == std::u16string_view::npos) return {};
    size_t end = text.find_last_not_of(set);
    return text.substr(start, end - start + 1);
}

std::vector<std::u16string> SplitList(std::u16string_view text, std::u16string_view separators,
                                      char16_t itemSeparator) {
    std::vector<std::u16string> pieces;
    size_t start = 0;
    bool pieceHasItem = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == itemSeparator) pieceHasItem = true;
        if (separators.find(text[i]) == std::u16string_view::npos || !pieceHasItem) continue;
        size_t next = text.find_first_of(separators, i + 1);
        std::u16string_view following = text.substr(i + 1, next == std::u16string_view::npos ? next : next - i - 1);
        if (following.find(itemSeparator) == std::u16string_view::npos) continue;
        pieces.emplace_back(text.substr(start, i - start));
        start = i + 1;
        pieceHasItem = false;
    }
    pieces.emplace_back(text.substr(start));
    return pieces;
}

bool SplitKeyValue(std::u16string_view line, char16_t separator, std::u16string& key, std::u16string& value) {
    size_t at = line.find(separator);
    if (at == std::u16string_view::npos) return false;
    key.assign(line.substr(0, at));
    TrimRight(key, kBlanks);
    value.assign(line.substr(at + 1));
    TrimLeft(value, kBlanks);
    return true;
}

void ReplaceChar(std::u16string& text, char16_t from, char16_t to) {
    for (char16_t& c : text)
        if (c == from) c = to;
}

void ReplaceSameLength(std::u16string& text, std::u16string_view from, std::u16string_view to) {
    if (from.empty() || from.size() != to.size()) return;
    for (size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

void CollapseDoubled(std::u16string& text, char16_t c) {
    auto end = std::unique(text.begin(), text.end(), [c](char16_t a, char16_t b) { return a == c && b == c; });
    text.erase(end, text.end());
}

void CollapseParentFolders(std::u16string& text) {
    size_t from = 0;
    while (true) {
        size_t at = std::u16string::npos;
        for (size_t i = from; i + 3 < text.size(); ++i) {
            if (IsSeparator(text[i]) && text[i + 1] == u'.' && text[i + 2] == u'.' && IsSeparator(text[i + 3])) {
                at = i;
                break;
            }
        }
        if (at == std::u16string::npos) return;
        size_t start = at;
        while (start > 0 && !IsSeparator(text[start - 1])) --start;
        std::u16string_view folder(text.data() + start, at - start);
        if (folder.empty() || folder == u"..") {
            from = at + 1;  // nothing to climb out of: keep this ".." as written
            continue;
        }
        text.erase(start, at + 4 - start);
        from = start > 0 ? start - 1 : 0;
    }
}

uint32_t ParseColour(std::u16string_view text) {
    std::u16string_view inner = TrimView(text, u" \t()");
    uint32_t channels[3] = {0, 0, 0};
    for (uint32_t& channel : channels) {
        size_t semicolon = inner.find(u';');
        channel = uint32_t(ParseLeadingInt(inner.substr(0, semicolon)));
        if (semicolon == std::u16string_view::npos) break;
        inner.remove_prefix(semicolon + 1);
    }
    return channels[0] * 65536u + channels[1] * 256u + channels[2];
}

int32_t ParseLeadingInt(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    int64_t value = 0;
    const int64_t limit = negative ? -int64_t(std::numeric_limits<int32_t>::min()) : std::numeric_limits<int32_t>::max();
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i] - u'0');
        if (value > limit) value = limit;
    }
    return int32_t(negative ? -value : value);
}

float ParseLeadingFloat(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    std::string narrow;
    for (; i < text.size() && text[i] < 0x80; ++i) narrow.push_back(char(text[i]));
    if (!narrow.empty() && (narrow[0] == '-' || narrow[0] == '+')) return 0.0f;
    double value = 0.0;
#if defined(__cpp_lib_to_chars)
    auto result = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
    if (result.ec != std::errc()) return 0.0f;
#else
    // A standard library without floating-point from_chars (emscripten's):
    // strtod in the "C" locale, held to the same grammar (no blanks, no
    // hexadecimal form) and range.
    if (narrow.empty() || IsCSpace(char16_t(narrow[0]))) return 0.0f;
    narrow.resize(std::min(narrow.size(), narrow.find_first_of("xX")));
    errno = 0;
    char* end = nullptr;
    value = std::strtod(narrow.c_str(), &end);
    if (end == narrow.c_str() || errno == ERANGE) return 0.0f;
#endif
    // An out-of-range float conversion is undefined, so saturate explicitly.
    if (value > double(std::numeric_limits<float>::max())) value = double(std::numeric_limits<float>::infinity());
    return float(negative ? -value : value);
}

size_t TextLength(const char16_t* text) { return std::char_traits<char16_t>::length(text); }

int32_t IntValueOr(const char16_t* value, int32_t defaultValue) {
    return value && *value ? ParseLeadingInt(value) : defaultValue;
}

bool BoolValueOr(const char16_t* value, bool defaultValue) {
    return value && *value ? ParseLeadingInt(value) != 0 : defaultValue;
}

float FloatValueOr(const char16_t* value, float defaultValue) {
    return value && *value ? ParseLeadingFloat(value) : defaultValue;
}

uint32_t ColourValueOr(const char16_t* value, uint32_t defaultValue) {
    return value && *value ? ParseColour(value) : defaultValue;
}

namespace {

constexpr char16_t kByteEscape = 0xDC00;

// The code point of the UTF-8 sequence at `at` and its length, or length 0
// when the bytes there are not valid UTF-8 (overlong forms, surrogates and
// values beyond U+10FFFF included).
std::pair<uint32_t, size_t> Utf8SequenceAt(std::string_view bytes, size_t at) {
    const auto byte = [&](size_t i) { return uint8_t(bytes[i]); };
    const uint8_t lead = byte(at);
    if (lead < 0x80) return {lead, 1};
    const size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || at + length > bytes.size()) return {0, 0};
    uint32_t cp = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80) return {0, 0};
        cp = cp << 6 | (byte(at + k) & 0x3F);
    }
    static constexpr uint32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {0, 0};
    return {cp, length};
}

}  // namespace

std::u16string DecodeUtf8KeepingBytes(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (size_t at = 0; at < bytes.size();) {
        auto [cp, length] = Utf8SequenceAt(bytes, at);
        if (length == 0) {
            text += char16_t(kByteEscape + uint8_t(bytes[at++]));
            continue;
        }
        at += length;
        if (cp >= 0x10000) {
            text += char16_t(0xD800 + ((cp - 0x10000) >> 10));
            text += char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            text += char16_t(cp);
        }
    }
    return text;
}

std::string EncodeUtf8KeepingBytes(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const uint32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            host::AppendUtf8(bytes, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00u));
            ++i;
        } else if (unit >= kByteEscape + 0x80u && unit <= kByteEscape + 0xFFu) {
            bytes += char(unit - kByteEscape);
        } else {
            host::AppendUtf8(bytes, unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
        }
    }
    return bytes;
}

std::u16string Decimal(long long value) { return host::FromUtf8(std::to_string(value)); }

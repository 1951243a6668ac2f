#pragma once
// Small wide-string helpers shared by the properties reader, the resource layer
// and the template loaders. Text is UTF-16 throughout; nothing here touches the
// operating system.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The blanks and tabs that lines, keys, values and list items are trimmed of.
inline constexpr std::u16string_view kBlanks = u" \t";

// Remove characters of `set` from the end, the start, or both ends of `text`.
void TrimRight(std::u16string& text, std::u16string_view set);
void TrimLeft(std::u16string& text, std::u16string_view set);
void Trim(std::u16string& text, std::u16string_view set);
std::u16string_view TrimView(std::u16string_view text, std::u16string_view set);

// Splits `text` at the characters of `separators` by the list rule: a separator
// splits only when the piece before it (since the last split) holds an
// `itemSeparator` and so does the text after it up to the next separator;
// otherwise it stays inside the current piece. So "a:1,2,3, b:4" splits into
// "a:1,2,3" and " b:4".
std::vector<std::u16string> SplitList(std::u16string_view text, std::u16string_view separators,
                                      char16_t itemSeparator);

// Splits `line` at the first `separator` into a key (right-trimmed of blanks)
// and a value (left-trimmed of blanks). False, with both left untouched, when
// the separator is absent.
bool SplitKeyValue(std::u16string_view line, char16_t separator, std::u16string& key, std::u16string& value);

void ReplaceChar(std::u16string& text, char16_t from, char16_t to);
// Replaces every occurrence of `from` by `to`; both must have the same length.
void ReplaceSameLength(std::u16string& text, std::u16string_view from, std::u16string_view to);
// Turns every run of two or more `c` into a single one.
void CollapseDoubled(std::u16string& text, char16_t c);
// Removes every "<folder>\..\" (either separator, "\" or "/") together with the
// folder name before it: "a\b\..\c" becomes "a\c". A ".." with no folder before
// it, or after another "..", stays.
void CollapseParentFolders(std::u16string& text);

// A template colour "(r;g;b)" as 0xRRGGBB: blanks, tabs and parentheses are
// removed from both ends, the three decimal numbers combined as
// r * 65536 + g * 256 + b (missing numbers count as 0).
uint32_t ParseColour(std::u16string_view text);

// The leading decimal integer of `text` after optional blanks and sign, as the
// C library reads it; 0 when there is none. Saturates at the int32 range.
int32_t ParseLeadingInt(std::u16string_view text);
// The leading decimal floating-point number of `text`; 0 when there is none.
float ParseLeadingFloat(std::u16string_view text);
// The value as decimal text ("-12").
std::u16string Decimal(long long value);

// Length of a zero-terminated wide string.
size_t TextLength(const char16_t* text);

// The typed readings of a stored value: a missing (null) or empty value gives
// the default; a number is the leading decimal one, a flag a non-zero number.
int32_t IntValueOr(const char16_t* value, int32_t defaultValue);
bool BoolValueOr(const char16_t* value, bool defaultValue);
float FloatValueOr(const char16_t* value, float defaultValue);
uint32_t ColourValueOr(const char16_t* value, uint32_t defaultValue);

// UTF-8 that keeps every byte: a byte that is not part of valid UTF-8 (a file
// in another 8-bit encoding) reads as the lone surrogate U+DC00 + byte, and
// writes back as that byte, so text read and written unchanged stays the same
// bytes. Other lone surrogates are written as U+FFFD.
std::u16string DecodeUtf8KeepingBytes(std::string_view bytes);
std::string EncodeUtf8KeepingBytes(std::u16string_view text);

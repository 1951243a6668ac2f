#pragma once
// File access at the operating-system boundary for the data layer: path
// spelling, whole-file reads and crash-safe replacement of a file.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The UTF-8 path the operating system understands; "\" separators become "/".
std::string ToHostPath(std::u16string_view path);

// The existing file or folder that `path` names when letter case is ignored
// (ASCII letters), as on the handheld's file system: each missing part of the
// path is looked up in its folder, the exact name first, otherwise the first
// match in byte order. Empty when some part has no match.
std::optional<std::u16string> FindPathIgnoringCase(std::u16string_view path);

// fopen of a file (never a folder); null on failure.
std::FILE* OpenHostFile(std::u16string_view path, const char* mode);
// The whole content of a regular file.
std::optional<std::vector<uint8_t>> ReadHostFile(std::u16string_view path);
// Reads a stream to its end.
std::vector<uint8_t> ReadStream(std::FILE* stream);

// Replaces the file at `path` by `bytes` so that it is either the old file or
// the complete new one, never a mix: the bytes go to a temporary file beside
// the target, which is flushed to disk and renamed over it. A target marked
// read-only (no write permission bit at all, or not writable by this user) is
// refused. An existing file keeps its permission bits; a link keeps pointing
// at the replaced file. False on any failure, with the old file untouched and
// no temporary file left. Temporary files that killed processes left beside
// the target are removed.
bool ReplaceFileContent(std::u16string_view path, std::string_view bytes);

// True when the folder exists and this user may create files in it (a folder
// without any write permission bit counts as read-only even for root).
bool IsWritableFolder(std::u16string_view folder);

bool IsWriteMode(const char* mode);

#pragma once
// The resource layer: the only way resource files are opened. A path is looked
// up in the file system first and then in the registered zip archives, whose
// members are served either as an extracted copy in a private temporary folder
// (streams) or read straight into memory (ReadResourceFile).
//
// Paths may use "\" or "/" and may contain "\..\" and doubled separators; both
// spellings name the same file or archive member. Reads find a file or member
// whose name differs only in letter case when no exact one exists anywhere,
// as templates are written for a file system that ignores case.
//
// When the resource folder cannot be written by the user (a system-wide
// install), the shipped files are never rewritten: what the player changes is
// kept in small overlay files in the player's own folders (see OverlayPath),
// which PropertyFile reads over the shipped file.
//
// Everything here runs on the user-interface thread; the layer has no locks.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Opens `path` with a C stdio mode. Write modes ("w", "a" or "+" after "w")
// never reach an archive. Returns null when nothing could be opened.
std::FILE* OpenResource(std::u16string_view path, const char* mode);
// Closes a stream from OpenResource; an extracted copy is deleted with it.
void CloseResource(std::FILE* stream);
// The whole content of `path`: the file, or else the member of the first
// archive whose prefix matches. Empty optional when neither exists.
std::optional<std::vector<uint8_t>> ReadResourceFile(std::u16string_view path);
bool ResourceExists(std::u16string_view path);

// Opens folder + archiveName and serves its members under `folder`, checked
// before archives with shorter prefixes. False (and nothing registered) when
// the archive cannot be opened.
bool RegisterArchive(std::u16string_view archiveName, std::u16string_view folder);

// Creates every missing folder of a "/"-separated path from character `start`
// on. False when one cannot be created.
bool MakeFolders(std::u16string_view path, size_t start);

// Start-up: chooses the private temporary folder (created with mode 0700 and
// owned by this user) and deletes the plain files an earlier run left in it.
void PrepareTempFolder();
// Shut-down: closes every archive, forgets the extracted streams and deletes
// the temporary folder's files and the folder itself.
void CloseAllResources();
// The temporary folder, ending in "/"; chosen on first use when
// PrepareTempFolder has not run. Empty when no private folder can be made.
std::u16string TempFolder();

// The program's resource folder, normalised: "<program folder>/../resources/"
// (a build tree), else the installed data folder relative to the program
// ("<program folder>/../share/karrowen/resources/"); the first when neither exists.
std::u16string ResourceFolder();
// Chooses the resource folder that overlays apply to, and whether they do
// (only when that folder is not writable). Called implicitly with
// ResourceFolder() on first use.
void ConfigureResourceFolder(std::u16string_view folder);

// What an overlay holds: the player's settings (template entries such as the
// state of the settings page's boxes) or the game's records for the player
// (the score list).
enum class OverlayKind { Settings, PlayerData };
// Where the player's changes to the resource file at `path` are kept: the
// file's path inside the resource folder, under UserConfigFolder() for
// settings or UserDataFolder() for player data. Empty when the resource folder
// is writable (files are written in place), when `path` lies outside it, or
// when the player has no home folder.
std::u16string OverlayPath(std::u16string_view path, OverlayKind kind);
// The full copy of `path` that earlier versions wrote under
// $XDG_DATA_HOME/karrowen/resources/ for a read-only resource folder; empty
// when overlays do not apply to `path`. Such copies are never read as they
// are, since they would hide every later version of the file.
std::u16string LegacyUserCopyPath(std::u16string_view path);

// "\" turned into "/", doubled separators collapsed and every "<folder>/../"
// removed: the spelling archive prefixes and members are compared in.
std::u16string NormalizeResourcePath(std::u16string_view path);

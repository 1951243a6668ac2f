#pragma once
// Internals of the resource layer, shared by its source files and its tests.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <unzip.h>

#include "data/string_map.h"

// One registered archive.
struct ResourceArchive {
    unzFile handle = nullptr;
    std::u16string name;    // as passed to RegisterArchive
    std::u16string prefix;  // normalised folder, ending in "/"
};

// The resource layer's part of DataState (data_state.h).
struct ResourceState {
    // Longest prefix first; among equal lengths the latest registration first.
    std::vector<std::unique_ptr<ResourceArchive>> archives;
    std::u16string tempFolder;  // empty until chosen
    // Pointer keys: open FILE* -> heap std::u16string path of its extracted copy.
    StringMap extractedStreams{StringMap::kPointerKeys};

    bool foldersConfigured = false;
    std::u16string resourceFolder;  // normalised, ending in "/"
    bool readOnlyResources = false;  // the player's changes go to overlays
};

ResourceState& Resources();

// Extracts `member` of `archive` to targetFolder + FlattenMemberName(member),
// creating the file exclusively and without following links. Returns 0 on
// success, a negative minizip or errno-style code otherwise; a failed
// extraction leaves no file behind.
int ExtractMember(ResourceArchive& archive, std::u16string_view member, std::u16string_view targetFolder);
// The member's file name inside the temporary folder: every "/" (and "\")
// becomes "_". Empty for names that would still leave the folder ("", ".", "..").
std::u16string FlattenMemberName(std::u16string_view member);
// The whole content of one member, read without a temporary file.
std::optional<std::vector<uint8_t>> ReadArchiveMember(ResourceArchive& archive, std::u16string_view member);
void CloseArchives();

// Creates `folder` with mode 0700 if missing and checks that it is a real
// folder (not a link) owned by this user, tightening its mode if needed.
bool EnsurePrivateFolder(std::u16string_view folder);
// Deletes every entry of `folder` that is not itself a folder.
void DeletePlainFiles(std::u16string_view folder);

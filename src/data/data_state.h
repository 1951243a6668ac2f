#pragma once
// The data layer's process-wide state in one object: the resource layer's
// archives, folders and temporary copies, and the language table. Tests start
// afresh with ResetDataState().

#include <atomic>
#include <memory>

#include "data/property_file.h"
#include "data/resource_local.h"

struct DataState {
    std::unique_ptr<ResourceState> resources = std::make_unique<ResourceState>();
    std::unique_ptr<PropertyFile> languageTable;  // null until loaded
    // Numbers the temporary files of crash-safe saves; never reset, so that
    // names stay unique for the whole process.
    std::atomic<unsigned> temporaryNames{0};
};

DataState& Data();

// Closes every archive, removes the temporary copies and folder, frees the
// language table and forgets the resource folders, as at process start.
void ResetDataState();

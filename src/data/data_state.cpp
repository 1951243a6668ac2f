#include "data/data_state.h"

#include "data/language_table.h"
#include "data/resource.h"

namespace {
DataState data;
}  // namespace

DataState& Data() { return data; }

void ResetDataState() {
    CloseAllResources();
    FreeLanguageTable();
    data.resources = std::make_unique<ResourceState>();
}

#include "scene/scene_state.h"

#include "data/data_state.h"
#include "platform/platform_state.h"

namespace {
SceneState scenes;
}  // namespace

SceneState& Scenes() { return scenes; }

void ResetSceneState() {
    scenes = SceneState{};
    ResetDataState();
    ResetPlatform();
}

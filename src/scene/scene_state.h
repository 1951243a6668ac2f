#pragma once
// The scene layer's process-wide state in one object: the widgets' key
// dispatch, the hot-key icons, the letters mode and the object-type table.
// Tests start afresh with ResetSceneState().

#include <array>
#include <map>
#include <memory>
#include <string>

#include "scene/object_types.h"
#include "scene/texture.h"

struct SceneState {
    // Key dispatch to widgets: a tip link held down, and the key whose
    // auto-repeat is ignored.
    bool tipHeld = false;
    int lastKeyDown = 0;
    // The distance in screen pixels within which widgets count as one row;
    // 0 until first needed, then fixed as the handheld fixes it at start.
    int rowThreshold = 0;
    std::array<std::unique_ptr<Texture>, 5> hotKeyIcons;  // HotKeyIcon order
    int lettersMode = -1;  // -1: chosen from the device on first use
    // Template entry types; the built-in 2D types join on first use.
    std::map<std::u16string, ObjectReader> objectTypes;
    bool builtInTypesRegistered = false;
};

SceneState& Scenes();

// Frees the icons and forgets every setting and registered type, then resets
// the layers below (ResetDataState, ResetPlatform): the state of a process
// that has not started yet.
void ResetSceneState();

#pragma once
// Widgets: what a stylus press or a key does to a sprite with a GUI type, and
// focus navigation between widgets. Keys become the stylus messages a tap
// would make, so every widget action runs through the canvas's stylus path.

#include <cstdint>

class Canvas;
class SceneSprite;
class Sprite;

// The action of the widget hit at stylus-down, on stylus-down or -up.
void RunWidgetAction(Canvas& canvas, SceneSprite& scene, Sprite& widget, uint32_t message);
// A key for the topmost sprite scene: hot keys or focus navigation.
void DispatchKeyToScene(Canvas& canvas, SceneSprite& scene, uint32_t message, int keyCode);
void SetSceneFocus(SceneSprite& scene, Sprite* widget, bool redraw);
// Posts the stylus message to the canvas at the widget's centre.
void PressWidget(SceneSprite& scene, Sprite& widget, uint32_t message);
void Navigate(SceneSprite& scene, uint32_t message, int keyCode);
void MoveFocusDown(SceneSprite& scene);

// Process-wide widget state.
bool TipHeld();
// Forgets the recorded key-down (a fresh canvas or test).

#pragma once
// Template readers of the 2D types: "SceneSprite", "Sprite" and "BitmapFont".

#include <string>

class Canvas;
class PropertyList;
class Scene;

// The keys every scene shares: size (scaled, or a percentage of the canvas),
// position ("CENTER", or scaled and centred in "containerWidth"), background,
// visibility, buffering, transparent colour.
struct SceneGeometry {
    int x = 0, y = 0, width = 0, height = 0;
};
SceneGeometry ReadSceneGeometry(const Canvas& canvas, const PropertyList& props);
void ReadCommonSceneKeys(Canvas& canvas, Scene& scene, const PropertyList& props);

void ReadSceneSprite(Canvas& canvas, const std::u16string& entryName, const PropertyList& props);
void ReadSprite(Canvas& canvas, const std::u16string& entryName, const PropertyList& props);
void ReadBitmapFont(Canvas& canvas, const std::u16string& entryName, const PropertyList& props);

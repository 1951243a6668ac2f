#pragma once
// Template readers of the 3D types "Scene3D", "Group3D", "Chip3D", "LOD",
// "Light" and "Fog", and the chip builder they use.

#include <memory>
#include <string>

#include "render3d/object3d.h"

class Canvas;
class PropertyList;
class Texture;

// Adds the 3D types to the object-type table (and sets up the trigonometric
// tables). Call once at program start, before the first template loads.
void Register3DObjectTypes();

// A flat rectangle of |width| x |height| in one plane (orientation 0 the
// y-z plane, 1 the x-z plane, 2 the x-y plane), two-sided and flat-lit,
// normalised so that its largest half-extent is max(width, height) * radius.
// `mirror` flips the u coordinate.
std::unique_ptr<Object3D> BuildChip(int width, int height, int orientation, float radius, bool mirror,
                                    Texture* texture, Texture* alpha);

void ReadScene3D(Canvas& canvas, const std::u16string& entryName, const PropertyList& props);
void ReadObject3D(Canvas& canvas, const std::u16string& entryName, const PropertyList& props);
void ReadLevelOfDetail(Canvas& canvas, const std::u16string& entryName, const PropertyList& props);
void ReadLight(Canvas& canvas, const std::u16string& entryName, const PropertyList& props);
void ReadFog(Canvas& canvas, const std::u16string& entryName, const PropertyList& props);

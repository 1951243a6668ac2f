#pragma once
// The object-type table of templates: the "type" of an entry chooses the
// reader that turns the entry into an object of the canvas. The 2D types are
// built in; the 3D engine adds its own at start-up.

#include <functional>
#include <string>

class Canvas;
class PropertyList;

using ObjectReader = std::function<void(Canvas& canvas, const std::u16string& entryName, const PropertyList& props)>;

// Replaces any reader registered for the type.
void RegisterObjectType(const std::u16string& type, ObjectReader reader);
// The reader of a type, or null.
const ObjectReader* FindObjectType(const std::u16string& type);

#pragma once
// The canvas's store of 3D models by file name. The 3D engine implements it;
// the canvas only owns it and empties it together with its other caches.

class ModelCache {
public:
    virtual ~ModelCache() = default;
    // Destroys every kept model.
    virtual void clear() = 0;
};

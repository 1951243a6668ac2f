#pragma once
// 3DS files of the models the generator builds: named triangle meshes with
// one material each, and materials with their colours, transparency and
// shininess, in the chunk layout the game's model loader reads.

#include <cstdint>
#include <string>
#include <vector>

#include "raster/effects.h"

struct ModelMaterial {
    std::string name;       // at most 30 bytes
    uint32_t diffuse;       // 0xRRGGBB
    uint32_t glow;          // 0xRRGGBB: the constant colour the brightest shading adds
    int transparencyPercent = 0;
    int shininessStrengthPercent = 100;
    bool flat = true;       // lit once per face: crisp facets
};

// Positions in the game's axes (x east, y up, z north).
struct ModelMesh {
    std::string name;       // at most 30 bytes
    std::string material;
    std::vector<Vec3> vertices;
    struct Face {
        // The game draws a face whose normal (b - a) x (c - b) points away from
        // the camera: that normal must point into the mesh.
        uint16_t a, b, c;
    };
    std::vector<Face> faces;
};

struct Model {
    std::vector<ModelMaterial> materials;
    std::vector<ModelMesh> meshes;
};

// The file: the game turns the file's right-handed z-up (X, Y, Z) into its
// own (-X, Z, -Y), so each position is written as (-x, -z, y).
std::vector<uint8_t> Encode3ds(const Model& model);

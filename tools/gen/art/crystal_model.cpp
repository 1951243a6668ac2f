#include "art/crystal_model.h"

#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;

Vec3 Add(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 Scale(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

struct CrystalShape {
    Vec3 base;        // centre of the lower ring
    Vec3 axis;        // unit direction from the lower to the upper tip
    float radius;
    float body;       // length of the six-sided prism
    float upperTip;
    float lowerTip;
    float twist;      // turn of the rings, radians
};

// Vertices: the lower ring (0..5), the upper ring (6..11), the upper tip (12), the lower tip (13).
ModelMesh Crystal(const std::string& name, const std::string& material, const CrystalShape& s) {
    ModelMesh mesh{name, material, {}, {}};
    Vec3 side = Normalize(std::fabs(s.axis.y) > 0.9f ? Cross(s.axis, {1, 0, 0}) : Cross(s.axis, {0, 1, 0}));
    Vec3 other = Cross(s.axis, side);
    for (int ring = 0; ring < 2; ++ring)
        for (int i = 0; i < 6; ++i) {
            float angle = s.twist + i * kPi / 3;
            Vec3 out = Add(Scale(side, std::cos(angle) * s.radius), Scale(other, std::sin(angle) * s.radius));
            mesh.vertices.push_back(Add(Add(s.base, Scale(s.axis, ring * s.body)), out));
        }
    mesh.vertices.push_back(Add(s.base, Scale(s.axis, s.body + s.upperTip)));
    mesh.vertices.push_back(Add(s.base, Scale(s.axis, -s.lowerTip)));
    for (uint16_t i = 0; i < 6; ++i) {
        uint16_t j = static_cast<uint16_t>((i + 1) % 6);
        mesh.faces.push_back({i, static_cast<uint16_t>(6 + j), j});
        mesh.faces.push_back({i, static_cast<uint16_t>(6 + i), static_cast<uint16_t>(6 + j)});
        mesh.faces.push_back({static_cast<uint16_t>(6 + i), 12, static_cast<uint16_t>(6 + j)});
        mesh.faces.push_back({j, 13, i});
    }
    return mesh;
}

}  // namespace

Model MakeCrystalCluster(uint32_t colour, uint32_t glow) {
    Model model;
    model.materials.push_back({"crystal", colour, glow, 0, 100, true});
    model.materials.push_back({"shard", 0xE8D8FF, glow, 0, 100, true});
    // The main crystal runs through the maze: as much of it below the tiles as above.
    model.meshes.push_back(Crystal("core", "crystal", {{0, -0.32f, 0}, {0, 1, 0}, 0.11f, 0.64f, 0.18f, 0.18f, 0.3f}));
    // Smaller crystals lean out around it just above the floor.
    for (int i = 0; i < 5; ++i) {
        float around = i * 2 * kPi / 5 + 0.4f;
        float lean = 0.45f + 0.12f * (i % 2);
        Vec3 axis = Normalize({std::cos(around) * lean, 1, std::sin(around) * lean});
        float length = 0.16f + 0.05f * ((i * 3) % 4);
        Vec3 base{std::cos(around) * 0.09f, -0.02f - 0.04f * (i % 3), std::sin(around) * 0.09f};
        model.meshes.push_back(Crystal("shard" + std::to_string(i), "shard",
                                       {base, axis, 0.045f, length, 0.08f, 0.03f, around}));
    }
    return model;
}

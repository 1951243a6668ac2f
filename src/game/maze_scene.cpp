#include "game/maze_scene.h"

#include <memory>
#include <string>

#include "platform/host/host.h"
#include "render3d/object_readers.h"
#include "render3d/scene3d.h"
#include "scene/texture.h"

namespace {

constexpr int kMeshUnit = 8;
constexpr int kSideDepth = 4;  // half the wall unit of 8
constexpr int32_t kFullU = 65535;
constexpr int32_t kTopV = 32767, kSideTopV = 32768, kSideBottomV = 49151;

struct Corner {
    float x, z;
};

// The two triangles of the last four vertices, wound either way.
void AddQuadFaces(Mesh3D& mesh, bool forward) {
    const int k = mesh.vertexCount() - 1;
    if (forward) {
        mesh.addFace(k, k - 1, k - 2);
        mesh.addFace(k - 3, k - 2, k - 1);
    } else {
        mesh.addFace(k - 2, k - 1, k);
        mesh.addFace(k - 1, k - 2, k - 3);
    }
}

// The side face along an edge from `a` to `b` (a at the lower coordinate):
// the third quarter of the cell picture, from the top down to the depth.
void AddSide(Mesh3D& mesh, Corner a, Corner b, bool forward) {
    mesh.addVertex(a.x, 0.0f, a.z, 0, kSideTopV);
    mesh.addVertex(b.x, 0.0f, b.z, kFullU, kSideTopV);
    mesh.addVertex(a.x, -float(kSideDepth), a.z, 0, kSideBottomV);
    mesh.addVertex(b.x, -float(kSideDepth), b.z, kFullU, kSideBottomV);
    AddQuadFaces(mesh, forward);
}

std::unique_ptr<Mesh3D> BuildTile(const Maze& maze, int x, int y) {
    auto mesh = std::make_unique<Mesh3D>();
    const float west = float(kMeshUnit * y), east = west + kMeshUnit;
    const float south = float(kMeshUnit * x), north = south + kMeshUnit;
    mesh->addVertex(west, 0.0f, south, 0, 0);
    mesh->addVertex(east, 0.0f, south, kFullU, 0);
    mesh->addVertex(west, 0.0f, north, 0, kTopV);
    mesh->addVertex(east, 0.0f, north, kFullU, kTopV);
    AddQuadFaces(*mesh, true);
    // The north edge faces away from the camera and never gets a side.
    if (maze.cell(x - 1, y) != 1) AddSide(*mesh, {west, south}, {east, south}, false);
    if (maze.cell(x, y + 1) != 1) AddSide(*mesh, {east, south}, {east, north}, false);
    if (maze.cell(x, y - 1) != 1) AddSide(*mesh, {west, south}, {west, north}, true);
    return mesh;
}

std::u16string CellMeshName(int x, int y) {
    return host::FromUtf8("cell_" + std::to_string(x) + "_" + std::to_string(y));
}

// A screen-aligned picture chip standing at a point, raised by `lift` times
// its own height.
Object3D* StandChip(Scene3D& scene, const std::u16string& group, Texture* image, float radius, Vector3 at,
                    float lift) {
    const int w = image && image->loadedWidth > 0 ? image->loadedWidth : 1;
    const int h = image && image->loadedHeight > 0 ? image->loadedHeight : 1;
    auto chip = BuildChip(w, h, 2, radius, true, image, image);
    chip->billboard = 2;
    at.y += lift * chip->size.y;
    chip->worldMatrix.setTranslation(at);
    Object3D* placed = chip.get();
    scene.addObject(group, chip.release());
    return placed;
}

}  // namespace

Object3D* BuildMazeMeshes(Scene3D& scene, Maze& maze, Texture* cellImage, float size) {
    maze.setWorldSize(size);
    auto group = std::make_unique<Object3D>();
    auto material = std::make_unique<Material3D>();
    material->texture = cellImage;
    if (cellImage && cellImage->bitmap()->transparentColor != 0xFFFFFFFF) material->adoptTextureKey();
    Material3D* passage = group->addMaterial(u"mtlPassage", std::move(material));

    const float meshRadius = 0.5f * std::max(maze.cellX(), maze.cellZ());
    for (int x = 0; x < maze.rows(); ++x) {
        for (int y = 0; y < maze.columns(); ++y) {
            if (maze.cell(x, y) == 0) continue;
            auto mesh = BuildTile(maze, x, y);
            mesh->material = passage;
            mesh->radius = meshRadius;
            mesh->centre = maze.cellCenter(x, y);
            group->addMesh(CellMeshName(x, y), std::move(mesh));
        }
    }
    group->normalize(maze.halfSize(), std::nullopt, std::nullopt);
    // Tile tops at Y = 0.
    const int32_t drop = TruncToInt(double(0.5f * group->size.y) * 65536.0);
    for (auto& mesh : group->meshes)
        for (Vertex& v : mesh->vertices) v.y -= drop;
    group->cullingPolicy = 2;
    Object3D* placed = group.get();
    scene.addObject(u"GrpMaze", group.release());
    return placed;
}

void PlaceDecor(Scene3D& scene, const Maze& maze, const std::array<Texture*, 2>& images, GameRandom& random) {
    for (int x = 1; x <= maze.rows() - 2; ++x) {
        for (int y = 1; y <= maze.columns() - 2; ++y) {
            const int r = random.range(0, 100);
            if (maze.cell(x, y) != 0 || maze.cell(x - 1, y) != 1 || r <= 50) continue;
            Vector3 at = maze.cellCenter(x, y);
            at.z -= 0.7f * Maze::kWorldUnit;
            StandChip(scene, u"GrpDecor", images[size_t(r % 2)], 0.02f * Maze::kWorldUnit, at, 0.45f);
        }
    }
}

Object3D* PlaceTomb(Scene3D& scene, const Maze& maze, Texture* image, Cell home) {
    return StandChip(scene, u"GrpTomb", image, 0.03f * Maze::kWorldUnit, maze.cellCenter(home), 0.4f);
}

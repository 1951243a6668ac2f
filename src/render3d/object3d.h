#pragma once
// The object model the pipeline draws: objects made of meshes, their vertices,
// faces and materials, and level-of-detail sets. Mesh geometry is 16.16 fixed
// point (value * 65536); transforms, radii and distances are floats; colours
// are 0xRRGGBB.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render3d/math3d.h"
#include "scene/scene.h"

class Texture;
struct Vertex;

// How a material turns a texel into a pixel.
enum ShadingMode : int {
    kShadeTexture = 1,      // the texel as it is
    kShadeBlend = 2,        // the texel blended with the frame buffer by alpha
    kShadeLit = 3,          // the texel times the light map
    kShadeLitSpecular = 4,  // lit, blended by alpha, plus the specular term
    kShadeLitAdded = 5,     // lit, plus the second colour or the environment
};
// How an object turns toward the camera.
enum BillboardMode : int { kBillboardNone = 0, kBillboardUpright = 1, kBillboardScreen = 2 };
// What is tested against the view before an object is drawn.
enum CullingPolicy : int { kCullNever = 0, kCullObject = 1, kCullEachMesh = 2 };

// Clip-code bits of a vertex.
enum ClipCode : int32_t {
    kClipLeft = 1,
    kClipRight = 2,
    kClipTop = 4,
    kClipBottom = 8,
    kClipNear = 16,
    kClipFar = 32,
};

struct Vertex {
    int32_t x = 0, y = 0, z = 0;     // object space, 16.16
    int32_t u = 0, v = 0;            // texture coordinates, 16.16; 1.0 spans the texture once
    int32_t nx = 0, ny = 0, nz = 0;  // vertex normal, 16.16
    // Filled by the pipeline every frame.
    int32_t cx = 0, cy = 0, cz = 0;  // camera space, 16.16
    int32_t sx = 0, sy = 0;          // screen, whole pixels, -4096..4095
    int32_t depth = 0;               // integer part of cz
    int32_t clip = 0;                // ClipCode bits
    int32_t eu = 0, ev = 0;          // light-map coordinates, 0..254
};

struct Face {
    uint16_t a = 0, b = 0, c = 0;
    int32_t nx = 0, ny = 0, nz = 0;  // object space, 16.16, set when the mesh is prepared
};

class Material3D {
public:
    uint32_t colour = 0xFFFFFF;
    uint32_t secondColour = 0;  // constant colour added in shading mode 5
    int alpha = 0;              // 0..255: weight of the frame buffer in blended modes; 0 opaque
    Texture* texture = nullptr;
    Texture* alphaTexture = nullptr;  // pixel brightness is the opacity
    bool hasTransparentColour = false;
    uint32_t transparentColour = 0;  // texels of exactly this colour are not drawn
    int32_t offsetU = 0, offsetV = 0;  // 16.16, added to the texture coordinates
    int shadingMode = kShadeTexture;   // a ShadingMode
    std::u16string name;
    bool twoSided = false;
    int specularLevel = 255;   // 0..255
    bool flatLighting = false;  // light-map lookup once per face
    bool wireFrame = false;
    int wireFrameMask = 7;  // bit 0 edge P1-P2, bit 1 P2-P0, bit 2 P0-P1
    Texture* environmentTexture = nullptr;

    // No alpha, and no per-pixel opacity (a colour-keyed texture is opaque).
    bool opaque() const { return alpha == 0 && (!alphaTexture || hasTransparentColour); }
    // When the texture's picture declares a colour key: the key becomes the
    // transparent colour and the texture also fills the alpha slot, so that no
    // per-pixel opacity applies.
    void adoptTextureKey();
};

class Mesh3D;

// Splits large faces before triangle set-up, to limit the distortion of
// affine texture mapping. `depth` counts the splits made so far.
class FaceDrawer {
public:
    virtual ~FaceDrawer() = default;
    // The deepest subdivision allowed for this face.
    virtual int maxDepth(const Mesh3D& mesh, const Vertex& a, const Vertex& b, const Vertex& c) = 0;
    // Whether this triangle (screen and camera space set) should be split.
    virtual bool shouldSplit(const Vertex& a, const Vertex& b, const Vertex& c) = 0;
    int depth = 0;
};

class Mesh3D {
public:
    // Position in floats (stored as trunc(value * 65536)), u and v in 16.16.
    void addVertex(float x, float y, float z, int32_t u, int32_t v);
    void addFace(int a, int b, int c);
    int vertexCount() const { return int(vertices.size()); }
    int faceCount() const { return int(faces.size()); }
    std::unique_ptr<Mesh3D> copy() const;

    Matrix4 localMatrix;  // applied after the object's world matrix
    bool visible = true;
    std::u16string name;
    std::vector<Vertex> vertices;
    // Optional: runs of [vertex, k, k vertices at the same position], so the
    // k vertices take the first one's transform instead of their own.
    std::vector<uint16_t> shareList;
    std::vector<Face> faces;
    Material3D* material = nullptr;  // owned by the object
    Vector3 centre;                  // object space
    float radius = 0.0f;             // bounding radius for per-mesh culling
    bool environment = true;         // the scene's fog applies
    uint32_t fogEndColour = 0xFFFFFFFF;  // beyond the fog's back distance; none: the fog colour
    FaceDrawer* faceDrawer = nullptr;    // not owned
    int faceFirst = -1, faceEnd = -1;    // faces drawn; either negative: all; end below first wraps
    float depthBias = 0.0f;              // subtracted from every depth the mesh produces
    bool prepared = false;               // normals (and bounds) computed
};

// The plain values of an object, apart from its meshes and materials, so that
// a clone copies all of them in one assignment and a new field cannot be
// forgotten there.
struct Object3DValues {
    bool visible = true;
    Matrix4 worldMatrix;
    int billboard = kBillboardNone;  // a BillboardMode
    int cullingPolicy = kCullNever;  // a CullingPolicy
    float nearOverride = 0.0f, farOverride = 0.0f;  // > 0 replaces the camera's
    float radius = 0.0f;
    Vector3 size;          // bounding-box extent after normalisation
    float segment = 0.0f;  // depth step between levels of detail
};

class Object3D : public SceneObject, public Object3DValues {
public:
    Object3D() = default;
    Object3D(const Object3D&) = delete;
    Object3D& operator=(const Object3D&) = delete;

    // Takes ownership.
    Mesh3D* addMesh(const std::u16string& meshName, std::unique_ptr<Mesh3D> mesh);
    Material3D* addMaterial(const std::u16string& materialName, std::unique_ptr<Material3D> material);
    Material3D* findMaterial(std::u16string_view materialName) const;
    Mesh3D* findMesh(std::u16string_view meshName) const;
    int meshCount() const { return int(meshes.size()); }
    Mesh3D* meshAt(int i) const { return meshes[size_t(i)].get(); }

    // Same name and values, with copies of every mesh and material; each
    // copied mesh uses the copy of its material.
    std::unique_ptr<Object3D> clone() const;
    // Centres the object on its origin and scales it so that its largest
    // half-extent is `radius`. Only meshes whose names pass the lists count
    // for the box: a mesh passes when `wanted` contains its name (or is
    // absent) and `unwanted` does not. When nothing passes the object is left
    // unscaled.
    void normalize(float newRadius, const std::optional<std::u16string>& wanted,
                   const std::optional<std::u16string>& unwanted);
    void setDetailLevel(int shadingMode);
    void setEnvironment(bool on);
    // Takes the meshes of `count` level objects as level-of-detail sets, nearest
    // first; their materials move along. Nothing when count < 1 or segment <= 0.
    void attachLevels(std::vector<std::unique_ptr<Object3D>> levelObjects, float segmentLength);
    // Advances animated textures, at most once per frame number.
    void update(float timeStep, uint32_t frame);

    std::vector<std::unique_ptr<Mesh3D>> meshes;
    std::vector<std::unique_ptr<Material3D>> materials;
    Matrix4 worldCopy;  // working copies filled by the pipeline every frame
    Matrix4 modelView;
    std::vector<std::vector<Mesh3D*>> levels;  // level-of-detail mesh lists
    // Meshes of the levels, and textures loaded without an image cache.
    std::vector<std::unique_ptr<Mesh3D>> levelMeshes;
    std::vector<std::shared_ptr<Texture>> ownedTextures;
};

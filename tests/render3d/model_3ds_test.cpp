// The 3DS loader: chunks, the coordinate conversion, materials, textures,
// paths, messages, and files that are damaged or odd.

#include <gtest/gtest.h>

#include "model_bytes.h"
#include "render3d/model_3ds.h"
#include "render3d_fixture.h"
#include "scene/image_cache.h"
#include "scene/texture.h"

namespace {

using namespace r3test;

constexpr int32_t kOne = 0x10000;

class Model3dsTest : public Render3DTest {
protected:
    std::unique_ptr<Object3D> parse(const Bytes& bytes, float radius = 1.0f) {
        Load3dsOptions options;
        options.textureFolder = host::FromUtf8(folder());
        options.imageCache = &canvas->imageCache();
        return Parse3ds(bytes.data(), bytes.size(), options, radius, std::nullopt, std::nullopt);
    }
};

// Two vertices symmetric about the origin: normalising to radius 3 (the
// largest half-extent) changes nothing, so the stored values are the file's
// converted ones.
TEST_F(Model3dsTest, FileCoordinatesBecomeLeftHandedYUpAndTextureCoordinatesFlipV) {
    auto object = parse(Model({NamedMesh("m", {VertexList({{1, 2, 3}, {-1, -2, -3}})})}), 3.0f);
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(object->meshCount(), 1);
    const Vertex& v = object->meshAt(0)->vertices[0];
    EXPECT_EQ(v.x, -1 * kOne);
    EXPECT_EQ(v.y, 3 * kOne);
    EXPECT_EQ(v.z, -2 * kOne);
    EXPECT_EQ(object->meshAt(0)->name, u"m");
    EXPECT_TRUE(boxes.empty());
    // Texture coordinates flip v.
    object = parse(Model({NamedMesh("m", {VertexList({{0, 0, 0}, {1, 1, 1}}),
                                          TexCoords({{0.5f, 0.25f}, {2.0f, 1.0f}, {9.0f, 9.0f}})})}));
    const Mesh3D& mesh = *object->meshAt(0);
    ASSERT_EQ(mesh.vertexCount(), 2);  // the third pair has no vertex and is ignored
    EXPECT_EQ(mesh.vertices[0].u, 0x8000);
    EXPECT_EQ(mesh.vertices[0].v, 0xC000);
    EXPECT_EQ(mesh.vertices[1].u, 0x20000);
    EXPECT_EQ(mesh.vertices[1].v, 0);
}

TEST_F(Model3dsTest, MaterialsColoursPercentagesAndFlags) {
    auto object = parse(Model({
        Material("glass", {Chunk(0xA020, {}, {ColourBytes(10, 20, 30)}), Chunk(0xA050, {}, {PercentInt(50)}),
                           Chunk(0xA041, {}, {PercentFloat(0.5f)}), Chunk(0xA080, {}, {ColourFloats(0.8f, 0.5f, 1.5f)}),
                           Chunk(0xA081), Chunk(0xA085), Chunk(0xA100, Bytes{1, 0}),
                           Chunk(0xA010, {}, {ColourBytes(1, 1, 1)}), Chunk(0xA040, {}, {PercentInt(80)})}),
        Material("odd", {Chunk(0xA020, {}, {Chunk(0x0012, Bytes{1, 2, 3})}), Chunk(0xA100, Bytes{3, 0})}),
    }));
    ASSERT_EQ(object->materials.size(), 2u);
    const Material3D& glass = *object->findMaterial(u"glass");
    EXPECT_EQ(glass.colour, 0x0A141Eu);
    EXPECT_EQ(glass.alpha, 127);          // 50 * 255 / 100
    EXPECT_EQ(glass.specularLevel, 127);  // trunc(0.5 * 255)
    EXPECT_EQ(glass.secondColour, 0xCC80FFu);  // 0 ... 1 scaled to 0 ... 255, rounded, clamped
    EXPECT_TRUE(glass.twoSided);
    EXPECT_TRUE(glass.wireFrame);
    EXPECT_TRUE(glass.flatLighting);
    const Material3D& odd = *object->findMaterial(u"odd");
    EXPECT_EQ(odd.colour, 0u);  // an unknown colour chunk gives black
    EXPECT_FALSE(odd.flatLighting);
}

TEST_F(Model3dsTest, TheLaterMaterialGroupWinsForTheWholeMesh) {
    auto object = parse(Model({Material("red", {}), Material("blue", {}),
                               NamedMesh("m", {VertexList({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}),
                                               FaceList({{0, 1, 2}, {1, 3, 2}},
                                                        {MaterialGroup("red", {0}), MaterialGroup("blue", {1})})})}));
    const Mesh3D& mesh = *object->meshAt(0);
    ASSERT_EQ(mesh.faceCount(), 2);
    EXPECT_EQ(mesh.faces[1].b, 3);
    ASSERT_NE(mesh.material, nullptr);
    EXPECT_EQ(mesh.material->name, u"blue");
}

TEST_F(Model3dsTest, AModelInASubfolderIsReadWithItsTexturesFromThere) {
    std::vector<uint32_t> skin(16, 0x00FF00);
    skin[5] = 0xFF00FF;
    write("data/models/skin.gif", MakeGif(4, 4, skin, 0xFF00FF));
    write("data/models/ghost.3ds",
          Model({Material("skin", {Map(0xA200, "skin.gif")}),
                 NamedMesh("ghost", {VertexList({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}),
                                     FaceList({{0, 1, 2}}, {MaterialGroup("skin", {0})})})}));
    ModelPath where = ResolveModelPath(u"data", u"models\\ghost.3ds");
    EXPECT_EQ(where.path, u"data\\models\\ghost.3ds");
    EXPECT_EQ(where.folder, u"data\\models\\");
    EXPECT_EQ(ResolveModelPath(u"data\\", u"\\ghost.3ds").path, u"data\\ghost.3ds");

    auto object = Load3ds(host::FromUtf8(folder() + "data"), u"models\\ghost.3ds", 1.0f, &canvas->imageCache(),
                          std::nullopt, std::nullopt);
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(boxes.empty()) << boxes[0].text;
    const Material3D& m = *object->findMaterial(u"skin");
    ASSERT_NE(m.texture, nullptr);
    EXPECT_EQ(m.texture->name, u"skin.gif");
    EXPECT_EQ(canvas->imageCache().find(u"skin.gif"), m.texture);
    // The picture's colour key makes the material keyed, with no per-pixel opacity.
    EXPECT_TRUE(m.hasTransparentColour);
    EXPECT_EQ(m.transparentColour, 0xFF00FFu);
    EXPECT_EQ(m.alphaTexture, m.texture);
}

TEST_F(Model3dsTest, TexturesWithoutAnImageCacheBelongToTheObject) {
    write("pic.gif", MakeGif(2, 2, {1, 2, 3, 4}));
    write("alpha.gif", MakeGif(4, 2, std::vector<uint32_t>(8, 0xFFFFFF)));
    Bytes file = Model({Material("m", {Map(0xA200, "pic.gif"), Map(0xA210, "alpha.gif"), Map(0xA220, "none.gif")})});
    Load3dsOptions options;
    options.textureFolder = host::FromUtf8(folder());
    auto object = Parse3ds(file.data(), file.size(), options, 1.0f, std::nullopt, std::nullopt);
    const Material3D& m = *object->materials[0];
    ASSERT_NE(m.texture, nullptr);
    ASSERT_NE(m.alphaTexture, nullptr);
    EXPECT_EQ(m.environmentTexture, nullptr);
    EXPECT_EQ(object->ownedTextures.size(), 2u);
    auto copy = object->clone();
    object.reset();
    EXPECT_EQ(copy->materials[0]->texture->width, 2);  // still alive through the copy
    // 2 x 2 against 4 x 2: told, and both kept.
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Error");
    EXPECT_EQ(boxes[0].text, "The alpha channel texture does not match original texture in deminsion.");
    EXPECT_EQ(boxes[0].style & 0xF0, uint32_t(host::MB_ICONINFORMATION));
}

TEST_F(Model3dsTest, AWrongMainChunkOrAMissingFileIsRejectedAndTold) {
    Bytes file = Model({});
    file[0] = 0x4E;
    EXPECT_EQ(parse(file), nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Error");
    EXPECT_EQ(boxes[0].text, "Error: this is not a valid 3DS file.");
    EXPECT_EQ(boxes[0].style & 0xF0, uint32_t(host::MB_ICONEXCLAMATION));
    boxes.clear();
    EXPECT_EQ(Load3ds(u"nowhere", u"x.3ds", 1.0f, nullptr, std::nullopt, std::nullopt), nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Error: can not find the 3DS file 'nowhere\\x.3ds'");
    EXPECT_EQ(Load3ds(u"nowhere", u"x.3ds", 1.0f, nullptr, std::nullopt, std::nullopt, true), nullptr);
    EXPECT_EQ(boxes.size(), 1u);  // silent
}

TEST_F(Model3dsTest, ChunksBeforeAnyMeshAndUnknownChunksAreSkippedSafely) {
    auto object = parse(Model({VertexList({{1, 1, 1}}), FaceList({{0, 0, 0}}), TexCoords({{1, 1}}),
                               MaterialGroup("x", {0}), Chunk(0x1234, Bytes(40, 0xAB)),
                               Chunk(0xA020, {}, {ColourBytes(1, 2, 3)}), Chunk(0xA000, Str("loose")),
                               NamedMesh("m", {VertexList({{0, 0, 0}, {2, 0, 0}, {0, 2, 0}})})}));
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(object->meshCount(), 1);
    EXPECT_EQ(object->meshAt(0)->vertexCount(), 3);
    EXPECT_TRUE(object->materials.empty());
}

TEST_F(Model3dsTest, TruncatedDataKeepsWhatWasReadBeforeTheEnd) {
    Bytes file = Model({NamedMesh("m", {VertexList({{0, 0, 0}, {2, 0, 0}, {0, 2, 0}}),
                                        FaceList({{0, 1, 2}, {0, 2, 1}})})});
    for (size_t cut = 0; cut < file.size(); ++cut) {
        Bytes part(file.begin(), file.begin() + long(cut));
        auto object = parse(part);
        if (cut < 2 || !object) continue;
        for (const auto& mesh : object->meshes) EXPECT_LE(mesh->vertexCount(), 3);
    }
    auto half = parse(Bytes(file.begin(), file.end() - 10));
    ASSERT_NE(half, nullptr);
    EXPECT_EQ(half->meshAt(0)->vertexCount(), 3);
    EXPECT_EQ(half->meshAt(0)->faceCount(), 1);
}

TEST_F(Model3dsTest, LongNamesAreReadToTheirEndInTheWindowsCodePage) {
    const std::string skin = "a texture named at length by a modern tool.gif";
    write(skin, MakeGif(2, 2, {1, 2, 3, 4}));
    auto object = parse(Model({Material(std::string(40, 'm'), {Map(0xA200, skin)}),
                               NamedMesh(std::string(40, 'n'), {VertexList({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})})}));
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(object->materials.size(), 1u);
    EXPECT_EQ(object->materials[0]->name, std::u16string(40, u'm'));
    ASSERT_NE(object->materials[0]->texture, nullptr);
    EXPECT_EQ(object->materials[0]->texture->name, host::FromUtf8(skin));
    ASSERT_EQ(object->meshCount(), 1);
    EXPECT_EQ(object->meshAt(0)->name, std::u16string(40, u'n'));
    EXPECT_EQ(object->meshAt(0)->vertexCount(), 3);
    // Names use the Windows code page.
    object = parse(Model({Material(std::string("caf\xE9\x80"), {})}));
    ASSERT_EQ(object->materials.size(), 1u);
    EXPECT_EQ(object->materials[0]->name, u"caf\u00E9\u20AC");
}

TEST_F(Model3dsTest, FacesNamingMissingVerticesAreDroppedBeforeDrawing) {
    auto object = parse(Model({NamedMesh("m", {VertexList({{0, 0, 0}, {2, 0, 0}, {0, 2, 0}}),
                                               FaceList({{0, 1, 2}, {3, 0, 1}, {0, 3, 1}, {0, 1, 3}, {65535, 0, 1}})})}));
    ASSERT_EQ(object->meshAt(0)->faceCount(), 5);
    Scene3D* scene = makeScene(32, 32);
    Object3D* raw = object.release();
    scene->addObject(u"m", raw);
    render(scene);
    EXPECT_EQ(raw->meshAt(0)->faceCount(), 1);
    EXPECT_NE(raw->meshAt(0)->material, nullptr);  // a default one
}

}  // namespace

// 3D objects: chips, normalisation, clones, level-of-detail sets, the model
// store, and the template readers of the 3D types.

#include <gtest/gtest.h>

#include "model_bytes.h"
#include "render3d/model_store.h"
#include "render3d_fixture.h"
#include "scene/image_cache.h"

namespace {

using namespace r3test;

constexpr int32_t kOne = 0x10000;

std::vector<std::array<int32_t, 3>> Positions(const Mesh3D& mesh) {
    std::vector<std::array<int32_t, 3>> out;
    for (const Vertex& v : mesh.vertices) out.push_back({v.x, v.y, v.z});
    return out;
}

TEST(Chip, SizeRadiusOrientationAndMirrorPlaceTheCorners) {
    auto chip = BuildChip(4, 2, 2, 1.0f, false, nullptr, nullptr);
    ASSERT_EQ(chip->meshCount(), 1);
    const Mesh3D& mesh = *chip->meshAt(0);
    EXPECT_EQ(mesh.name, u"chip");
    using P = std::array<int32_t, 3>;
    EXPECT_EQ(Positions(mesh), (std::vector<P>{{4 * kOne, 2 * kOne, 0}, {4 * kOne, -2 * kOne, 0},
                                               {-4 * kOne, -2 * kOne, 0}, {-4 * kOne, 2 * kOne, 0}}));
    EXPECT_EQ(chip->radius, 4.0f);
    EXPECT_EQ(chip->size, (Vector3{8, 4, 0}));
    EXPECT_EQ(mesh.radius, 4.0f);
    ASSERT_EQ(mesh.faces.size(), 2u);
    EXPECT_EQ(mesh.faces[1].a, 2);
    EXPECT_EQ(mesh.faces[1].c, 0);
    const Material3D& m = *mesh.material;
    EXPECT_EQ(m.name, u"chipMtl");
    EXPECT_TRUE(m.twoSided);
    EXPECT_TRUE(m.flatLighting);
    EXPECT_EQ(mesh.vertices[1].v, kOne);
    EXPECT_EQ(mesh.vertices[2].u, kOne);

    // A negative width builds from its size but keeps the sign in radius and
    // size: bounding radius max(-4, 2) * 1 = 2, so the 4-wide chip is scaled by 1.
    auto negative = BuildChip(-4, 2, 2, 1.0f, false, nullptr, nullptr);
    EXPECT_EQ(negative->meshAt(0)->radius, 2.0f);
    EXPECT_EQ(negative->meshAt(0)->vertices[0].x, 2 * kOne);
    EXPECT_EQ(negative->meshAt(0)->vertices[0].y, 1 * kOne);
    EXPECT_EQ(negative->size.x, -8.0f);
    EXPECT_EQ(negative->size.y, 4.0f);

    // The other orientations, and the mirror.
    auto yz = BuildChip(2, 2, 0, 0.5f, true, nullptr, nullptr);
    const Vertex& v = yz->meshAt(0)->vertices[0];
    EXPECT_EQ(v.x, 0);
    EXPECT_EQ(v.z, kOne);  // the first in-plane coordinate goes to z; half-extent 2 * 0.5
    EXPECT_EQ(v.u, kOne);      // mirrored
    auto xz = BuildChip(2, 2, 1, 0.5f, false, nullptr, nullptr);
    EXPECT_EQ(xz->meshAt(0)->vertices[1].y, 0);
    EXPECT_EQ(xz->meshAt(0)->vertices[1].z, -kOne);
    EXPECT_EQ(xz->meshAt(0)->vertices[0].u, 0);
}

std::unique_ptr<Object3D> TwoMeshes() {
    auto object = std::make_unique<Object3D>();
    auto a = std::make_unique<Mesh3D>();
    a->addVertex(0, 0, 0, 0, 0);
    a->addVertex(2, 4, 6, 0, 0);
    auto b = std::make_unique<Mesh3D>();
    b->addVertex(10, 10, 10, 0, 0);
    b->addVertex(12, 10, 10, 0, 0);
    object->addMesh(u"body", std::move(a));
    object->addMesh(u"hat", std::move(b));
    return object;
}

TEST(Normalize, CentresAndScalesOnTheFilteredMeshesIfTheyHaveAnExtent) {
    auto object = TwoMeshes();
    object->normalize(3.0f, std::u16string(u"body,tail"), std::nullopt);
    // Box of "body": (0..2, 0..4, 0..6), centre (1, 2, 3), scale 3 / 3 = 1.
    EXPECT_EQ(Positions(*object->meshAt(0)),
              (std::vector<std::array<int32_t, 3>>{{-kOne, -2 * kOne, -3 * kOne}, {kOne, 2 * kOne, 3 * kOne}}));
    EXPECT_EQ(object->meshAt(1)->vertices[0].x, 9 * kOne);  // moved, though it did not count
    EXPECT_EQ(object->size, (Vector3{2, 4, 6}));
    EXPECT_EQ(object->radius, 3.0f);

    auto unwanted = TwoMeshes();
    unwanted->normalize(1.0f, std::nullopt, std::u16string(u"hat"));
    EXPECT_EQ(unwanted->meshAt(0)->vertices[1].z, kOne);

    // A filter matching no mesh, a single point or nothing leave the object unscaled.
    auto none = TwoMeshes();
    auto before = Positions(*none->meshAt(0));
    none->normalize(5.0f, std::u16string(u"wheel"), std::nullopt);
    EXPECT_EQ(Positions(*none->meshAt(0)), before);
    EXPECT_EQ(none->radius, 5.0f);
    Object3D point;
    auto mesh = std::make_unique<Mesh3D>();
    mesh->addVertex(1, 1, 1, 0, 0);
    point.addMesh(u"p", std::move(mesh));
    point.normalize(2.0f, std::nullopt, std::nullopt);
    EXPECT_EQ(point.meshAt(0)->vertices[0].x, kOne);
    Object3D empty;
    empty.normalize(2.0f, std::nullopt, std::nullopt);
    EXPECT_EQ(empty.radius, 2.0f);
}

TEST(Object3D, CloneCopiesMeshesAndMaterialsAndRepointsThem) {
    auto object = TwoMeshes();
    Material3D* m = object->addMaterial(u"skin", std::make_unique<Material3D>());
    m->colour = 0x123456;
    object->meshAt(0)->material = m;
    object->billboard = 2;
    object->cullingPolicy = 2;
    object->worldMatrix.setTranslation({1, 2, 3});
    object->name = u"ghost";
    auto copy = object->clone();
    EXPECT_EQ(copy->name, u"ghost");
    EXPECT_EQ(copy->billboard, 2);
    EXPECT_EQ(copy->cullingPolicy, 2);
    EXPECT_EQ(copy->worldMatrix, object->worldMatrix);
    ASSERT_EQ(copy->materials.size(), 1u);
    EXPECT_NE(copy->materials[0].get(), m);
    EXPECT_EQ(copy->meshAt(0)->material, copy->materials[0].get());
    EXPECT_EQ(copy->meshAt(0)->material->colour, 0x123456u);
    copy->meshAt(0)->vertices[0].x = 99;
    EXPECT_EQ(object->meshAt(0)->vertices[0].x, 0);
    EXPECT_EQ(copy->findMaterial(u"skin"), copy->materials[0].get());
    EXPECT_EQ(std::pair(copy->findMesh(u"hat"), copy->findMesh(u"cap")), std::pair(copy->meshAt(1), static_cast<Mesh3D*>(nullptr)));
}

TEST(Object3D, LevelsOfDetailKeepTheirMaterialsInTheContainer) {
    auto object = TwoMeshes();
    object->addMaterial(u"a", std::make_unique<Material3D>());

    std::vector<std::unique_ptr<Object3D>> none;
    none.push_back(TwoMeshes());
    object->attachLevels(std::move(none), 0.0f);
    EXPECT_TRUE(object->levels.empty());

    std::vector<std::unique_ptr<Object3D>> levels;
    levels.push_back(TwoMeshes());
    levels.push_back(TwoMeshes());
    Material3D* m = levels[1]->addMaterial(u"a", std::make_unique<Material3D>());
    levels[1]->meshAt(0)->material = m;
    object->attachLevels(std::move(levels), 5.0f);
    ASSERT_EQ(object->levels.size(), 2u);
    EXPECT_EQ(object->levels[1].size(), 2u);
    EXPECT_EQ(object->segment, 5.0f);
    // The level's material lives on in the container, so its mesh stays valid.
    EXPECT_EQ(object->levels[1][0]->material, m);
    EXPECT_EQ(object->materials.size(), 2u);
    auto copy = object->clone();
    EXPECT_EQ(copy->levels[1][0]->material, copy->materials[1].get());
}

Bytes Tetrahedron(const std::string& mesh) {
    return Model({NamedMesh(mesh, {VertexList({{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {0, 0, 2}}),
                                   FaceList({{0, 1, 2}, {0, 3, 1}, {0, 2, 3}, {1, 3, 2}})})});
}

class ReaderTest : public Render3DTest {};

// One template of every 3D type: a scene of width 5 becomes 8; number:3 makes
// copies named with their index; a colour-keyed chip texture is its own alpha
// slot; lights and the later of two fogs; models from the store as copies;
// levels of detail on their container. An object whose container is missing
// is dropped without a word, a missing model told.
TEST_F(ReaderTest, TemplatesBuildEveryThreeDType) {
    std::vector<uint32_t> pixels(16, 0x00FF00);
    pixels[0] = 0xFF00FF;
    write("leaf.gif", MakeGif(4, 4, pixels, 0xFF00FF));
    write("plain.gif", MakeGif(4, 4, std::vector<uint32_t>(16, 0x808080)));
    write("tet.3ds", Tetrahedron("body"));
    write("near.3ds", Tetrahedron("near"));
    write("far.3ds", Tetrahedron("far"));
    writeText("t.properties",
              "base=type:Scene3D, width:100, height:80\n"
              "view=type:Scene3D, width:5, height:3, x:4, y:6, bkgColor:(1;2;3), ambient:(16;32;48), "
              "zBufferProviderScene:base, buffered:1\n"
              "coin=type:Chip3D, container:view, number:3, width:2, height:2, radius:0.5, billboard:1, "
              "detailLevel:3, environmentEnabled:0, cullingPolicy:2, visible:0\n"
              "flag=type:Chip3D, container:view\n"
              "lost=type:Chip3D, container:nowhere\n"
              "leaf=type:Chip3D, container:view, texture:leaf.gif\n"
              "glass=type:Chip3D, container:view, texture:plain.gif, alpha:plain.gif\n"
              "sun=type:Light, container:view, dir:(0;0;-2), color:(255;128;0)\n"
              "lamp=type:Light, container:view, dir:(1;2)\n"
              "bare=type:Light, container:view\n"
              "mist=type:Fog, container:view, front:5, back:9, color:(10;20;30)\n"
              "haze=type:Fog, container:view\n"
              "a=type:Group3D, container:view, model:tet.3ds, radius:2\n"
              "b=type:Group3D, container:view, model:tet.3ds, radius:2\n"
              "c=type:Group3D, container:view, model:tet.3ds, radius:4\n"
              "d=type:Group3D, container:view, model:missing.3ds\n"
              "e=type:Group3D, container:view\n"
              "tree=type:Group3D, container:view, model:near.3ds\n"
              "treeLod=type:LOD, container:tree, levelNum:3, segment:2.5, detailLevel:4, model:( near.3ds; far.3ds )\n"
              "noLod=type:LOD, container:nothing, model:far.3ds\n");
    loadTemplate("t.properties");
    auto* scene = dynamic_cast<Scene3D*>(canvas->findScene(u"view"));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->width, 8);
    EXPECT_EQ(scene->height, 8);
    EXPECT_EQ(scene->x, 4);
    EXPECT_EQ(scene->bkgColor, 0x010203u);
    EXPECT_EQ(scene->ambient, 0x102030u);
    EXPECT_TRUE(scene->buffered);
    EXPECT_EQ(scene->zBufferProvider, canvas->findScene(u"base"));
    EXPECT_EQ(scene->pipeline(), nullptr);

    ASSERT_EQ(scene->objectCount(), 10);
    const std::u16string names[] = {u"coin0", u"coin1", u"coin2", u"flag"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(scene->object3DAt(i)->name, names[i]);
    EXPECT_EQ(scene->findObject(u"coin"), nullptr);
    EXPECT_NE(scene->object3DAt(0), scene->object3DAt(1));
    for (int i = 0; i < 3; ++i) {
        Object3D& coin = *scene->object3DAt(i);
        EXPECT_FALSE(coin.visible);
        EXPECT_EQ(coin.billboard, 1);
        EXPECT_EQ(coin.cullingPolicy, 2);
        EXPECT_EQ(coin.materials[0]->shadingMode, 3);
        EXPECT_FALSE(coin.meshAt(0)->environment);
        EXPECT_EQ(coin.meshAt(0)->vertices[0].x, kOne);  // radius 2 * 0.5
    }
    EXPECT_EQ(scene->object3DAt(3)->cullingPolicy, 1);
    EXPECT_TRUE(scene->object3DAt(3)->meshAt(0)->environment);
    EXPECT_EQ(canvas->findObject(u"lost"), nullptr);

    const Material3D& leaf = *scene->findObject(u"leaf")->materials[0];
    ASSERT_NE(leaf.texture, nullptr);
    EXPECT_TRUE(leaf.hasTransparentColour);
    EXPECT_EQ(leaf.transparentColour, 0xFF00FFu);
    EXPECT_EQ(leaf.alphaTexture, leaf.texture);
    EXPECT_TRUE(leaf.opaque());
    const Material3D& glass = *scene->findObject(u"glass")->materials[0];
    EXPECT_FALSE(glass.hasTransparentColour);
    EXPECT_EQ(glass.alphaTexture, glass.texture);  // the cache shares the picture
    EXPECT_FALSE(glass.opaque());

    ASSERT_EQ(scene->lights().size(), 3u);
    const Light& sun = *scene->findLight(u"sun");
    EXPECT_EQ(sun.direction, (Vector3{0, 0, -1}));
    EXPECT_EQ(sun.diffuse, 0xFF8000u);
    EXPECT_EQ(sun.specular, 0xFF8000u);
    EXPECT_EQ(sun.specularStrength, 320);
    EXPECT_EQ(sun.shininess, 120);
    EXPECT_EQ(scene->findLight(u"lamp")->direction, (Vector3{0, -1, 0})) << "too few numbers: the default";
    EXPECT_EQ(scene->findLight(u"bare")->diffuse, 0xFFFFFFu);
    ASSERT_NE(scene->fog(), nullptr);
    EXPECT_EQ(scene->fog()->front, 100);
    EXPECT_EQ(scene->fog()->back, 200);
    EXPECT_EQ(scene->fog()->colour, 0xFFFFFFu);

    Object3D *a = scene->findObject(u"a"), *b = scene->findObject(u"b"), *c = scene->findObject(u"c");
    EXPECT_NE(a, b);
    EXPECT_EQ(Positions(*a->meshAt(0)), Positions(*b->meshAt(0)));
    EXPECT_EQ(c->radius, 4.0f);
    EXPECT_NEAR(c->meshAt(0)->vertices[1].x, 2 * a->meshAt(0)->vertices[1].x, 2);
    EXPECT_EQ(ModelStoreOf(*canvas).size(), 3u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("missing.3ds"), std::string::npos);
    EXPECT_EQ(scene->findObject(u"e"), nullptr) << "no model, no object and no message";

    // Three levels asked for, two named: two levels.
    Object3D* tree = scene->findObject(u"tree");
    ASSERT_EQ(tree->levels.size(), 2u);
    EXPECT_EQ(tree->segment, 2.5f);
    EXPECT_EQ(tree->levels[0][0]->name, u"near");
    EXPECT_EQ(tree->levels[1][0]->name, u"far");

    // Removing an object leaves the store's own model intact.
    scene->removeObject(a);
    auto again = ModelStoreOf(*canvas).loadModel(host::FromUtf8(folder()), u"tet.3ds", 2.0f, nullptr, std::nullopt,
                                                 std::nullopt);
    EXPECT_EQ(Positions(*again->meshAt(0)), Positions(*b->meshAt(0)));
    canvas->clear();
    EXPECT_EQ(ModelStoreOf(*canvas).size(), 0u);
}

}  // namespace

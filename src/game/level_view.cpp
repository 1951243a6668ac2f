#include "game/level_view.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "data/text_helpers.h"
#include "game/game_host.h"
#include "platform/host/host.h"
#include "render3d/camera.h"
#include "render3d/object_readers.h"
#include "render3d/scene3d.h"
#include "scene/image_ops.h"
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
// its own height. Its size is the named picture's: a larger picture chosen for
// the screen draws the same chip more finely.
Object3D* StandChip(Scene3D& scene, const std::u16string& group, Texture* image, float radius, Vector3 at,
                    float lift) {
    const int w = image && image->loadedWidth > 0 ? std::max(1, image->loadedWidth / image->pictureScale) : 1;
    const int h = image && image->loadedHeight > 0 ? std::max(1, image->loadedHeight / image->pictureScale) : 1;
    auto chip = BuildChip(w, h, 2, radius, true, image, image);
    chip->billboard = kBillboardScreen;
    at.y += lift * chip->size.y;
    chip->worldMatrix.setTranslation(at);
    Object3D* placed = chip.get();
    scene.addObject(group, chip.release());
    return placed;
}

// The colour behind a popup's text; no text is drawn in it.
constexpr uint32_t kPopupKey = 0xFF00FF;

Object3D* BuildMazeMeshes(Scene3D& scene, const Maze& maze, Texture* cellImage) {
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
    group->cullingPolicy = kCullEachMesh;
    Object3D* placed = group.get();
    scene.addObject(u"GrpMaze", group.release());
    return placed;
}

// A strip for a popup's text, with a picture of its own `scale` times the
// design size, hidden.
Object3D* BuildPopupChip(Scene3D& scene, int scale) {
    auto picture = std::make_shared<Texture>(ScorePopup::kImageWidth * scale, ScorePopup::kImageHeight * scale,
                                             kPopupKey, false);
    picture->bitmap()->transparentColor = kPopupKey;
    auto object = BuildChip(4, 1, 2, ScorePopup::kRadius, true, picture.get(), picture.get());
    object->billboard = kBillboardScreen;
    object->visible = false;
    Material3D& material = *object->materials.front();
    material.hasTransparentColour = true;
    material.transparentColour = kPopupKey;
    material.shadingMode = kShadeTexture;
    object->ownedTextures.push_back(std::move(picture));
    Object3D* placed = object.get();
    scene.addObject(u"f", object.release());
    return placed;
}

// The body colours the generator paints the ghosts in, in the order of their
// pictures, and the scared and pale ones: the colours of the arrows that
// point at ghosts off the screen.
constexpr uint32_t kGhostBodies[] = {0xFF4D6D, 0x4DE8FF, 0xFF8AD8, 0x7CF25A, 0xB36BFF};
constexpr uint32_t kScaredBody = 0x4A5CFF, kPaleBody = 0xE8ECFF;

// How see-through a character nearer than the hero is while it covers him
// (0 opaque ... 255 invisible).
constexpr int kCoveringAlpha = 150;

// A solid triangle with a dark rim whose tip is at (x, y), `size` pixels
// long, pointing down (3), left (2) or right (0).
void FillArrow(FrameBuffer& target, int x, int y, int size, int direction, uint32_t colour) {
    // The rim first, a pixel wider all round, then the colour inside it.
    for (int rim = 1; rim >= 0; --rim) {
        const uint32_t paint = rim ? 0x101018u : colour;
        for (int k = rim ? 0 : 2; k < size + rim; ++k) {
            const int half = std::max(0, k * 2 / 3 - 1 + rim);
            if (direction == 3) fill(target, paint, x - half, y - k, 2 * half + 1, 1, true);
            else if (direction == 2) fill(target, paint, x + k, y - half, 1, 2 * half + 1, true);
            else fill(target, paint, x - k, y - half, 1, 2 * half + 1, true);
        }
    }
}

}  // namespace

int ShadingFor(Look look) {
    switch (look) {
        case Look::Translucent: return kShadeBlend;
        case Look::Glowing: return kShadeLitAdded;
        case Look::Solid: break;
    }
    return kShadeTexture;
}

LevelView::LevelView(Scene3D& scene, GameHost& host, const host::PlayStyle& style)
    : scene_(scene), host_(host), style_(style) {}

void LevelView::buildMaze(const GameLevel& level, const LevelPictures& pictures) {
    const Maze& maze = level.maze();
    mazeGroup_ = BuildMazeMeshes(scene_, maze, pictures.cell);
    for (const Decor& decor : level.decor()) {
        Vector3 at = maze.cellCenter(decor.cell);
        at.z -= 0.7f * Maze::kWorldUnit;
        StandChip(scene_, u"GrpDecor", pictures.decor[size_t(decor.picture)], 0.02f * Maze::kWorldUnit, at, 0.45f);
    }
    tomb_ = StandChip(scene_, u"GrpTomb", pictures.tomb, 0.03f * Maze::kWorldUnit, maze.cellCenter(level.ghostHome),
                      0.4f);
}

LevelView::ActorChip LevelView::addActor(const Actor& actor, float radiusFactor, const HeadingImages& images,
                                         const std::u16string& name) {
    auto chip = BuildChip(1, 1, 2, radiusFactor * Maze::kWorldUnit, true, nullptr, nullptr);
    chip->billboard = kBillboardScreen;
    chip->visible = false;
    chip->materials.front()->shadingMode = kShadeTexture;
    ActorChip view{chip.get(), images, 0};
    scene_.addObject(name, chip.release());
    updateActor(view, actor, false);
    return view;
}

void LevelView::createCharacters(const GameLevel& level, const LevelPictures& pictures) {
    hero_ = addActor(level.hero(), 1.6f, pictures.hero, u"Tobbin");
    heroChip_ = hero_.chip;
    updateActor(hero_, level.hero(), true);
    const bool ownColours = style_.ghosts && !pictures.ghostColours.empty();
    for (size_t i = 0; i < level.ghosts().size(); ++i) {
        const HeadingImages& images = ownColours ? pictures.ghostColours[i % pictures.ghostColours.size()] : pictures.ghost;
        ghosts_.push_back(addActor(*level.ghosts()[i], 1.4f, images, u"Ghost" + Decimal(int(i))));
    }
    if (style_.ghosts) scared_ = pictures.scared;
}

void LevelView::placeItems(const GameLevel& level, const LevelPictures& pictures) {
    const Maze& maze = level.maze();
    for (int x = 0; x < maze.rows(); ++x) {
        for (int y = 0; y < maze.columns(); ++y) {
            const Item* item = level.itemAt({x, y});
            if (!item) continue;
            const float radius = (item->type == kGoodtime ? 0.018f : 0.012f) * Maze::kWorldUnit;
            Object3D* chip = StandChip(scene_, u"p", pictures.items[size_t(item->type)], radius,
                                       maze.cellCenter(item->cell), 0.5f);
            chip->materials.front()->shadingMode = kShadeTexture;
            chip->cullingPolicy = kCullObject;
            items_.push_back({item, chip});
        }
    }
    popupTextHeight_ = ScorePopup::kTextHeight * pictures.popupScale;
    for (int i = 0; i < GameLevel::kPopupCount; ++i) popups_.push_back({BuildPopupChip(scene_, pictures.popupScale), 0});
}

void LevelView::update(const GameLevel& level) {
    if (!level.heroIfAny()) return;
    for (size_t i = 0; i < ghosts_.size(); ++i)
        updateActor(ghosts_[i], *level.ghosts()[i], false, frightPicture(*level.ghosts()[i]));
    updateActor(hero_, level.hero(), true);
    if (tomb_) {
        const TombGlow& glow = level.tomb();
        Material3D& material = *tomb_->materials.front();
        material.shadingMode = ShadingFor(glow.look);
        material.colour = glow.colour;
        Matrix4& shake = tomb_->meshes.front()->localMatrix;
        shake.setIdentity();
        if (glow.shaking) {
            const float c = TableCos(glow.angle), sn = TableSin(glow.angle);
            shake[0] = c, shake[1] = -sn, shake[4] = sn, shake[5] = c;
            shake[7] = glow.lift;
        }
    }
    const float bob = TableSin(8.0f * level.elapsedTime);
    for (auto& [item, chip] : items_) {
        chip->visible = !item->eaten;
        if (!item->eaten && item->bobs() && !chip->meshes.empty()) chip->meshes.front()->localMatrix[7] = bob;
    }
    for (size_t i = 0; i < popups_.size(); ++i) updatePopup(popups_[i], level.popups()[i]);
}

// Only the hero's pictures animate by his steps; the ghosts' run as loaded.
// `shown`, when given, is drawn instead of the heading's picture.
void LevelView::updateActor(ActorChip& view, const Actor& actor, bool animates, Texture* shown) {
    Object3D& chip = *view.chip;
    Material3D& material = *chip.materials.front();
    chip.visible = actor.visible;
    chip.worldMatrix.setTranslation(actor.position);
    if (!chip.meshes.empty()) chip.meshes.front()->localMatrix[7] = actor.hop;
    Texture* image = shown ? shown : view.images[size_t(actor.heading)];
    material.texture = image;
    material.alphaTexture = image;
    material.hasTransparentColour = true;
    material.transparentColour = image ? image->bitmap()->transparentColor : 0xFFFFFFFF;
    material.alpha = actor.alpha;
    material.shadingMode = ShadingFor(actor.look);
    material.colour = actor.colour;
    if (!animates) return;
    if (view.animationStops != actor.animationStops) {
        view.animationStops = actor.animationStops;
        for (Texture* picture : view.images) {
            if (!picture) continue;
            picture->animated = false;
            picture->setFrame(0);
        }
    }
    for (size_t d = 0; d < 4; ++d)
        if (Texture* picture = view.images[d]; picture && actor.animating[d]) picture->animated = picture->frameCount() > 1;
}

void LevelView::updatePopup(PopupChip& view, const ScorePopup& popup) {
    Object3D& chip = *view.chip;
    chip.visible = popup.shown;
    Material3D& material = *chip.materials.front();
    material.alpha = popup.alpha;
    material.shadingMode = ShadingFor(popup.look);
    if (view.shows == popup.shows) {
        chip.worldMatrix.setTranslation(popup.position);
        return;
    }
    view.shows = popup.shows;
    chip.worldMatrix.setDiagonal(popup.scale, popup.scale, popup.scale);
    chip.worldMatrix.setTranslation(popup.position);
    FrameBuffer& image = *chip.ownedTextures.front()->bitmap();
    clear(image, kPopupKey);
    host_.drawPopupText(image, popup.text, popupTextHeight_);
}

// A scared ghost looks the same whichever way it floats.
Texture* LevelView::frightPicture(const Ghost& ghost) const {
    switch (ghost.fright) {
        case Fright::Scared: return scared_[0];
        case Fright::Pale: return scared_[1] ? scared_[1] : scared_[0];
        case Fright::None: break;
    }
    return nullptr;
}

void LevelView::fitToCamera(const GameLevel& level, Camera& camera) {
    if (!style_.popups || !level.heroIfAny()) return;
    for (size_t i = 0; i < popups_.size(); ++i) {
        if (!popups_[i].chip->visible) continue;
        // The strip is four of its radius wide and one high, times its scale.
        const float scale = level.popups()[i].scale;
        keepOnScreen(*popups_[i].chip, camera, 4.0f * ScorePopup::kRadius * scale, ScorePopup::kRadius * scale);
    }
    const Hero& hero = level.hero();
    if (!hero.visible) return;
    for (ActorChip& ghost : ghosts_)
        if (ghost.chip->visible) fadeIfCovering(*ghost.chip, camera, hero.position, 0.5f * hero.height());
}

// Moves a screen-aligned chip across the view, at its depth, until all of it
// lies inside the screen (or its centre does, when it is wider).
void LevelView::keepOnScreen(Object3D& chip, Camera& camera, float halfWidth, float halfHeight) const {
    int w = 0, h = 0;
    camera.getViewport(w, h);
    const float f = float(camera.focalLength());
    Vector3 at = chip.worldMatrix.getTranslation();
    Vector3 c = at;
    camera.toCameraSpace(c);
    if (c.z <= camera.nearDistance || f <= 0.0f) return;
    const float k = f / c.z;  // pixels per world unit at its depth
    const float limitX = std::max(0.0f, 0.5f * float(w) - halfWidth * k);
    const float limitY = std::max(0.0f, 0.5f * float(h) - halfHeight * k);
    const float dx = std::clamp(c.x * k, -limitX, limitX) - c.x * k;
    const float dy = std::clamp(c.y * k, -limitY, limitY) - c.y * k;
    if (dx == 0.0f && dy == 0.0f) return;
    // The view's first two rows are the camera's right and up in the world.
    const Matrix4& view = camera.viewMatrix();
    const Vector3 right{view[0], view[1], view[2]}, up{view[4], view[5], view[6]};
    chip.worldMatrix.setTranslation(at + right * (dx / k) + up * (dy / k));
}

// A character nearer to the camera than the hero whose picture overlaps his
// turns translucent, so that it never hides him.
void LevelView::fadeIfCovering(Object3D& chip, Camera& camera, const Vector3& hero, float heroRadius) const {
    Vector3 c = chip.worldMatrix.getTranslation(), him = hero;
    camera.toCameraSpace(c);
    camera.toCameraSpace(him);
    if (c.z <= 0.0f || him.z <= 0.0f || c.z >= him.z) return;
    const float f = float(camera.focalLength());
    const float ownHalf = 0.5f * chip.size.y * f / c.z, heroHalf = heroRadius * f / him.z;
    const float apartX = std::fabs(c.x * f / c.z - him.x * f / him.z);
    const float apartY = std::fabs(c.y * f / c.z - him.y * f / him.z);
    // Pictures leave a margin around the figure: overlaps of the outer fifth do not count.
    if (apartX >= 0.8f * (ownHalf + heroHalf) || apartY >= 0.8f * (ownHalf + heroHalf)) return;
    Material3D& material = *chip.materials.front();
    material.shadingMode = kShadeBlend;
    material.alpha = std::max(material.alpha, kCoveringAlpha);
}

void LevelView::drawGhostsNearby(const GameLevel& level, Camera& camera, FrameBuffer& target, int bottom) const {
    if (!style_.camera || !level.heroIfAny()) return;
    const Hero& hero = level.hero();
    if (!hero.visible || hero.dying) return;
    int w = 0, h = 0;
    camera.getViewport(w, h);
    const float f = float(camera.focalLength());
    const float reach = kNearCells * level.maze().cellX();
    const int size = std::max(8, w / 16);
    for (size_t i = 0; i < level.ghosts().size(); ++i) {
        const Ghost& ghost = *level.ghosts()[i];
        if (!ghost.visible || ghost.dying) continue;
        const float dx = ghost.position.x - hero.position.x, dz = ghost.position.z - hero.position.z;
        if (dx * dx + dz * dz > reach * reach) continue;
        Vector3 c = ghost.position;
        camera.toCameraSpace(c);
        const bool inFront = c.z > camera.nearDistance;
        const int sx = inFront ? w / 2 + int(c.x * f / c.z) : (c.x < 0.0f ? -w : 2 * w);
        const int sy = inFront ? h / 2 - int(c.y * f / c.z) : 2 * h;
        // Shown while at least about a quarter of it is on the screen above the bar.
        const int half = inFront ? int(0.25f * ghost.height() * f / c.z) : 0;
        if (sx + half >= 0 && sx - half < w && sy - half < bottom) continue;
        const uint32_t colour = ghost.fright == Fright::Scared ? kScaredBody
                                : ghost.fright == Fright::Pale ? kPaleBody
                                : style_.ghosts ? kGhostBodies[i % std::size(kGhostBodies)]
                                                : kGhostBodies[0];
        if (sx < 0) FillArrow(target, 1, std::clamp(sy, size, bottom - size), size, 2, colour);
        else if (sx >= w) FillArrow(target, w - 2, std::clamp(sy, size, bottom - size), size, 0, colour);
        else FillArrow(target, std::clamp(sx, size, w - 1 - size), bottom - 2, size, 3, colour);
    }
}

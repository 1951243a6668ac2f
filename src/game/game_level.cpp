#include "game/game_level.h"

#include <algorithm>
#include <string>

#include "data/language_table.h"
#include "data/text_helpers.h"
#include "game/maze_scene.h"
#include "platform/host/host.h"
#include "render3d/scene3d.h"

namespace {

std::u16string Text(const char16_t* key, const char16_t* fallback) {
    return std::u16string(GetLanguageText(key, fallback));
}

}  // namespace

int DirectionForReleasedKeys(KeyState released) {
    using namespace key_bits;
    static constexpr struct {
        KeyState bit;
        int direction;
    } kOrder[] = {{Up, 1}, {Down, 3}, {Left, 2}, {Right, 0}, {Action, -2},
                  {ButtonC, 1}, {ButtonStart, 3}, {ButtonA, 2}, {ButtonB, 0}};
    for (const auto& key : kOrder)
        if (released & key.bit) return key.direction;
    return -1;
}

GameLevel::GameLevel(int level, int carriedScore, int carriedLives, uint32_t seed, Scene3D& scene, GameHost& host)
    : goodtimeDuration(5.0f + 0.25f * float(level)), level_(level), carriedScore_(carriedScore),
      carriedLives_(carriedLives), scene_(scene), host_(host), random_(seed) {}

GameLevel::~GameLevel() = default;

void GameLevel::buildMaze(const LevelPictures& pictures) {
    const int n = Maze::DimensionForLevel(level_);
    maze_ = std::make_unique<Maze>(n, n, level_, random_);
    maze_->generate();
    maze_->addLoops(3 * level_ + 50);
    mazeGroup_ = BuildMazeMeshes(scene_, *maze_, pictures.cell, float(n) * Maze::kWorldUnit);
    heroStart = {1, maze_->columns() / 2};
    maze_->findCellNear(heroStart, 1);
    ghostHome = {maze_->rows() / 2, maze_->columns() / 2};
    maze_->findCellNear(ghostHome, 0);
    heroRespawn = heroStart;
    PlaceDecor(scene_, *maze_, pictures.decor, random_);
    tomb_ = PlaceTomb(scene_, *maze_, pictures.tomb, ghostHome);
}

void GameLevel::createCharacters(const LevelPictures& pictures) {
    hero_ = std::make_unique<Hero>(*this, pictures.hero, carriedScore_, carriedLives_);
    showLives();
    hero_->setHeading(1);
    hero_->stop();
    hero_->appear(4.0f, heroRespawn, 80.0f);

    const int count = GhostCountForLevel(level_);
    const float speed = GhostSpeedForLevel(level_);
    for (int i = 0; i < count; ++i)
        ghosts_.push_back(std::make_unique<Ghost>(*this, pictures.ghost, speed, u"Ghost" + Decimal(i)));
}

void GameLevel::placeItems(const LevelPictures& pictures) {
    ItemLayout layout(*maze_, level_, heroStart, ghostHome, random_);
    remaining_ = layout.remaining();
    itemGrid_.resize(size_t(maze_->rows()) * size_t(maze_->columns()));
    for (int x = 0; x < maze_->rows(); ++x) {
        for (int y = 0; y < maze_->columns(); ++y) {
            const int type = layout.at({x, y});
            if (type < 0) continue;
            itemGrid_[size_t(x) * size_t(maze_->columns()) + size_t(y)] =
                std::make_unique<Item>(scene_, *maze_, Cell{x, y}, type, pictures.items[size_t(type)]);
        }
    }
    for (auto& popup : popups_) popup = std::make_unique<ScorePopup>(scene_);
}

Item* GameLevel::itemAt(Cell c) const {
    if (!maze_ || c.x < 0 || c.y < 0 || c.x >= maze_->rows() || c.y >= maze_->columns() || itemGrid_.empty())
        return nullptr;
    return itemGrid_[size_t(c.x) * size_t(maze_->columns()) + size_t(c.y)].get();
}

// ---- The frame ----------------------------------------------------------------------------

void GameLevel::update(float dt, KeyState keys) {
    if (endTimer <= 0.0f) handleKeys(keys);
    for (auto& ghost : ghosts_)
        if (ghost->visible()) ghost->update(dt);
    flashTomb(dt);
    if (hero_->visible()) hero_->update(dt);
    for (int x = maze_->rows() - 1; x >= 0; --x) {
        for (int y = maze_->columns() - 1; y >= 0; --y) {
            Item* item = itemAt({x, y});
            if (item && !item->eaten() && item->type >= kGoodtime) item->bob(elapsed);
        }
    }
    for (auto& popup : popups_)
        if (popup && popup->shown()) popup->update(dt, elapsed);
    blinkFlash(dt);
}

// Directions act when a key is let go, and only the first of several let go
// in the same frame.
void GameLevel::handleKeys(KeyState keys) {
    const KeyState released = previousKeys & ~keys;
    previousKeys = keys;
    const int direction = DirectionForReleasedKeys(released);
    if (direction >= 0) {
        hero_->requestDirection(direction);
    } else if (direction == -2) {
        hero_->stop();
        hero_->arrive(hero_->cell);
    }
}

LevelOutcome GameLevel::afterDraw(float dt) {
    LevelOutcome outcome = LevelOutcome::Playing;
    if (goodtimeTimer > 0.0f) goodtimeTimer -= dt;
    if (goodtimeTimer < 0.0f) {
        goodtimeTimer = 0.0f;
        hero_->material()->shadingMode = 1;
    }
    if (endTimer > 0.0f) {
        endTimer -= dt;
        if (endTimer <= 0.0f) outcome = hero_->lives < 0 ? LevelOutcome::GameOver : LevelOutcome::Cleared;
    }
    elapsed += dt;
    return outcome;
}

void GameLevel::reviveTick() {
    if (random_.range(0, 100) < 75) {
        for (auto& ghost : ghosts_) {
            if (ghost->visible()) continue;
            ghost->appear(2.0f, ghostHome, 0.0f);
            ghost->remaining = maze_->cellX();
            if (tomb_) {
                Material3D& glow = *tomb_->materials.front();
                glow.shadingMode = 5;
                glow.colour = 0x9680FF;
            }
            break;
        }
    }
    if (!hero_->visible()) {
        hero_->appear(4.0f + 0.2f * float(level_), heroRespawn, 80.0f);
        host_.heroAppeared();
    }
}

// The tomb glows when a ghost rises and shakes while the glow fades.
void GameLevel::flashTomb(float dt) {
    if (!tomb_ || tomb_->meshes.empty()) return;
    Material3D& glow = *tomb_->materials.front();
    if (glow.shadingMode != 5) return;
    const int s = std::max(1, int(dt * 200.0f));
    auto fade = [s](uint32_t c, int shift) { return uint32_t(std::max(0, int((c >> shift) & 0xFF) - s)); };
    const uint32_t r = fade(glow.colour, 16), g = fade(glow.colour, 8), b = fade(glow.colour, 0);
    glow.colour = r << 16 | g << 8 | b;
    const int brightness = int((r + g + b) * 2730 / 8192);
    Matrix4& shake = tomb_->meshes.front()->localMatrix;
    if (brightness < 10) {
        glow.shadingMode = 1;
        shake.setIdentity();
        return;
    }
    const float angle = TableSin(15.0f * elapsed) * float(brightness) * 0.003f;
    const float c = TableCos(angle), sn = TableSin(angle);
    shake.setIdentity();
    shake[0] = c, shake[1] = -sn, shake[4] = sn, shake[5] = c;
    shake[7] = (TableSin(10.0f * elapsed) + 0.5f) * float(brightness) * 0.04f;
}

void GameLevel::blinkFlash(float dt) {
    if (blinkClock >= kBlinkTime) return;
    host_.setSpriteVisible(u"sptFlash", TableSin(18.0f * elapsed) > -0.3f);
    blinkClock += dt;
    if (blinkClock >= kBlinkTime) {
        blinkClock = kBlinkIdle;
        host_.setSpriteVisible(u"sptFlash", false);
    }
}

// ---- Rules --------------------------------------------------------------------------------

void GameLevel::addScore(int points) {
    hero_->score += points;
    host_.setSpriteText(u"sptScore", Decimal(hero_->score));
}

void GameLevel::showLives() { host_.setSpriteText(u"sptLifes", u"X" + Decimal(hero_->lives)); }

void GameLevel::showPopup(Cell at, int points, const std::u16string& text) {
    ScorePopup* chosen = nullptr;
    for (auto& popup : popups_) {
        if (!popup) return;
        if (!popup->shown()) {
            chosen = popup.get();
            break;
        }
        if (!chosen || popup->elapsed > chosen->elapsed) chosen = popup.get();
    }
    if (!chosen) return;
    chosen->show(maze_->cellCenter(at), PopupScale(points));
    std::u16string shown = text.empty() ? Decimal(points) : text.substr(0, 60);
    host_.drawPopupText(chosen->image(), shown, 24);
}

void GameLevel::flashMessage(const std::u16string& text) {
    host_.setSpriteText(u"sptFlash", text);
    host_.setSpriteVisible(u"sptFlash", true);
    blinkClock = 0.0f;
}

void GameLevel::steadyMessage(const std::u16string& text) {
    host_.setSpriteText(u"sptMessage", text);
    host_.setSpriteVisible(u"sptMessage", true);
}

void GameLevel::killAllGhosts() {
    for (auto it = ghosts_.rbegin(); it != ghosts_.rend(); ++it) (*it)->dying = true;
    host_.stopAllSounds();
    host_.playSound(u"ghostKilled");
}

void GameLevel::eatAt(Cell at) {
    Item* item = itemAt(at);
    if (!item || item->eaten()) return;
    item->chip->visible = false;
    addScore(item->points);
    switch (item->type) {
        case kPickable:
        case kBonus:
            --remaining_;
            showPopup(at, item->points, u"");
            break;
        case kGoodtime:
            --remaining_;
            goodtimeTimer += goodtimeDuration;
            hero_->material()->shadingMode = 5;
            hero_->material()->alpha = 0;
            showPopup(at, 200, u"");
            hero_->appearTimer = 0.0f;
            host_.playSound(u"goodtime");
            flashMessage(Text(u"MG_POW", u"MAGIC POWER!"));
            break;
        case kLife:
            ++hero_->lives;
            showLives();
            showPopup(at, 0, u"LIFE!");
            host_.playSound(u"eatspecial");
            flashMessage(Text(u"NEW_LF", u"NEW LIFE!"));
            break;
        case kSpeed:
            killAllGhosts();
            flashMessage(Text(u"MG_KILL", u"MAGIC KILL!"));
            break;
    }
    if (remaining_ == 0) {
        steadyMessage(Text(u"LV_CLR", u"Level Cleared"));
        killAllGhosts();
        endTimer = 3.5f;
        hero_->setHeading(3);
        hero_->stop();
    }
}

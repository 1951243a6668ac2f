#include "game/game_level.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "data/language_table.h"
#include "data/text_helpers.h"

namespace {

std::u16string Text(const char16_t* key, const char16_t* fallback) {
    return std::u16string(GetLanguageText(key, fallback));
}

}  // namespace

GameLevel::GameLevel(int level, int carriedScore, int carriedLives, uint32_t seed, GameHost& host)
    : goodtimeDuration(5.0f + 0.25f * float(level)), level_(level), carriedScore_(carriedScore),
      carriedLives_(carriedLives), host_(host), random_(seed) {}

GameLevel::~GameLevel() = default;

void GameLevel::buildMaze() {
    const int n = Maze::DimensionForLevel(level_);
    maze_ = std::make_unique<Maze>(n, n, level_, random_);
    maze_->generate();
    maze_->addLoops(3 * level_ + 50);
    maze_->setWorldSize(float(n) * Maze::kWorldUnit);
    heroStart = {1, maze_->columns() / 2};
    maze_->findCellNear(heroStart, 1);
    ghostHome = {maze_->rows() / 2, maze_->columns() / 2};
    maze_->findCellNear(ghostHome, 0);
    placeDecor();
}

// Plants, rocks and the like on wall cells just north of a passage, about
// half of them; one random number per inner cell.
void GameLevel::placeDecor() {
    for (int x = 1; x <= maze_->rows() - 2; ++x) {
        for (int y = 1; y <= maze_->columns() - 2; ++y) {
            const int r = random_.range(0, 100);
            if (maze_->cell(x, y) != 0 || maze_->cell(x - 1, y) != 1 || r <= 50) continue;
            decor_.push_back({{x, y}, r % 2});
        }
    }
}

void GameLevel::createCharacters() {
    hero_ = std::make_unique<Hero>(*this, carriedScore_, carriedLives_);
    hero_->respawn = heroStart;
    showLives();
    hero_->setHeading(1);
    hero_->stop();
    hero_->appear(4.0f, hero_->respawn, 80.0f);

    const int count = GhostCountForLevel(level_);
    const float speed = GhostSpeedForLevel(level_);
    for (int i = 0; i < count; ++i) ghosts_.push_back(std::make_unique<Ghost>(*this, *hero_, speed));
}

void GameLevel::placeItems() {
    ItemLayout layout(*maze_, level_, heroStart, ghostHome, random_);
    remaining_ = layout.remaining();
    itemGrid_.resize(size_t(maze_->rows()) * size_t(maze_->columns()));
    for (int x = 0; x < maze_->rows(); ++x) {
        for (int y = 0; y < maze_->columns(); ++y) {
            const int type = layout.at({x, y});
            if (type < 0) continue;
            itemGrid_[size_t(x) * size_t(maze_->columns()) + size_t(y)] = std::make_unique<Item>(Cell{x, y}, type);
        }
    }
}

Item* GameLevel::itemAt(Cell c) const {
    if (!maze_ || c.x < 0 || c.y < 0 || c.x >= maze_->rows() || c.y >= maze_->columns() || itemGrid_.empty())
        return nullptr;
    return itemGrid_[size_t(c.x) * size_t(maze_->columns()) + size_t(c.y)].get();
}

// ---- The frame ----------------------------------------------------------------------------

void GameLevel::update(float dt, int request) {
    if (endTimer <= 0.0f) handleRequest(request);
    const Fright fright = style.ghosts ? FrightFor(goodtimeTimer) : Fright::None;
    for (auto& ghost : ghosts_) {
        ghost->fright = fright;
        if (!ghost->visible) continue;
        switch (ghost->update(dt)) {
            case GhostTouch::CaughtHero: killHero(); break;
            case GhostTouch::Eaten: killGhost(*ghost); break;
            case GhostTouch::None: break;
        }
    }
    flashTomb(dt);
    if (hero_->visible) {
        const bool hadGrace = hero_->appearTimer > 0.0f;
        hero_->update(dt);
        noteGraceEnd(hadGrace);
    }
    for (auto& popup : popups_)
        if (popup.shown) popup.update(dt, elapsedTime);
    blinkFlash(dt);
    if (celebration_ >= 0.0f) celebrate(dt);
}

void GameLevel::handleRequest(int request) {
    if (request >= 0) {
        hero_->requestDirection(request);
    } else if (request == kStopRequest) {
        hero_->stop();
        hero_->arrive(hero_->cell);
    }
}

LevelOutcome GameLevel::afterDraw(float dt) {
    LevelOutcome outcome = LevelOutcome::Playing;
    if (goodtimeTimer > 0.0f) goodtimeTimer -= dt;
    if (goodtimeTimer < 0.0f) {
        goodtimeTimer = 0.0f;
        hero_->look = Look::Solid;
    }
    if (endTimer > 0.0f) {
        endTimer -= dt;
        if (endTimer <= 0.0f) outcome = hero_->lives < 0 ? LevelOutcome::GameOver : LevelOutcome::Cleared;
    }
    elapsedTime += dt;
    return outcome;
}

void GameLevel::reviveTick() {
    if (random_.range(0, 100) < 75) {
        for (auto& ghost : ghosts_) {
            if (ghost->visible) continue;
            ghost->appear(2.0f, ghostHome, 0.0f);
            ghost->remaining = maze_->cellX();
            tomb_.look = Look::Glowing;
            tomb_.colour = 0x9680FF;
            break;
        }
    }
    if (!hero_->visible) respawnHero();
}

void GameLevel::respawnHero() {
    if (style.respawn) {
        std::vector<Cell> threats{ghostHome};
        for (const auto& ghost : ghosts_)
            if (ghost->visible && !ghost->dying) threats.push_back(ghost->cell);
        hero_->respawn = FairRespawnCell(*maze_, hero_->respawn, threats, kRespawnReach);
        const std::vector<int> near = maze_->stepsFrom({hero_->respawn});
        for (const auto& ghost : ghosts_)
            if (ghost->visible && !ghost->dying && near[maze_->indexOf(ghost->cell)] <= kTombSendReach) ghost->dying = true;
    }
    hero_->appear(4.0f + 0.2f * float(level_), hero_->respawn, 80.0f);
    respawning_ = true;
    host_.heroAppeared();
}

// The moment a respawned hero can be caught again, for the record.
void GameLevel::noteGraceEnd(bool hadGrace) {
    if (!respawning_ || !hadGrace || hero_->appearTimer > 0.0f) return;
    respawning_ = false;
    respawnGraceEnded_ = elapsedTime;
}

Cell FairRespawnCell(const Maze& maze, Cell fallen, const std::vector<Cell>& threats, int reach) {
    const std::vector<int> fromFall = maze.stepsFrom({fallen});
    const std::vector<int> fromThreats = maze.stepsFrom(threats);
    Cell best = fallen;
    int bestThreat = -1, bestFall = Maze::kUnreached;
    for (int x = 0; x < maze.rows(); ++x) {
        for (int y = 0; y < maze.columns(); ++y) {
            const Cell c{x, y};
            const int fall = fromFall[maze.indexOf(c)];
            if (maze.cell(c) != 1 || fall > reach) continue;
            const int threat = fromThreats[maze.indexOf(c)];
            if (threat > bestThreat || (threat == bestThreat && fall < bestFall)) {
                best = c;
                bestThreat = threat;
                bestFall = fall;
            }
        }
    }
    return best;
}

// The glow fades by at least one step a frame; the tomb shakes by its
// brightness and settles when it is nearly dark.
void GameLevel::flashTomb(float dt) {
    if (tomb_.look != Look::Glowing) return;
    const int s = std::max(1, int(dt * 200.0f));
    auto fade = [s](uint32_t c, int shift) { return uint32_t(std::max(0, int((c >> shift) & 0xFF) - s)); };
    const uint32_t r = fade(tomb_.colour, 16), g = fade(tomb_.colour, 8), b = fade(tomb_.colour, 0);
    tomb_.colour = r << 16 | g << 8 | b;
    const int brightness = int((r + g + b) * 2730 / 8192);
    if (brightness < 10) {
        tomb_.look = Look::Solid;
        tomb_.shaking = false;
        return;
    }
    tomb_.shaking = true;
    tomb_.angle = TableSin(15.0f * elapsedTime) * float(brightness) * 0.003f;
    tomb_.lift = (TableSin(10.0f * elapsedTime) + 0.5f) * float(brightness) * 0.04f;
}

void GameLevel::blinkFlash(float dt) {
    if (blinkClock >= kBlinkTime) return;
    host_.setSpriteVisible(u"sptFlash", TableSin(18.0f * elapsedTime) > -0.3f);
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
        if (!popup.shown) {
            chosen = &popup;
            break;
        }
        if (!chosen || popup.elapsed > chosen->elapsed) chosen = &popup;
    }
    chosen->show(maze_->cellCenter(at), PopupScale(points), text.empty() ? Decimal(points) : text.substr(0, 60),
                 style.popups ? ScorePopup::kGentleRise : ScorePopup::kSteepRise);
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
    stopSoundsFor(kZapSeconds);
    host_.playSound(u"ghostKilled");
}

// The original stops the music with the effects, and it starts again from its
// beginning; music that plays on only gives way for a moment.
void GameLevel::stopSoundsFor(float effectSeconds) {
    if (style.music) host_.stopEffectsAndDuckMusic(effectSeconds);
    else host_.stopAllSounds();
}

void GameLevel::killHero() {
    stopSoundsFor(kWailSeconds);
    host_.playSound(u"killed");
    hero_->kill();
    ++record_.deaths;
    if (respawnGraceEnded_ >= 0.0f && elapsedTime - respawnGraceEnded_ <= LevelRecord::kSoonAfterRespawn)
        ++record_.deathsSoonAfterRespawn;
    if (hero_->lives < 0) endTimer = 2.0f;
    else showLives();
}

void GameLevel::killGhost(Ghost& ghost) {
    showPopup(ghost.cell, 2000, u"");
    addScore(2000);
    ghost.dying = true;
    ++record_.ghostsEaten;
    if (!host_.isSoundPlaying(u"ghostKilled")) host_.playSound(u"ghostKilled");
}

void GameLevel::eatAt(Cell at) {
    Item* item = itemAt(at);
    if (!item || item->eaten) return;
    item->eaten = true;
    addScore(item->points);
    switch (item->type) {
        case kPickable:
        case kBonus:
            --remaining_;
            showPopup(at, item->points, u"");
            if (style.music) host_.playSound(u"eat");
            break;
        case kGoodtime:
            --remaining_;
            goodtimeTimer += goodtimeDuration;
            hero_->look = Look::Glowing;
            hero_->alpha = 0;
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
    if (remaining_ == 0) clearLevel();
}

void GameLevel::clearLevel() {
    steadyMessage(Text(u"LV_CLR", u"Level Cleared"));
    killAllGhosts();
    endTimer = kClearSeconds;
    hero_->setHeading(3);
    hero_->stop();
    if (!style.clear) return;
    // The jingle takes the zap's place, and the flash line is the count's.
    stopSoundsFor(kJingleSeconds);
    host_.playSound(u"levelClear");
    blinkClock = kBlinkIdle;
    host_.setSpriteText(u"sptFlash", u"+0");
    host_.setSpriteVisible(u"sptFlash", true);
    celebration_ = 0.0f;
}

// He hops, and what the level brought is counted up beside the steady
// "Level Cleared".
void GameLevel::celebrate(float dt) {
    celebration_ += dt;
    const float hop = std::sin(std::numbers::pi_v<float> * std::fmod(celebration_, kHopSeconds) / kHopSeconds);
    hero_->hop = kHopHeight * std::fabs(hop);
    const float counted = ClampFloat((celebration_ - kCountStart) / kCountSeconds, 0.0f, 1.0f);
    const int points = hero_->score - carriedScore_;
    host_.setSpriteText(u"sptFlash", u"+" + Decimal(int(float(points) * counted)));
}

#pragma once
// How a level looks in 3D: one raised tile per passage cell under "GrpMaze",
// decoration beside the passages under "GrpDecor", the tomb at the ghosts'
// home under "GrpTomb", Tobbin, the ghosts, the items and the score popups.
// The view owns every chip of the level and copies the level's state into
// them once a frame; it decides no rule.

#include <array>
#include <vector>

#include "game/game_level.h"
#include "platform/host/port_options.h"

class Camera;
class FrameBuffer;
class GameHost;
class Material3D;
class Object3D;
class Scene3D;
class Texture;

using HeadingImages = std::array<Texture*, 4>;

// The pictures a level is drawn with; any may be null (a square chip).
struct LevelPictures {
    Texture* cell = nullptr;
    std::array<Texture*, 2> decor{};
    Texture* tomb = nullptr;
    std::array<Texture*, kItemTypes> items{};
    HeadingImages hero{};
    HeadingImages ghost{};
    // With own ghost colours: the ghosts' pictures in turn, the first the
    // original's; the scared and the pale picture of goodtime.
    std::vector<HeadingImages> ghostColours;
    std::array<Texture*, 2> scared{};
    // The popups' pictures are this many times their design size, as the
    // bright font's picture is, so that their text is copied cell for pixel.
    int popupScale = 1;
};

class LevelView {
public:
    LevelView(Scene3D& scene, GameHost& host, const host::PlayStyle& style = host::PlayStyle::Original());

    // The loading steps, each after the level's own step of the same name,
    // adding to the scene in drawing order.
    void buildMaze(const GameLevel& level, const LevelPictures& pictures);
    void createCharacters(const GameLevel& level, const LevelPictures& pictures);
    void placeItems(const GameLevel& level, const LevelPictures& pictures);

    // Once a frame, after the level's update: every chip takes its state.
    void update(const GameLevel& level);
    // Once a frame, after the camera has moved: with tidy popups, the popups
    // are kept inside the screen and characters nearer than the hero that
    // would cover him turn translucent.
    void fitToCamera(const GameLevel& level, Camera& camera);
    // With the overhead camera: an arrow at the screen's edge for every ghost
    // within kNearCells of the hero that the screen does not show above
    // `bottom` (the status bar's top row).
    void drawGhostsNearby(const GameLevel& level, Camera& camera, FrameBuffer& target, int bottom) const;
    static constexpr float kNearCells = 3.0f;

    Object3D* mazeGroup() const { return mazeGroup_; }
    Object3D* heroChip() const { return heroChip_; }

private:
    struct ActorChip {
        Object3D* chip;  // owned by the scene
        HeadingImages images;
        int animationStops = 0;
    };
    struct PopupChip {
        Object3D* chip;  // owned by the scene
        int shows = 0;
    };
    ActorChip addActor(const Actor& actor, float radiusFactor, const HeadingImages& images, const std::u16string& name);
    void updateActor(ActorChip& view, const Actor& actor, bool animates, Texture* shown = nullptr);
    Texture* frightPicture(const Ghost& ghost) const;
    void keepOnScreen(Object3D& chip, Camera& camera, float halfWidth, float halfHeight) const;
    void fadeIfCovering(Object3D& chip, Camera& camera, const Vector3& hero, float heroRadius) const;
    void updatePopup(PopupChip& view, const ScorePopup& popup);

    Scene3D& scene_;
    GameHost& host_;
    host::PlayStyle style_;
    std::array<Texture*, 2> scared_{};
    Object3D* mazeGroup_ = nullptr;
    Object3D* tomb_ = nullptr;
    Object3D* heroChip_ = nullptr;
    ActorChip hero_{};
    std::vector<ActorChip> ghosts_;
    std::vector<std::pair<const Item*, Object3D*>> items_;
    std::vector<PopupChip> popups_;
    int popupTextHeight_ = 0;  // pixels in a popup's picture
};

// The shading mode that draws a look.
int ShadingFor(Look look);

#include "art/game_pieces.h"

#include <cmath>
#include <cstring>

#include "art/characters.h"
#include "art/glimmerkin.h"
#include "art/items.h"
#include "art/sprite_picture.h"
#include "art/widgets.h"
#include "raster/effects.h"
#include "raster/rasterize.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr int kSuper = 4;  // small pictures are drawn larger and shrunk

Image Shrunk(const Image& big, int width, int height) {
    Image out(width, height);
    DrawImageScaled(out, big, 0, 0, static_cast<float>(width), static_cast<float>(height));
    return out;
}

}  // namespace

const char* HeadingName(Heading heading) {
    static const char* names[] = {"east", "north", "west", "south"};
    return names[static_cast<int>(heading)];
}

std::vector<Image> TobbinWalk(Heading heading, int scale) {
    std::vector<Image> frames;
    const int size = kCharacterSize * scale;
    const float s = static_cast<float>(size);
    for (int i = 0; i < kWalkFrames; ++i) {
        float hop = std::sin(i * kPi / kWalkFrames);  // 0 on the ground, 1 at the top of the hop
        Image frame(size, size);
        TobbinPose pose{{s * 0.5f, s * 0.56f - hop * s * 0.07f}, s * 0.32f, 0, {0, 0.2f}, s * 0.94f};
        if (heading == Heading::East) pose.turn = 0.8f, pose.look = {0.9f, 0};
        if (heading == Heading::West) pose.turn = -0.8f, pose.look = {-0.9f, 0};
        if (heading == Heading::North) pose.fromBehind = true;
        pose.thinnestLine *= static_cast<float>(scale);
        DrawTobbin(frame, pose);
        frames.push_back(frame);
    }
    return frames;
}

std::vector<Image> GhostFloat(Heading heading, int colour, int scale) {
    static constexpr uint32_t kBodies[kGhostColours] = {0xFF4D6D, 0x4DE8FF, 0xFF8AD8, 0x7CF25A, 0xB36BFF};
    std::vector<Image> frames;
    const int size = kCharacterSize * scale;
    const float s = static_cast<float>(size);
    for (int i = 0; i < kWalkFrames; ++i) {
        float phase = i * 2 * kPi / kWalkFrames;
        float hover = (0.5f + 0.5f * std::sin(phase)) * s * 0.05f;
        Image frame(size, size);
        GhostPose pose{{s * 0.5f, s * 0.42f - hover}, s * 0.3f, Hex(kBodies[colour % kGhostColours]), phase, {0, 0.3f},
                       s * 0.95f, hover};
        if (heading == Heading::East) pose.turn = 0.7f, pose.look = {1, 0.1f};
        if (heading == Heading::West) pose.turn = -0.7f, pose.look = {-1, 0.1f};
        // Floating away it still shows its eyes, turned up the passage: a
        // faceless blob does not read as a ghost at the size the maze shows it.
        if (heading == Heading::North) pose.look = {0, -1};
        pose.thinnestLine *= static_cast<float>(scale);
        DrawGhost(frame, pose);
        frames.push_back(frame);
    }
    return frames;
}

std::vector<Image> ScaredGhostFloat(bool pale, int scale) {
    std::vector<Image> frames;
    const int size = kCharacterSize * scale;
    const float s = static_cast<float>(size);
    for (int i = 0; i < kWalkFrames; ++i) {
        float phase = i * 2 * kPi / kWalkFrames;
        // It trembles rather than floats.
        float hover = (0.5f + 0.5f * std::sin(2 * phase)) * s * 0.03f;
        Image frame(size, size);
        GhostPose pose{{s * 0.5f, s * 0.42f - hover}, s * 0.3f, pale ? Hex(0xE8ECFF) : Hex(0x4A5CFF), 2 * phase,
                       {}, s * 0.95f, hover};
        pose.scared = true;
        pose.face = pale ? 0xFF3050 : 0xFFE8C8;
        pose.thinnestLine *= static_cast<float>(scale);
        DrawGhost(frame, pose);
        frames.push_back(frame);
    }
    return frames;
}

Image MakeTomb(int scale) {
    const int size = 32 * kSuper * scale;
    Image big(size, size);
    const float s = size, line = 1.6f * kSuper * scale;
    Path stone;
    stone.moveTo({s * 0.22f, s * 0.92f});
    stone.lineTo({s * 0.22f, s * 0.38f});
    stone.cubicTo({s * 0.22f, s * 0.06f}, {s * 0.78f, s * 0.06f}, {s * 0.78f, s * 0.38f});
    stone.lineTo({s * 0.78f, s * 0.92f});
    stone.close();
    Mask m = FillPath(size, size, stone);
    Glow(big, m, s * 0.02f, s * 0.05f, WithAlpha(Hex(0xB07CFF), 0.8f), Blend::Normal);
    FillMask(big, Dilate(m, line), Hex(0x0A0614));
    FillMask(big, m, LinearGradient({s * 0.2f, 0}, {s * 0.8f, 0}, {{0, Hex(0x9A94C0)}, {0.5f, Hex(0x6A6490)}, {1, Hex(0x3A3460)}}));
    // A small ghost carved into the stone, lit from inside.
    Path rune;
    rune.moveTo({s * 0.4f, s * 0.66f});
    rune.lineTo({s * 0.4f, s * 0.42f});
    rune.cubicTo({s * 0.4f, s * 0.28f}, {s * 0.6f, s * 0.28f}, {s * 0.6f, s * 0.42f});
    rune.lineTo({s * 0.6f, s * 0.66f});
    rune.lineTo({s * 0.55f, s * 0.61f});
    rune.lineTo({s * 0.5f, s * 0.66f});
    rune.lineTo({s * 0.45f, s * 0.61f});
    rune.close();
    Mask carved = FillPath(size, size, rune);
    FillMask(big, Blur(carved, s * 0.02f), Hex(0xE0C8FF));
    FillMask(big, CircleMask(size, size, {s * 0.46f, s * 0.44f}, s * 0.025f), Hex(0x2A1A40));
    FillMask(big, CircleMask(size, size, {s * 0.54f, s * 0.44f}, s * 0.025f), Hex(0x2A1A40));
    FillMask(big, RoundRectMask(size, size, s * 0.14f, s * 0.86f, s * 0.72f, s * 0.1f, s * 0.03f), Hex(0x3A3460));
    return Shrunk(big, 32 * scale, 32 * scale);
}

Image MakeItemPicture(const char* itemName, int scale) {
    const bool dot = std::strcmp(itemName, "pickable") == 0;
    const int size = (dot ? 16 : 32) * scale;
    const int big = size * kSuper;
    Image image(big, big);
    Vec2 c{big * 0.5f, big * 0.5f};
    float r = big * 0.47f;
    if (dot) DrawPellet(image, c, r);
    // The gem keeps a margin inside its picture: at the items' common scale it stands a size below the orb.
    else if (std::strcmp(itemName, "bonus") == 0) DrawBonusGem(image, c, r * 0.75f);
    else if (std::strcmp(itemName, "goodtime") == 0) DrawPowerOrb(image, c, r);
    else if (std::strcmp(itemName, "life") == 0) DrawHeart(image, c, r);
    else DrawGlimmerkin(image, {c, r * 0.95f, 0, 0, 0, false});
    return Shrunk(image, size, size);
}

Image MakeLivesCapsule() {
    const int w = 62 * kArtScale, h = 24 * kArtScale;
    Image image = MakeGlassPanel(w, h, Hex(0xFFB04A), h * 0.5f, 0.75f);
    TobbinPose pose{{h * 0.5f, h * 0.52f}, h * 0.34f, 0, {0.6f, -0.1f}, h * 0.95f};
    DrawTobbin(image, pose);
    return image;
}

Image MakeConsoleBar() {
    const int w = 240 * kArtScale, h = 28 * kArtScale;
    return MakeGlassPanel(w, h, Hex(0x66E8FF), 8.0f * kArtScale, 0.72f);
}

Image MakeScoreRowBand() {
    const int w = 208 * kArtScale, h = 14 * kArtScale;
    Image image(w, h);
    Mask band = RoundRectMask(w, h, 0, 1.0f * kArtScale, static_cast<float>(w), 12.0f * kArtScale, 6.0f * kArtScale);
    FillMask(image, band, LinearGradient({0, 0}, {static_cast<float>(w), 0},
                                         {{0, WithAlpha(Hex(0x66E8FF), 0.22f)}, {0.5f, WithAlpha(Hex(0x66E8FF), 0.12f)},
                                          {1, WithAlpha(Hex(0x66E8FF), 0.04f)}}));
    return image;
}

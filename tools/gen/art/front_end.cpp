#include "art/front_end.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "art/backdrop.h"
#include "art/bitmap_fonts.h"
#include "art/buttons.h"
#include "art/characters.h"
#include "art/glimmerkin.h"
#include "art/items.h"
#include "art/keyboard.h"
#include "art/maze_world.h"
#include "art/title.h"
#include "art/widgets.h"
#include "raster/effects.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr int S = kArtScale;

SpritePicture WithOpacity(const std::string& name, std::vector<Image> frames, std::vector<int> delays) {
    return {name + ".gif", std::move(frames), std::move(delays), {}, {}, name + "_alpha.gif", 2};
}

SpritePicture Still(const std::string& name, const Image& image) { return WithOpacity(name, {image}, {0}); }

SpritePicture Opaque(const std::string& name, const Image& image, float dither) {
    return {name + ".gif", {image}, {0}, {}, {}, {}, dither};
}

SpritePicture Keyed(const std::string& name, const Image& image) {
    SpritePicture picture = Opaque(name, image, 0);
    picture.keyed = true;
    return picture;
}

SpritePicture FromButton(const ButtonArt& art, const std::string& name) {
    return {name + ".gif", art.normal, art.delays, name + "_bright.gif", art.bright, name + "_alpha.gif", 2};
}

// An icon of the help pages: `draw` paints into a 28 x 28 design box.
template <typename Draw>
SpritePicture Icon(const std::string& name, Draw draw) {
    Image image(28 * S, 28 * S);
    draw(image, Vec2{14.0f * S, 14.0f * S}, 12.0f * S);
    return Still(name, image);
}

Image GhostIcon(Color body, Vec2 look) {
    Image image(28 * S, 28 * S);
    float r = 8.5f * S;
    GhostPose pose{{14.0f * S, 12.5f * S}, r, body, 0.8f, look, 26.0f * S, 0};
    DrawGhost(image, pose);
    return image;
}

Image ArrowKeysIcon() {
    Image image(28 * S, 28 * S);
    float cap = 9.0f * S;
    DrawKeyCap(image, {14.0f * S, 5.0f * S}, cap, KeySymbol::Up);
    DrawKeyCap(image, {4.7f * S, 17.5f * S}, cap, KeySymbol::Left);
    DrawKeyCap(image, {14.0f * S, 17.5f * S}, cap, KeySymbol::Down);
    DrawKeyCap(image, {23.3f * S, 17.5f * S}, cap, KeySymbol::Right);
    return image;
}

// ---- Shared by several screens --------------------------------------------------------

// The pages' backdrop with the glass panel laid into it, for the about page,
// whose bands cut pieces out of it to cover the scrolling text.
Image WithPanel(const Image& backdrop, const Image& panel) {
    Image out = backdrop;
    DrawImage(out, panel, PageLayout::kPanelX * S, PageLayout::kPanelY * S);
    return out;
}

// The opacity of the about page's bands, as grey: opaque over the header and
// the footer, fading out across the panel's edges.
Image BandOpacity() {
    Image grey(kDesignWidth * S, kDesignHeight * S);
    const float fadeTopStart = PageLayout::kTopFadeStart * S;
    const float fadeTopEnd = (PageLayout::kTopFadeStart + PageLayout::kFade) * S;
    const float fadeBottomStart = PageLayout::kBottomFadeStart * S;
    const float fadeBottomEnd = (PageLayout::kBottomFadeStart + PageLayout::kFade) * S;
    for (int y = 0; y < grey.height(); ++y) {
        float row = y + 0.5f;
        float a = 0;
        if (row < fadeTopEnd) a = std::clamp((fadeTopEnd - row) / (fadeTopEnd - fadeTopStart), 0.0f, 1.0f);
        if (row > fadeBottomStart) a = std::clamp((row - fadeBottomStart) / (fadeBottomEnd - fadeBottomStart), 0.0f, 1.0f);
        for (int x = 0; x < grey.width(); ++x) grey.at(x, y) = {a, a, a, 1};
    }
    return grey;
}

ScreenArt Shared(const FrontEndFonts& fonts) {
    ScreenArt art;
    const int w = kDesignWidth * S, h = kDesignHeight * S;
    Image backdrop = RenderCoverBackdrop(PageMazeWorld(w, h));
    Image panel = MakeGlassPanel(PageLayout::kPanelWidth * S, PageLayout::kPanelHeight * S, Hex(0x66E8FF), 10.0f * S);
    art.pictures.push_back(Opaque("page_backdrop", backdrop, 5));
    art.pictures.push_back(Opaque("about_backdrop", WithPanel(backdrop, panel), 5));
    art.pictures.push_back(Opaque("about_bands_alpha", BandOpacity(), 0));
    art.pictures.push_back(Still("page_panel", panel));

    TitleArt logo = MakeTitleArt("KARROWEN", fonts.title, 124 * S, 36 * S);
    art.pictures.push_back(WithOpacity("page_logo", logo.frames, logo.delays));
    art.pictures.push_back(FromButton(MakeGlassButton(84 * S, 26 * S, CyanGlass()), "button"));
    art.pictures.push_back(FromButton(MakeArrowButton(30 * S, -1), "arrow_left"));
    art.pictures.push_back(FromButton(MakeArrowButton(30 * S, 1), "arrow_right"));
    // One colour stretched over the screen: a few pixels draw the same and
    // keep a full screen of them out of memory while a message box is loaded.
    art.pictures.push_back(Opaque("shade", MakeShade(8, 8), 0));
    art.pictures.push_back(Keyed("font_title", MakeTitleFont(fonts.title, {16, 4, 32, 14 * S, 16 * S})));

    const std::pair<const char*, KeySymbol> icons[] = {{"btnLeft", KeySymbol::Left},   {"btnUp", KeySymbol::Up},
                                                       {"btnRight", KeySymbol::Right}, {"btnDown", KeySymbol::Down},
                                                       {"btnEnter", KeySymbol::Enter}};
    for (const auto& [name, symbol] : icons) art.pictures.push_back(Keyed(name, MakeHotKeyIcon(symbol)));
    InputPadArt pad = MakeInputPadArt();
    art.pictures.push_back(Keyed("inputpad", pad.pad));
    art.pictures.push_back(Opaque("btn", pad.key, 0));
    art.pictures.push_back(Opaque("btnBig", pad.wideKey, 0));
    return art;
}

// ---- The introduction ------------------------------------------------------------------

SpritePicture Glimmerkin(const std::string& name, int size, int frames, bool sparkles) {
    SpritePicture picture = WithOpacity(name, {}, {});
    for (int i = 0; i < frames; ++i) {
        float t = static_cast<float>(i) / frames;
        Image frame(size, size);
        GlimmerkinPose pose{{size * 0.5f, size * 0.5f}, size * (sparkles ? 0.29f : 0.42f), 0.12f * std::sin(2 * kPi * t),
                            0, t, sparkles};
        if (frames > 4 && (i == frames - 3 || i == frames - 1)) pose.blink = 0.6f;
        if (frames > 4 && i == frames - 2) pose.blink = 1;
        DrawGlimmerkin(frame, pose);
        picture.frames.push_back(frame);
        picture.delays.push_back(9);
    }
    return picture;
}

SpritePicture WaitingTobbin() {
    SpritePicture picture = WithOpacity("intro_tobbin", {}, {});
    const float blinks[] = {0, 0.55f, 1, 0.55f};
    const int delays[] = {280, 4, 6, 4};
    for (int i = 0; i < 4; ++i) {
        Image frame(64 * S, 64 * S);
        TobbinPose pose{{32.0f * S, 35.0f * S}, 20.0f * S, blinks[i], {0.7f, -0.15f}, 60.0f * S};
        DrawTobbin(frame, pose);
        picture.frames.push_back(frame);
        picture.delays.push_back(delays[i]);
    }
    return picture;
}

ScreenArt Intro(const FrontEndFonts& fonts) {
    ScreenArt art{"intro.properties", {}, {}};
    art.pictures.push_back(Opaque("intro_backdrop", RenderCoverBackdrop(IntroMazeWorld(kDesignWidth * S, kDesignHeight * S)), 5));
    TitleArt title = MakeTitleArt("KARROWEN", fonts.title, 190 * S, 58 * S);
    art.pictures.push_back(WithOpacity("intro_title", title.frames, title.delays));
    art.pictures.push_back(Glimmerkin("glimmerkin", 60 * S, 12, true));
    art.pictures.push_back(FromButton(MakePlayButton("PLAY", fonts.label, 76 * S, 8), "play"));
    art.pictures.push_back(FromButton(MakeGlassButton(132 * S, 26 * S, CyanGlass()), "menu_button"));
    art.pictures.push_back(FromButton(MakeGlassButton(132 * S, 26 * S, MagentaGlass()), "menu_exit"));
    art.pictures.push_back(WaitingTobbin());
    art.pictures.push_back(Still("notice_panel", MakeGlassPanel(208 * S, 184 * S, Hex(0xFFC04A), 12.0f * S, 0.96f)));
    art.pictures.push_back(FromButton(MakeToggleRow(184 * S, 24 * S, ToggleShape::Box), "notice_check"));
    // Where the game sways them from: it moves them every frame around these points.
    art.placements = {{"sptTitle", 25, 8, 190, 58}, {"btnStartGame", 154, 212, 76, 76}, {"sptGlimmerkin", 164, 90, 60, 60}};
    return art;
}

// ---- Help, settings, about, message box -------------------------------------------------

// The pictures of all three help pages.
ScreenArt Help() {
    ScreenArt art{"help1.properties", {}, {}};
    art.pictures.push_back(Still("help_arrows", ArrowKeysIcon()));
    art.pictures.push_back(Icon("help_stylus", [](Image& i, Vec2 c, float r) { DrawStylusDrag(i, c, r); }));
    art.pictures.push_back(Icon("help_enter", [](Image& i, Vec2 c, float r) { DrawKeyCap(i, c, r * 1.3f, KeySymbol::Enter); }));
    art.pictures.push_back(Icon("item_pellet", [](Image& i, Vec2 c, float r) { DrawPellet(i, c, r * 0.7f); }));
    art.pictures.push_back(Icon("item_gem", [](Image& i, Vec2 c, float r) { DrawBonusGem(i, c, r); }));
    art.pictures.push_back(Icon("item_power", [](Image& i, Vec2 c, float r) { DrawPowerOrb(i, c, r); }));
    art.pictures.push_back(Icon("item_heart", [](Image& i, Vec2 c, float r) { DrawHeart(i, c, r); }));
    art.pictures.push_back(Glimmerkin("item_glimmerkin", 28 * S, 1, false));
    art.pictures.push_back(Still("ghost_red", GhostIcon(Hex(0xFF4D6D), {0.7f, 0.3f})));
    art.pictures.push_back(Still("ghost_cyan", GhostIcon(Hex(0x4DE8FF), {-0.6f, 0.3f})));
    art.pictures.push_back(Still("ghost_scared", GhostIcon(Hex(0x4A5CFF), {0, 0.8f})));
    return art;
}

ScreenArt Settings() {
    ScreenArt art{"gsettings.properties", {}, {}};
    art.pictures.push_back(FromButton(MakeToggleRow(208 * S, 24 * S, ToggleShape::Box), "setting_check"));
    art.pictures.push_back(FromButton(MakeToggleRow(102 * S, 24 * S, ToggleShape::Round), "setting_option"));
    // Five settings need a taller panel than the other pages'.
    art.pictures.push_back(Still("settings_panel", MakeGlassPanel(PageLayout::kPanelWidth * S, 224 * S, Hex(0x66E8FF), 10.0f * S)));
    return art;
}

ScreenArt About() {
    ScreenArt art{"back.properties", {}, {}};
    art.pictures.push_back(Glimmerkin("about_glimmerkin", 44 * S, 12, true));
    // The bands are plain copies, only their soft edges are blended: a blended
    // picture always lets a trace of what is under it through.
    const int fade = PageLayout::kFade, top = PageLayout::kTopFadeStart, bottom = PageLayout::kBottomFadeStart;
    art.placements = {{"sptBandTop", 0, 0, kDesignWidth, top},
                      {"sptFadeTop", 0, top, kDesignWidth, fade},
                      {"sptFadeBottom", 0, bottom, kDesignWidth, fade},
                      {"sptBandBottom", 0, bottom + fade, kDesignWidth, kDesignHeight - bottom - fade}};
    return art;
}

ScreenArt MessageBox() {
    ScreenArt art{"messagebox.properties", {}, {}};
    art.pictures.push_back(Still("box_panel", MakeGlassPanel(200 * S, 116 * S, Hex(0x66E8FF), 12.0f * S, 0.96f)));
    return art;
}

}  // namespace

std::vector<ScreenArt> MakeFrontEndArt(const FrontEndFonts& fonts) {
    // The other help pages use the first one's pictures; they are listed for their previews.
    return {Shared(fonts), Intro(fonts), Help(), {"help2.properties", {}, {}}, {"help3.properties", {}, {}},
            Settings(), About(), MessageBox()};
}

#pragma once
// What the game's rules need from the screen they run on: sounds by template
// name, the status sprites, the camera, and the bright font for the score
// popups. The game canvas implements it; tests use a recording fake.

#include <string>
#include <string_view>

class FrameBuffer;

class GameHost {
public:
    virtual ~GameHost() = default;

    // Sounds by their template names ("bang", "killed", "ghostKilled", ...).
    virtual void playSound(std::u16string_view name) = 0;
    virtual bool isSoundPlaying(std::u16string_view name) = 0;
    virtual void stopAllSounds() = 0;
    // Stops every effect and leaves the music playing, softer for `seconds`
    // (then back to full): the music plays on where it was.
    virtual void stopEffectsAndDuckMusic(float seconds) = 0;

    // Sprites of the status scene ("sptScore", "sptLifes", "sptFlash", ...).
    virtual void setSpriteText(std::u16string_view sprite, const std::u16string& text) = 0;
    virtual void setSpriteVisible(std::u16string_view sprite, bool visible) = 0;

    // The hero has appeared again: the camera aims at him afresh.
    virtual void heroAppeared() = 0;

    // Draws a popup's text into its picture, centred, `height` pixels high.
    virtual void drawPopupText(FrameBuffer& image, std::u16string_view text, int height) = 0;
};

// A host that shows and plays nothing: the rules run alone (a benchmark, a
// fuzz target).
class QuietGameHost : public GameHost {
public:
    void playSound(std::u16string_view) override {}
    bool isSoundPlaying(std::u16string_view) override { return false; }
    void stopAllSounds() override {}
    void stopEffectsAndDuckMusic(float) override {}
    void setSpriteText(std::u16string_view, const std::u16string&) override {}
    void setSpriteVisible(std::u16string_view, bool) override {}
    void heroAppeared() override {}
    void drawPopupText(FrameBuffer&, std::u16string_view, int) override {}
};

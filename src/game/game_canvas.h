#pragma once
// The one canvas of the program. Every screen is a template loaded into it;
// the game canvas adds the reactions to the screens' widgets, the motion of
// the front-end pages, the loading of a level and the frame of a running
// game, whose rules live in GameLevel. Starting a game, every next level and
// the return to the introduction relaunch the program.

#include <memory>
#include <optional>
#include <string>

#include "game/game_host.h"
#include "platform/screen_transition.h"
#include "scene/app_canvas.h"
#include "sound/sound_store.h"

class AutoplayDriver;
class Camera;
class GameLevel;
class KeySteering;
class LevelView;
struct LevelPictures;
class PropertyFile;
class Scene3D;
class SceneSprite;
class SoundBase;
class Sprite;

enum class GameEnd { GameOver = 0, LevelCleared = 1, Quit = 2 };

class GameCanvas : public AppCanvas, public GameHost {
public:
    GameCanvas();
    ~GameCanvas() override;

    void onCreate() override;
    void onDestroy() override;
    void drawScenes() override;
    void beforeDraw(float frameTime) override;
    void afterDraw(float frameTime) override;
    void everyWindow(float windowSeconds) override;
    void afterTemplateLoaded() override;
    void beforeClear() override {}

    // The stylus listener: commands arrive as stylus-ups over a pressed widget.
    void onStylus(Window* window, uint32_t message, uint32_t flags, int x, int y) override;
    void onKey(uint32_t message, int keyCode) override;
    using AppCanvas::onKey;

    // Loads the level named by the fields below (set from the command line).
    void startLevel();
    void endGame(GameEnd mode);

    GameLevel* game() const { return game_.get(); }

    // ---- GameHost ----
    void playSound(std::u16string_view name) override;
    bool isSoundPlaying(std::u16string_view name) override;
    void stopAllSounds() override;
    void stopEffectsAndDuckMusic(float seconds) override;
    void setSpriteText(std::u16string_view sprite, const std::u16string& text) override;
    void setSpriteVisible(std::u16string_view sprite, bool visible) override;
    void heroAppeared() override;
    void drawPopupText(FrameBuffer& image, std::u16string_view text, int height) override;

    int level = 0;
    int carriedScore = 0;
    int carriedLives = 0;
    // Where the previous level left the music, when it plays on (0: none).
    int carriedMusicMs = 0;
    int carriedSong = 0;
    std::u16string levelFolderName;
    std::u16string levelImageFolder;
    bool gameRunning = false;
    // A demo game: the built-in player plays under a "DEMO" caption; any key
    // or tap, the end of the level or kDemoSeconds return to the cover, and
    // the score list is never shown.
    bool demo = false;
    static constexpr uint32_t kAttractAfterMs = 30000;  // idle time on the cover before a demo
    static constexpr float kDemoSeconds = 60.0f;

private:
    void onWidgetReleased(Sprite& widget, uint32_t flags);
    void answerMessageBox(Sprite& widget);
    void animateIntro(float frameTime);
    void scrollPrompt(float frameTime);
    void drawLoadingCard(const std::u16string& text);
    void showLoadingBox(const char16_t* key, const char16_t* text);
    bool loadGameScreen();
    void buildLevel();
    void loadGhostColours(LevelPictures& pictures);
    void beginPlay();
    void applySettings();
    void applySoundSetting(PropertyFile& settings);
    void layOutGameScreen();
    void loadBackdrop();
    void playMusic();
    void pauseMusic();
    void resumeMusic();
    void duckMusic(float frameTime);
    std::string musicArguments();
    void playMenuMusic();
    void drawGameOver();
    void printLevelRecord() const;
    void finishNameEntry(bool confirmed);
    void waitForAttract();
    bool leaveDemoOnInput();
    void leaveDemo();
    void drawDemoCaption();
    void prepareSettingsPage();
    void showVolume();
    void changeVolume(int step);
    // Writes one entry of karrowen.conf; a failure is told as a warning.
    void savePortSetting(const char* key, const std::string& value);
    Sprite* guiSprite(std::u16string_view name) const;

    std::unique_ptr<ScreenTransition> fade_;
    float introClock_ = 0.0f;
    std::unique_ptr<GameLevel> game_;
    std::unique_ptr<LevelView> view_;
    std::unique_ptr<KeySteering> steering_;
    std::unique_ptr<AutoplayDriver> autoPlayer_;
    SceneSprite* sceneGUI_ = nullptr;
    SceneSprite* sceneConsole_ = nullptr;
    Scene3D* scene3D_ = nullptr;
    Camera* camera_ = nullptr;
    std::unique_ptr<FrameBuffer> background_;
    std::unique_ptr<FrameBuffer> cardPicture_;  // the level's sky as loaded, until the backdrop takes it
    SoundBase* music_ = nullptr;
    // The music's volume (0 ... 64) and the seconds it stays ducked.
    int musicVolume_ = 64;
    float musicDucked_ = 0.0f;
    // The pages' song, kept apart from the templates' sounds so that a page
    // change does not stop it.
    SoundStore menuSounds_;
    SoundBase* menuMusic_ = nullptr;
    bool swayCamera_ = false;
    bool gameOverShow_ = false;
    int finalScore_ = 0;  // the score of the game that ended, for the score list
    std::u16string playerName_;
    uint32_t coverShownMs_ = 0;   // TickCount when the cover appeared
    uint32_t demoStartMs_ = 0;    // TickCount when the demo's play began
    bool leavingDemo_ = false;
    static constexpr int kVolumeStep = 10;  // percent per tap of the volume arrows
    int volume_ = 100;                      // percent, as the settings page shows it
    // The name this game's score went into the list under, once entered.
    std::optional<std::u16string> enteredName_;
};

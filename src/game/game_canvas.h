#pragma once
// The one canvas of the program. Every screen is a template loaded into it;
// the game canvas adds the reactions to the screens' widgets and the motion of
// the front-end pages. Starting a game, every next level and the return to the
// introduction relaunch the program.

#include <memory>
#include <string>

#include "platform/screen_transition.h"
#include "scene/app_canvas.h"

class GameCanvas : public AppCanvas {
public:
    GameCanvas();
    ~GameCanvas() override;

    void onCreate() override;
    void onDestroy() override;
    void beforeDraw(float frameTime) override;
    void afterTemplateLoaded() override;
    void beforeClear() override {}

    // The stylus listener: commands arrive as stylus-ups over a pressed widget.
    void onStylus(Window* window, uint32_t message, uint32_t flags, int x, int y) override;

    // Loads the level named by the fields below (set from the command line).
    void startLevel();

    int level = 0;
    int carriedScore = 0;
    int carriedLives = 0;
    std::u16string levelFolderName;
    std::u16string levelImageFolder;
    bool gameRunning = false;

private:
    void onWidgetReleased(Sprite& widget, uint32_t flags);
    void answerMessageBox(Sprite& widget);
    void animateIntro(float frameTime);
    void scrollPrompt(float frameTime);
    void drawLoadingBand(const std::u16string& text);

    std::unique_ptr<ScreenTransition> fade_;
    float introClock_ = 0.0f;
};

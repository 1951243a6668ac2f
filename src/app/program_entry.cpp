#include "app/program_entry.h"

#include "app/app_startup.h"
#include "app/message_loop.h"
#include "app/start_choice.h"
#include "data/resource.h"
#include "platform/direct_display.h"
#include "platform/device_info.h"
#include "platform/host/host.h"
#include "platform/platform_services.h"
#include "render3d/object_readers.h"
#include "game/game_canvas.h"
#include "scene/hot_key_icons.h"

namespace {
constexpr int kProgramIcon = 101;

// Without its resources the game could show only an empty window; it says once
// where it looked and how to get them.
bool ResourcesFound() {
    std::u16string folder = ResourceFolder();
    if (ResourceExists(folder + u"Cover.properties") || ResourceExists(folder + u"resources.zip")) return true;
    host::MessageBox(nullptr,
                     u"The game's resources were not found in\n" + folder +
                         u"\n\nBuild them with \"make\" (or \"cmake --build build\"), which puts them in "
                         u"build/resources/ beside build/bin/, or install the game.",
                     u"Error", host::MB_OK | host::MB_ICONHAND);
    return false;
}
}  // namespace

int ProgramEntry(const std::u16string& commandLine) {
    StartChoice start = ParseStartChoice(commandLine);
    if (CheckFreeMemory(nullptr, start.hasArg ? 1.0f : 3.0f) != host::IDYES) return 0;
    if (!ResourcesFound()) return 1;

    Register3DObjectTypes();
    MainWindow mainWindow(u"Karrowen");
    host::SetIconFile(kProgramIcon, ResourceFolder() + u"karrowen.png");
    mainWindow.setIcon(kProgramIcon);
    if (!AppStartup(mainWindow, true)) return 0;

    auto* canvas = new GameCanvas();
    mainWindow.addChildScaled(canvas);
    canvas->setFocus();
    mainWindow.invalidate();
    mainWindow.update();

    SetHotKeyIcons(canvas->resourceDir(), {u"btnLeft.gif", u"btnUp.gif", u"btnRight.gif", u"btnDown.gif", u"btnEnter.gif"});

    bool resumed = start.kind == StartChoice::Kind::Resume;
    if (start.kind == StartChoice::Kind::Cover) {
        canvas->loadTemplate(canvas->resourceDir(), u"Cover.properties", false, true);
    } else if (start.kind == StartChoice::Kind::Template) {
        canvas->loadTemplate(canvas->resourceDir(), start.templateName, false, true);
    } else {
        canvas->level = start.level;
        canvas->carriedScore = start.score;
        canvas->carriedLives = start.lives;
        canvas->carriedMusicMs = start.musicMs;
        canvas->carriedSong = start.song;
        canvas->demo = start.demo;
        canvas->levelFolderName = start.levelFolder;
        canvas->levelImageFolder = canvas->resourceDir() + u"Levels/" + start.levelFolder + u"/";
        canvas->startLevel();
    }
    canvas->invalidate();
    canvas->update();

    if (!resumed && Device().highResolution) OpenDirect(canvas->handle(), true, false);
    return RunMessageLoop(mainWindow.handle());
}

#pragma once
// What the game asks of the web page it runs in (web/page/karrowen-page.js).
// Only the web build compiles this; the page has no threads and no processes,
// so waiting means letting the browser run and a relaunch is a reload.

#include <cstdint>
#include <string>
#include <vector>

namespace host::web {

// Gives the browser `ms` milliseconds to run its events, sound and painting;
// returns where the program left off (asyncify).
void Yield(uint32_t ms);
// Returns once the browser has shown the picture presented last, or at once
// when the page is hidden: the game then waits until it is shown again.
void WaitForDisplay();
// Tells the page the panel's size, so that it scales the canvas by whole factors.
void SetPanelSize(int width, int height);
// Reloads the page with a new program line in its address: host options
// ("--name=value" or "--name"), a lone "--", then the game's command line.
// The reload waits for the player's files to reach the browser's storage.
void Reload(const std::vector<std::string>& words);
// Starts copying the player's folder into the browser's storage.
void SaveFiles();
// The browser's own dialogs: a Yes/No question (true for Yes) and a notice.
bool Confirm(const std::string& text);
void Alert(const std::string& text);
// The program has ended: the page says so and offers to start again.
void ShowEnded();
// Asks the page to show the game full screen, or to leave full screen.
void SetFullScreen(bool on);

// Where the page keeps the program and its resources (see the pre-run script).
constexpr const char* kModulePath = "/karrowen/bin/karrowen";

}  // namespace host::web

#pragma once
// The in-game message box: a sprite scene on top of the others, loaded from
// "messagebox.properties" on first use. It does not block; the owner's stylus
// listener sees the answer as a stylus-up on "btnOK_MSGBOX", "btnYes_MSGBOX" or
// "btnNo_MSGBOX" and reads the context it gave to tell the questions apart.

#include <optional>
#include <string>

class Canvas;
class Texture;

enum class MessageBoxButtons { Ok = 0, YesNo = 1, None = 2 };

void showMessageBox(Canvas& canvas, const std::u16string& message, const std::u16string& context,
                    MessageBoxButtons buttons, Texture* backgroundTexture);
void closeMessageBox(Canvas& canvas);
bool isMessageBoxOpen(const Canvas& canvas);
// The context of the open (or last) box; nothing without the box's scene.
std::optional<std::u16string> messageBoxContext(const Canvas& canvas);

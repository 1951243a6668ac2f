#include "scene/key_state.h"

#include "platform/direct_display.h"
#include "platform/host/win_types.h"

uint32_t KeyBitFor(int keyCode) {
    using namespace key_bits;
    uint32_t bit = 0;
    switch (keyCode) {
        case host::VK_UP: bit = Up; break;
        case host::VK_DOWN: bit = Down; break;
        case host::VK_LEFT: bit = Left; break;
        case host::VK_RIGHT: bit = Right; break;
        case host::VK_DELETE: bit = Delete; break;
        case host::VK_END: bit = End; break;
        case host::VK_SPACE: bit = Space; break;
        case host::VK_RETURN:
        case kDeviceActionKey: bit = Action; break;
        case host::VK_PRIOR: bit = PageUp; break;
        case host::VK_NEXT: bit = PageDown; break;
        case host::VK_HOME: bit = Home; break;
        case host::VK_INSERT: bit = Insert; break;
        default: break;
    }
    if (Display().inputOpen) {
        if (keyCode == KeyCodeA()) bit = ButtonA;
        else if (keyCode == KeyCodeB()) bit = ButtonB;
        else if (keyCode == KeyCodeC()) bit = ButtonC;
        else if (keyCode == KeyCodeStart()) bit = ButtonStart;
    }
    return bit;
}

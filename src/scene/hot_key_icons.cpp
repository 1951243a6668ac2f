#include "scene/hot_key_icons.h"

#include "data/property_file.h"
#include "platform/device_info.h"
#include "platform/host/win_types.h"
#include "scene/scene_state.h"
#include "scene/texture.h"

void SetHotKeyIcons(const std::u16string& dir, const std::array<std::u16string, 5>& names) {
    auto& icons = Scenes().hotKeyIcons;
    for (size_t i = 0; i < icons.size(); ++i) {
        icons[i].reset();
        if (names[i].empty()) continue;
        auto icon = std::make_unique<Texture>(JoinResourcePath(dir, names[i]), false, false);
        if (icon->empty()) continue;
        int w = ScaleToScreen(icon->width), h = ScaleToScreen(icon->height);
        if (w != icon->width || h != icon->height) icon->resize(w, h, false);
        icons[i] = std::move(icon);
    }
}

Texture* HotKeyIconFor(int keyCode) {
    const auto& icons = Scenes().hotKeyIcons;
    switch (keyCode) {
        case host::VK_LEFT: return icons[size_t(HotKeyIcon::Left)].get();
        case host::VK_UP: return icons[size_t(HotKeyIcon::Up)].get();
        case host::VK_RIGHT: return icons[size_t(HotKeyIcon::Right)].get();
        case host::VK_DOWN: return icons[size_t(HotKeyIcon::Down)].get();
        case host::VK_RETURN: return icons[size_t(HotKeyIcon::Enter)].get();
        default: return nullptr;
    }
}

void ReleaseHotKeyIcons() {
    for (auto& icon : Scenes().hotKeyIcons) icon.reset();
}

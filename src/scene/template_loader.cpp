// Loading a template into a canvas: the file, then every entry in file order
// through the object-type table.

#include <algorithm>
#include <map>

#include "data/text_helpers.h"
#include "platform/host/host.h"
#include "scene/canvas.h"
#include "scene/object_types.h"
#include "scene/property_list.h"
#include "scene/scene_sprite.h"
#include "scene/scene_state.h"
#include "scene/sprite_reader.h"
#include "sound/sound_template.h"

namespace {

std::map<std::u16string, ObjectReader>& Registry() { return Scenes().objectTypes; }

void ReadPageSetting(Canvas& canvas, const std::u16string&, const PropertyList& props) {
    canvas.defaultTextColor = props.colour(u"defaultTextColor", canvas.defaultTextColor);
    canvas.defaultTextColorBright = props.colour(u"defaultTextColorBright", canvas.defaultTextColorBright);
    canvas.defaultTextSize = props.integer(u"defaultTextSize", canvas.defaultTextSize);
}

void ReadSound(Canvas& canvas, const std::u16string& entryName, const PropertyList&) {
    ReadSoundEntry(canvas.templateFile(), entryName, canvas.templateDir(), canvas.soundStore(), canvas.soundTable());
}

void RegisterBuiltInTypes() {
    bool& done = Scenes().builtInTypesRegistered;
    if (done) return;
    done = true;
    auto& r = Registry();
    r.emplace(u"PageSetting", ReadPageSetting);
    r.emplace(u"SceneSprite", ReadSceneSprite);
    r.emplace(u"Sprite", ReadSprite);
    r.emplace(u"Sound", ReadSound);
    r.emplace(u"WaveSound", ReadSound);
    r.emplace(u"BitmapFont", ReadBitmapFont);
}

}  // namespace

void RegisterObjectType(const std::u16string& type, ObjectReader reader) {
    RegisterBuiltInTypes();
    Registry()[type] = std::move(reader);
}

const ObjectReader* FindObjectType(const std::u16string& type) {
    RegisterBuiltInTypes();
    auto found = Registry().find(type);
    return found == Registry().end() ? nullptr : &found->second;
}

void Canvas::loadTemplate(const std::u16string& dir, const std::u16string& name, bool screenModeVariant,
                          bool replace) {
    if (dir.empty() || name.empty()) return;
    screenModeVariant_ = screenModeVariant;
    loadTemplateWith(dir, name, replace, [&](std::vector<std::u16string>* definedHere) {
        return screenModeVariant ? templateFile_.loadVariant(templateDir_, name, definedHere)
                                 : templateFile_.load(templateDir_, name, definedHere);
    });
}

void Canvas::loadTemplateBytes(const std::u16string& dir, const std::u16string& name, const uint8_t* data,
                               size_t size, bool replace) {
    if (dir.empty() || name.empty()) return;
    screenModeVariant_ = false;
    loadTemplateWith(dir, name, replace, [&](std::vector<std::u16string>* definedHere) {
        templateFile_.setPath(JoinResourcePath(templateDir_, name));
        templateFile_.loadBytes(data, size, definedHere);
        return true;
    });
}

void Canvas::loadTemplateWith(const std::u16string& dir, const std::u16string& name, bool replace,
                              const std::function<bool(std::vector<std::u16string>*)>& read) {
    defaultTextSize = 16;
    defaultTextColor = defaultTextColorBright = 0xFFFFFF;
    std::u16string savedDir, savedName, savedPath;
    if (replace) {
        clear();
    } else {
        savedDir = templateDir_;
        savedName = templateName_;
        savedPath = templateFile_.path();
    }
    templateName_ = name.substr(0, kMaxTemplateName);
    templateDir_ = dir;

    std::vector<std::u16string> definedHere;
    if (!read(&definedHere)) {
        host::MessageBox(handle(), u"Can not find the template file: " + templateDir_ + templateName_ + u".",
                         u"Error", host::MB_OK | host::MB_ICONHAND);
        if (!replace) {
            templateDir_ = savedDir;
            templateName_ = savedName;
            templateFile_.setPath(savedPath);
        }
        return;
    }
    for (const std::u16string& entry : templateFile_.dataKeys()) {
        bool known = std::find(loadedNames_.begin(), loadedNames_.end(), entry) != loadedNames_.end();
        // A name seen before is processed again only when this file redefines it.
        if (known && std::find(definedHere.begin(), definedHere.end(), entry) == definedHere.end()) continue;
        if (!known) loadedNames_.push_back(entry);
        loadEntry(entry);
    }
    afterTemplateLoaded();
    for (int i = 0; i < sceneCount(); ++i) {
        Scene* scene = sceneAt(i);
        if (scene->kind != SceneKind::Sprites) continue;
        auto* sprites = static_cast<SceneSprite*>(scene);
        if (sprites->focusListener) sprites->focusListener->focusChanged(nullptr, sprites->focus);
    }
    if (!replace) {
        if (!savedName.empty()) {
            templateDir_ = savedDir;
            templateName_ = savedName;
            templateFile_.setPath(savedPath);
        }
    } else {
        setPressed(nullptr, nullptr);
    }
}

void Canvas::loadEntry(const std::u16string& entryName) {
    const char16_t* value = templateFile_.get(entryName);
    if (!value) return;
    PropertyList props(value, templateFile_.listSeparator(), templateFile_.itemSeparator());
    auto type = props.string(u"type");
    if (!type) return;
    if (const ObjectReader* reader = FindObjectType(*type)) (*reader)(*this, entryName, props);
    else loadCustomObject(templateFile_, entryName);
}

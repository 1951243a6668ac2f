#include "scene/sprite_reader.h"

#include <algorithm>
#include <cctype>

#include "data/language_table.h"
#include "data/text_helpers.h"
#include "platform/device_info.h"
#include "platform/host/host.h"
#include "scene/bitmap_font.h"
#include "scene/canvas.h"
#include "scene/image_cache.h"
#include "scene/image_file.h"
#include "scene/property_list.h"
#include "scene/scene_sprite.h"
#include "scene/sprite.h"
#include "scene/texture.h"
#include "scene/widgets.h"

namespace {

std::u16string Lower(std::u16string text) {
    for (char16_t& c : text)
        if (c < 128) c = char16_t(std::tolower(int(c)));
    return text;
}

// "50%" is half the canvas; anything else a scaled design length.
int SizeOf(const PropertyList& props, const char16_t* key, int canvasSize) {
    auto value = props.string(key);
    if (!value || value->empty()) return canvasSize;
    if (value->find(u'%') != std::u16string::npos)
        return int(float(std::clamp(ParseLeadingInt(*value), -10000, 10000)) * float(canvasSize) * 0.01f + 0.5f);
    return ScaleToScreen(ParseLeadingInt(*value));
}

int PositionOf(const PropertyList& props, const char16_t* key, const char16_t* containerKey, int canvasSize, int size) {
    auto value = props.string(key);
    if (value && *value == u"CENTER") return (canvasSize - size) >> 1;
    int position = value ? ScaleToScreen(ParseLeadingInt(*value)) : 0;
    int container = props.integer(containerKey, 0);
    if (container > 0) position += (canvasSize - ScaleToScreen(container)) / 2;
    return position;
}

GuiType GuiTypeOf(const std::u16string& name) {
    std::u16string lower = Lower(name);
    if (lower == u"button") return GuiType::Button;
    if (lower == u"checkbox") return GuiType::CheckBox;
    if (lower == u"hyperlink") return GuiType::HyperLink;
    if (lower == u"tiplink") return GuiType::TipLink;
    if (lower == u"editbox") return GuiType::EditBox;
    return GuiType::None;
}

uint16_t HotKeyOf(const std::u16string& value) {
    if (value == u"LEFT") return 37;
    if (value == u"RIGHT") return 39;
    if (value == u"UP") return 38;
    if (value == u"DOWN") return 40;
    if (value == u"ENTER") return 13;
    return value.empty() ? 0 : value[0];
}

// Edit boxes keep their keyboard parameters as "maxLength,title"; maxLength
// is negated when empty text is refused.
void ReadEditBox(Sprite& sprite, const PropertyList& props) {
    std::u16string text = props.string(u"text").value_or(u"");
    std::u16string title = props.string(u"title").value_or(u"");
    size_t open = text.find(u'(');
    if (open != std::u16string::npos) {
        title = text.substr(open);
        text.resize(open);
        Trim(title, u" \t()");
    }
    Trim(text, u" ");
    sprite.setText(text, true);
    int maxLength = std::max(1, props.integer(u"maxLength", 20));
    bool allowEmpty = props.boolean(u"allowEmpty", true);
    sprite.widgetParam = Decimal(allowEmpty ? maxLength : -maxLength) + u"," + title;
}

void ReadWidget(Sprite& sprite, const PropertyList& props) {
    auto gui = props.string(u"GUIType");
    sprite.guiType = gui ? GuiTypeOf(*gui) : GuiType::None;
    switch (sprite.guiType) {
        case GuiType::CheckBox:
            sprite.widgetParam = props.string(u"group").value_or(u"");
            sprite.persistent = props.boolean(u"persistent", false);
            break;
        case GuiType::HyperLink:
        case GuiType::TipLink: sprite.widgetParam = props.string(u"href").value_or(u""); break;
        case GuiType::EditBox: ReadEditBox(sprite, props); break;
        default: break;
    }
}

void ReadText(Canvas& canvas, Sprite& sprite, const PropertyList& props) {
    if (sprite.guiType != GuiType::EditBox) {
        std::u16string text = props.string(u"text").value_or(u"");
        if (auto id = props.string(u"LTID")) text = std::u16string(GetLanguageText(*id, text));
        sprite.setText(text, true);
    }
    if (auto face = props.string(u"textFont")) sprite.setFontFace(face->c_str());
    sprite.textSize = std::max(11, props.scaled(u"textSize", ScaleToScreen(canvas.defaultTextSize)));
    sprite.textItalic = props.boolean(u"textItalic", false);
    bool link = sprite.guiType == GuiType::HyperLink || sprite.guiType == GuiType::TipLink;
    sprite.textUnderline = props.boolean(u"textUnderline", link);
    sprite.textWeight = props.boolean(u"textBold", false) ? 700 : 400;
    sprite.textOffsetX = props.scaled(u"textOffsetX", 0);
    sprite.textOffsetY = props.scaled(u"textOffsetY", 0);
    sprite.textFormatted = props.boolean(u"textFormatted", true);
    auto alignment = props.string(u"textAlignment");
    sprite.textAlignment = !alignment ? 0 : *alignment == u"CENTER" ? 1 : *alignment == u"RIGHT" ? 2 : 0;
    sprite.textColor = props.colour(u"textColor", canvas.defaultTextColor);
    sprite.textColorBright = props.colour(u"textColorBright", canvas.defaultTextColorBright);
    auto fontName = props.string(u"BitmapFont");
    if (!fontName) fontName = props.string(u"BitmapFontNormal");
    if (fontName) sprite.fontNormal = canvas.findFont(*fontName);
    auto brightName = props.string(u"BitmapFontBright");
    sprite.fontBright = brightName ? canvas.findFont(*brightName) : sprite.fontNormal;
}

Texture* LoadTexture(Canvas& canvas, const PropertyList& props, const char16_t* key) {
    auto file = props.string(key);
    if (!file || file->empty()) return nullptr;
    return canvas.imageCache().load(canvas.templateDir(), *file, false, false);
}

void ReadPictures(Canvas& canvas, Sprite& sprite, const PropertyList& props, bool sized) {
    Texture* normal = LoadTexture(canvas, props, u"texture");
    Texture* bright = LoadTexture(canvas, props, u"textureBright");
    if (!bright) bright = LoadTexture(canvas, props, u"bright");
    Texture* alpha = LoadTexture(canvas, props, u"textureAlpha");
    sprite.textureTransparency = std::clamp(props.integer(u"textureTransparency", 0), 0, 255);
    // Without both sizes a picture gives the size, scaled like the template's lengths.
    bool fromPicture = !sized && (normal || bright);
    if (fromPicture) sprite.setSize(-1, -1);
    sprite.setTextures(normal, bright, alpha, props.integer(u"clipX", -1), props.integer(u"clipY", -1),
                       props.integer(u"clipW", -1), props.integer(u"clipH", -1));
    if (fromPicture) sprite.setSize(ScaleToScreen(sprite.width), ScaleToScreen(sprite.height));
    bool animate = props.boolean(u"animationEnabled", true);
    for (Texture* t : {normal, bright})
        if (t && t->frameCount() >= 2) t->animated = animate;
    if (props.boolean(u"normalizeTexture", false)) sprite.normalizeTextures();
}

void ReadHotKeys(Sprite& sprite, const PropertyList& props) {
    if (auto index = props.string(u"index")) sprite.hotKey = HotKeyOf(*index);
    if (auto index2 = props.string(u"index2")) {
        uint16_t key = HotKeyOf(*index2);
        if (key >= u'a' && key <= u'z') key = uint16_t(key - u'a' + u'A');
        sprite.hotKey2 = key;
    }
    if (sprite.hotKey && (sprite.hotKey < 48 || sprite.hotKey > 90)) sprite.hotKey2 = sprite.hotKey;
    sprite.hotKeyOffset = PackOffset(props.scaled(u"indexOffsetX", 0), props.scaled(u"indexOffsetY", 0));
}

}  // namespace

SceneGeometry ReadSceneGeometry(const Canvas& canvas, const PropertyList& props) {
    SceneGeometry g;
    g.width = SizeOf(props, u"width", canvas.clientWidth());
    g.height = SizeOf(props, u"height", canvas.clientHeight());
    g.x = PositionOf(props, u"x", u"containerWidth", canvas.clientWidth(), g.width);
    g.y = PositionOf(props, u"y", u"containerHeight", canvas.clientHeight(), g.height);
    return g;
}

void ReadCommonSceneKeys(Canvas& canvas, Scene& scene, const PropertyList& props) {
    scene.bkgColor = props.colour(u"bkgColor", Sprite::kNone);
    scene.bkgTexture = LoadTexture(canvas, props, u"bkgTexture");
    scene.visible = props.boolean(u"visible", true);
    scene.buffered = props.boolean(u"buffered", false);
    scene.transparentColor = props.colour(u"transparentColor", 0x000000);
}

void ReadSceneSprite(Canvas& canvas, const std::u16string& entryName, const PropertyList& props) {
    SceneGeometry g = ReadSceneGeometry(canvas, props);
    int offsetX = props.scaled(u"indexOffsetX", 0), offsetY = props.scaled(u"indexOffsetY", 0);
    auto* scene = new SceneSprite(g.x, g.y, g.width, g.height, Sprite::kNone, nullptr,
                                  props.colour(u"indexTextColor", 0xFFFF00),
                                  std::max(11, props.scaled(u"indexTextSize", ScaleToScreen(14))),
                                  props.scaled(u"indexTextOffsetX", offsetX), props.scaled(u"indexTextOffsetY", offsetY),
                                  props.integer(u"navigationMode", 0));
    ReadCommonSceneKeys(canvas, *scene, props);
    canvas.addScene(entryName, scene);
}

void ReadSprite(Canvas& canvas, const std::u16string& entryName, const PropertyList& props) {
    bool sized = props.has(u"width") && props.has(u"height");
    auto sprite = std::make_unique<Sprite>(props.scaled(u"x", 0), props.scaled(u"y", 0), props.scaled(u"width", 0),
                                           props.scaled(u"height", 0));
    sprite->visible = props.boolean(u"visible", true);
    ReadWidget(*sprite, props);
    ReadText(canvas, *sprite, props);
    sprite->color = props.colour(u"color", Sprite::kNone);
    sprite->colorBright = props.colour(u"colorBright", sprite->color);
    sprite->frame = props.colour(u"frame", Sprite::kNone);
    sprite->frameBright = props.colour(u"frameBright", sprite->frame);
    sprite->status = props.integer(u"status", 0);
    ReadPictures(canvas, *sprite, props, sized);

    auto containerName = props.string(u"container");
    Scene* container = containerName ? canvas.findScene(*containerName) : nullptr;
    if (!container || container->kind != SceneKind::Sprites) return;  // not placed anywhere
    auto* scene = static_cast<SceneSprite*>(container);
    if (scene->navigationMode == 0) ReadHotKeys(*sprite, props);

    int copies = props.integer(u"number", 0);
    Sprite* first = sprite.get();
    scene->addObject(copies >= 1 ? entryName + u"0" : entryName, sprite.release());
    for (int i = 1; i < copies; ++i) scene->addObject(entryName + Decimal(i), first->copy().release());
    if (props.boolean(u"defaultFocus", false)) scene->focus = first;
}

void ReadBitmapFont(Canvas& canvas, const std::u16string& entryName, const PropertyList& props) {
    auto bitmap = props.string(u"bitmap");
    if (!bitmap || bitmap->empty() || canvas.findFont(entryName)) return;
    const PictureChoice picture = ChoosePicture(JoinResourcePath(canvas.templateDir(), *bitmap));
    auto font = BitmapFont::Load(picture.path, props.integer(u"columns", 0), props.integer(u"rows", 0),
                                 props.integer(u"caseConvertion", 1), props.integer(u"startCode", 32));
    if (!font) return;
    font->pictureScale = picture.scale;
    canvas.addFont(entryName, std::move(font));
}

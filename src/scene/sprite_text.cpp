#include "scene/sprite_text.h"

#include "scene/sprite.h"
#include "scene/text_drawing.h"

void DrawSpriteText(Sprite& s, FrameBuffer* target, host::DeviceContext* dc, int x, int y) {
    TextStyle style;
    style.face = s.fontFace();
    style.size = s.textSize;
    style.weight = s.textWeight;
    style.italic = s.textItalic;
    style.underline = s.textUnderline;
    style.colour = s.status == 1 ? s.textColorBright : s.textColor;
    style.alignment = s.textAlignment;
    style.formatted = s.textFormatted;
    const BitmapFont* font = s.bright() ? s.fontBright : s.fontNormal;
    host::Rect box{x + s.textOffsetX + 1, y + s.textOffsetY, x + s.textOffsetX + s.width - 2,
                   y + s.textOffsetY + s.height};
    if (target) DrawText(*target, font, s.text(), box, style);
    else if (dc) DrawText(*dc, font, s.text(), box, style);
}

#pragma once
// A device context draws onto a pixel surface the way the system's GDI calls do:
// brushes, pens, raster operations, block copies and text. Coordinates are
// relative to the context's origin and clipped to its clip rectangle.

#include <memory>
#include <string>
#include <vector>

#include "platform/host/pixel_surface.h"
#include "platform/host/win_types.h"

namespace host {

struct Brush {
    bool hollow = false;
    ColorRef colour = 0;
};

struct Pen {
    bool none = false;
    int width = 1;
    ColorRef colour = 0;
};

// A system font as the templates ask for it.
struct FontSpec {
    std::u16string face = u"Arial";
    int height = 16;  // pixels
    int weight = 400;
    bool italic = false;
    bool underline = false;
};

class DeviceContext;

// Draws system-font text into a context. The fonts subsystem installs one;
// without it text is measured as empty and draws nothing.
class TextRasterizer {
public:
    virtual ~TextRasterizer() = default;
    // Draws or measures (DT_CALCRECT) text inside rect; returns the text height.
    virtual int drawText(DeviceContext& dc, const std::u16string& text, Rect& rect, uint32_t format) = 0;
    virtual Point textExtent(const FontSpec& font, const std::u16string& text) = 0;
    virtual bool fontMatches(const FontSpec& font) = 0;
};
void SetTextRasterizer(TextRasterizer* rasterizer);
TextRasterizer* GetTextRasterizer();

class DeviceContext {
public:
    DeviceContext() = default;
    explicit DeviceContext(const PixelSurface& surface);

    // Points the context at a surface; origin is where (0, 0) of the context
    // lies on the surface, clip is in surface coordinates.
    void setTarget(const PixelSurface& surface, Point origin, const Rect& clip);
    void setTarget(const PixelSurface& surface);
    const PixelSurface& surface() const { return surface_; }
    Point origin() const { return origin_; }
    Rect clip() const { return clip_; }
    // Called after pixels of the context changed (the screen marks itself dirty).
    void setChangeListener(void (*listener)(void*), void* data);

    Brush selectBrush(const Brush& brush);
    Pen selectPen(const Pen& pen);
    FontSpec selectFont(const FontSpec& font);
    const Brush& brush() const { return brush_; }
    const Pen& pen() const { return pen_; }
    const FontSpec& font() const { return font_; }
    int setRop2(int rop);
    int rop2() const { return rop2_; }
    int setBkMode(int mode);
    int bkMode() const { return bkMode_; }
    ColorRef setTextColor(ColorRef colour);
    ColorRef textColor() const { return textColor_; }
    ColorRef setBkColor(ColorRef colour);
    ColorRef bkColor() const { return bkColor_; }

    void setPixel(int x, int y, ColorRef colour);
    ColorRef getPixel(int x, int y) const;  // CLR_INVALID outside the surface

    void fillRect(const Rect& rect, const Brush& brush);
    // The outline uses the pen, the inside the brush; right and bottom exclusive.
    void rectangle(int left, int top, int right, int bottom);
    void ellipse(int left, int top, int right, int bottom);
    void polyline(const Point* points, int count);
    void moveTo(int x, int y);
    void lineTo(int x, int y);

    bool bitBlt(int x, int y, int w, int h, const DeviceContext& src, int sx, int sy, uint32_t rop = SRCCOPY);
    bool stretchBlt(int x, int y, int w, int h, const DeviceContext& src, int sx, int sy, int sw, int sh,
                    uint32_t rop = SRCCOPY);
    // Copies, scaled, every source pixel that differs from the colour key.
    bool transparentImage(int x, int y, int w, int h, const DeviceContext& src, int sx, int sy, int sw, int sh,
                          ColorRef key);

    int drawText(const std::u16string& text, Rect& rect, uint32_t format);
    Point textExtent(const std::u16string& text);

private:
    void plot(int x, int y, uint32_t rgb);
    void hline(int x0, int x1, int y, uint32_t rgb);
    void thickPoint(int x, int y, uint32_t rgb);
    void line(int x0, int y0, int x1, int y1);
    void changed();

    PixelSurface surface_;
    Point origin_;
    Rect clip_;
    Brush brush_{false, MakeColorRef(255, 255, 255)};
    Pen pen_{false, 1, 0};
    FontSpec font_;
    int rop2_ = R2_COPYPEN;
    int bkMode_ = OPAQUE;
    ColorRef textColor_ = 0;
    ColorRef bkColor_ = MakeColorRef(255, 255, 255);
    Point penPosition_;
    void (*changeListener_)(void*) = nullptr;
    void* changeData_ = nullptr;
};

constexpr ColorRef CLR_INVALID = 0xFFFFFFFF;

}  // namespace host

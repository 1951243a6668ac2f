#include "platform/host/device_context.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "platform/host/host_core.h"

namespace host {

namespace {
uint32_t KeyInFormat(ColorRef key, int bitsPerPixel) {
    uint32_t rgb = FromColorRef(key);
    return bitsPerPixel == 16 ? RgbTo565(rgb) : rgb;
}

uint32_t RawPixel(const PixelSurface& s, int x, int y) {
    const uint8_t* p = s.row(y) + x * (s.bitsPerPixel / 8);
    if (s.bitsPerPixel == 16) {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v & 0xFFFFFF;
}
}  // namespace

void SetTextRasterizer(TextRasterizer* rasterizer) { Core().textRasterizer = rasterizer; }
TextRasterizer* GetTextRasterizer() { return Core().textRasterizer; }

DeviceContext::DeviceContext(const PixelSurface& surface) { setTarget(surface); }

void DeviceContext::setTarget(const PixelSurface& surface) {
    setTarget(surface, Point{}, Rect{0, 0, surface.width, surface.height});
}

void DeviceContext::setTarget(const PixelSurface& surface, Point origin, const Rect& clip) {
    surface_ = surface;
    origin_ = origin;
    clip_ = Intersect(clip, Rect{0, 0, surface.width, surface.height});
}

void DeviceContext::setChangeListener(void (*listener)(void*), void* data) {
    changeListener_ = listener;
    changeData_ = data;
}

void DeviceContext::changed() {
    if (changeListener_) changeListener_(changeData_);
}

Brush DeviceContext::selectBrush(const Brush& brush) { return std::exchange(brush_, brush); }
Pen DeviceContext::selectPen(const Pen& pen) { return std::exchange(pen_, pen); }
FontSpec DeviceContext::selectFont(const FontSpec& font) { return std::exchange(font_, font); }
int DeviceContext::setRop2(int rop) { return std::exchange(rop2_, rop); }
int DeviceContext::setBkMode(int mode) { return std::exchange(bkMode_, mode); }
ColorRef DeviceContext::setTextColor(ColorRef colour) { return std::exchange(textColor_, colour); }
ColorRef DeviceContext::setBkColor(ColorRef colour) { return std::exchange(bkColor_, colour); }

void DeviceContext::plot(int x, int y, uint32_t rgb) {
    x += origin_.x;
    y += origin_.y;
    if (!surface_.valid() || !clip_.contains(x, y)) return;
    if (rop2_ == R2_NOT) rgb = ~ReadPixel(surface_, x, y) & 0xFFFFFF;
    WritePixel(surface_, x, y, rgb);
}

void DeviceContext::hline(int x0, int x1, int y, uint32_t rgb) {
    for (int x = x0; x < x1; ++x) plot(x, y, rgb);
}

void DeviceContext::setPixel(int x, int y, ColorRef colour) {
    plot(x, y, FromColorRef(colour));
    changed();
}

ColorRef DeviceContext::getPixel(int x, int y) const {
    x += origin_.x;
    y += origin_.y;
    if (!surface_.valid() || !clip_.contains(x, y)) return CLR_INVALID;
    return ToColorRef(ReadPixel(surface_, x, y));
}

void DeviceContext::fillRect(const Rect& rect, const Brush& brush) {
    if (brush.hollow || !surface_.valid()) return;
    Rect r = Intersect(Rect{rect.left + origin_.x, rect.top + origin_.y, rect.right + origin_.x,
                            rect.bottom + origin_.y},
                       clip_);
    if (r.empty()) return;
    uint32_t rgb = FromColorRef(brush.colour);
    for (int y = r.top; y < r.bottom; ++y) {
        if (surface_.bitsPerPixel == 16) {
            uint16_t* p = reinterpret_cast<uint16_t*>(surface_.row(y)) + r.left;
            std::fill(p, p + r.width(), RgbTo565(rgb));
        } else {
            uint32_t* p = reinterpret_cast<uint32_t*>(surface_.row(y)) + r.left;
            std::fill(p, p + r.width(), rgb);
        }
    }
    changed();
}

void DeviceContext::rectangle(int left, int top, int right, int bottom) {
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    int w = pen_.none ? 0 : std::max(1, pen_.width);
    if (!brush_.hollow) {
        uint32_t fill = FromColorRef(brush_.colour);
        for (int y = top + w; y < bottom - w; ++y) hline(left + w, right - w, y, fill);
    }
    if (w > 0) {
        uint32_t ink = FromColorRef(pen_.colour);
        for (int y = top; y < bottom; ++y) {
            if (y < top + w || y >= bottom - w) {
                hline(left, right, y, ink);
            } else {
                hline(left, std::min(left + w, right), y, ink);
                hline(std::max(right - w, left + w), right, y, ink);
            }
        }
    }
    changed();
}

// Each row is split into the outline band (pen) and the inside (brush), found
// from the outer ellipse and the one shrunk by the pen width.
void DeviceContext::ellipse(int left, int top, int right, int bottom) {
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    double a = (right - left) / 2.0, b = (bottom - top) / 2.0;
    if (a <= 0 || b <= 0) return;
    double cx = left + a, cy = top + b;
    int w = pen_.none ? 0 : std::max(1, pen_.width);
    double ia = a - w, ib = b - w;
    uint32_t ink = FromColorRef(pen_.colour), fill = FromColorRef(brush_.colour);
    auto span = [](double ra, double rb, double dy) {
        if (ra <= 0 || rb <= 0 || std::fabs(dy) >= rb) return -1.0;
        return ra * std::sqrt(1.0 - (dy * dy) / (rb * rb));
    };
    for (int y = top; y < bottom; ++y) {
        double dy = y + 0.5 - cy;
        double outer = span(a, b, dy);
        if (outer < 0) continue;
        int x0 = int(std::lround(cx - outer)), x1 = int(std::lround(cx + outer));
        double inner = span(ia, ib, dy);
        int i0 = inner < 0 ? x1 : int(std::lround(cx - inner));
        int i1 = inner < 0 ? x1 : int(std::lround(cx + inner));
        if (w > 0) {
            hline(x0, i0, y, ink);
            hline(std::max(i1, i0), x1, y, ink);
        }
        if (!brush_.hollow) hline(w > 0 ? i0 : x0, w > 0 ? i1 : x1, y, fill);
    }
    changed();
}

void DeviceContext::thickPoint(int x, int y, uint32_t rgb) {
    int w = std::max(1, pen_.width);
    int x0 = x - (w - 1) / 2, y0 = y - (w - 1) / 2;
    for (int j = 0; j < w; ++j) hline(x0, x0 + w, y0 + j, rgb);
}

// Bresenham; like GDI the last point of a line is not drawn, so joined
// segments of a polyline do not invert their corners twice.
void DeviceContext::line(int x0, int y0, int x1, int y1) {
    if (pen_.none) return;
    uint32_t ink = FromColorRef(pen_.colour);
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    while (x0 != x1 || y0 != y1) {
        thickPoint(x0, y0, ink);
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void DeviceContext::polyline(const Point* points, int count) {
    for (int i = 1; i < count; ++i) line(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
    changed();
}

void DeviceContext::moveTo(int x, int y) { penPosition_ = Point{x, y}; }

void DeviceContext::lineTo(int x, int y) {
    line(penPosition_.x, penPosition_.y, x, y);
    penPosition_ = Point{x, y};
    changed();
}

bool DeviceContext::bitBlt(int x, int y, int w, int h, const DeviceContext& src, int sx, int sy, uint32_t rop) {
    if (!surface_.valid() || w <= 0 || h <= 0) return false;
    if (rop == DSTINVERT) {
        int saved = std::exchange(rop2_, R2_NOT);
        for (int j = 0; j < h; ++j) hline(x, x + w, y + j, 0);
        rop2_ = saved;
        changed();
        return true;
    }
    if (!src.surface_.valid()) return false;
    // Clip against both surfaces, then copy row by row.
    int dx0 = x + origin_.x, dy0 = y + origin_.y;
    int sx0 = sx + src.origin_.x, sy0 = sy + src.origin_.y;
    Rect dst = Intersect(Rect{dx0, dy0, dx0 + w, dy0 + h}, clip_);
    Rect srcArea = Intersect(Rect{sx0, sy0, sx0 + w, sy0 + h}, src.clip_);
    Rect area = Intersect(dst, Rect{srcArea.left - sx0 + dx0, srcArea.top - sy0 + dy0, srcArea.right - sx0 + dx0,
                                    srcArea.bottom - sy0 + dy0});
    if (area.empty()) return true;
    int offX = sx0 - dx0, offY = sy0 - dy0;
    const PixelSurface& s = src.surface_;
    for (int row = area.top; row < area.bottom; ++row) {
        if (s.bitsPerPixel == surface_.bitsPerPixel) {
            int bpp = s.bitsPerPixel / 8;
            std::memmove(surface_.row(row) + area.left * bpp, s.row(row + offY) + (area.left + offX) * bpp,
                         size_t(area.width()) * bpp);
        } else {
            for (int col = area.left; col < area.right; ++col)
                WritePixel(surface_, col, row, ReadPixel(s, col + offX, row + offY));
        }
    }
    changed();
    return true;
}

bool DeviceContext::stretchBlt(int x, int y, int w, int h, const DeviceContext& src, int sx, int sy, int sw, int sh,
                               uint32_t rop) {
    if (w == sw && h == sh) return bitBlt(x, y, w, h, src, sx, sy, rop);
    return transparentImage(x, y, w, h, src, sx, sy, sw, sh, CLR_INVALID);
}

// Nearest-neighbour scaling; a key of CLR_INVALID copies every pixel.
bool DeviceContext::transparentImage(int x, int y, int w, int h, const DeviceContext& src, int sx, int sy, int sw,
                                     int sh, ColorRef key) {
    if (!surface_.valid() || !src.surface_.valid() || w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return false;
    const PixelSurface& s = src.surface_;
    bool keyed = key != CLR_INVALID;
    uint32_t rawKey = keyed ? KeyInFormat(key, s.bitsPerPixel) : 0;
    for (int j = 0; j < h; ++j) {
        int dy = y + j + origin_.y;
        if (dy < clip_.top || dy >= clip_.bottom) continue;
        int srcY = sy + src.origin_.y + int(int64_t(j) * sh / h);
        if (srcY < src.clip_.top || srcY >= src.clip_.bottom) continue;
        for (int i = 0; i < w; ++i) {
            int dx = x + i + origin_.x;
            if (dx < clip_.left || dx >= clip_.right) continue;
            int srcX = sx + src.origin_.x + int(int64_t(i) * sw / w);
            if (srcX < src.clip_.left || srcX >= src.clip_.right) continue;
            if (keyed && RawPixel(s, srcX, srcY) == rawKey) continue;
            WritePixel(surface_, dx, dy, ReadPixel(s, srcX, srcY));
        }
    }
    changed();
    return true;
}

int DeviceContext::drawText(const std::u16string& text, Rect& rect, uint32_t format) {
    TextRasterizer* rasterizer = GetTextRasterizer();
    if (!rasterizer) return 0;
    int height = rasterizer->drawText(*this, text, rect, format);
    if (!(format & DT_CALCRECT)) changed();
    return height;
}

Point DeviceContext::textExtent(const std::u16string& text) {
    TextRasterizer* rasterizer = GetTextRasterizer();
    return rasterizer ? rasterizer->textExtent(font_, text) : Point{};
}

}  // namespace host

#include "preview.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "data/property_file.h"
#include "raster/effects.h"
#include "raster/png_writer.h"
#include "raster/rasterize.h"

namespace {

std::u16string Widen(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::string Narrow(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) out.push_back(c < 128 ? static_cast<char>(c) : '?');
    return out;
}

// Reads entries of a template the way the engine does.
class Template {
public:
    bool load(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        if (!in) return false;
        std::stringstream text;
        text << in.rdbuf();
        std::string bytes = text.str();
        file_.loadBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        return true;
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> out;
        for (const std::u16string& k : file_.dataKeys()) out.push_back(Narrow(k));
        return out;
    }
    std::optional<std::string> item(const std::string& entry, const std::string& key) {
        std::optional<std::u16string> v = file_.getItem(Widen(entry), Widen(key));
        if (!v || v->empty()) return std::nullopt;
        return Narrow(*v);
    }
    int integer(const std::string& entry, const std::string& key, int fallback) {
        return file_.getItemInt(Widen(entry), Widen(key), fallback);
    }
    // A template colour "(r;g;b)" as a colour; fallback when absent.
    std::optional<Color> colour(const std::string& entry, const std::string& key) {
        uint32_t c = file_.getItemColour(Widen(entry), Widen(key), 0xFFFFFFFFu);
        if (c == 0xFFFFFFFFu) return std::nullopt;
        return Hex(c);
    }

private:
    PropertyFile file_;
};

// The part of a picture a sprite's clip keys select, or the whole picture.
Image Clipped(const Image& picture, Template& t, const std::string& entry) {
    int cx = t.integer(entry, "clipX", -1), cy = t.integer(entry, "clipY", -1);
    int cw = t.integer(entry, "clipW", -1), ch = t.integer(entry, "clipH", -1);
    if (cx < 0 || cy < 0 || cw <= 0 || ch <= 0) return picture;
    Image part(cw, ch);
    DrawImage(part, picture, -cx, -cy);
    return part;
}

struct SceneBox {
    int x, y, width, height;
};

class Composer {
public:
    // With reportPlacements, sprites placed elsewhere than the art expects are reported.
    Composer(const PreviewInput& input, bool reportPlacements)
        : input_(input), report_(reportPlacements), screen_(kDesignWidth * kArtScale, kDesignHeight * kArtScale) {
        screen_.fill(Hex(0x000000));
        for (const PictureFile& f : *input.files) files_[f.name] = &f;
    }

    const Image& screen() const { return screen_; }

    // Draws the whole template; `pressed` shows every widget in its bright look.
    void compose(Template& t, bool pressed, size_t frame) {
        for (const std::string& entry : t.entries()) {
            std::optional<std::string> type = t.item(entry, "type");
            if (!type) continue;
            if (*type == "SceneSprite") scene(t, entry);
            if (*type == "Sprite") sprite(t, entry, pressed, frame);
        }
    }

private:
    static constexpr int kScale = kArtScale;

    const PictureFile* file(const std::string& name) const {
        auto it = files_.find(name);
        return it == files_.end() ? nullptr : it->second;
    }

    void scene(Template& t, const std::string& entry) {
        SceneBox box{t.integer(entry, "x", 0) * kScale, t.integer(entry, "y", 0) * kScale,
                     t.integer(entry, "width", kDesignWidth) * kScale, t.integer(entry, "height", kDesignHeight) * kScale};
        scenes_[entry] = box;
        Mask area(screen_.width(), screen_.height());
        for (int y = std::max(0, box.y); y < std::min(screen_.height(), box.y + box.height); ++y)
            for (int x = std::max(0, box.x); x < std::min(screen_.width(), box.x + box.width); ++x) area.set(x, y, 1);
        area.setBounds({box.x, box.y, box.x + box.width, box.y + box.height});
        if (std::optional<Color> bkg = t.colour(entry, "bkgColor")) FillMask(screen_, area, *bkg);
        std::optional<std::string> texture = t.item(entry, "bkgTexture");
        if (const PictureFile* f = texture ? file(*texture) : nullptr)
            DrawImageScaled(screen_, SpriteLook(*f, nullptr, 0), box.x, box.y, box.width, box.height);
    }

    void sprite(Template& t, const std::string& entry, bool pressed, size_t frame) {
        std::optional<std::string> container = t.item(entry, "container");
        if (!container || !scenes_.count(*container)) {
            std::fprintf(stderr, "preview: %s has no container scene\n", entry.c_str());
            return;
        }
        std::optional<std::string> visible = t.item(entry, "visible");
        if (visible && (*visible == "0" || *visible == "false")) return;
        const SceneBox& scene = scenes_[*container];
        int x = scene.x + t.integer(entry, "x", 0) * kScale, y = scene.y + t.integer(entry, "y", 0) * kScale;
        int w = t.integer(entry, "width", -1) * kScale, h = t.integer(entry, "height", -1) * kScale;
        if (report_) checkPlacement(entry, x / kScale, y / kScale, w / kScale, h / kScale);

        bool bright = pressed && t.item(entry, "GUIType").has_value();
        std::optional<std::string> textureName = t.item(entry, "texture");
        if (bright) {
            std::optional<std::string> b = t.item(entry, "textureBright");
            if (!b) b = t.item(entry, "bright");
            if (b) textureName = b;
        }
        std::optional<std::string> alphaName = t.item(entry, "textureAlpha");
        const PictureFile* texture = textureName ? file(*textureName) : nullptr;
        const PictureFile* alpha = alphaName ? file(*alphaName) : nullptr;
        if (textureName && !texture) std::fprintf(stderr, "preview: %s: no picture %s\n", entry.c_str(), textureName->c_str());
        if (texture) {
            size_t f = std::min(frame, texture->indexed.frames.size() - 1);
            Image look = Clipped(SpriteLook(*texture, alpha, f), t, entry);
            if (w < 0 || h < 0) {
                // Without a size the engine takes the texture's size times the scale.
                w = look.width() * kScale;
                h = look.height() * kScale;
            }
            DrawImageScaled(screen_, look, x, y, w, h);
        } else if (std::optional<Color> fill = t.colour(entry, bright ? "colorBright" : "color")) {
            FillMask(screen_, RoundRectMask(screen_.width(), screen_.height(), x, y, w, h, 0), *fill);
        }
        text(t, entry, x, y, w, bright);
    }

    void text(Template& t, const std::string& entry, int x, int y, int w, bool bright) {
        std::optional<std::string> content = t.item(entry, "text");
        if (!content) return;
        std::optional<std::string> boldKey = t.item(entry, "textBold");
        const FontFace& font = (boldKey && *boldKey != "0" && *boldKey != "false") ? *input_.boldFont : *input_.textFont;
        // The engine's text size is the character cell height; the em size of
        // a Windows font of that height is about 87 % of it for this face.
        float size = std::max(11, t.integer(entry, "textSize", 16)) * kScale * 0.87f;
        Color colour = t.colour(entry, bright ? "textColorBright" : "textColor").value_or(Hex(0xFFFFFF));
        float width = font.textWidth(*content, size);
        std::optional<std::string> align = t.item(entry, "textAlignment");
        float left = x + t.integer(entry, "textOffsetX", 0) * kScale + kScale;
        if (align && *align == "CENTER") left += (w - width) * 0.5f;
        if (align && *align == "RIGHT") left += w - width;
        float baseline = y + t.integer(entry, "textOffsetY", 0) * kScale + font.ascender(size);
        Mask glyphs = FillPath(screen_.width(), screen_.height(), font.textPath(*content, size, {left, baseline}));
        FillMask(screen_, glyphs, colour);
    }

    void checkPlacement(const std::string& entry, int x, int y, int w, int h) const {
        for (const SpritePlacement& p : *input_.placements)
            if (p.entry == entry && (p.x != x || p.y != y || p.width != w || p.height != h))
                std::fprintf(stderr,
                             "preview: %s is at x:%d, y:%d, width:%d, height:%d in the template; the art expects "
                             "x:%d, y:%d, width:%d, height:%d\n",
                             entry.c_str(), x, y, w, h, p.x, p.y, p.width, p.height);
    }

    const PreviewInput& input_;
    bool report_;
    Image screen_;
    std::map<std::string, const PictureFile*> files_;
    std::map<std::string, SceneBox> scenes_;
};

}  // namespace

bool WritePicturePreviews(const std::string& outputDir, const std::vector<PictureFile>& files) {
    bool ok = true;
    for (const PictureFile& f : files)
        for (size_t i = 0; i < f.indexed.frames.size(); ++i) {
            std::string name = outputDir + "/" + f.name + (f.indexed.frames.size() > 1 ? "." + std::to_string(i) : "") + ".png";
            ok = WritePng(name, ToImage(f.indexed, i)) && ok;
        }
    return ok;
}

bool WriteScreenPreview(const PreviewInput& input) {
    bool ok = true;
    Template t;
    if (!t.load(input.templatePath)) {
        std::fprintf(stderr, "preview: cannot read %s\n", input.templatePath.c_str());
        return false;
    }
    std::string base = input.templatePath.substr(input.templatePath.find_last_of('/') + 1);
    base = base.substr(0, base.find('.'));
    for (size_t frame : {0, 2}) {
        Composer normal(input, frame == 0);
        normal.compose(t, false, frame);
        ok = WritePng(input.outputDir + "/" + base + "." + std::to_string(frame) + ".png", normal.screen()) && ok;
    }
    Composer pressed(input, false);
    pressed.compose(t, true, 0);
    ok = WritePng(input.outputDir + "/" + base + ".pressed.png", pressed.screen()) && ok;
    return ok;
}

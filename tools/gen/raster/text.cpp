#include "raster/text.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>

namespace {

// FreeType and a fontconfig configuration of our own, for the whole run;
// fonts must be released before the program ends.
struct FontLibraries {
    FT_Library freetype = nullptr;
    FcConfig* config = nullptr;

    FontLibraries() {
        if (FT_Init_FreeType(&freetype) != 0) freetype = nullptr;
        config = FcInitLoadConfigAndFonts();
    }
    ~FontLibraries() {
        if (freetype) FT_Done_FreeType(freetype);
        if (config) FcConfigDestroy(config);
    }
};

FontLibraries& Libraries() {
    static FontLibraries libraries;
    return libraries;
}

FT_Library Library() { return Libraries().freetype; }

// Collects a FreeType outline (font units, y up) into a Path (scaled, y down).
struct OutlineSink {
    Path* path;
    float scale;
    Vec2 origin;

    Vec2 map(const FT_Vector* v) const {
        return {origin.x + v->x * scale, origin.y - v->y * scale};
    }
    static OutlineSink* From(void* user) { return static_cast<OutlineSink*>(user); }
    static int MoveTo(const FT_Vector* to, void* user) {
        From(user)->path->moveTo(From(user)->map(to));
        return 0;
    }
    static int LineTo(const FT_Vector* to, void* user) {
        From(user)->path->lineTo(From(user)->map(to));
        return 0;
    }
    static int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
        From(user)->path->quadTo(From(user)->map(control), From(user)->map(to));
        return 0;
    }
    static int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
        From(user)->path->cubicTo(From(user)->map(c1), From(user)->map(c2), From(user)->map(to));
        return 0;
    }
};

std::string FcString(FcPattern* pattern, const char* object) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch || !value) return {};
    return reinterpret_cast<const char*>(value);
}

// Matches one pattern; returns the file, face index and family, or an empty file.
std::string MatchFont(const std::string& patternText, int& index, std::string& family) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(patternText.c_str()));
    if (!pattern) return {};
    FcConfigSubstitute(Libraries().config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(Libraries().config, pattern, &result);
    std::string wanted = FcString(pattern, FC_FAMILY);
    std::string file;
    if (match) {
        family = FcString(match, FC_FAMILY);
        // fontconfig always answers with something; take it only when it is
        // the family that was asked for.
        if (family == wanted) {
            file = FcString(match, FC_FILE);
            if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

}  // namespace

struct FontFace::Impl {
    FT_Face face = nullptr;
    float unitsPerEm = 1000;

    // Glyph index and advance (font units) of a code point.
    unsigned glyph(char32_t code) const { return FT_Get_Char_Index(face, code); }
    bool load(unsigned glyphIndex) const {
        return FT_Load_Glyph(face, glyphIndex, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0;
    }
    float kerning(unsigned left, unsigned right) const {
        if (!left || !FT_HAS_KERNING(face)) return 0;
        FT_Vector k{};
        FT_Get_Kerning(face, left, right, FT_KERNING_UNSCALED, &k);
        return static_cast<float>(k.x);
    }
};

std::unique_ptr<FontFace> FontFace::Find(const std::vector<std::string>& patterns) {
    if (!Library() || !Libraries().config) return nullptr;
    for (const std::string& p : patterns) {
        int index = 0;
        std::string family;
        std::string file = MatchFont(p, index, family);
        if (file.empty()) continue;
        auto impl = std::make_unique<Impl>();
        if (FT_New_Face(Library(), file.c_str(), index, &impl->face) != 0) continue;
        impl->unitsPerEm = impl->face->units_per_EM ? impl->face->units_per_EM : 1000;
        return std::unique_ptr<FontFace>(new FontFace(std::move(impl), file, family));
    }
    return nullptr;
}

FontFace::FontFace(std::unique_ptr<Impl> impl, std::string file, std::string family)
    : impl_(std::move(impl)), file_(std::move(file)), family_(std::move(family)) {}

FontFace::~FontFace() {
    if (impl_ && impl_->face) FT_Done_Face(impl_->face);
}

Path FontFace::textPath(const std::string& text, float size, Vec2 origin, float tracking) const {
    Path path;
    float scale = size / impl_->unitsPerEm;
    FT_Outline_Funcs funcs{};
    funcs.move_to = OutlineSink::MoveTo;
    funcs.line_to = OutlineSink::LineTo;
    funcs.conic_to = OutlineSink::ConicTo;
    funcs.cubic_to = OutlineSink::CubicTo;
    float penX = origin.x;
    unsigned previous = 0;
    for (char32_t code : DecodeUtf8(text)) {
        unsigned g = impl_->glyph(code);
        penX += impl_->kerning(previous, g) * scale;
        if (!impl_->load(g)) continue;
        Path glyphPath;
        OutlineSink sink{&glyphPath, scale, {penX, origin.y}};
        FT_Outline_Decompose(&impl_->face->glyph->outline, &funcs, &sink);
        glyphPath.close();
        path.append(glyphPath);
        penX += impl_->face->glyph->metrics.horiAdvance * scale + tracking;
        previous = g;
    }
    return path;
}

float FontFace::textWidth(const std::string& text, float size, float tracking) const {
    float scale = size / impl_->unitsPerEm;
    float width = 0;
    unsigned previous = 0;
    std::u32string codes = DecodeUtf8(text);
    for (char32_t code : codes) {
        unsigned g = impl_->glyph(code);
        width += impl_->kerning(previous, g) * scale;
        if (impl_->load(g)) width += impl_->face->glyph->metrics.horiAdvance * scale;
        previous = g;
    }
    if (!codes.empty()) width += tracking * (codes.size() - 1);
    return width;
}

float FontFace::capHeight(float size) const {
    // The height of "H" is the cap height whether or not the font records it.
    if (!impl_->load(impl_->glyph(U'H'))) return ascender(size) * 0.7f;
    FT_BBox box;
    FT_Outline_Get_CBox(&impl_->face->glyph->outline, &box);
    return box.yMax * size / impl_->unitsPerEm;
}

float FontFace::ascender(float size) const { return impl_->face->ascender * size / impl_->unitsPerEm; }

float FontFace::descender(float size) const { return impl_->face->descender * size / impl_->unitsPerEm; }

std::u32string DecodeUtf8(const std::string& text) {
    std::u32string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + extra >= text.size()) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t code = extra == 0 ? c : (c & (0x3F >> extra));
        for (int k = 1; k <= extra; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back(code);
        i += extra + 1;
    }
    return out;
}

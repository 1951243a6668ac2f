#pragma once
// Text as vector outlines: fonts found through fontconfig, glyph outlines
// read through FreeType, so that text is filled, stroked and shaded like any
// other path.

#include <memory>
#include <string>
#include <vector>

#include "raster/path.h"

class FontFace {
public:
    // The first installed font whose family matches one of the fontconfig
    // patterns ("DejaVu Sans:bold"), tried in order; null when none does.
    static std::unique_ptr<FontFace> Find(const std::vector<std::string>& patterns);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    const std::string& file() const { return file_; }
    const std::string& family() const { return family_; }

    // Outline of a line of text (ASCII or UTF-8) of em size `size` pixels,
    // starting at `origin` on the baseline; `tracking` adds pixels between letters.
    Path textPath(const std::string& text, float size, Vec2 origin, float tracking = 0) const;
    float textWidth(const std::string& text, float size, float tracking = 0) const;
    // Height of capital letters above the baseline, in pixels at em size `size`.
    float capHeight(float size) const;
    float ascender(float size) const;
    float descender(float size) const;  // negative: below the baseline

private:
    struct Impl;
    explicit FontFace(std::unique_ptr<Impl> impl, std::string file, std::string family);

    std::unique_ptr<Impl> impl_;
    std::string file_;
    std::string family_;
};

// Code points of a UTF-8 string.
std::u32string DecodeUtf8(const std::string& text);

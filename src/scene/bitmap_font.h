#pragma once
// A bitmap font: a picture holding a grid of equally sized glyph cells,
// numbered row by row from the top left, cell 0 standing for character
// startCode. Characters outside the cells are drawn with cell 0; the space is
// never drawn but moves the pen.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/frame_buffer.h"
#include "platform/host/device_context.h"

class BitmapFont {
public:
    // Null when columns or rows is not positive, or the picture is missing or
    // smaller than one pixel per cell: such a grid has no cells to draw.
    static std::unique_ptr<BitmapFont> Load(std::u16string_view picturePath, int columns, int rows,
                                            int caseConversion, int startCode);
    static std::unique_ptr<BitmapFont> FromPicture(std::unique_ptr<FrameBuffer> picture, int columns, int rows,
                                                   int caseConversion, int startCode);

    // One line with its top-left corner at (x, y). Size 0 draws glyphs at the
    // cell size of the picture the font names (a larger picture's cells are
    // pictureScale times that); otherwise glyphs are `size` pixels high,
    // widened in proportion.
    void drawLine(FrameBuffer& target, int x, int y, std::u16string_view text, int size) const;
    void drawLine(host::DeviceContext& target, int x, int y, std::u16string_view text, int size) const;
    // Wraps the text inside the rectangle, breaking after the last blank that
    // fits (or at the edge when a word fills the line) and at each line feed +
    // carriage return pair; alignment 0 left, 1 centre, 2 right. Lines that
    // would start at or below the bottom are not drawn.
    void drawBlock(FrameBuffer& target, const host::Rect& rect, std::u16string_view text, int size,
                   int alignment) const;
    void drawBlock(host::DeviceContext& target, const host::Rect& rect, std::u16string_view text, int size,
                   int alignment) const;

    // Texts are cut to this many characters; negative values are ignored.
    void setBufferSize(int n);
    // Width and height of one glyph drawn at `size`.
    host::Point glyphSize(int size) const;

    // One line of a block: characters [begin, end) of the converted text.
    struct Line {
        size_t begin = 0, end = 0;
    };
    // The lines drawBlock makes of a text, for a rectangle `width` wide.
    std::vector<Line> wrap(const std::string& bytes, int width, int glyphWidth) const;
    // The text as drawn: one byte per character, case converted, cut to size.
    std::string convert(std::u16string_view text) const;

    const int columns, rows;
    const int startCode;
    const int caseConversion;  // 1 upper case, 2 lower case, other unchanged
    const int glyphCount;
    const int cellWidth, cellHeight;
    const std::unique_ptr<FrameBuffer> picture;  // in the display depth, with its colour key
    // Picture pixels per pixel of the picture the font names: 2 when a larger
    // picture was chosen for the screen (ChoosePicture).
    int pictureScale = 1;

private:
    BitmapFont(std::unique_ptr<FrameBuffer> picture, int columns, int rows, int caseConversion, int startCode);
    template <typename Blit>
    void drawGlyphs(const std::string& bytes, size_t begin, size_t end, int x, int y, host::Point glyph,
                    Blit&& blit) const;
    template <typename Blit>
    void layOutBlock(const host::Rect& rect, std::u16string_view text, int size, int alignment, Blit&& blit) const;

    int bufferSize_ = 256;
};

// True when every UTF-16 unit of the text has both of its bytes at most 127,
// so a bitmap font can draw it; an empty text suits.
bool suitsBitmapFont(std::u16string_view text);

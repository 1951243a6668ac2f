// GIF decoding after the GIF89a description: header, logical screen and
// palettes, the block loop (extensions, images, trailer), and the variable-
// length LZW code stream of each image with its clear and end codes.
//
// Frames are stored fully composed: a frame starts as a copy of the previous
// one (disposal 1), as the background or key colour (disposal 2) or black, and
// the image is written over it at its offset. Over a kept frame, pixels of the
// transparent index leave what lies beneath, so the frame shows the picture
// the animation means at that moment.

#include "scene/gif_decoder.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>
#include <string>

#include "platform/host/host.h"
#include "scene/image_file.h"
#include "scene/image_ops.h"

namespace {

// Bounded little-endian reads; past the end every read gives 0.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> data) : data_(data) {}
    bool atEnd() const { return position_ >= data_.size(); }
    uint8_t u8() { return atEnd() ? 0 : data_[position_++]; }
    int u16() {
        int lo = u8();
        return lo | (u8() << 8);
    }
    // Appends up to `count` bytes to `out`; fewer when the data ends.
    void append(size_t count, std::vector<uint8_t>& out) {
        size_t n = std::min(count, data_.size() - std::min(position_, data_.size()));
        out.insert(out.end(), data_.begin() + std::ptrdiff_t(position_), data_.begin() + std::ptrdiff_t(position_ + n));
        position_ += n;
    }
    void skip(size_t count) { position_ += std::min(count, data_.size() - std::min(position_, data_.size())); }

private:
    std::span<const uint8_t> data_;
    size_t position_ = 0;
};

// 0xRRGGBB colours; entries beyond the table read as black, so any pixel index
// has a colour.
using Palette = std::array<uint32_t, 256>;

Palette GreyRamp() {
    Palette p{};
    for (uint32_t i = 0; i < 256; ++i) p[i] = i * 0x010101u;
    return p;
}

Palette ReadPalette(Reader& in, int count) {
    Palette p{};
    for (int i = 0; i < count; ++i) {
        uint32_t r = in.u8(), g = in.u8(), b = in.u8();
        p[size_t(i)] = r << 16 | g << 8 | b;
    }
    return p;
}

struct ControlBlock {
    bool pending = false;
    int disposal = 0;  // what happens to this frame when the next one comes
    bool transparent = false;
    int transparentIndex = 0;
    int delay = 0;  // hundredths of a second
};

struct ImageDescriptor {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
};

constexpr int kMaxCodes = 4096;
// Bytes the index buffer holds beyond the pixels: strings are copied in
// whole blocks of this many bytes.
constexpr size_t kCopyBlock = 16;

// The GIF variant of LZW: codes of 3 to 12 bits, least significant bit first,
// growing by one bit when the table fills the current width. Fills the first
// `owed` bytes of `indices` (which holds kCopyBlock more) in stream order and
// returns how many arrived, or -1 for a corrupt stream. A stream that ends
// early leaves the rest as it was.
//
// Every table entry is the string of an earlier code followed by the first
// character of the code after it, and that is exactly what the output holds
// where the earlier code's string was written. So an entry is kept as that
// place and its length, and a string is copied from there, never rebuilt
// character by character. The copy goes in blocks of kCopyBlock bytes: the
// source always ends where the copy begins or before, so what a block carries
// past the string's end is garbage that the next strings overwrite, or that
// falls into the spare bytes after the image.
int64_t DecodeLzw(const std::vector<uint8_t>& stream, size_t streamBytes, int minimumCodeSize,
                  std::vector<uint8_t>& indices, int64_t owed) {
    if (minimumCodeSize < 1 || minimumCodeSize > 8) return -1;
    assert(indices.size() >= size_t(owed) + kCopyBlock);
    std::array<uint32_t, kMaxCodes> start{};   // where the entry's string was written (images are below 2^32 pixels)
    std::array<uint16_t, kMaxCodes> length{};  // of the entry's string
    const int clear = 1 << minimumCodeSize, end = clear + 1;
    int nextFree = clear + 2, codeSize = minimumCodeSize + 1;
    int previous = -1;  // none right after a clear code
    int64_t previousStart = 0;
    int previousLength = 0;
    const uint64_t totalBits = uint64_t(streamBytes) * 8;
    uint64_t bitPosition = 0;
    uint8_t* out = indices.data();
    int64_t written = 0;

    while (written < owed) {
        if (bitPosition + uint64_t(codeSize) > totalBits) break;
        const uint8_t* p = stream.data() + bitPosition / 8;  // four bytes, spare ones at the end
        uint32_t gathered = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        int code = int((gathered >> (bitPosition % 8)) & ((1u << codeSize) - 1));
        bitPosition += uint64_t(codeSize);

        if (code == clear) {
            nextFree = clear + 2;
            codeSize = minimumCodeSize + 1;
            previous = -1;
            continue;
        }
        if (code == end) break;

        // A code not yet in the table is the previous string and its own
        // first character: the entry about to be made.
        const bool known = code < nextFree;
        if (!known && previous < 0) return -1;
        int stringLength;
        if (known) stringLength = code < clear ? 1 : length[size_t(code)];
        else stringLength = previousLength + 1;
        if (stringLength > kMaxCodes) return -1;
        // Only the characters still owed are written.
        const int n = int(std::min<int64_t>(stringLength, owed - written));
        uint8_t* to = out + written;
        uint8_t first;
        if (known && code < clear) {
            first = uint8_t(code);
            to[0] = first;
        } else {
            // The source lies wholly before `written`: earlier output.
            const uint8_t* from = out + (known ? start[size_t(code)] : previousStart);
            first = from[0];
            const int copied = known ? n : std::min(n, previousLength);
            // A block may overlap its source when the string lies just
            // before `to`: memmove keeps that defined, and a fixed 16 bytes
            // still compiles to one load and one store.
            for (int i = 0; i < copied; i += int(kCopyBlock)) std::memmove(to + i, from + i, kCopyBlock);
            if (!known && n > previousLength) to[previousLength] = first;
        }

        // A full table stays as it is until the next clear code (the
        // "deferred clear" that lossy optimisers write): codes keep 12 bits.
        if (previous >= 0 && nextFree < kMaxCodes) {
            start[size_t(nextFree)] = uint32_t(previousStart);
            length[size_t(nextFree)] = uint16_t(previousLength + 1);
            ++nextFree;
            if (nextFree >= (1 << codeSize) && codeSize < 12) ++codeSize;
        }
        previous = known ? code : nextFree - 1;
        previousStart = written;
        previousLength = stringLength;
        written += n;
    }
    return written;
}

// The frame row of each image row, in stream order: top to bottom, or the
// four interlace passes (every 8th row from 0, every 8th from 4, every 4th
// from 2, every 2nd from 1).
std::vector<int> RowOrder(int height, bool interlaced) {
    std::vector<int> rows;
    rows.reserve(size_t(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y) rows.push_back(y);
        return rows;
    }
    static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = kStart[pass]; y < height; y += kStep[pass]) rows.push_back(y);
    return rows;
}

// Puts the first `count` decoded indices of the image on the frame at the
// image's offset, clipped to the frame, in the frame's pixel format. Pixels of
// `skipIndex` leave the frame as it was.
template <typename P>
void PlaceImage(FrameBuffer& frame, const ImageDescriptor& image, const Palette& palette,
                const std::vector<uint8_t>& indices, int64_t count, int skipIndex) {
    std::array<P, 256> raw{};
    for (size_t i = 0; i < 256; ++i)
        raw[i] = sizeof(P) == 2 ? P(host::RgbTo565(palette[i])) : P(palette[i] & 0xFFFFFF);
    int columnEnd = std::clamp(frame.width - image.left, 0, image.width);
    if (columnEnd == 0) return;
    std::vector<int> rows = RowOrder(image.height, image.interlaced);
    for (size_t r = 0; r < rows.size() && int64_t(r) * image.width < count; ++r) {
        int y = image.top + rows[r];
        if (y >= frame.height) continue;
        const uint8_t* from = indices.data() + r * size_t(image.width);
        int n = int(std::min<int64_t>(columnEnd, count - int64_t(r) * image.width));
        P* to = reinterpret_cast<P*>(frame.pixels + intptr_t(y) * frame.rowStride) + image.left;
        if (skipIndex < 0) {
            for (int x = 0; x < n; ++x) to[x] = raw[from[x]];
        } else {
            for (int x = 0; x < n; ++x)
                if (from[x] != skipIndex) to[x] = raw[from[x]];
        }
    }
}

void Tell(const std::u16string& text) {
    host::MessageBox(nullptr, text, u"Error", host::MB_OK | host::MB_ICONEXCLAMATION);
}

class GifDecoder {
public:
    GifDecoder(std::span<const uint8_t> data, std::u16string_view path, FrameList& frames, bool firstOnly,
               bool screenDepth, int64_t pixelBudget)
        : in_(data), path_(path), frames_(frames), firstOnly_(firstOnly), screenDepth_(screenDepth),
          pixelBudget_(pixelBudget) {}

    int run() {
        readScreen();
        bool finished = false;
        while (!finished && !in_.atEnd()) {
            switch (in_.u8()) {
                case 0x21: readExtension(); break;
                case 0x2C: finished = !readImage(); break;
                case 0x3B: finished = true; break;
                default: break;
            }
        }
        if (appended_ == 0) Tell(u"Premature End Of Image File");
        return appended_;
    }

private:
    void readScreen() {
        const uint8_t signature[3] = {in_.u8(), in_.u8(), in_.u8()};
        in_.skip(3);  // version
        if (std::memcmp(signature, "GIF", 3) != 0) Tell(u"Error: " + std::u16string(path_) + u" is not a valid image.");
        screenWidth_ = in_.u16();
        screenHeight_ = in_.u16();
        int flags = in_.u8();
        background_ = in_.u8();
        in_.u8();  // aspect ratio
        global_ = (flags & 0x80) ? ReadPalette(in_, 1 << ((flags & 7) + 1)) : GreyRamp();
    }

    void skipSubBlocks() {
        for (int size = in_.u8(); size != 0 && !in_.atEnd(); size = in_.u8()) in_.skip(size_t(size));
    }

    void readExtension() {
        if (in_.u8() != 0xF9) {
            skipSubBlocks();
            return;
        }
        in_.u8();  // block size, always 4
        int flags = in_.u8();
        control_.pending = true;
        control_.disposal = (flags >> 2) & 7;
        control_.transparent = (flags & 1) != 0;
        control_.delay = in_.u16();
        control_.transparentIndex = in_.u8();
        in_.u8();  // terminator
    }

    // False when decoding should stop.
    bool readImage() {
        ImageDescriptor image;
        image.left = in_.u16();
        image.top = in_.u16();
        image.width = in_.u16();
        image.height = in_.u16();
        int flags = in_.u8();
        image.interlaced = (flags & 0x40) != 0;
        Palette palette = (flags & 0x80) ? ReadPalette(in_, 1 << ((flags & 7) + 1)) : global_;
        int minimumCodeSize = in_.u8();
        std::vector<uint8_t> stream;
        for (int size = in_.u8(); size != 0 && !in_.atEnd(); size = in_.u8()) in_.append(size_t(size), stream);
        size_t streamBytes = stream.size();
        stream.resize(streamBytes + 4, 0);

        bool more = decodeFrame(image, palette, stream, streamBytes, minimumCodeSize);
        previousDisposal_ = control_.pending ? control_.disposal : 0;
        control_ = ControlBlock{};
        return more && !(firstOnly_ && appended_ > 0);
    }

    bool decodeFrame(const ImageDescriptor& image, const Palette& palette, const std::vector<uint8_t>& stream,
                     size_t streamBytes, int minimumCodeSize) {
        int64_t pixels = int64_t(screenWidth_) * screenHeight_;
        if (pixels > kMaxImagePixels || int64_t(image.width) * image.height > kMaxImagePixels) {
            Tell(u"Image File Corrupt");
            return true;
        }
        if (totalPixels_ + pixels > pixelBudget_) {
            host::MessageBox(nullptr,
                             u"The animation '" + std::u16string(path_) + u"' is too large: only its first " +
                                 host::FromUtf8(std::to_string(appended_)) + u" frames are shown.",
                             u"Warning", host::MB_OK | host::MB_ICONEXCLAMATION);
            return false;
        }
        totalPixels_ += pixels;

        // Only the first `count` indices are ever read, so the buffer is reused as it is.
        const int64_t owed = int64_t(image.width) * image.height;
        indices_.resize(size_t(owed) + kCopyBlock);
        int64_t count = DecodeLzw(stream, streamBytes, minimumCodeSize, indices_, owed);
        if (count < 0) {
            Tell(u"Image File Corrupt");
            return true;
        }
        // An opaque image that arrived whole over the whole screen hides
        // whatever the disposal would have left beneath it.
        const bool covered = !control_.transparent && image.left == 0 && image.top == 0 &&
                             image.width >= screenWidth_ && image.height >= screenHeight_ &&
                             count == int64_t(image.width) * image.height;
        auto frame = std::make_unique<FrameBuffer>(screenWidth_, screenHeight_, screenDepth_);
        int skipIndex = prepare(*frame, palette, covered) && control_.transparent ? control_.transparentIndex : -1;
        if (control_.pending) {
            // In double first, so that 10 hundredths are exactly 0.1f.
            frame->frameDelay = float(control_.delay * 0.01);
            if (control_.transparent) frame->transparentColor = palette[size_t(control_.transparentIndex)];
        }
        if (frame->bitsPerPixel == 16) {
            PlaceImage<uint16_t>(*frame, image, palette, indices_, count, skipIndex);
        } else {
            PlaceImage<uint32_t>(*frame, image, palette, indices_, count, skipIndex);
        }
        frames_.push_back(std::move(frame));
        ++appended_;
        return true;
    }

    // Applies the previous frame's disposal to the new frame; true when the
    // new frame starts as a copy of the previous one. Nothing needs drawing
    // when the image will cover every pixel.
    bool prepare(FrameBuffer& frame, const Palette& palette, bool covered) {
        if (appended_ == 0) return false;
        if (previousDisposal_ == 1) {
            if (!covered) copyRect(*frames_.back(), frame, 0, 0, -1, -1, -1, -1, true);
            return true;
        }
        if (previousDisposal_ == 2 && !covered) {
            // The background index belongs to the global table; the key colour
            // to the table the new image is drawn with, as its transparentColor.
            clear(frame, control_.pending && control_.transparent ? palette[size_t(control_.transparentIndex)]
                                                                 : global_[size_t(background_)]);
        }
        return false;
    }

    Reader in_;
    std::u16string_view path_;
    FrameList& frames_;
    bool firstOnly_;
    bool screenDepth_;
    int64_t pixelBudget_;
    int screenWidth_ = 0, screenHeight_ = 0;
    int background_ = 0;
    Palette global_{};
    ControlBlock control_;
    int previousDisposal_ = 0;
    int appended_ = 0;
    int64_t totalPixels_ = 0;
    std::vector<uint8_t> indices_;
};

}  // namespace

int DecodeGif(std::span<const uint8_t> data, std::u16string_view path, FrameList& frames, bool firstOnly,
              bool screenDepth, int64_t pixelBudget) {
    return GifDecoder(data, path, frames, firstOnly, screenDepth, pixelBudget).run();
}

int LoadGif(std::u16string_view path, FrameList& frames, bool firstOnly, bool screenDepth) {
    std::optional<std::vector<uint8_t>> content = ReadImageFile(path);
    if (!content) return 0;
    return DecodeGif(*content, path, frames, firstOnly, screenDepth);
}

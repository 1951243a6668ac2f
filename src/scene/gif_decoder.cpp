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

#include <array>
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

// Takes the decoded indices in stream order and puts them where they belong:
// rows top to bottom or in the four interlace passes, clipped to the frame.
template <typename P>
class PixelSink {
public:
    PixelSink(FrameBuffer& frame, const ImageDescriptor& image, const Palette& palette, int skipIndex)
        : frame_(frame), image_(image), skipIndex_(skipIndex) {
        for (size_t i = 0; i < 256; ++i)
            raw_[i] = sizeof(P) == 2 ? P(host::RgbTo565(palette[i])) : P(palette[i] & 0xFFFFFF);
        owed_ = int64_t(image.width) * image.height;
        // The columns of the image that fall inside the frame.
        columnBegin_ = std::max(0, -image.left);
        columnEnd_ = std::clamp(frame.width - image.left, 0, image.width);
        if (owed_ > 0) selectRow();
    }

    bool done() const { return owed_ <= 0; }

    void put(const uint8_t* indices, size_t count) {
        while (count > 0 && owed_ > 0) {
            size_t n = std::min<size_t>(count, size_t(image_.width - x_));
            if (rowPixels_) writeRun(indices, int(n));
            indices += n;
            count -= n;
            x_ += int(n);
            owed_ -= int64_t(n);
            if (x_ == image_.width) nextRow();
        }
    }

private:
    void writeRun(const uint8_t* indices, int n) {
        int from = std::max(x_, columnBegin_), to = std::min(x_ + n, columnEnd_);
        for (int x = from; x < to; ++x) {
            int index = indices[x - x_];
            if (index != skipIndex_) rowPixels_[image_.left + x] = raw_[size_t(index)];
        }
    }

    void nextRow() {
        x_ = 0;
        if (!image_.interlaced) {
            ++row_;
        } else {
            static constexpr int kStart[4] = {0, 4, 2, 1};
            static constexpr int kStep[4] = {8, 8, 4, 2};
            row_ += kStep[pass_];
            while (row_ >= image_.height && pass_ < 3) row_ = kStart[++pass_];
        }
        if (row_ >= image_.height) owed_ = 0;
        if (owed_ > 0) selectRow();
    }

    // The frame row under the current image row, or null outside the frame.
    void selectRow() {
        int y = image_.top + row_;
        rowPixels_ = nullptr;
        if (y < 0 || y >= frame_.height || columnBegin_ >= columnEnd_) return;
        rowPixels_ = reinterpret_cast<P*>(frame_.pixels + intptr_t(y) * frame_.rowStride);
    }

    FrameBuffer& frame_;
    const ImageDescriptor& image_;
    int skipIndex_;
    std::array<P, 256> raw_{};
    int64_t owed_ = 0;
    int columnBegin_ = 0, columnEnd_ = 0;
    int x_ = 0, row_ = 0, pass_ = 0;
    P* rowPixels_ = nullptr;
};

enum class LzwResult { Complete, Corrupt };

constexpr int kMaxCodes = 4096;

// The GIF variant of LZW: codes of 3 to 12 bits, least significant bit first,
// growing by one bit when the table fills the current width. A stream that
// ends early leaves the rest of the image as it was.
template <typename P>
LzwResult DecodeLzw(const std::vector<uint8_t>& stream, size_t streamBytes, int minimumCodeSize,
                    PixelSink<P>& sink) {
    if (minimumCodeSize < 1 || minimumCodeSize > 8) return LzwResult::Corrupt;
    std::array<uint16_t, kMaxCodes> prefix{};
    std::array<uint8_t, kMaxCodes> suffix{};
    std::array<uint8_t, kMaxCodes> string{};
    const int clear = 1 << minimumCodeSize, end = clear + 1;
    int nextFree = clear + 2, codeSize = minimumCodeSize + 1;
    int previous = -1;  // none right after a clear code
    uint8_t previousFirst = 0;
    const uint64_t totalBits = uint64_t(streamBytes) * 8;
    uint64_t bitPosition = 0;

    while (!sink.done()) {
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

        // The string is unwound from its last character, filling `string` backwards.
        size_t start = string.size();
        int current = code;
        if (code >= nextFree) {
            if (previous < 0) return LzwResult::Corrupt;
            string[--start] = previousFirst;
            current = previous;
        }
        while (current >= clear) {
            if (start == 0) return LzwResult::Corrupt;
            string[--start] = suffix[size_t(current)];
            current = prefix[size_t(current)];
        }
        if (start == 0) return LzwResult::Corrupt;
        string[--start] = uint8_t(current);
        sink.put(string.data() + start, string.size() - start);

        if (previous >= 0) {
            if (nextFree >= kMaxCodes) return LzwResult::Corrupt;
            prefix[size_t(nextFree)] = uint16_t(previous);
            suffix[size_t(nextFree)] = string[start];
            ++nextFree;
            if (nextFree >= (1 << codeSize) && codeSize < 12) ++codeSize;
        }
        previous = code;
        previousFirst = string[start];
    }
    return LzwResult::Complete;
}

void Tell(const std::u16string& text) {
    host::MessageBox(nullptr, text, u"Error", host::MB_OK | host::MB_ICONEXCLAMATION);
}

class GifDecoder {
public:
    GifDecoder(std::span<const uint8_t> data, std::u16string_view path, FrameList& frames, bool firstOnly,
               bool screenDepth)
        : in_(data), path_(path), frames_(frames), firstOnly_(firstOnly), screenDepth_(screenDepth) {}

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
        uint8_t header[6];
        for (uint8_t& b : header) b = in_.u8();
        if (std::memcmp(header, "GIF", 3) != 0) Tell(u"Error: " + std::u16string(path_) + u" is not a valid image.");
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
        if (pixels > kMaxImagePixels) {
            Tell(u"Image File Corrupt");
            return true;
        }
        if (totalPixels_ + pixels > kGifMaxTotalPixels) return false;
        totalPixels_ += pixels;

        auto frame = std::make_unique<FrameBuffer>(screenWidth_, screenHeight_, screenDepth_);
        int skipIndex = prepare(*frame, palette) && control_.transparent ? control_.transparentIndex : -1;
        if (control_.pending) {
            // In double first, so that 10 hundredths are exactly 0.1f.
            frame->frameDelay = float(control_.delay * 0.01);
            if (control_.transparent) frame->transparentColor = palette[size_t(control_.transparentIndex)];
        }
        LzwResult result;
        if (frame->bitsPerPixel == 16) {
            PixelSink<uint16_t> sink(*frame, image, palette, skipIndex);
            result = DecodeLzw(stream, streamBytes, minimumCodeSize, sink);
        } else {
            PixelSink<uint32_t> sink(*frame, image, palette, skipIndex);
            result = DecodeLzw(stream, streamBytes, minimumCodeSize, sink);
        }
        if (result == LzwResult::Corrupt) {
            Tell(u"Image File Corrupt");
            return true;
        }
        frames_.push_back(std::move(frame));
        ++appended_;
        return true;
    }

    // Applies the previous frame's disposal to the new frame; true when the
    // new frame starts as a copy of the previous one.
    bool prepare(FrameBuffer& frame, const Palette& palette) {
        if (appended_ == 0) return false;
        if (previousDisposal_ == 1) {
            copyRect(*frames_.back(), frame, 0, 0, -1, -1, -1, -1, true);
            return true;
        }
        if (previousDisposal_ == 2) {
            int index = control_.pending && control_.transparent ? control_.transparentIndex : background_;
            clear(frame, palette[size_t(index)]);
        }
        return false;
    }

    Reader in_;
    std::u16string_view path_;
    FrameList& frames_;
    bool firstOnly_;
    bool screenDepth_;
    int screenWidth_ = 0, screenHeight_ = 0;
    int background_ = 0;
    Palette global_{};
    ControlBlock control_;
    int previousDisposal_ = 0;
    int appended_ = 0;
    int64_t totalPixels_ = 0;
};

}  // namespace

int DecodeGif(std::span<const uint8_t> data, std::u16string_view path, FrameList& frames, bool firstOnly,
              bool screenDepth) {
    return GifDecoder(data, path, frames, firstOnly, screenDepth).run();
}

int LoadGif(std::u16string_view path, FrameList& frames, bool firstOnly, bool screenDepth) {
    std::optional<std::vector<uint8_t>> content = ReadImageFile(path);
    if (!content) return 0;
    return DecodeGif(*content, path, frames, firstOnly, screenDepth);
}

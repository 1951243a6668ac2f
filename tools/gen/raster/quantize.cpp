#include "raster/quantize.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

// Channel weights of the colour distance: the eye is most sensitive to green.
constexpr int kWeightR = 3, kWeightG = 4, kWeightB = 2;

struct ColorCount {
    int rgb[3];
    uint32_t count;
};

// A box of the median cut: a run of the histogram.
struct Box {
    size_t begin, end;
    double error;  // weighted squared distance of its colours from their mean
};

uint32_t Pack(int r, int g, int b) { return static_cast<uint32_t>(r) << 16 | g << 8 | b; }

uint8_t ToByte(float v) { return static_cast<uint8_t>(std::clamp(static_cast<int>(std::lround(v * 255)), 0, 255)); }

int Distance(const int a[3], const Rgb8& p) {
    int dr = a[0] - p.r, dg = a[1] - p.g, db = a[2] - p.b;
    return kWeightR * dr * dr + kWeightG * dg * dg + kWeightB * db * db;
}

void Mean(const std::vector<ColorCount>& hist, size_t begin, size_t end, double mean[3]) {
    double sum[3] = {0, 0, 0}, total = 0;
    for (size_t i = begin; i < end; ++i) {
        for (int c = 0; c < 3; ++c) sum[c] += static_cast<double>(hist[i].rgb[c]) * hist[i].count;
        total += hist[i].count;
    }
    for (int c = 0; c < 3; ++c) mean[c] = total > 0 ? sum[c] / total : 0;
}

double BoxError(const std::vector<ColorCount>& hist, size_t begin, size_t end) {
    double mean[3];
    Mean(hist, begin, end, mean);
    const double weight[3] = {kWeightR, kWeightG, kWeightB};
    double error = 0;
    for (size_t i = begin; i < end; ++i)
        for (int c = 0; c < 3; ++c) {
            double d = hist[i].rgb[c] - mean[c];
            error += weight[c] * d * d * hist[i].count;
        }
    return error;
}

// Splits the box along its widest weighted channel at the median pixel.
std::pair<Box, Box> SplitBox(std::vector<ColorCount>& hist, const Box& box) {
    int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
    uint64_t total = 0;
    for (size_t i = box.begin; i < box.end; ++i) {
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min(lo[c], hist[i].rgb[c]);
            hi[c] = std::max(hi[c], hist[i].rgb[c]);
        }
        total += hist[i].count;
    }
    const int weight[3] = {kWeightR, kWeightG, kWeightB};
    int axis = 0;
    for (int c = 1; c < 3; ++c)
        if ((hi[c] - lo[c]) * weight[c] > (hi[axis] - lo[axis]) * weight[axis]) axis = c;
    std::stable_sort(hist.begin() + box.begin, hist.begin() + box.end,
                     [axis](const ColorCount& a, const ColorCount& b) { return a.rgb[axis] < b.rgb[axis]; });
    uint64_t running = 0;
    size_t cut = box.begin + 1;
    for (size_t i = box.begin; i < box.end - 1; ++i) {
        running += hist[i].count;
        cut = i + 1;
        if (running * 2 >= total) break;
    }
    Box a{box.begin, cut, BoxError(hist, box.begin, cut)};
    Box b{cut, box.end, BoxError(hist, cut, box.end)};
    return {a, b};
}

std::vector<Rgb8> MedianCut(std::vector<ColorCount> hist, int colors) {
    std::vector<Box> boxes{{0, hist.size(), BoxError(hist, 0, hist.size())}};
    while (static_cast<int>(boxes.size()) < colors) {
        size_t pick = boxes.size();
        for (size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].end - boxes[i].begin > 1 && (pick == boxes.size() || boxes[i].error > boxes[pick].error))
                pick = i;
        if (pick == boxes.size()) break;
        auto [a, b] = SplitBox(hist, boxes[pick]);
        boxes[pick] = a;
        boxes.push_back(b);
    }
    std::vector<Rgb8> palette;
    for (const Box& box : boxes) {
        double mean[3];
        Mean(hist, box.begin, box.end, mean);
        palette.push_back({static_cast<uint8_t>(std::lround(mean[0])), static_cast<uint8_t>(std::lround(mean[1])),
                           static_cast<uint8_t>(std::lround(mean[2]))});
    }
    return palette;
}

size_t Nearest(const std::vector<Rgb8>& palette, const int rgb[3]) {
    size_t best = 0;
    int bestDistance = Distance(rgb, palette[0]);
    for (size_t i = 1; i < palette.size() && bestDistance > 0; ++i) {
        int d = Distance(rgb, palette[i]);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

// Lloyd rounds: every entry moves to the mean of the colours nearest to it.
void Refine(std::vector<Rgb8>& palette, const std::vector<ColorCount>& hist, int rounds) {
    for (int round = 0; round < rounds; ++round) {
        std::vector<double> sums(palette.size() * 4, 0.0);
        for (const ColorCount& c : hist) {
            size_t i = Nearest(palette, c.rgb);
            for (int k = 0; k < 3; ++k) sums[i * 4 + k] += static_cast<double>(c.rgb[k]) * c.count;
            sums[i * 4 + 3] += c.count;
        }
        for (size_t i = 0; i < palette.size(); ++i) {
            double n = sums[i * 4 + 3];
            if (n <= 0) continue;
            palette[i] = {static_cast<uint8_t>(std::lround(sums[i * 4] / n)),
                          static_cast<uint8_t>(std::lround(sums[i * 4 + 1] / n)),
                          static_cast<uint8_t>(std::lround(sums[i * 4 + 2] / n))};
        }
    }
}

// Threshold map of the 8 x 8 ordered dither, values 0..63.
int Bayer(int x, int y) {
    static const int kMap[8][8] = {
        {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26}, {12, 44, 4, 36, 14, 46, 6, 38},
        {60, 28, 52, 20, 62, 30, 54, 22}, {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
        {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};
    return kMap[y & 7][x & 7];
}

}  // namespace

uint16_t To565(Rgb8 c) { return static_cast<uint16_t>((c.r & 0xF8) << 8 | (c.g & 0xFC) << 3 | c.b >> 3); }

IndexedFrames Quantize(const std::vector<Image>& frames, const QuantizeOptions& options) {
    IndexedFrames out;
    if (frames.empty()) return out;
    out.width = frames[0].width();
    out.height = frames[0].height();

    // Straight 8-bit colours; -1 marks a transparent pixel.
    std::vector<std::vector<int64_t>> straight;
    std::vector<uint32_t> all;
    bool anyTransparent = false;
    for (const Image& frame : frames) {
        std::vector<int64_t> pixels(static_cast<size_t>(out.width) * out.height);
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x) {
                Color c = frame.colorAt(x, y);
                size_t i = static_cast<size_t>(y) * out.width + x;
                if (c.a <= options.alphaCutoff) {
                    pixels[i] = -1;
                    anyTransparent = true;
                } else {
                    pixels[i] = Pack(ToByte(c.r), ToByte(c.g), ToByte(c.b));
                    all.push_back(static_cast<uint32_t>(pixels[i]));
                }
            }
        straight.push_back(std::move(pixels));
    }

    std::sort(all.begin(), all.end());
    std::vector<ColorCount> hist;
    for (size_t i = 0; i < all.size();) {
        size_t j = i;
        while (j < all.size() && all[j] == all[i]) ++j;
        hist.push_back({{static_cast<int>(all[i] >> 16), static_cast<int>((all[i] >> 8) & 0xFF),
                         static_cast<int>(all[i] & 0xFF)},
                        static_cast<uint32_t>(j - i)});
        i = j;
    }

    int slots = std::clamp(options.maxColors, 2, 256) - (anyTransparent ? 1 : 0);
    bool exact = static_cast<int>(hist.size()) <= slots;
    if (hist.empty()) {
        out.palette.push_back({0, 0, 0});
    } else if (exact) {
        for (const ColorCount& c : hist)
            out.palette.push_back({static_cast<uint8_t>(c.rgb[0]), static_cast<uint8_t>(c.rgb[1]),
                                   static_cast<uint8_t>(c.rgb[2])});
    } else {
        out.palette = MedianCut(hist, slots);
        Refine(out.palette, hist, 3);
    }
    if (anyTransparent) {
        for (Rgb8& c : out.palette)
            if (To565(c) == To565(options.key)) c.g = static_cast<uint8_t>(c.g < 128 ? (c.g | 0x3) + 1 : c.g - 4);
        out.transparentIndex = static_cast<int>(out.palette.size());
        out.palette.push_back(options.key);
    }

    float amplitude = exact ? 0.0f : options.dither;
    std::unordered_map<uint32_t, uint8_t> cache;
    std::vector<Rgb8> colours(out.palette.begin(), out.palette.begin() + (anyTransparent ? out.palette.size() - 1
                                                                                          : out.palette.size()));
    for (const std::vector<int64_t>& pixels : straight) {
        std::vector<uint8_t> indices(pixels.size());
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x) {
                size_t i = static_cast<size_t>(y) * out.width + x;
                if (pixels[i] < 0) {
                    indices[i] = static_cast<uint8_t>(out.transparentIndex);
                    continue;
                }
                int offset = amplitude > 0 ? static_cast<int>(std::lround(((Bayer(x, y) + 0.5f) / 64 - 0.5f) * amplitude))
                                           : 0;
                uint32_t v = static_cast<uint32_t>(pixels[i]);
                int rgb[3] = {std::clamp(static_cast<int>(v >> 16) + offset, 0, 255),
                              std::clamp(static_cast<int>((v >> 8) & 0xFF) + offset, 0, 255),
                              std::clamp(static_cast<int>(v & 0xFF) + offset, 0, 255)};
                uint32_t key = Pack(rgb[0], rgb[1], rgb[2]);
                auto found = cache.find(key);
                if (found == cache.end())
                    found = cache.emplace(key, static_cast<uint8_t>(Nearest(colours, rgb))).first;
                indices[i] = found->second;
            }
        out.frames.push_back(std::move(indices));
    }
    return out;
}

IndexedFrames OpacityFrames(const std::vector<Image>& frames) {
    IndexedFrames out;
    if (frames.empty()) return out;
    out.width = frames[0].width();
    out.height = frames[0].height();
    for (int level = 0; level < 256; ++level) {
        uint8_t v = static_cast<uint8_t>(level);
        out.palette.push_back({v, v, v});
    }
    for (const Image& frame : frames) {
        std::vector<uint8_t> indices(static_cast<size_t>(out.width) * out.height);
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x)
                indices[static_cast<size_t>(y) * out.width + x] = ToByte(frame.at(x, y).a);
        out.frames.push_back(std::move(indices));
    }
    return out;
}

Image ToImage(const IndexedFrames& indexed, size_t frame) {
    Image image(indexed.width, indexed.height);
    const std::vector<uint8_t>& indices = indexed.frames.at(frame);
    for (int y = 0; y < indexed.height; ++y)
        for (int x = 0; x < indexed.width; ++x) {
            int i = indices[static_cast<size_t>(y) * indexed.width + x];
            if (i == indexed.transparentIndex) continue;
            const Rgb8& c = indexed.palette[i];
            image.at(x, y) = {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, 1};
        }
    return image;
}

#pragma once
// What the end-to-end runs share: reading the files a run leaves and
// comparing its screenshots.

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/png_io.h"

namespace e2e {

namespace fs = std::filesystem;

// A fresh copy of the build's program and resources in the temporary
// folder, named for the test program and its process.
inline fs::path CopyOfTheBuild(const std::string& name) {
    const fs::path tree = fs::temp_directory_path() / ("karrowen-e2e-" + name + "-" + std::to_string(::getpid()));
    fs::remove_all(tree);
    fs::create_directories(tree / "bin");
    fs::copy_file(KARROWEN_PROGRAM, tree / "bin" / "karrowen");
    fs::copy(KARROWEN_BUILD_RESOURCES, tree / "resources", fs::copy_options::recursive);
    return tree;
}

inline std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

// A sanitizer's report from any process of a run. Only the first process's
// status reaches the shell (and a pipe hides even that), so a leak or an
// error in a relaunched process shows only in the log.
inline bool SanitizerReported(const std::string& log) {
    return log.find("Sanitizer") != std::string::npos || log.find("runtime error:") != std::string::npos;
}

struct Screenshot {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;

    bool load(const fs::path& path) {
        r3test::Picture picture;
        if (!r3test::ReadPng(path.string(), picture)) return false;
        width = picture.width;
        height = picture.height;
        rgb.clear();
        for (uint32_t p : picture.pixels) rgb.insert(rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
        return true;
    }
    // Mean brightness (0..255) of a rectangle of screen pixels.
    double brightness(int x, int y, int w, int h) const {
        double sum = 0;
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i) {
                const uint8_t* p = &rgb[(static_cast<size_t>(j) * width + i) * 3];
                sum += 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
            }
        return sum / (w * h);
    }
    // Mean difference of the channels of two screenshots over a rectangle.
    double difference(const Screenshot& other, int x, int y, int w, int h) const {
        double sum = 0;
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i)
                for (int c = 0; c < 3; ++c) {
                    size_t k = (static_cast<size_t>(j) * width + i) * 3 + c;
                    sum += std::abs(int(rgb[k]) - int(other.rgb[k]));
                }
        return sum / (w * h * 3);
    }
};

}  // namespace e2e

// Replays a fuzz target's seed corpus through the target's own entry point:
// each file whole, cut in half, and with bytes inverted at a third and at two
// thirds, so the readers see files both well formed and damaged. A damaged
// file must be refused or read cleanly; the sanitizer build reports any
// access outside the data, and the targets trap on broken bookkeeping.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);
// The folder of seeds, given by each replay program.
extern const char* const kFuzzCorpus;

namespace {

std::vector<std::vector<uint8_t>> Variants(const std::vector<uint8_t>& file) {
    std::vector<std::vector<uint8_t>> variants{file, std::vector<uint8_t>(file.begin(), file.begin() + long(file.size() / 2))};
    std::vector<uint8_t> flipped = file;
    for (size_t at : {file.size() / 3, file.size() * 2 / 3})
        if (at > 0 && at < flipped.size()) flipped[at] = uint8_t(~flipped[at]);
    variants.push_back(flipped);
    return variants;
}

TEST(FuzzCorpus, EverySeedAndItsDamagedCopiesAreHandled) {
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(nullptr, nullptr);
    std::vector<std::filesystem::path> seeds;
    for (const auto& entry : std::filesystem::directory_iterator(kFuzzCorpus))
        if (entry.is_regular_file()) seeds.push_back(entry.path());
    std::sort(seeds.begin(), seeds.end());
    ASSERT_FALSE(seeds.empty()) << "no seeds in " << kFuzzCorpus;
    for (const auto& seed : seeds) {
        SCOPED_TRACE(seed.filename().string());
        std::ifstream in(seed, std::ios::binary);
        std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (const auto& input : Variants(file)) EXPECT_EQ(LLVMFuzzerTestOneInput(input.data(), input.size()), 0);
    }
}

}  // namespace

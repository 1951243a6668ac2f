// karrowen-bench properties [lines]: loads, queries and saves a generated
// properties file of 10,000 lines (comments, blank lines, list values and
// references, like a large template), then compares StringMap lookups with
// std::unordered_map<std::u16string, ...> on the same keys.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench.h"
#include "data/property_file.h"
#include "data/string_map.h"
#include "platform/host/host.h"

namespace {

constexpr int kRepeats = 5;

std::string GenerateFile(int lines) {
    std::string text = "base=10\n";
    char line[160];
    for (int i = 1; i < lines; ++i) {
        if (i % 50 == 0) {
            std::snprintf(line, sizeof line, "# section %d\n", i / 50);
        } else if (i % 100 == 1) {
            std::snprintf(line, sizeof line, "\n");
        } else {
            std::snprintf(line, sizeof line,
                          "sprite%05d = type:sprite, x:%d, y:{base}, image:img%d.gif, colour:(%d;%d;0) // object %d\n",
                          i, i % 240, i % 37, i % 256, (i * 7) % 256, i);
        }
        text += line;
    }
    return text;
}

struct FileFigures {
    double load = 0, query = 0, save = 0;
    int entries = 0;
};

FileFigures MeasureFile(const std::u16string& folder, const std::u16string& name) {
    FileFigures figures;
    long sink = 0;
    figures.load = bench::BestSeconds(kRepeats, [&] {
        PropertyFile file;
        file.load(folder, name);
        sink += file.count();
    });
    PropertyFile file;
    file.load(folder, name);
    const std::vector<std::u16string> keys = file.dataKeys();
    figures.entries = int(keys.size());
    figures.query = bench::BestSeconds(kRepeats, [&] {
        for (const std::u16string& key : keys) {
            sink += file.get(key) != nullptr;
            sink += file.getItemInt(key, u"x", 0);
            sink += file.getItemColour(key, u"colour", 0);
        }
    });
    figures.save = bench::BestSeconds(kRepeats, [&] { sink += file.save(); });
    if (sink == 42) std::printf(" ");
    return figures;
}

struct MapFigures {
    double stringMap = 0, unorderedMap = 0;
    long lookups = 0;
};

MapFigures MeasureLookups(const std::vector<std::u16string>& keys, int rounds) {
    StringMap map;
    std::unordered_map<std::u16string, void*> reference;
    for (const std::u16string& key : keys) {
        map.insert(key.c_str(), const_cast<char16_t*>(key.c_str()), false);
        reference.emplace(key, const_cast<char16_t*>(key.c_str()));
    }
    MapFigures figures;
    figures.lookups = long(keys.size()) * rounds;
    uintptr_t sink = 0;
    figures.stringMap = bench::BestSeconds(kRepeats, [&] {
        for (int r = 0; r < rounds; ++r)
            for (const std::u16string& key : keys) sink += reinterpret_cast<uintptr_t>(map.lookup(std::u16string_view(key)));
    });
    figures.unorderedMap = bench::BestSeconds(kRepeats, [&] {
        for (int r = 0; r < rounds; ++r)
            for (const std::u16string& key : keys) sink += reinterpret_cast<uintptr_t>(reference.find(key)->second);
    });
    if (sink == 42) std::printf(" ");
    return figures;
}

}  // namespace

KARROWEN_BENCH(properties, "load, query and save a 10,000-line properties file; StringMap vs unordered_map") {
    const int lines = argc > 1 ? std::max(100, std::atoi(argv[1])) : 10000;
    const std::filesystem::path folder =
        host::ToUtf8(host::TempPath()) + "karrowen-bench-properties-" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    const std::string text = GenerateFile(lines);
    std::ofstream(folder / "bench.properties", std::ios::binary) << text;

    const std::u16string folder16 = host::FromUtf8(folder.string() + "/");
    const FileFigures file = MeasureFile(folder16, u"bench.properties");
    std::printf("properties file: %d lines, %d entries, %zu KB (best of %d)\n", lines, file.entries,
                text.size() / 1024, kRepeats);
    std::printf("  load   %8.2f ms\n", file.load * 1e3);
    std::printf("  query  %8.2f ms  (get, two list items per entry)\n", file.query * 1e3);
    std::printf("  save   %8.2f ms  (complete write, fsync, rename)\n", file.save * 1e3);

    PropertyFile keysSource;
    keysSource.load(folder16, u"bench.properties");
    const MapFigures maps = MeasureLookups(keysSource.dataKeys(), 100);
    const double stringMapNs = maps.stringMap * 1e9 / double(maps.lookups);
    const double unorderedNs = maps.unorderedMap * 1e9 / double(maps.lookups);
    std::printf("lookups: %ld over %zu keys\n", maps.lookups, keysSource.dataKeys().size());
    std::printf("  StringMap                            %7.1f ns/lookup\n", stringMapNs);
    std::printf("  std::unordered_map<std::u16string>   %7.1f ns/lookup\n", unorderedNs);
    std::printf("  ratio StringMap / unordered_map      %7.2f\n", stringMapNs / unorderedNs);

    std::filesystem::remove_all(folder);
    return 0;
}

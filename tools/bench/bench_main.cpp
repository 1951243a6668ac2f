#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "bench.h"

namespace bench {
namespace {
struct Entry {
    const char* summary;
    BenchFunction function;
};
std::map<std::string, Entry>& Registry() {
    static std::map<std::string, Entry> registry;
    return registry;
}
}  // namespace

Registrar::Registrar(const char* name, const char* summary, BenchFunction function) {
    Registry()[name] = Entry{summary, function};
}

}  // namespace bench

int main(int argc, char** argv) {
    auto& registry = bench::Registry();
    if (argc < 2 || !registry.count(argv[1])) {
        std::printf("usage: karrowen-bench NAME [options]\n\nbenchmarks:\n");
        for (auto& [name, entry] : registry) std::printf("  %-12s %s\n", name.c_str(), entry.summary);
        return argc < 2 ? 0 : 2;
    }
    return registry[argv[1]].function(argc - 1, argv + 1);
}

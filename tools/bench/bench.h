#pragma once
// Benchmarks print figures; they never pass or fail. Each bench_<name>.cpp
// registers its sub-command with KARROWEN_BENCH.

#include <dlfcn.h>

#include <chrono>

namespace bench {

using BenchFunction = int (*)(int argc, char** argv);

struct Registrar {
    Registrar(const char* name, const char* summary, BenchFunction function);
};

// Seconds of wall time for `function`, the best of `repeats` runs.
template <typename F>
double BestSeconds(int repeats, F&& function) {
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        auto start = std::chrono::steady_clock::now();
        function();
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (s < best) best = s;
    }
    return best;
}

// Points `slot` at `name` in a library opened with dlopen; false when the
// library lacks it. The comparison libraries are opened at run time, so that
// the bench builds and runs without them.
template <typename Function>
bool LoadSymbol(void* library, Function*& slot, const char* name) {
    slot = reinterpret_cast<Function*>(dlsym(library, name));
    return slot != nullptr;
}

}  // namespace bench

#define KARROWEN_BENCH(name, summary)                                                   \
    static int BenchMain_##name(int argc, char** argv);                               \
    static ::bench::Registrar benchRegistrar_##name(#name, summary, BenchMain_##name); \
    static int BenchMain_##name(int argc, char** argv)

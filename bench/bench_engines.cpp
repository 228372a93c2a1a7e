// Per-value cost of each engine header alone, next to the standard
// library's std::mt19937 and std::minstd_rand, and of filling an array
// (the work the bulk path does, without Python).
#include <ombrix/catalogue.hpp>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

// One value at a time, each kept alive so the loop cannot be folded away.
template <class Engine>
void BM_Step(benchmark::State& state) {
    Engine engine;
    for (auto _ : state) benchmark::DoNotOptimize(engine());
    state.SetItemsProcessed(state.iterations());
}

// An array of 65536 values per iteration: the engine loop alone.
template <class Engine>
void BM_Fill(benchmark::State& state) {
    Engine engine;
    std::vector<std::uint32_t> out(65536);
    for (auto _ : state) {
        Engine local = engine;
        for (auto& value : out) value = static_cast<std::uint32_t>(local());
        engine = local;
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(out.size()));
}

#define OMBRIX_BENCH(Engine, Label)                            \
    BENCHMARK_TEMPLATE(BM_Step, Engine)->Name("step/" #Label); \
    BENCHMARK_TEMPLATE(BM_Fill, Engine)->Name("fill/" #Label);
#define OMBRIX_BENCH_ENGINE(Name) OMBRIX_BENCH(ombrix::Name, Name)

// Every engine of the catalogue, then the standard library's.
OMBRIX_GENERATORS(OMBRIX_BENCH_ENGINE)
OMBRIX_BENCH(std::mt19937, mt19937)
OMBRIX_BENCH(std::minstd_rand, minstd_rand)

}  // namespace

BENCHMARK_MAIN();

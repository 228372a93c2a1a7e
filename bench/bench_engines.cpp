// Per-value cost of each engine header alone, next to the standard
// library's std::mt19937 and std::minstd_rand, and of filling an array
// (the work the bulk path does, without Python).
#include <ombrix/cong.hpp>
#include <ombrix/kiss.hpp>
#include <ombrix/lagged.hpp>
#include <ombrix/lfsr.hpp>
#include <ombrix/mwc.hpp>
#include <ombrix/shr3.hpp>

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

#define OMBRIX_BENCH(Engine)                                    \
    BENCHMARK_TEMPLATE(BM_Step, Engine)->Name("step/" #Engine); \
    BENCHMARK_TEMPLATE(BM_Fill, Engine)->Name("fill/" #Engine)

using mt19937 = std::mt19937;
using minstd_rand = std::minstd_rand;
using namespace ombrix;

OMBRIX_BENCH(Cong);
OMBRIX_BENCH(SHR3);
OMBRIX_BENCH(MWC1);
OMBRIX_BENCH(MWC2);
OMBRIX_BENCH(MWC64);
OMBRIX_BENCH(KISS);
OMBRIX_BENCH(KISS2);
OMBRIX_BENCH(LFIB4);
OMBRIX_BENCH(SWB);
OMBRIX_BENCH(LFSR113);
OMBRIX_BENCH(LFSR88);
OMBRIX_BENCH(mt19937);
OMBRIX_BENCH(minstd_rand);

}  // namespace

BENCHMARK_MAIN();

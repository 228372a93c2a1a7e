// Cost of one jump by a random 64-bit count, forward and back, and of one
// forward jump by a random 320-bit count (reduced inside), for every engine
// that jumps in O(log n); SWB steps, so its back step is measured per step.
// The 64-bit counts come from a table of 1024 drawn beforehand.
#include <ombrix/catalogue.hpp>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace ombrix;

std::vector<std::uint64_t> random_counts() {
    std::mt19937_64 bits(20240601);
    std::vector<std::uint64_t> counts(1024);
    for (auto& n : counts) n = bits();
    return counts;
}

// Every part on its cycle, so that back jumps apply; one long jump first
// builds LFIB4's tables outside the timed loop.
template <class Engine>
Engine settled() {
    Engine engine;
    jump_forward(engine, 1000);
    if constexpr (jumps_in_log_time<Engine>) jump_forward(engine, std::uint64_t{1} << 40);
    return engine;
}

template <class Engine>
void BM_JumpForward(benchmark::State& state) {
    const auto counts = random_counts();
    Engine engine = settled<Engine>();
    std::size_t i = 0;
    for (auto _ : state) {
        jump_forward(engine, counts[i++ & 1023]);
        benchmark::DoNotOptimize(engine);
    }
}

template <class Engine>
void BM_JumpBack(benchmark::State& state) {
    const auto counts = random_counts();
    Engine engine = settled<Engine>();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(jump_back(engine, counts[i++ & 1023]));
        benchmark::DoNotOptimize(engine);
    }
}

// The fixed count bench/bench_python.py jumps by, so that the two can be
// subtracted.
constexpr std::uint64_t python_count = 0x9E3779B97F4A7C15u;

template <class Engine>
void BM_JumpFixed(benchmark::State& state) {
    Engine engine = settled<Engine>();
    for (auto _ : state) {
        jump_forward(engine, python_count);
        benchmark::DoNotOptimize(engine);
    }
}

// A count of 320 bits, reduced inside.
template <class Engine>
void BM_JumpBig(benchmark::State& state) {
    std::mt19937_64 bits(7);
    std::vector<std::uint64_t> limbs(5);
    Engine engine = settled<Engine>();
    for (auto _ : state) {
        for (auto& limb : limbs) limb = bits();
        benchmark::DoNotOptimize(advance(engine, limbs, false));
        benchmark::DoNotOptimize(engine);
    }
}

// An engine that jumps by stepping (SWB), per step: back 1024, on 1024.
template <class Engine>
void BM_StepBackAndForth(benchmark::State& state) {
    Engine engine = settled<Engine>();
    jump_forward(engine, 1u << 20);
    for (auto _ : state) {
        benchmark::DoNotOptimize(jump_back(engine, 1024));
        jump_forward(engine, 1024);
    }
    state.SetItemsProcessed(state.iterations() * 2048);
}

template <class Engine>
int register_jumps(const std::string& name) {
    if constexpr (jumps_in_log_time<Engine>) {
        benchmark::RegisterBenchmark(("forward/" + name).c_str(), BM_JumpForward<Engine>);
        benchmark::RegisterBenchmark(("back/" + name).c_str(), BM_JumpBack<Engine>);
        benchmark::RegisterBenchmark(("forward-320-bit/" + name).c_str(), BM_JumpBig<Engine>);
        benchmark::RegisterBenchmark(("forward-fixed/" + name).c_str(), BM_JumpFixed<Engine>);
    } else {
        benchmark::RegisterBenchmark(("back-and-forth-per-step/" + name).c_str(),
                                     BM_StepBackAndForth<Engine>);
    }
    return 0;
}

#define OMBRIX_JUMP_BENCH(Name) \
    [[maybe_unused]] const int Name##_registered = register_jumps<ombrix::Name>(#Name);
OMBRIX_GENERATORS(OMBRIX_JUMP_BENCH)
#undef OMBRIX_JUMP_BENCH

}  // namespace

BENCHMARK_MAIN();

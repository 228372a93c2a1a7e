// Bulk generation per value, for buffers of 65536 and 10^6 words: a memset
// of the same buffer (the floor), the scalar engine loop, and generate() on
// every kernel path this machine supports.
#include <ombrix/bulk.hpp>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

const std::int64_t sizes[] = {65536, 1000000};

void BM_Memset(benchmark::State& state) {
    std::vector<std::uint32_t> out(static_cast<std::size_t>(state.range(0)));
    int byte = 0;
    for (auto _ : state) {
        std::memset(out.data(), ++byte & 0xFF, out.size() * sizeof(out[0]));
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

template <class Engine>
void BM_Scalar(benchmark::State& state) {
    Engine engine;
    std::vector<std::uint32_t> out(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        Engine local = engine;
        for (auto& value : out) value = local();
        engine = local;
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

template <class Engine>
void BM_Generate(benchmark::State& state, ombrix::kernel_path path) {
    Engine engine;
    std::vector<std::uint32_t> out(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        ombrix::generate(engine, std::span<std::uint32_t>(out), path);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

template <class Engine>
void register_engine(const std::string& name) {
    for (std::int64_t n : sizes) {
        benchmark::RegisterBenchmark(("scalar/" + name).c_str(), BM_Scalar<Engine>)->Arg(n);
        for (ombrix::kernel_path path : ombrix::kernel_paths)
            if (path != ombrix::kernel_path::scalar && ombrix::kernel_path_supported(path))
                benchmark::RegisterBenchmark(
                    (std::string(ombrix::kernel_path_name(path)) + "/" + name).c_str(),
                    BM_Generate<Engine>, path)
                    ->Arg(n);
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (std::int64_t n : sizes) benchmark::RegisterBenchmark("memset", BM_Memset)->Arg(n);
#define OMBRIX_REGISTER(Name) register_engine<ombrix::Name>(#Name);
    OMBRIX_GENERATORS(OMBRIX_REGISTER)
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}

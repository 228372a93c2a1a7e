// Bulk generation: an engine's next values written to a range of words, by
// vector kernels where the processor has them.
//
//   generate(engine, span)          fills the span, leaves the engine after
//                                   its last value: the same values and the
//                                   same final state as calling engine()
//                                   span.size() times
//   generate(engine, first, last)   the same over an iterator range of words
//   generate_n(engine, out, n)      n values to an output iterator; returns
//                                   the iterator past the last
//
// The kernels come in paths, chosen at run time by what the processor
// supports, so one build runs anywhere on its architecture:
//
//   scalar    the plain loop, everywhere
//   sse2      x86-64's baseline: 4 lanes
//   avx2      8 lanes, where the processor and the system support AVX2
//   avx512    16 lanes, where they support AVX-512F
//
// The best supported path is used unless the environment variable
// OMBRIX_KERNELS names another (scalar, sse2, avx2, avx512); a path the
// machine lacks gives the best one below it. The variable is read once, on
// the first call. generate(engine, span, path) uses a path of the caller's
// choice, on the same terms.
//
// Header-only: the vector code is compiled with per-function target
// options (GCC and Clang), so no flag such as -mavx2 is needed, and a
// program built with one runs where the processor lacks it. Other
// compilers and processors get the scalar path. The output must not be
// written to by anything else during the call: the lagged generators read
// back values they have written.
#pragma once

#include "catalogue.hpp"
#include "engine.hpp"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <concepts>
#include <cstring>
#include <iterator>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>

#if (defined(__x86_64__) || defined(_M_X64)) && (defined(__GNUC__) || defined(__clang__))
#define OMBRIX_X86_KERNELS 1
#include <immintrin.h>
// Loops over the lanes or the vectors of a tile are unrolled completely, so
// that arrays of vectors live in registers rather than on the stack.
#define OMBRIX_UNROLL _Pragma("GCC unroll 16")
#else
#define OMBRIX_X86_KERNELS 0
#endif

namespace ombrix {

enum class kernel_path { scalar, sse2, avx2, avx512 };

inline constexpr kernel_path kernel_paths[] = {kernel_path::scalar, kernel_path::sse2,
                                               kernel_path::avx2, kernel_path::avx512};

constexpr const char* kernel_path_name(kernel_path path) {
    switch (path) {
        case kernel_path::sse2: return "sse2";
        case kernel_path::avx2: return "avx2";
        case kernel_path::avx512: return "avx512";
        default: return "scalar";
    }
}

namespace kernels {

namespace scalar {
template <class Engine>
void fill(Engine& engine, word* out, std::size_t n) {
    Engine e = engine;
    for (std::size_t i = 0; i < n; ++i) out[i] = e();
    engine = e;
}
}  // namespace scalar

#if OMBRIX_X86_KERNELS

namespace sse2 {
#include "kernels/x86_sse2.hpp"
#include "kernels/lanes.hpp"
}  // namespace sse2

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
namespace avx2 {
#include "kernels/x86_avx2.hpp"
#include "kernels/lanes.hpp"
}  // namespace avx2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f")
// GCC 12's AVX-512 intrinsics start from a deliberately undefined register
// (_mm512_undefined_epi32), which it then reports as (maybe) uninitialised.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
namespace avx512 {
#include "kernels/x86_avx512.hpp"
#include "kernels/lanes.hpp"
}  // namespace avx512
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC diagnostic pop
#pragma GCC pop_options
#endif

#endif  // OMBRIX_X86_KERNELS

}  // namespace kernels

// The best path this processor (and its operating system, which must save
// the wider registers) supports, found once.
inline kernel_path best_kernel_path() {
    static const kernel_path best = [] {
#if OMBRIX_X86_KERNELS
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx512f")) return kernel_path::avx512;
        if (__builtin_cpu_supports("avx2")) return kernel_path::avx2;
        return kernel_path::sse2;
#else
        return kernel_path::scalar;
#endif
    }();
    return best;
}

inline bool kernel_path_supported(kernel_path path) { return path <= best_kernel_path(); }

// The path that generate(engine, span) uses: the best one, or the one
// OMBRIX_KERNELS names if the machine has it (else the best below it).
inline kernel_path default_kernel_path() {
    static const kernel_path chosen = [] {
        const kernel_path best = best_kernel_path();
        const char* wanted = std::getenv("OMBRIX_KERNELS");
        if (!wanted) return best;
        for (kernel_path path : kernel_paths)
            if (std::string_view(wanted) == kernel_path_name(path)) return path < best ? path : best;
        return best;
    }();
    return chosen;
}

template <class Engine>
void generate(Engine& engine, std::span<word> out, kernel_path path) {
    if (const kernel_path best = best_kernel_path(); path > best) path = best;
    word* p = out.data();
    const std::size_t n = out.size();
    switch (path) {
#if OMBRIX_X86_KERNELS
        case kernel_path::avx512: return kernels::avx512::fill(engine, p, n);
        case kernel_path::avx2: return kernels::avx2::fill(engine, p, n);
        case kernel_path::sse2: return kernels::sse2::fill(engine, p, n);
#endif
        default: return kernels::scalar::fill(engine, p, n);
    }
}

template <class Engine>
void generate(Engine& engine, std::span<word> out) {
    generate(engine, out, default_kernel_path());
}

// An iterator into contiguous words, which the kernels can write directly.
template <class It>
concept contiguous_words = std::contiguous_iterator<It> && std::same_as<std::iter_value_t<It>, word>;

// n values to any output iterator, through a buffer unless the iterator
// already points into contiguous words.
template <class Engine, class Out>
Out generate_n(Engine& engine, Out out, std::size_t n) {
    if constexpr (contiguous_words<Out>) {
        generate(engine, std::span<word>(std::to_address(out), n));
        return out + static_cast<std::iter_difference_t<Out>>(n);
    } else {
        word buffer[4096];
        while (n > 0) {
            const std::size_t count = n < std::size(buffer) ? n : std::size(buffer);
            generate(engine, std::span<word>(buffer, count));
            for (std::size_t i = 0; i < count; ++i) *out++ = buffer[i];
            n -= count;
        }
        return out;
    }
}

template <class Engine, std::forward_iterator It>
void generate(Engine& engine, It first, It last) {
    generate_n(engine, first, static_cast<std::size_t>(std::distance(first, last)));
}

}  // namespace ombrix

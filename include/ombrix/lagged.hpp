// Lagged-table generators (Marsaglia) over 256 words and a one-byte index c,
// the slot written by the most recent step. Index arithmetic wraps at 256.
//
// LFIB4, four-lag lagged Fibonacci with addition:
//     t[c] = t[c] + t[c+58] + t[c+119] + t[c+178]   (c advanced first)
// i.e. the values written 256, 198, 137 and 78 steps earlier.
// SWB, subtract-with-borrow, x[n] = x[n-222] - x[n-237] - borrow:
//     t[c] = t[c+34] - (t[c+19] + borrow), borrow = 1 on underflow.
#pragma once

#include "engine.hpp"
#include "kiss.hpp"

#include <cstdint>

namespace ombrix {

inline constexpr int lagged_table_size = 256;
using table = word[lagged_table_size];

// The KISS seeds (upper, lower, cong, shr3) whose first 256 outputs make
// the default table.
inline constexpr word lfib4_table_seed[] = {12345u, 65435u, 12345u, 34221u};

constexpr word lfib4_step(table& t, std::uint8_t& c) noexcept {
    const std::uint8_t i = ++c;
    t[i] += t[std::uint8_t(i + 58)] + t[std::uint8_t(i + 119)] + t[std::uint8_t(i + 178)];
    return t[i];
}

// The subtrahend includes the borrow and wraps as a word before the
// comparison: t[c+19] = 2**32-1 with borrow 1 subtracts nothing.
constexpr word swb_step(table& t, std::uint8_t& c, std::uint8_t& borrow) noexcept {
    const std::uint8_t i = ++c;
    const word x = t[std::uint8_t(i + 34)];
    const word y = t[std::uint8_t(i + 19)] + borrow;
    t[i] = x - y;
    borrow = x < y;
    return t[i];
}

// The default table: the first 256 outputs of KISS(12345, 65435, 12345, 34221).
constexpr void fill_default_table(table& t) noexcept {
    KISS kiss(lfib4_table_seed[0], lfib4_table_seed[1], lfib4_table_seed[2], lfib4_table_seed[3]);
    for (word& slot : t) slot = kiss();
}

struct LFIB4 : engine32<LFIB4> {
    word t[256];
    std::uint8_t c = 0;

    constexpr LFIB4() : t{} { fill_default_table(t); }
    constexpr explicit LFIB4(const table& seed) : t{} {
        for (int i = 0; i < 256; ++i) t[i] = seed[i];
    }

    constexpr word operator()() noexcept { return lfib4_step(t, c); }
    friend constexpr bool operator==(const LFIB4&, const LFIB4&) = default;
};

struct SWB : engine32<SWB> {
    word t[256];
    std::uint8_t c = 0;
    std::uint8_t borrow = 0;

    constexpr SWB() : t{} { fill_default_table(t); }
    constexpr explicit SWB(const table& seed) : t{} {
        for (int i = 0; i < 256; ++i) t[i] = seed[i];
    }
    constexpr SWB(const table& state, std::uint8_t index, std::uint8_t carry) : SWB(state) {
        c = index;
        borrow = carry;
    }

    constexpr word operator()() noexcept { return swb_step(t, c, borrow); }
    friend constexpr bool operator==(const SWB&, const SWB&) = default;
};

}  // namespace ombrix

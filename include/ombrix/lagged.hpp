// Lagged-table generators (Marsaglia) over 256 words and a one-byte index c,
// the slot written by the most recent step. Index arithmetic wraps at 256.
//
// LFIB4, four-lag lagged Fibonacci with addition:
//     t[c] = t[c] + t[c+58] + t[c+119] + t[c+178]   (c advanced first)
// i.e. the values written 256, 198, 137 and 78 steps earlier.
// SWB, subtract-with-borrow, x[n] = x[n-222] - x[n-237] - borrow:
//     t[c] = t[c+34] - (t[c+19] + borrow), borrow = 1 on underflow.
//
// Seeding, the same table for both (the Python SWB seeds as LFIB4 does),
// with the index (and SWB's borrow) at 0:
//   - a seed value s: the first 256 outputs of KISS(12345, 65435, s, 34221),
//     the default table's KISS with s for its congruential seed, so that
//     E(12345) == E();
//   - a seed sequence: 256 words from it.
// A table of even words only would give even words only from LFIB4 (and 0
// stays 0 for both), so such a table has the low bit of t[0] set. No seed
// value makes one: the low bit of a KISS output is the XOR of its parts'
// low bits, where s only enters through its own low bit, and both s = 0
// and s = 1 give odd words.
// Text form: t[0] ... t[255] c (and borrow for SWB), the table as stored.
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

inline constexpr word lagged_default_seed = lfib4_table_seed[2];

// The seeding rule's last step: an odd word somewhere in the table.
constexpr void ensure_odd_word(table& t) noexcept {
    for (word w : t)
        if (w & 1u) return;
    t[0] |= 1u;
}

// The table for a seed value.
constexpr void fill_table(table& t, word seed) noexcept {
    KISS kiss(lfib4_table_seed[0], lfib4_table_seed[1], seed, lfib4_table_seed[3]);
    for (word& slot : t) slot = kiss();
    ensure_odd_word(t);
}

// The table for a seed sequence.
template <seed_sequence Q>
constexpr void fill_table(table& t, Q& q) {
    q.generate(t, t + lagged_table_size);
    ensure_odd_word(t);
}

struct LFIB4 : engine32<LFIB4> {
    static constexpr word default_seed = lagged_default_seed;

    word t[256];
    std::uint8_t c = 0;

    constexpr LFIB4() : t{} { fill_default_table(t); }
    constexpr explicit LFIB4(const table& seed) : t{} {
        for (int i = 0; i < 256; ++i) t[i] = seed[i];
    }
    constexpr explicit LFIB4(word seed) : t{} { fill_table(t, seed); }
    template <seed_sequence Q>
    constexpr explicit LFIB4(Q& q) : t{} {
        fill_table(t, q);
    }

    constexpr word operator()() noexcept { return lfib4_step(t, c); }
    friend constexpr bool operator==(const LFIB4&, const LFIB4&) = default;

    template <class Self, class Visit>
    static constexpr void visit_state(Self& e, Visit&& visit) {
        for (auto& w : e.t) visit(w);
        visit(e.c);
    }
};

struct SWB : engine32<SWB> {
    static constexpr word default_seed = lagged_default_seed;

    word t[256];
    std::uint8_t c = 0;
    std::uint8_t borrow = 0;

    constexpr SWB() : t{} { fill_default_table(t); }
    constexpr explicit SWB(const table& seed) : t{} {
        for (int i = 0; i < 256; ++i) t[i] = seed[i];
    }
    constexpr explicit SWB(word seed) : t{} { fill_table(t, seed); }
    template <seed_sequence Q>
    constexpr explicit SWB(Q& q) : t{} {
        fill_table(t, q);
    }
    constexpr SWB(const table& state, std::uint8_t index, std::uint8_t carry) : SWB(state) {
        c = index;
        borrow = carry;
    }

    constexpr word operator()() noexcept { return swb_step(t, c, borrow); }
    friend constexpr bool operator==(const SWB&, const SWB&) = default;

    template <class Self, class Visit>
    static constexpr void visit_state(Self& e, Visit&& visit) {
        for (auto& w : e.t) visit(w);
        visit(e.c);
        visit(e.borrow);
    }
};

}  // namespace ombrix

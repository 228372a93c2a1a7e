// Multiply-with-carry generators (Marsaglia).
//
// MWC1 and MWC2 (1999 newsgroup post): two 16-bit multiply-with-carry
// generators, each word holding its current value in the low 16 bits and
// its carry in the high 16 bits:
//     x[n] = 36969 x[n-1] + carry,  y[n] = 18000 y[n-1] + carry  mod 2**16.
// MWC1 shifts the x word into the top half of the output; MWC2 rotates it,
// so that x's carry bits reach the bottom half too.
//
// MWC64: one multiply-with-carry generator with a 64-bit step,
//     t = 698769069 value + carry;  value = t mod 2**32,  carry = t div 2**32.
//
// Seeding, as the Python types seed: a seed value goes to the upper word
// (MWC64's carry) and the lower word keeps its default, as the type called
// with one argument; a seed sequence gives both words, upper first. A
// 16-bit word at a multiple of its modulus (0 or the modulus itself) is
// replaced by that word's default; an MWC64 pair whose carry:value is a
// multiple of its modulus is replaced by the default pair (no seed value
// makes one: s * 2**32 + the default value never is). Text form:
// mwc_upper mwc_lower.
#pragma once

#include "engine.hpp"

#include <bit>
#include <cstdint>

namespace ombrix {

// Multiples of these moduli are fixed points (or reach one in a step).
inline constexpr word mwc16_upper_modulus = 36969u * 65536u - 1u;  // 2422800383
inline constexpr word mwc16_lower_modulus = 18000u * 65536u - 1u;  // 1179647999
inline constexpr std::uint64_t mwc64_modulus = 698769069ull * 4294967296ull - 1u;

// The seeding rules: a seed at a multiple of its modulus is replaced.
constexpr word mwc16_seed(word seed, word modulus, word fallback) noexcept {
    return seed % modulus == 0 ? fallback : seed;
}
// Carry:value, as one number, a multiple of the modulus: one of the fixed
// points 0 and the modulus, or one of the five larger multiples, which step
// to one of them.
constexpr bool mwc64_degenerate(word carry, word value) noexcept {
    return ((std::uint64_t{carry} << 32) | value) % mwc64_modulus == 0;
}

constexpr void mwc16_step(word& upper, word& lower) noexcept {
    upper = 36969u * (upper & 0xFFFFu) + (upper >> 16);
    lower = 18000u * (lower & 0xFFFFu) + (lower >> 16);
}

// The sum, not an OR: the lower word's carry bits add into the top half.
constexpr word mwc1_output(word upper, word lower) noexcept { return (upper << 16) + lower; }
constexpr word mwc2_output(word upper, word lower) noexcept { return std::rotl(upper, 16) + lower; }

// Returns the new value. The product of a word and the multiplier plus a
// word carry always fits 64 bits.
constexpr word mwc64_step(word& carry, word& value) noexcept {
    const std::uint64_t t = 698769069ull * value + carry;
    value = static_cast<word>(t);
    carry = static_cast<word>(t >> 32);
    return value;
}

template <word (*Output)(word, word)>
struct basic_mwc16 : engine32<basic_mwc16<Output>> {
    static constexpr word default_upper = 12345u;
    static constexpr word default_lower = 65437u;
    static constexpr word default_seed = default_upper;

    word mwc_upper = default_upper;
    word mwc_lower = default_lower;

    constexpr basic_mwc16() = default;
    constexpr basic_mwc16(word upper, word lower) : mwc_upper(upper), mwc_lower(lower) {}
    constexpr explicit basic_mwc16(word seed)
        : mwc_upper(mwc16_seed(seed, mwc16_upper_modulus, default_upper)) {}
    template <seed_sequence Q>
    constexpr explicit basic_mwc16(Q& q) {
        const auto w = seed_words<2>(q);
        mwc_upper = mwc16_seed(w[0], mwc16_upper_modulus, default_upper);
        mwc_lower = mwc16_seed(w[1], mwc16_lower_modulus, default_lower);
    }

    // The combination of the current words: after a step, the value returned.
    constexpr word mwc() const noexcept { return Output(mwc_upper, mwc_lower); }
    constexpr word operator()() noexcept {
        mwc16_step(mwc_upper, mwc_lower);
        return mwc();
    }
    friend constexpr bool operator==(const basic_mwc16&, const basic_mwc16&) = default;

    template <class Self, class Visit>
    static constexpr void visit_state(Self& e, Visit&& visit) {
        visit(e.mwc_upper);
        visit(e.mwc_lower);
    }
};

using MWC1 = basic_mwc16<mwc1_output>;
using MWC2 = basic_mwc16<mwc2_output>;

struct MWC64 : engine32<MWC64> {
    static constexpr word default_upper = 7654321u;
    static constexpr word default_lower = 521288629u;
    static constexpr word default_seed = default_upper;

    word mwc_upper = default_upper;  // the carry
    word mwc_lower = default_lower;  // the value, and the last output

    constexpr MWC64() = default;
    constexpr MWC64(word carry, word value) : mwc_upper(carry), mwc_lower(value) {}
    constexpr explicit MWC64(word seed) : MWC64(seeded(seed, default_lower)) {}
    template <seed_sequence Q>
    constexpr explicit MWC64(Q& q) : MWC64(seeded(q)) {}

    // The pair the seeding rule makes of a carry and a value.
    static constexpr MWC64 seeded(word carry, word value) {
        return mwc64_degenerate(carry, value) ? MWC64() : MWC64(carry, value);
    }
    template <seed_sequence Q>
    static constexpr MWC64 seeded(Q& q) {
        const auto w = seed_words<2>(q);
        return seeded(w[0], w[1]);
    }

    constexpr word mwc() const noexcept { return mwc_lower; }
    constexpr word operator()() noexcept { return mwc64_step(mwc_upper, mwc_lower); }
    friend constexpr bool operator==(const MWC64&, const MWC64&) = default;

    template <class Self, class Visit>
    static constexpr void visit_state(Self& e, Visit&& visit) {
        visit(e.mwc_upper);
        visit(e.mwc_lower);
    }
};

}  // namespace ombrix

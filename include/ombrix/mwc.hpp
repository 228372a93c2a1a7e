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
#pragma once

#include "engine.hpp"

#include <bit>
#include <cstdint>

namespace ombrix {

// Multiples of these moduli are fixed points (or reach one in a step).
inline constexpr word mwc16_upper_modulus = 36969u * 65536u - 1u;  // 2422800383
inline constexpr word mwc16_lower_modulus = 18000u * 65536u - 1u;  // 1179647999
inline constexpr std::uint64_t mwc64_modulus = 698769069ull * 4294967296ull - 1u;

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

    word mwc_upper = default_upper;
    word mwc_lower = default_lower;

    constexpr basic_mwc16() = default;
    constexpr basic_mwc16(word upper, word lower) : mwc_upper(upper), mwc_lower(lower) {}

    // The combination of the current words: after a step, the value returned.
    constexpr word mwc() const noexcept { return Output(mwc_upper, mwc_lower); }
    constexpr word operator()() noexcept {
        mwc16_step(mwc_upper, mwc_lower);
        return mwc();
    }
    friend constexpr bool operator==(const basic_mwc16&, const basic_mwc16&) = default;
};

using MWC1 = basic_mwc16<mwc1_output>;
using MWC2 = basic_mwc16<mwc2_output>;

struct MWC64 : engine32<MWC64> {
    static constexpr word default_upper = 7654321u;
    static constexpr word default_lower = 521288629u;

    word mwc_upper = default_upper;  // the carry
    word mwc_lower = default_lower;  // the value, and the last output

    constexpr MWC64() = default;
    constexpr MWC64(word carry, word value) : mwc_upper(carry), mwc_lower(value) {}

    constexpr word mwc() const noexcept { return mwc_lower; }
    constexpr word operator()() noexcept { return mwc64_step(mwc_upper, mwc_lower); }
    friend constexpr bool operator==(const MWC64&, const MWC64&) = default;
};

}  // namespace ombrix

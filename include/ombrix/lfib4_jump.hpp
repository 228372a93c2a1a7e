// Jump-ahead for LFIB4 through polynomial arithmetic.
//
// LFIB4's words satisfy, over Z/2^32,
//     s[j+256] = s[j+178] + s[j+119] + s[j+58] + s[j],
// with characteristic polynomial P(x) = x^256 - x^178 - x^119 - x^58 - 1.
// If x^e mod P = sum g_i x^i, then s[j+e] = sum g_i s[j+i] for every j (the
// identity holds for x^256 and is kept by multiplying by x and reducing).
// So e steps from the window s[j..j+255] are, for i' < 256,
//     s[j+e+i'] = sum_i g_i s[j+i+i'],
// which needs the window extended by 255 plain steps and one 256 x 511
// "middle product".
//
// x^e mod P is a product of precomputed x^(2^k) and x^-(2^k) mod P, one per
// nonzero digit of e in non-adjacent form: P's constant term is -1, so x is
// a unit (x^-1 = x^255 - x^177 - x^118 - x^57), and backward jumps are the
// same products with the two tables swapped. The products are
// computed by Karatsuba's method down to a schoolbook kernel written so that
// the compiler vectorises it; reducing modulo the sparse P is cheap.
//
// The order of x modulo P, the longest period of any table, is
//     L = 2^31 * 91 * (2^236 - 1),
// a multiple of 256, so the index byte moves by e mod 256 whatever multiple
// of L is dropped from e. (The tests check x^L = 1 and x^(L/p) != 1 for
// every prime p dividing L.)
#pragma once

#include "engine.hpp"
#include "jump_parts.hpp"
#include "lagged.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace ombrix::jumping {

inline constexpr int lfib4_degree = 256;
// P = x^256 - sum of x^t over these.
inline constexpr int lfib4_taps[] = {178, 119, 58, 0};

// A polynomial modulo P: its 256 coefficients, lowest first.
using lfib4_poly = std::array<word, lfib4_degree>;

constexpr lfib4_poly monomial(int exponent) {
    lfib4_poly p{};
    p[exponent] = 1;
    return p;
}

// x^-1 = x^255 - x^177 - x^118 - x^57, from x (x^255 - ...) = x^256 - x^178
// - x^119 - x^58 = 1 modulo P.
constexpr lfib4_poly lfib4_x_inverse() {
    lfib4_poly p{};
    p[255] = 1;
    for (int tap : lfib4_taps)
        if (tap > 0) p[tap - 1] = 0u - 1u;
    return p;
}

// c[0 .. 2N) = a * b, for a and b of N coefficients (c[2N-1] is 0).
// Karatsuba: with a = a0 + a1 x^h, b = b0 + b1 x^h,
//     a b = a0 b0 + ((a0 + a1)(b0 + b1) - a0 b0 - a1 b1) x^h + a1 b1 x^2h,
// exact in Z/2^32 as it needs no division.
template <std::size_t N>
inline void multiply(const word* __restrict a, const word* __restrict b, word* __restrict c) {
    if constexpr (N <= 32) {
        for (std::size_t k = 0; k < 2 * N; ++k) c[k] = 0;
        for (std::size_t i = 0; i < N; ++i) {
            const word ai = a[i];
            word* __restrict row = c + i;
            for (std::size_t j = 0; j < N; ++j) row[j] += ai * b[j];
        }
    } else {
        constexpr std::size_t h = N / 2;
        multiply<h>(a, b, c);
        multiply<h>(a + h, b + h, c + N);
        word sum_a[h], sum_b[h], middle[N];
        for (std::size_t i = 0; i < h; ++i) {
            sum_a[i] = a[i] + a[h + i];
            sum_b[i] = b[i] + b[h + i];
        }
        multiply<h>(sum_a, sum_b, middle);
        for (std::size_t i = 0; i < N; ++i) middle[i] -= c[i] + c[N + i];
        for (std::size_t i = 0; i < N; ++i) c[h + i] += middle[i];
    }
}

// a * b mod P.
inline lfib4_poly multiply_mod(const lfib4_poly& a, const lfib4_poly& b) {
    word c[2 * lfib4_degree];
    multiply<lfib4_degree>(a.data(), b.data(), c);
    // x^d = x^(d-256) (x^178 + x^119 + x^58 + 1), from the top down so that
    // terms landing at 256 or above are reduced in turn.
    for (int d = 2 * lfib4_degree - 2; d >= lfib4_degree; --d) {
        const word v = c[d];
        for (int tap : lfib4_taps) c[d - lfib4_degree + tap] += v;
    }
    lfib4_poly r;
    for (int i = 0; i < lfib4_degree; ++i) r[i] = c[i];
    return r;
}

// x^(2^k) and x^-(2^k) mod P for k <= 64. A 64-bit exponent e is written in
// non-adjacent form, e = sum d_k 2^k with digits d_k in {-1, 0, 1} and no
// two adjacent digits nonzero: about 64/3 nonzero digits against 32 set
// bits, so about a third fewer products than plain binary. e up to 2^64 - 1
// may need the digit at 2^64.
struct lfib4_power_table {
    static constexpr std::size_t size = 65;
    std::array<lfib4_poly, size> up;    // x^(2^k)
    std::array<lfib4_poly, size> down;  // x^-(2^k)

    lfib4_power_table() {
        up[0] = monomial(1);
        down[0] = lfib4_x_inverse();
        for (std::size_t k = 1; k < size; ++k) {
            up[k] = multiply_mod(up[k - 1], up[k - 1]);
            down[k] = multiply_mod(down[k - 1], down[k - 1]);
        }
    }

    // x^e, or x^-e when `negative`, mod P.
    lfib4_poly raised(std::uint64_t e, bool negative) const {
        const auto& plus = negative ? down : up;
        const auto& minus = negative ? up : down;
        lfib4_poly r = monomial(0);
        bool first = true;
        uint128 rest = e;
        for (std::size_t k = 0; rest != 0; ++k, rest >>= 1) {
            if (!(rest & 1)) continue;
            // Digit +1 when rest = 1 mod 4, -1 when rest = 3 mod 4 (rest + 1
            // then ends in two zeros at least).
            const bool up_digit = (rest & 3) == 1;
            const lfib4_poly& factor = up_digit ? plus[k] : minus[k];
            r = first ? factor : multiply_mod(r, factor);
            first = false;
            rest = up_digit ? rest - 1 : rest + 1;
        }
        return r;
    }
};

// Built on first use (about a millisecond), then shared.
inline const lfib4_power_table& lfib4_powers() {
    static const lfib4_power_table table;
    return table;
}

// ---------------------------------------------------------------------------
// Exponents of any size, as little-endian 64-bit limbs.

// L = 2^31 * 91 * (2^236 - 1), 274 bits.
inline constexpr std::size_t lfib4_order_limbs = 5;
using lfib4_exponent = std::array<std::uint64_t, lfib4_order_limbs>;

inline constexpr lfib4_exponent lfib4_order = [] {
    // 2^236 - 1, times 91, shifted up by 31.
    lfib4_exponent v{};
    for (int bit = 0; bit < 236; ++bit) v[bit / 64] |= std::uint64_t{1} << (bit % 64);
    uint128 carry = 0;
    for (auto& limb : v) {
        carry += uint128{limb} * 91;
        limb = static_cast<std::uint64_t>(carry);
        carry >>= 64;
    }
    for (std::size_t i = v.size(); i-- > 0;) v[i] = (v[i] << 31) | (i > 0 ? v[i - 1] >> 33 : 0);
    return v;
}();

constexpr bool less(const lfib4_exponent& a, const lfib4_exponent& b) {
    for (std::size_t i = a.size(); i-- > 0;)
        if (a[i] != b[i]) return a[i] < b[i];
    return false;
}

constexpr lfib4_exponent minus(const lfib4_exponent& a, const lfib4_exponent& b) {
    lfib4_exponent r{};
    std::uint64_t borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::uint64_t d = a[i] - b[i];
        r[i] = d - borrow;
        borrow = (a[i] < b[i]) | (d < borrow);
    }
    return r;
}

// n mod L, one bit at a time from the top: r stays below L < 2^274, so 2r + 1
// fits the five limbs. Cost is linear in the length of n.
constexpr lfib4_exponent reduce_by_lfib4_order(std::span<const std::uint64_t> n) {
    lfib4_exponent r{};
    for (std::size_t i = n.size(); i-- > 0;) {
        for (int bit = 63; bit >= 0; --bit) {
            for (std::size_t j = r.size(); j-- > 1;) r[j] = (r[j] << 1) | (r[j - 1] >> 63);
            r[0] = (r[0] << 1) | ((n[i] >> bit) & 1);
            if (!less(r, lfib4_order)) r = minus(r, lfib4_order);
        }
    }
    return r;
}

// x^e mod P for an exponent of any length: the low limb through the table,
// the rest by square-and-multiply on x^(2^64).
inline lfib4_poly lfib4_x_power(std::span<const std::uint64_t> e) {
    const lfib4_power_table& table = lfib4_powers();
    lfib4_poly r = table.raised(e.empty() ? 0 : e[0], false);
    std::size_t top = e.size();
    while (top > 1 && e[top - 1] == 0) --top;
    if (top <= 1) return r;
    const lfib4_poly& base = table.up[64];
    lfib4_poly high = monomial(0);
    bool started = false;
    for (std::size_t i = top; i-- > 1;) {
        for (int bit = 63; bit >= 0; --bit) {
            if (started) high = multiply_mod(high, high);
            if ((e[i] >> bit) & 1) {
                high = started ? multiply_mod(high, base) : base;
                started = true;
            }
        }
    }
    return multiply_mod(r, high);
}

// ---------------------------------------------------------------------------
// The jump itself.

// The state e steps on, given g = x^e mod P (for any integer e, negative
// ones through x^-1) and e mod 256.
inline void lfib4_apply(table& t, std::uint8_t& c, const lfib4_poly& g, std::uint8_t shift) {
    // ext[i] = s[j+i], the window oldest first (t[c+1] is the oldest word),
    // then 255 more values stepped on from it.
    word ext[2 * lfib4_degree - 1];
    word copy[256];
    for (int i = 0; i < 256; ++i) copy[i] = t[i];
    std::uint8_t index = c;
    for (int i = 0; i < lfib4_degree; ++i) ext[i] = t[std::uint8_t(c + 1 + i)];
    for (int i = lfib4_degree; i < 2 * lfib4_degree - 1; ++i) ext[i] = lfib4_step(copy, index);

    word out[lfib4_degree] = {};
    for (int i = 0; i < lfib4_degree; ++i) {
        const word gi = g[i];
        const word* __restrict from = ext + i;
        for (int k = 0; k < lfib4_degree; ++k) out[k] += gi * from[k];
    }
    c = std::uint8_t(c + shift);
    for (int k = 0; k < lfib4_degree; ++k) t[std::uint8_t(c + 1 + k)] = out[k];
}

// One step undone: the step added the three other words to t[c].
constexpr void lfib4_step_back(table& t, std::uint8_t& c) noexcept {
    const std::uint8_t i = c;
    t[i] -= t[std::uint8_t(i + 58)] + t[std::uint8_t(i + 119)] + t[std::uint8_t(i + 178)];
    c = std::uint8_t(i - 1);
}

// Below this many steps, plain stepping is cheaper than a jump.
inline constexpr std::uint64_t lfib4_plain_steps_below = 1u << 14;

}  // namespace ombrix::jumping

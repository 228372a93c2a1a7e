// Jump-ahead for the generators whose state is one or a few words, each
// word stepped on its own (a "part"): Cong, SHR3, the multiply-with-carry
// words and the LFSR components. jump.hpp puts the parts of each engine
// together; this header holds the arithmetic.
//
// A part describes its word's dynamics by:
//   state          the word type (a 64-bit word for MWC64's carry:value pair)
//   step(z)        one plain step
//   tail           plain steps that bring any word onto a cycle
//   on_cycle(z)    whether z lies on a cycle (is reached again by stepping)
//   period         a multiple of every cycle length (the order of the step)
//   jump_on_cycle(z, e)   e steps from an on-cycle z, for e < period, in
//                  O(log e) through tables of the step's 2^k-th powers
//
// Going forward n steps takes min(n, tail) plain steps and then jumps by
// the rest modulo the period. Going back is defined from on-cycle words
// only, where the step is a bijection: n steps back is period - n mod
// period steps forward.
#pragma once

#include "cong.hpp"
#include "lfsr.hpp"
#include "mwc.hpp"
#include "shr3.hpp"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace ombrix::jumping {

__extension__ typedef unsigned __int128 uint128;

// A step count of any size, as the Python binding receives it: the
// magnitude as little-endian 64-bit limbs. Leading zero limbs are ignored.
class step_count {
public:
    constexpr explicit step_count(std::span<const std::uint64_t> limbs) : limbs_(limbs) {
        while (!limbs_.empty() && limbs_.back() == 0) limbs_ = limbs_.first(limbs_.size() - 1);
    }

    constexpr std::span<const std::uint64_t> limbs() const { return limbs_; }
    constexpr bool fits64() const { return limbs_.size() <= 1; }
    constexpr bool is_zero() const { return limbs_.empty(); }
    constexpr std::uint64_t low64() const { return limbs_.empty() ? 0 : limbs_[0]; }
    // min(n, cap)
    constexpr std::uint64_t clamp(std::uint64_t cap) const {
        return fits64() && low64() < cap ? low64() : cap;
    }
    // n mod m for m > 0, Horner's rule from the top limb down.
    constexpr std::uint64_t mod(std::uint64_t m) const {
        std::uint64_t r = 0;
        for (std::size_t i = limbs_.size(); i-- > 0;)
            r = static_cast<std::uint64_t>(((uint128{r} << 64) | limbs_[i]) % m);
        return r;
    }

private:
    std::span<const std::uint64_t> limbs_;
};

// ---------------------------------------------------------------------------
// The generic jumps, for any part P.

template <class P>
constexpr typename P::state forward(typename P::state z, std::uint64_t n) {
    const std::uint64_t head = n < P::tail ? n : P::tail;
    for (std::uint64_t i = 0; i < head; ++i) z = P::step(z);
    return P::jump_on_cycle(z, (n - head) % P::period);
}

template <class P>
constexpr typename P::state forward(typename P::state z, const step_count& n) {
    const std::uint64_t head = n.clamp(P::tail);
    for (std::uint64_t i = 0; i < head; ++i) z = P::step(z);
    // (n - head) mod period, without forming n - head.
    return P::jump_on_cycle(z, (n.mod(P::period) + P::period - head) % P::period);
}

// The exponent of n steps back: -n modulo the period.
template <class P>
constexpr std::uint64_t back_exponent(std::uint64_t n_mod_period) {
    return n_mod_period == 0 ? 0 : P::period - n_mod_period;
}

// Precondition: P::on_cycle(z).
template <class P>
constexpr typename P::state backward(typename P::state z, std::uint64_t n) {
    return P::jump_on_cycle(z, back_exponent<P>(n % P::period));
}

template <class P>
constexpr typename P::state backward(typename P::state z, const step_count& n) {
    return P::jump_on_cycle(z, back_exponent<P>(n.mod(P::period)));
}

// Applies the table entries picked by the set bits of e, lowest first.
// Visiting only the set bits keeps the loop free of data-dependent branches
// (random exponent bits would mispredict half the time).
template <class Table, class Z, class Apply>
constexpr Z apply_powers(const Table& powers, Z z, std::uint64_t e, Apply apply) {
    for (; e != 0; e &= e - 1) z = apply(powers[std::countr_zero(e)], z);
    return z;
}

// ---------------------------------------------------------------------------
// Cong: x -> 69069 x + 12345 mod 2^32 is an affine map; n steps are the
// map composed n times, again affine. The maps for 2^k steps come from
// squaring (F. Brown, "Random number generation with arbitrary strides",
// Trans. Am. Nucl. Soc., 1994). With c odd and a = 1 mod 4 the period is
// the full 2^32 (Hull and Dobell), so exponents are taken mod 2^32.

struct affine_map {
    word a = 1, c = 0;

    constexpr word operator()(word x) const { return a * x + c; }
    // This map after `first`.
    constexpr affine_map after(const affine_map& first) const {
        return {a * first.a, a * first.c + c};
    }
};

struct cong_part {
    using state = word;
    static constexpr unsigned tail = 0;
    static constexpr std::uint64_t period = std::uint64_t{1} << 32;
    static constexpr affine_map map{69069u, 12345u};
    static constexpr word step(word x) { return cong_step(x); }
    static constexpr bool on_cycle(word) { return true; }

    static constexpr std::array<affine_map, 32> powers = [] {
        std::array<affine_map, 32> table{};
        table[0] = map;
        for (std::size_t k = 1; k < table.size(); ++k) table[k] = table[k - 1].after(table[k - 1]);
        return table;
    }();

    static constexpr word jump_on_cycle(word x, std::uint64_t e) {
        return apply_powers(powers, x, e, [](const affine_map& f, word v) { return f(v); });
    }
};

// ---------------------------------------------------------------------------
// F2-linear maps of a word (SHR3, the LFSR components) as 32x32 bit
// matrices, kept by columns: column[i] is the image of bit i. (Plain
// arrays here: the tables are built at compile time, and GCC evaluates
// their indexing much faster than std::array's.)

struct bit_matrix {
    word column[32]{};

    // The plain product; jumps use bit_matrix_lookup, below.
    constexpr word operator()(word v) const {
        word r = 0;
        for (int i = 0; i < 32; ++i) r ^= column[i] & (0u - ((v >> i) & 1u));
        return r;
    }
    // This matrix after `first`.
    constexpr bit_matrix after(const bit_matrix& first) const {
        bit_matrix product;
        for (int i = 0; i < 32; ++i) product.column[i] = (*this)(first.column[i]);
        return product;
    }
    template <class Map>
    static constexpr bit_matrix of(Map map) {
        bit_matrix m;
        for (int i = 0; i < 32; ++i) m.column[i] = map(word{1} << i);
        return m;
    }
    friend constexpr bool operator==(const bit_matrix&, const bit_matrix&) = default;
};

// The same matrix as lookup tables, one per 4-bit slice of the argument:
// slice[j][v] is the image of v << 4j. Eight loads and XORs per product
// instead of 32 masked XORs; 512 bytes a matrix.
struct bit_matrix_lookup {
    word slice[8][16]{};

    constexpr bit_matrix_lookup() = default;
    constexpr explicit bit_matrix_lookup(const bit_matrix& m) {
        // Each entry is an earlier one (its lowest set bit cleared) plus a column.
        for (int j = 0; j < 8; ++j)
            for (word v = 1; v < 16; ++v)
                slice[j][v] = slice[j][v & (v - 1)] ^ m.column[4 * j + std::countr_zero(v)];
    }
    constexpr word operator()(word v) const {
        word r = 0;
        for (int j = 0; j < 8; ++j) r ^= slice[j][(v >> (4 * j)) & 15u];
        return r;
    }
};

// M^(2^k) for k < Count.
template <std::size_t Count>
constexpr std::array<bit_matrix, Count> doubling_powers(const bit_matrix& m) {
    std::array<bit_matrix, Count> table{};
    table[0] = m;
    for (std::size_t k = 1; k < Count; ++k) table[k] = table[k - 1].after(table[k - 1]);
    return table;
}

// M^e from a table of doubling powers.
template <std::size_t Count>
constexpr bit_matrix matrix_power(const std::array<bit_matrix, Count>& powers, std::uint64_t e) {
    bit_matrix r = bit_matrix::of([](word v) { return v; });
    for (std::size_t k = 0; e != 0; ++k, e >>= 1)
        if (e & 1) r = powers[k].after(r);
    return r;
}

// A word map T that is F2-linear, ignores its `dropped` lowest bits and is
// invertible on its image V, a subspace of dimension 32 - dropped, where it
// has order N = 2^(32 - dropped) - 1 (a primitive characteristic
// polynomial). With dropped = 0 (SHR3) V is every word: 0 is a fixed point
// and the other words form one cycle. With dropped > 0 (an LFSR component)
// one step lands any word in V, and V is exactly the set of on-cycle words:
// 0 and one cycle through the rest of V.
//
// On-cycle test: T^N is the identity on V, and T^N z = T^(N-1)(T z) lies in
// V for every z, so T^N projects onto V: z is on the cycle iff T^N z = z.
template <class Map>
struct linear_word_part {
    using state = word;
    static constexpr int dropped = Map::dropped;
    static constexpr int rank = 32 - dropped;
    static constexpr unsigned tail = dropped > 0 ? 1 : 0;
    static constexpr std::uint64_t period = (std::uint64_t{1} << rank) - 1;
    static constexpr word step(word z) { return Map{}(z); }

    static constexpr bit_matrix matrix = bit_matrix::of(Map{});
    // Exponents are below the period, which is below 2^rank.
    static constexpr std::array<bit_matrix, rank> powers = doubling_powers<rank>(matrix);
    static constexpr bit_matrix_lookup projection{matrix_power(powers, period)};
    static constexpr std::array<bit_matrix_lookup, rank> lookups = [] {
        std::array<bit_matrix_lookup, rank> table{};
        for (int k = 0; k < rank; ++k) table[k] = bit_matrix_lookup(powers[k]);
        return table;
    }();

    static constexpr bool on_cycle(word z) { return dropped == 0 || projection(z) == z; }
    static constexpr word jump_on_cycle(word z, std::uint64_t e) {
        return apply_powers(lookups, z, e, [](const bit_matrix_lookup& m, word v) { return m(v); });
    }

    // The dropped bits really are ignored: their columns are zero.
    static_assert([] {
        for (int i = 0; i < dropped; ++i)
            if (matrix.column[i] != 0) return false;
        return true;
    }());
};

struct shr3_map {
    static constexpr int dropped = 0;
    constexpr word operator()(word y) const { return shr3_step(y); }
};
using shr3_part = linear_word_part<shr3_map>;

template <lfsr_component K>
struct lfsr_map {
    // The mask keeps the bits from the component's lowest kept bit upward.
    static constexpr int dropped = std::countr_zero(K.mask);
    constexpr word operator()(word z) const { return lfsr_step<K>(z); }
};
// A class rather than an alias: GCC 12 crashes substituting the alias with
// a dependent component.
template <lfsr_component K>
struct lfsr_part : linear_word_part<lfsr_map<K>> {};

// ---------------------------------------------------------------------------
// Multiply-with-carry words z = carry * 2^Bits + value, stepped as
//     z' = A * (z mod 2^Bits) + z div 2^Bits.
// With M = A * 2^Bits - 1, A * 2^Bits = 1 mod M, so z' = A z mod M for every
// z (Marsaglia's MWC/LCG correspondence: multiplying by A is multiplying by
// the inverse of the base). Further:
//   - z <= M gives z' <= M; on [1, M-1] the step is exactly z -> A z mod M,
//     and 0 and M are fixed points (M is not 0 here: never reduce it).
//   - words above M (carry >= A) are transient: their successor may exceed
//     M only as M + d, 1 <= d <= 2^Bits - A, which steps to A d < M. So two
//     plain steps put any word in [0, M].
//   - [0, M] is the set of on-cycle words. Words above M have no
//     predecessor in [0, M]: those up to M + 2^Bits - A (the successor of
//     the all-ones word, the largest) have theirs above M, the rest none.
// M is a safe prime for the three multipliers used (M = 2q + 1, q prime)
// and A has order q modulo M, so every cycle of [1, M-1] has length q.
//
// Jumps multiply by A^e mod M from a table of A^(2^k). Below 2^32 the
// products fit 64 bits; MWC64's modulus needs 128-bit products, reduced by
// Montgomery's method, with the table entries premultiplied by 2^64 so that
// each product comes out in ordinary form.

template <std::uint64_t M>
struct odd_modulus {
    static_assert(M % 2 == 1 && M < (std::uint64_t{1} << 63));
    static constexpr bool narrow = M < (std::uint64_t{1} << 32);

    static constexpr std::uint64_t mul(std::uint64_t a, std::uint64_t b) {
        return static_cast<std::uint64_t>(uint128{a} * b % M);
    }
    // -M^-1 mod 2^64 by Newton's iteration (each round doubles the correct
    // low bits; M * M = 1 mod 8 to start).
    static constexpr std::uint64_t minus_inverse = [] {
        std::uint64_t x = M;
        for (int i = 0; i < 5; ++i) x *= 2 - M * x;
        return 0 - x;
    }();
    // a b 2^-64 mod M, for a, b < M.
    static constexpr std::uint64_t montgomery(std::uint64_t a, std::uint64_t b) {
        const uint128 t = uint128{a} * b;
        const std::uint64_t m = static_cast<std::uint64_t>(t) * minus_inverse;
        // t + m M < 2^127 as M < 2^63, and its low 64 bits are zero.
        const std::uint64_t r = static_cast<std::uint64_t>((t + uint128{m} * M) >> 64);
        return r >= M ? r - M : r;
    }

    // A multiplier f in the form `times` takes.
    static constexpr std::uint64_t prepare(std::uint64_t f) {
        if constexpr (narrow) return f;
        return static_cast<std::uint64_t>((uint128{f} << 64) % M);
    }
    // z f mod M for z < M and a prepared f.
    static constexpr std::uint64_t times(std::uint64_t z, std::uint64_t prepared) {
        if constexpr (narrow) return z * prepared % M;
        return montgomery(z, prepared);
    }
};

template <class Z, std::uint64_t A, int Bits>
struct mwc_part {
    using state = Z;
    static constexpr std::uint64_t multiplier = A;
    static constexpr int half_bits = Bits;
    static constexpr Z modulus = static_cast<Z>(A * (std::uint64_t{1} << Bits) - 1);
    static constexpr std::uint64_t period = (modulus - 1) / 2;
    static constexpr unsigned tail = 2;
    static constexpr Z low_mask = static_cast<Z>((std::uint64_t{1} << Bits) - 1);
    using arithmetic = odd_modulus<modulus>;

    static_assert(A < (std::uint64_t{1} << Bits) && sizeof(Z) * 8 == 2 * Bits);

    static constexpr Z step(Z z) { return static_cast<Z>(A) * (z & low_mask) + (z >> Bits); }
    static constexpr bool on_cycle(Z z) { return z <= modulus; }

    static constexpr std::array<std::uint64_t, std::bit_width(period)> powers = [] {
        std::array<std::uint64_t, std::bit_width(period)> table{};
        std::uint64_t square = A;
        for (auto& entry : table) {
            entry = arithmetic::prepare(square);
            square = arithmetic::mul(square, square);
        }
        return table;
    }();

    static constexpr Z jump_on_cycle(Z z, std::uint64_t e) {
        if (z == 0 || z == modulus) return z;
        return static_cast<Z>(
            apply_powers(powers, std::uint64_t{z}, e,
                         [](std::uint64_t f, std::uint64_t v) { return arithmetic::times(v, f); }));
    }
};

using mwc_upper_part = mwc_part<word, 36969, 16>;
using mwc_lower_part = mwc_part<word, 18000, 16>;
using mwc64_part = mwc_part<std::uint64_t, 698769069, 32>;

static_assert(mwc_upper_part::modulus == mwc16_upper_modulus);
static_assert(mwc_lower_part::modulus == mwc16_lower_modulus);
static_assert(mwc64_part::modulus == mwc64_modulus);

}  // namespace ombrix::jumping

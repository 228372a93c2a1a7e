// Jumps against plain stepping for every engine, from random and edge
// states, and the facts about each generator that the jump code rests on,
// each checked on its own. No Python anywhere in this program.
#include "engine_cases.hpp"

#include <ombrix/jump.hpp>

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

using namespace ombrix;
using namespace ombrix::testing_states;
using jumping::part_of;
using jumping::uint128;
using Limbs = std::vector<std::uint64_t>;

// ---------------------------------------------------------------------------
// Helpers.

template <class E>
E jumped_big(E e, const Limbs& n) {
    EXPECT_TRUE(advance(e, n, false));
    return e;
}

// Little-endian limb arithmetic, enough for period multiples.
Limbs times(Limbs a, std::uint64_t f) {
    uint128 carry = 0;
    for (auto& limb : a) {
        carry += uint128{limb} * f;
        limb = static_cast<std::uint64_t>(carry);
        carry >>= 64;
    }
    if (carry) a.push_back(static_cast<std::uint64_t>(carry));
    return a;
}
Limbs plus(Limbs a, const Limbs& b) {
    if (a.size() < b.size()) a.resize(b.size());
    uint128 carry = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        carry += uint128{a[i]} + (i < b.size() ? b[i] : 0);
        a[i] = static_cast<std::uint64_t>(carry);
        carry >>= 64;
    }
    if (carry) a.push_back(1);
    return a;
}
// a / d, with the remainder.
Limbs divided(Limbs a, std::uint64_t d, std::uint64_t& remainder) {
    uint128 r = 0;
    for (std::size_t i = a.size(); i-- > 0;) {
        r = (r << 64) | a[i];
        a[i] = static_cast<std::uint64_t>(r / d);
        r %= d;
    }
    remainder = static_cast<std::uint64_t>(r);
    return a;
}
Limbs limbs_of(std::uint64_t n) { return {n}; }

std::uint64_t mulmod(std::uint64_t a, std::uint64_t b, std::uint64_t m) {
    return static_cast<std::uint64_t>(uint128{a} * b % m);
}
std::uint64_t powmod(std::uint64_t a, std::uint64_t e, std::uint64_t m) {
    std::uint64_t r = 1 % m;
    for (a %= m; e; e >>= 1, a = mulmod(a, a, m))
        if (e & 1) r = mulmod(r, a, m);
    return r;
}
// Miller-Rabin with the first twelve prime bases: exact below 3.3e24.
bool is_prime(std::uint64_t n) {
    const std::uint64_t bases[] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37};
    if (n < 2) return false;
    for (std::uint64_t p : bases)
        if (n % p == 0) return n == p;
    std::uint64_t d = n - 1;
    int s = 0;
    for (; d % 2 == 0; d /= 2) ++s;
    for (std::uint64_t a : bases) {
        std::uint64_t x = powmod(a, d, n);
        if (x == 1 || x == n - 1) continue;
        bool composite = true;
        for (int i = 1; i < s && composite; ++i) {
            x = mulmod(x, x, n);
            composite = x != n - 1;
        }
        if (composite) return false;
    }
    return true;
}
std::vector<std::uint64_t> prime_factors(std::uint64_t n) {  // trial division; n < 2^40
    std::vector<std::uint64_t> factors;
    for (std::uint64_t p = 2; p * p <= n; ++p) {
        if (n % p) continue;
        factors.push_back(p);
        while (n % p == 0) n /= p;
    }
    if (n > 1) factors.push_back(n);
    return factors;
}

// A multiple of every cycle length of the engine, as limbs.
template <class E>
Limbs period_multiple() {
    if constexpr (std::is_same_v<E, LFIB4>) {
        return Limbs(jumping::lfib4_order.begin(), jumping::lfib4_order.end());
    } else {
        E e;
        Limbs p = {1};
        std::apply([&](const auto&... s) { ((p = times(p, part_of<decltype(s)>::period)), ...); },
                   jumping::slots(e));
        return p;
    }
}

// ---------------------------------------------------------------------------
// Every engine.

using Engines =
    ::testing::Types<Cong, SHR3, MWC1, MWC2, MWC64, KISS, KISS2, LFSR113, LFSR88, LFIB4, SWB>;
struct EngineName {
    template <class E>
    static std::string GetName(int) {
        return cases<E>::name;
    }
};

template <class E>
class Jump : public ::testing::Test {};
TYPED_TEST_SUITE(Jump, Engines, EngineName);

// The engines that jump in O(log n): all but SWB.
using FastEngines =
    ::testing::Types<Cong, SHR3, MWC1, MWC2, MWC64, KISS, KISS2, LFSR113, LFSR88, LFIB4>;
template <class E>
class FastJump : public ::testing::Test {};
TYPED_TEST_SUITE(FastJump, FastEngines, EngineName);

const std::uint64_t small_counts[] = {0, 1, 2, 3, 255, 256, 257, 1000, 1000000};

TYPED_TEST(Jump, ForwardEqualsStepping) {
    for (const TypeParam& start : cases<TypeParam>::states()) {
        TypeParam reference = start;
        std::uint64_t done = 0;
        for (std::uint64_t n : small_counts) {
            reference = stepped(reference, n - done);
            done = n;
            EXPECT_EQ(jumped(start, n), reference) << "n = " << n;
            EXPECT_EQ(jumped_big(start, limbs_of(n)), reference) << "n = " << n;
            TypeParam by_advance = start;
            EXPECT_TRUE(advance(by_advance, static_cast<std::int64_t>(n)));
            EXPECT_EQ(by_advance, reference);
        }
    }
}

// A jump fixed in advance, applied to many engines, is the plain jump.
TYPED_TEST(FastJump, FixedJumpsEqualPlainJumps) {
    using E = TypeParam;
    if constexpr (jumping::made_of_parts<E>) {
        for (std::uint64_t n : {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{2}, std::uint64_t{3},
                                std::uint64_t{4080}, std::uint64_t{1} << 40, random_count()}) {
            const fixed_jump<E> jump(n);
            EXPECT_EQ(jump.distance(), n);
            for (E e : cases<E>::states()) {
                const E expected = jumped(e, n);
                jump(e);
                EXPECT_TRUE(e == expected) << "n = " << n;
            }
        }
    }
}

TYPED_TEST(FastJump, RandomCountsCompose) {
    for (const TypeParam& start : cases<TypeParam>::states()) {
        const std::uint64_t a = random_count() >> 1, b = random_count() >> 1;
        EXPECT_EQ(jumped(jumped(start, a), b), jumped(start, a + b)) << a << " + " << b;
        EXPECT_EQ(stepped(jumped(start, a), 1000000), jumped(start, a + 1000000)) << a;
    }
}

TYPED_TEST(Jump, BackUndoesStepping) {
    for (const TypeParam& raw : cases<TypeParam>::states()) {
        const TypeParam start = settle(raw);
        TypeParam later = start;
        std::uint64_t done = 0;
        for (std::uint64_t n : small_counts) {
            later = stepped(later, n - done);
            done = n;
            TypeParam back = later;
            EXPECT_TRUE(jump_back(back, n)) << "n = " << n;
            EXPECT_EQ(back, start) << "n = " << n;
            back = later;
            EXPECT_TRUE(advance(back, -static_cast<std::int64_t>(n)));
            EXPECT_EQ(back, start);
            back = later;
            EXPECT_TRUE(advance(back, limbs_of(n), true));
            EXPECT_EQ(back, start);
        }
    }
}

TYPED_TEST(Jump, RoundTripsReturnToTheStart) {
    const bool far = jumps_in_log_time<TypeParam>;
    for (const TypeParam& raw : cases<TypeParam>::states()) {
        std::vector<TypeParam> starts = {settle(raw)};
        if (cases<TypeParam>::every_state_recurrent) starts.push_back(raw);
        for (const TypeParam& start : starts) {
            const std::int64_t n = far ? static_cast<std::int64_t>(random_count() >> 1) : 5000;
            for (std::int64_t count : {n, -n, std::int64_t{1}, std::int64_t{-1}}) {
                TypeParam e = start;
                ASSERT_TRUE(advance(e, count));
                ASSERT_TRUE(advance(e, -count));
                EXPECT_EQ(e, start) << "n = " << count;
            }
            if (far) {  // 2^63 back: -INT64_MIN does not fit an int64_t
                TypeParam e = start;
                ASSERT_TRUE(advance(e, std::numeric_limits<std::int64_t>::min()));
                jump_forward(e, std::uint64_t{1} << 63);
                EXPECT_EQ(e, start);
            }
        }
    }
}

TYPED_TEST(Jump, StatesWithoutPredecessorAreRefusedAndKept) {
    const auto orphans = cases<TypeParam>::orphans();
    EXPECT_EQ(orphans.empty(), cases<TypeParam>::every_state_recurrent);
    for (const TypeParam& orphan : orphans) {
        const std::uint64_t far = jumps_in_log_time<TypeParam> ? random_count() >> 1 : 5000;
        for (std::uint64_t n : {std::uint64_t{1}, std::uint64_t{2}, std::uint64_t{1000}, far}) {
            TypeParam e = orphan;
            EXPECT_FALSE(jump_back(e, n)) << "n = " << n;
            EXPECT_EQ(e, orphan);
            EXPECT_FALSE(advance(e, -static_cast<std::int64_t>(n)));
            EXPECT_EQ(e, orphan);
            EXPECT_FALSE(advance(e, Limbs{n, 1}, true));
            EXPECT_EQ(e, orphan);
        }
        // Zero steps back need no past.
        TypeParam e = orphan;
        EXPECT_TRUE(jump_back(e, 0));
        EXPECT_TRUE(advance(e, Limbs{0, 0}, true));
        EXPECT_EQ(e, orphan);
    }
}

TYPED_TEST(FastJump, BigCountsAreReducedByThePeriod) {
    const Limbs period = period_multiple<TypeParam>();
    for (const TypeParam& start : cases<TypeParam>::states()) {
        // At least two steps, so that transient words pass their tail in both.
        for (std::uint64_t n : {std::uint64_t{2}, std::uint64_t{1000}, random_count()}) {
            const TypeParam expected = jumped(start, n);
            EXPECT_EQ(jumped_big(start, plus(limbs_of(n), period)), expected) << "n = " << n;
            EXPECT_EQ(jumped_big(start, plus(limbs_of(n), times(period, 3))), expected)
                << "n = " << n;
            Limbs padded = {n, 0, 0, 0, 0, 0, 0, 0};
            EXPECT_EQ(jumped_big(start, padded), expected);
            const TypeParam on_cycle = settle(start);
            TypeParam back = on_cycle, back_big = on_cycle;
            ASSERT_TRUE(jump_back(back, n));
            ASSERT_TRUE(advance(back_big, plus(limbs_of(n), times(period, 5)), true));
            EXPECT_EQ(back_big, back) << "n = " << n;
        }
        // A whole number of periods from an on-cycle state changes nothing.
        const TypeParam on_cycle = settle(start);
        EXPECT_EQ(jumped_big(on_cycle, period), on_cycle);
        EXPECT_EQ(jumped_big(on_cycle, Limbs{}), on_cycle);
    }
}

// ---------------------------------------------------------------------------
// Step counts of any size.

TEST(StepCount, ReducesTrimsAndClamps) {
    struct Case {
        Limbs limbs;
        std::uint64_t modulus, residue, clamped_to_2;
        bool fits64;
    };
    const Case table[] = {
        {{}, 7, 0, 0, true},
        {{0, 0, 0}, 7, 0, 0, true},
        {{1}, 7, 1, 1, true},
        {{5, 0}, 7, 5, 2, true},
        {{0, 1}, 3, 1, 2, false},  // 2^64 = 1 mod 3
        {{0, 1}, std::uint64_t{1} << 32, 0, 2, false},
        {{~0ull, ~0ull}, 1000000007, 279632276, 2, false},  // 2^128 - 1
    };
    for (const Case& c : table) {
        const step_count n(c.limbs);
        EXPECT_EQ(n.mod(c.modulus), c.residue);
        EXPECT_EQ(n.clamp(2), c.clamped_to_2);
        EXPECT_EQ(n.fits64(), c.fits64);
    }
}

// ---------------------------------------------------------------------------
// Cong.

TEST(Cong, DoublingTableIsSteppingAndThePeriodIsTwoToThe32) {
    using P = jumping::cong_part;
    for (int k = 0; k <= 20; ++k) {
        const word x = random_word();
        EXPECT_EQ(P::powers[k](x), stepped(cong_state(x), std::uint64_t{1} << k).cong)
            << "k = " << k;
    }
    // The map for 2^31 steps is not the identity, for 2^32 it is: the order
    // of the step divides 2^32 and no smaller power of two.
    const jumping::affine_map identity{1, 0}, half = P::powers[31];
    EXPECT_FALSE(half.a == identity.a && half.c == identity.c);
    const jumping::affine_map full = half.after(half);
    EXPECT_TRUE(full.a == identity.a && full.c == identity.c);
}

// ---------------------------------------------------------------------------
// F2-linear words: SHR3 and the LFSR components.

int rank_of(jumping::bit_matrix m) {
    int rank = 0;
    for (int bit = 31; bit >= 0; --bit) {
        int pivot = rank;
        while (pivot < 32 && !((m.column[pivot] >> bit) & 1)) ++pivot;
        if (pivot == 32) continue;
        std::swap(m.column[rank], m.column[pivot]);
        for (int i = 0; i < 32; ++i)
            if (i != rank && ((m.column[i] >> bit) & 1)) m.column[i] ^= m.column[rank];
        ++rank;
    }
    return rank;
}

template <class P>
class LinearWord : public ::testing::Test {};
using LinearParts = ::testing::Types<
    jumping::shr3_part, jumping::lfsr_part<lfsr113_components[0]>,
    jumping::lfsr_part<lfsr113_components[1]>, jumping::lfsr_part<lfsr113_components[2]>,
    jumping::lfsr_part<lfsr113_components[3]>, jumping::lfsr_part<lfsr88_components[0]>,
    jumping::lfsr_part<lfsr88_components[1]>, jumping::lfsr_part<lfsr88_components[2]>>;
struct LinearPartName {
    template <class P>
    static std::string GetName(int i) {
        const char* names[] = {"SHR3",      "LFSR113_1", "LFSR113_2", "LFSR113_3",
                               "LFSR113_4", "LFSR88_1",  "LFSR88_2",  "LFSR88_3"};
        return names[i];
    }
};
TYPED_TEST_SUITE(LinearWord, LinearParts, LinearPartName);

TYPED_TEST(LinearWord, StepIsLinearAndIgnoresTheDroppedBits) {
    using P = TypeParam;
    const word low = (word{1} << P::dropped) - 1;
    for (int i = 0; i < 1000; ++i) {
        const word a = random_word(), b = random_word();
        EXPECT_EQ(P::step(a ^ b), P::step(a) ^ P::step(b));
        EXPECT_EQ(P::matrix(a), P::step(a));
        EXPECT_EQ(P::step(a), P::step(a ^ (b & low)));
    }
    EXPECT_EQ(P::step(0), 0u);
}

TYPED_TEST(LinearWord, ImageHasDimension32MinusDropped) {
    EXPECT_EQ(rank_of(TypeParam::matrix), TypeParam::rank);
}

// T^(N+1) = T says T^N is the identity on the image V; T^(N/p + 1) != T for
// each prime p | N says no smaller exponent is: the order on V is exactly
// N = 2^rank - 1, so V minus 0 is one cycle.
TYPED_TEST(LinearWord, OrderOnTheImageIsTwoToTheRankMinusOne) {
    using P = TypeParam;
    const auto power = [](std::uint64_t e) { return jumping::matrix_power(P::powers, e); };
    // The doubling table holds the powers below 2^rank: T^(N+1) as T after T^N.
    EXPECT_EQ(P::matrix.after(power(P::period)), P::matrix);
    for (std::uint64_t p : prime_factors(P::period))
        EXPECT_NE(power(P::period / p + 1), P::matrix) << "p = " << p;
    for (std::uint64_t e : {1ull, 2ull, 31ull, 1000ull}) {  // the table is stepping
        for (word w : {1u, 0x80000000u, random_word()}) {
            word z = w;
            for (std::uint64_t i = 0; i < e; ++i) z = P::step(z);
            EXPECT_EQ(power(e)(w), z);
            EXPECT_EQ(P::jump_on_cycle(w, e), z);
        }
    }
}

// On-cycle words are the image of the step: any step lands there, and an
// on-cycle word is the step of its own predecessor. With every kept bit 0,
// only 0 is on the cycle.
TYPED_TEST(LinearWord, OnCycleWordsAreTheImageOfTheStep) {
    using P = TypeParam;
    const word low = (word{1} << P::dropped) - 1;
    for (int i = 0; i < 1000; ++i) {
        const word w = random_word();
        EXPECT_TRUE(P::on_cycle(P::step(w)));
        if (P::on_cycle(w)) {
            EXPECT_EQ(P::step(P::jump_on_cycle(w, P::period - 1)), w);
        }
        EXPECT_EQ(P::on_cycle(w & low), (w & low) == 0);
    }
    if (P::dropped == 0) {
        EXPECT_TRUE(P::on_cycle(random_word()));
    }
}

// A forward jump by n >= 1 from any word is 1 + (n-1) mod N steps: by N + 1
// it is one step; by N it is the projection, which moves off-cycle words.
TYPED_TEST(LinearWord, ForwardJumpsCountTheStepOntoTheCycle) {
    using P = TypeParam;
    for (int i = 0; i < 100; ++i) {
        word w = random_word();
        if (P::dropped > 0 && P::on_cycle(w)) w ^= 1;
        EXPECT_EQ(jumping::forward<P>(w, P::period + 1), P::step(w));
        EXPECT_EQ(jumping::forward<P>(w, step_count(limbs_of(P::period + 1))), P::step(w));
        EXPECT_EQ(jumping::forward<P>(w, P::period) == w, P::dropped == 0);
    }
}

TEST(Lfsr, GoingBackFromASeededStateGivesItsOnCycleTwin) {
    using First = jumping::lfsr_part<lfsr113_components[0]>;
    LFSR113 seeded;
    for (word& z : seeded.z) z = random_word();
    if (First::on_cycle(seeded.z[0])) seeded.z[0] ^= 1u;  // now off the cycle
    for (std::uint64_t n : {std::uint64_t{1}, std::uint64_t{1000}, random_count()}) {
        LFSR113 twin = jumped(seeded, n);
        ASSERT_TRUE(jump_back(twin, n));
        EXPECT_NE(twin, seeded);
        for (std::size_t i = 0; i < LFSR113::size; ++i)
            EXPECT_EQ(twin.z[i] & lfsr113_components[i].mask,
                      seeded.z[i] & lfsr113_components[i].mask);
        EXPECT_EQ(stepped(twin, 1), stepped(seeded, 1));
    }
}

// ---------------------------------------------------------------------------
// SHR3.

TEST(Shr3, OneCycleThroughTheNonzeroWords) {
    using P = jumping::shr3_part;
    const jumping::bit_matrix identity = jumping::bit_matrix::of([](word v) { return v; });
    EXPECT_EQ(jumping::matrix_power(P::powers, P::period), identity);
    // Order exactly 2^32 - 1: the characteristic polynomial is primitive of
    // degree 32, so every nonzero word is on the one cycle.
    for (std::uint64_t p : prime_factors(P::period))
        EXPECT_NE(jumping::matrix_power(P::powers, P::period / p), identity);
    EXPECT_EQ(prime_factors(P::period), (std::vector<std::uint64_t>{3, 5, 17, 257, 65537}));
    EXPECT_EQ(stepped(shr3_state(0), 10).shr3, 0u);
}

// ---------------------------------------------------------------------------
// Multiply-with-carry words.

template <class P>
class MwcWord : public ::testing::Test {};
using MwcParts =
    ::testing::Types<jumping::mwc_upper_part, jumping::mwc_lower_part, jumping::mwc64_part>;
struct MwcPartName {
    template <class P>
    static std::string GetName(int i) {
        const char* names[] = {"Upper36969", "Lower18000", "Mwc64"};
        return names[i];
    }
};
TYPED_TEST_SUITE(MwcWord, MwcParts, MwcPartName);

TYPED_TEST(MwcWord, ModulusIsASafePrimeAndAHasOrderHalfOfMMinusOne) {
    using P = TypeParam;
    const std::uint64_t m = P::modulus, q = P::period, a = P::multiplier;
    EXPECT_EQ(m, a * (std::uint64_t{1} << P::half_bits) - 1);
    EXPECT_TRUE(is_prime(m));
    EXPECT_TRUE(is_prime(q));
    EXPECT_EQ(q, (m - 1) / 2);
    // The order divides 2q and is neither 1, 2 nor 2q.
    EXPECT_EQ(powmod(a, q, m), 1u);
    EXPECT_NE(powmod(a, 2, m), 1u);
}

// z' = A z mod M, that is z' 2^Bits = z mod M: the step divides by the base.
TYPED_TEST(MwcWord, StepMultipliesByAModuloM) {
    using P = TypeParam;
    const std::uint64_t m = P::modulus;
    std::vector<std::uint64_t> words = {1, 2, m - 1, m - 2};
    for (int i = 0; i < 1000; ++i) words.push_back(bits()() % m);
    for (std::uint64_t z : words) {
        const std::uint64_t next = P::step(static_cast<typename P::state>(z));
        EXPECT_EQ(next, mulmod(P::multiplier, z, m)) << z;
        EXPECT_EQ(mulmod(next, (std::uint64_t{1} << P::half_bits) % m, m), z);
        EXPECT_EQ(P::jump_on_cycle(static_cast<typename P::state>(z), 1), next);
    }
}

TYPED_TEST(MwcWord, ZeroAndMAreFixedAndMultiplesOfMStepToM) {
    using P = TypeParam;
    using Z = typename P::state;
    for (Z fixed : {Z{0}, P::modulus}) {
        EXPECT_EQ(P::step(fixed), fixed);
        for (std::uint64_t n : {std::uint64_t{1}, std::uint64_t{1000}, random_count()}) {
            EXPECT_EQ(jumping::forward<P>(fixed, n), fixed);
            EXPECT_EQ(jumping::backward<P>(fixed, n), fixed);
        }
    }
    for (Z k = 1; k <= std::numeric_limits<Z>::max() / P::modulus; ++k)
        EXPECT_EQ(P::step(k * P::modulus), P::modulus);
}

// [0, M] is closed under the step and every word of it has exactly one
// predecessor there. The successor of any word is at most M + 2^Bits - A
// (carry and value all ones), so words above that have no predecessor at
// all, and words in (M, M + 2^Bits - A] have theirs above M.
TYPED_TEST(MwcWord, PredecessorsAndTheLargestSuccessor) {
    using P = TypeParam;
    using Z = typename P::state;
    const Z m = P::modulus, base = static_cast<Z>(Z{1} << P::half_bits),
            a = static_cast<Z>(P::multiplier);
    const Z largest = m + (base - a);
    EXPECT_EQ(P::step(~Z{0}), largest);
    for (Z carry : {Z{0}, Z(a - 1), a, Z(base - 1)})
        for (Z value : {Z{0}, Z(base - 2), Z(base - 1)})
            EXPECT_LE(P::step(static_cast<Z>(carry * base + value)), largest);
    for (Z d : {Z{1}, Z(base - a)})
        EXPECT_EQ(P::step(static_cast<Z>((a - 1 + d) * base + (base - 1))), m + d);
    for (int i = 0; i < 1000; ++i) {
        const Z z = static_cast<Z>(bits()() % (m + 1));
        EXPECT_LE(P::step(z), m);
        const Z before = jumping::backward<P>(z, 1);
        EXPECT_LE(before, m);
        EXPECT_EQ(P::step(before), z);
    }
}

TYPED_TEST(MwcWord, WordsAboveMReachItWithinTwoSteps) {
    using P = TypeParam;
    using Z = typename P::state;
    std::vector<Z> words = mwc_words_above_modulus<P>();
    for (int i = 0; i < 1000; ++i) {
        const Z z = static_cast<Z>(bits()());
        if (z > P::modulus) words.push_back(z);
    }
    bool one_needs_two = false;
    for (Z z : words) {
        EXPECT_FALSE(P::on_cycle(z));
        EXPECT_LE(P::step(P::step(z)), P::modulus) << z;
        one_needs_two |= P::step(z) > P::modulus;
    }
    EXPECT_TRUE(one_needs_two);
}

// ---------------------------------------------------------------------------
// LFIB4.

jumping::lfib4_poly random_poly() {
    jumping::lfib4_poly p;
    for (word& c : p) c = random_word();
    return p;
}

TEST(Lfib4, KaratsubaProductIsTheSchoolbookProduct) {
    for (int round = 0; round < 3; ++round) {
        const jumping::lfib4_poly a = random_poly(), b = round == 2 ? a : random_poly();
        word expected[512] = {}, product[512];
        for (int i = 0; i < 256; ++i)
            for (int j = 0; j < 256; ++j) expected[i + j] += a[i] * b[j];
        jumping::multiply<256>(a.data(), b.data(), product);
        for (int k = 0; k < 511; ++k) ASSERT_EQ(product[k], expected[k]) << k;
    }
}

TEST(Lfib4, ReductionFollowsTheCharacteristicPolynomial) {
    using jumping::monomial;
    jumping::lfib4_poly x256{};
    for (int e : {178, 119, 58, 0}) x256[e] = 1;
    EXPECT_EQ(jumping::multiply_mod(monomial(128), monomial(128)), x256);
    EXPECT_EQ(jumping::multiply_mod(monomial(1), jumping::lfib4_x_inverse()), monomial(0));
    const jumping::lfib4_poly a = random_poly(), b = random_poly(), c = random_poly();
    EXPECT_EQ(jumping::multiply_mod(jumping::multiply_mod(a, b), c),
              jumping::multiply_mod(a, jumping::multiply_mod(b, c)));
}

// The polynomial route for counts that the jump itself leaves to stepping:
// every index shift, forward and back.
TEST(Lfib4, PolynomialJumpEqualsSteppingForSmallCounts) {
    const auto& powers = jumping::lfib4_powers();
    const auto check = [&](const LFIB4& start, std::uint64_t n, const LFIB4& later) {
        LFIB4 e = start;
        jumping::lfib4_apply(e.t, e.c, powers.raised(n, false), std::uint8_t(n));
        EXPECT_EQ(e, later) << "n = " << n;
        jumping::lfib4_apply(e.t, e.c, powers.raised(n, true), std::uint8_t(0 - n));
        EXPECT_EQ(e, start) << "n = " << n;
    };
    for (const LFIB4& start : cases<LFIB4>::states())
        for (std::uint64_t n : {0ull, 1ull, 2ull, 3ull, 255ull, 256ull, 257ull, 1000ull})
            check(start, n, stepped(start, n));
    const LFIB4 start = cases<LFIB4>::of(random_table(), 77);
    LFIB4 later = start;
    for (std::uint64_t n = 0; n < 512; ++n, later()) check(start, n, later);
}

TEST(Lfib4, CountsAroundThePlainSteppingThreshold) {
    const LFIB4 start = cases<LFIB4>::of(random_table(), 200);
    for (std::uint64_t n : {jumping::lfib4_plain_steps_below - 1, jumping::lfib4_plain_steps_below,
                            jumping::lfib4_plain_steps_below + 1}) {
        const LFIB4 later = stepped(start, n);
        EXPECT_EQ(jumped(start, n), later);
        LFIB4 back = later;
        EXPECT_TRUE(jump_back(back, n));
        EXPECT_EQ(back, start);
    }
}

// The prime factors of 2^236 - 1, checked here rather than trusted.
const std::uint64_t factors_of_2_236_minus_1[] = {
    3,      5,      1181,    2833,       3541,         37171,        157649,
    174877, 179951, 5521693, 1824726041, 104399276341, 3203431780337};

TEST(Lfib4, OrderOfXIs2To31Times91Times2To236Minus1) {
    Limbs product = {1};
    for (std::uint64_t p : factors_of_2_236_minus_1) {
        EXPECT_TRUE(is_prime(p)) << p;
        product = times(product, p);
    }
    Limbs mersenne(4, ~0ull);
    mersenne[3] = (std::uint64_t{1} << 44) - 1;
    EXPECT_EQ(product, mersenne);
    Limbs order = times(times(mersenne, 91), std::uint64_t{1} << 31);
    EXPECT_EQ(order, Limbs(jumping::lfib4_order.begin(), jumping::lfib4_order.end()));

    using jumping::lfib4_x_power;
    const jumping::lfib4_poly one = jumping::monomial(0);
    EXPECT_EQ(lfib4_x_power(order), one);
    std::vector<std::uint64_t> primes = {2, 7, 13};
    primes.insert(primes.end(), std::begin(factors_of_2_236_minus_1),
                  std::end(factors_of_2_236_minus_1));
    for (std::uint64_t p : primes) {
        std::uint64_t remainder;
        const Limbs part = divided(order, p, remainder);
        ASSERT_EQ(remainder, 0u);
        EXPECT_NE(lfib4_x_power(part), one) << "L / " << p;
    }
    // Not the figure of 2^31 (2^256 - 1) that is sometimes quoted.
    Limbs quoted(4, ~0ull);
    EXPECT_NE(lfib4_x_power(times(quoted, std::uint64_t{1} << 31)), one);
}

TEST(Lfib4, CountsBeyond64Bits) {
    const LFIB4 start = cases<LFIB4>::of(random_table(), 3);
    const std::uint64_t half = std::uint64_t{1} << 63;
    // 2^64 + 5: the reduced count does not fit 64 bits either.
    const LFIB4 expected = stepped(jumped(jumped(start, half), half), 5);
    EXPECT_EQ(jumped_big(start, Limbs{5, 1}), expected);
    LFIB4 back = expected;
    ASSERT_TRUE(advance(back, Limbs{5, 1}, true));
    EXPECT_EQ(back, start);
    // L - 5 steps back are 5 forward.
    Limbs order_minus_5(jumping::lfib4_order.begin(), jumping::lfib4_order.end());
    ASSERT_GT(order_minus_5[0], 5u);
    order_minus_5[0] -= 5;
    back = start;
    ASSERT_TRUE(advance(back, order_minus_5, true));
    EXPECT_EQ(back, stepped(start, 5));
}

// ---------------------------------------------------------------------------
// SWB.

SWB random_swb() {
    return cases<SWB>::of(random_table(), static_cast<int>(bits()() % 256),
                          static_cast<int>(bits()() % 256));
}

TEST(Swb, TwentyStepsFromAnyStateGiveAConsistentState) {
    int inconsistent_at_19 = 0;
    for (int i = 0; i < 200; ++i) {
        const SWB seed = i % 2 ? random_swb() : cases<SWB>::of(edge_word_table(), i, i);
        SWB e = stepped(seed, jumping::swb_settling_steps - 1);
        inconsistent_at_19 += !jumping::consistent(e);
        for (int k = 0; k < 300; ++k) {
            e();
            ASSERT_TRUE(jumping::consistent(e)) << "seed " << i << ", step " << k + 20;
        }
    }
    EXPECT_GT(inconsistent_at_19, 0);  // twenty is needed, not just enough
}

TEST(Swb, TheFirstConsistentStateHasAConsistentPredecessorOtherThanTheSeedsPath) {
    const SWB seed = random_swb();
    const SWB first = stepped(seed, jumping::swb_settling_steps);
    SWB before = first;
    ASSERT_TRUE(jump_back(before, 1));
    EXPECT_TRUE(jumping::consistent(before));
    EXPECT_EQ(stepped(before, 1), first);
    EXPECT_NE(before, stepped(seed, jumping::swb_settling_steps - 1));
}

// The step never reads the word it overwrites, so a state just after a seed
// has many predecessors; none is exact, and going back is refused.
TEST(Swb, TheOverwrittenWordIsNotRead) {
    const SWB seed = random_swb();
    SWB other = seed;
    other.t[std::uint8_t(seed.c + 1)] ^= 0x12345678u;
    const SWB after = stepped(seed, 1);
    EXPECT_EQ(stepped(other, 1), after);
    SWB e = after;
    EXPECT_FALSE(jump_back(e, 1));
    EXPECT_EQ(e, after);
}

// Stretches where the subtrahend x[n-237] = 2^32-1 meets a borrow of 1 (the
// subtraction then takes nothing and clears the borrow) step back exactly.
TEST(Swb, WrappingSubtrahendsStepBackExactly) {
    SWB e = settle(cases<SWB>::of(edge_word_table(), 0, 1));
    std::vector<SWB> path = {e};
    int wraps = 0;
    for (int k = 0; k < 2000; ++k) {
        wraps += e.t[std::uint8_t(e.c + 1 + 19)] == 0xFFFFFFFFu && e.borrow == 1;
        e();
        path.push_back(e);
    }
    ASSERT_GT(wraps, 0);
    for (std::size_t k = path.size() - 1; k-- > 0;) {
        ASSERT_TRUE(jump_back(e, 1));
        ASSERT_EQ(e, path[k]) << k;
    }
}

TEST(Swb, CountsOf2To64AndMoreAreRefused) {
    const SWB start = settle(SWB());
    for (bool backward : {false, true}) {
        SWB e = start;
        EXPECT_FALSE(advance(e, Limbs{0, 1}, backward));
        EXPECT_EQ(e, start);
        EXPECT_TRUE(advance(e, Limbs{1000, 0}, backward));
        EXPECT_NE(e, start);
    }
    EXPECT_FALSE(jumps_in_log_time<SWB>);
    EXPECT_TRUE(jumps_in_log_time<LFIB4>);
}

// ---------------------------------------------------------------------------
// The word-sized engines also jump at compile time.

template <class E>
constexpr bool jump_matches_steps_at_compile_time(std::uint64_t n) {
    E start;
    start();  // every part on its cycle
    E a = start, b = start;
    jump_forward(a, n);
    for (std::uint64_t i = 0; i < n; ++i) b();
    return a == b && jump_back(a, n) && a == start;
}

static_assert(jump_matches_steps_at_compile_time<Cong>(300));
static_assert(jump_matches_steps_at_compile_time<SHR3>(300));
static_assert(jump_matches_steps_at_compile_time<MWC2>(300));
static_assert(jump_matches_steps_at_compile_time<KISS2>(300));
static_assert(jump_matches_steps_at_compile_time<LFSR88>(300));

}  // namespace

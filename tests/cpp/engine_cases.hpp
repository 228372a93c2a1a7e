// Engine states to start tests from, per engine: random ones and the edges
// that catch faults. Shared by the jump and the bulk tests; no Python.
#pragma once

#include <ombrix/jump.hpp>

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace ombrix::testing_states {

using namespace ombrix;

std::mt19937_64& bits() {
    static std::mt19937_64 generator(0x6f6d62726978ull);
    return generator;
}
word random_word() { return static_cast<word>(bits()()); }
std::uint64_t random_count() { return bits()(); }

template <class E>
E stepped(E e, std::uint64_t n) {
    while (n--) e();
    return e;
}
template <class E>
E jumped(E e, std::uint64_t n) {
    jump_forward(e, n);
    return e;
}

// ---------------------------------------------------------------------------
// States to start from, per engine: random ones and the edges that catch
// faults (zero and all-ones words, the MWC moduli and their neighbours and
// multiples, words above them, LFSR words with arbitrary dropped bits, table
// indices 0, 1, 254, 255, SWB borrows above 1). `orphans` have no
// predecessor; `settle` puts any state where going back is defined.

// States set field by field: the constructors' seeding rules (which keep
// degenerate states out) are not what these tests are about.
Cong cong_state(word x) {
    Cong e;
    e.cong = x;
    return e;
}
SHR3 shr3_state(word y) {
    SHR3 e;
    e.shr3 = y;
    return e;
}
template <class E>
E mwc_state(word upper, word lower) {
    E e;
    e.mwc_upper = upper;
    e.mwc_lower = lower;
    return e;
}
template <class E>
E kiss_state(word upper, word lower, word cong, word shr3) {
    E e = mwc_state<E>(upper, lower);
    e.cong = cong;
    e.shr3 = shr3;
    return e;
}

template <class P>
std::vector<typename P::state> mwc_edge_words() {
    using Z = typename P::state;
    const Z m = P::modulus;
    const Z base_minus_a = static_cast<Z>((Z{1} << P::half_bits) - P::multiplier);
    // The neighbours of M, then the largest successor of any word and the
    // word above it, carry = A (M + 1) and carry all ones.
    std::vector<Z> words = {0,
                            1,
                            2,
                            m - 1,
                            m,
                            m + 1,
                            m + base_minus_a,
                            m + base_minus_a + 1,
                            static_cast<Z>(P::multiplier << P::half_bits),
                            static_cast<Z>(~Z{0} << P::half_bits),
                            ~Z{0}};
    for (Z k = 2; k <= std::numeric_limits<Z>::max() / m; ++k) words.push_back(k * m);
    words.push_back(static_cast<Z>(bits()() % m));
    return words;
}

template <class P>
std::vector<typename P::state> mwc_words_above_modulus() {
    std::vector<typename P::state> words;
    for (auto z : mwc_edge_words<P>())
        if (z > P::modulus) words.push_back(z);
    return words;
}

template <lfsr_component K>
std::vector<word> lfsr_edge_words() {
    const word r = random_word();
    return {0,           1, K.minimum() - 1, K.minimum(), K.mask,
            0xFFFFFFFFu, r, r & ~K.mask,     r | ~K.mask, r & K.mask};
}

template <class E>
struct cases;

template <class E>
E settle(E e) {
    return jumped(e, jumping::swb_settling_steps);
}

template <>
struct cases<Cong> {
    static constexpr const char* name = "Cong";
    static constexpr bool every_state_recurrent = true;
    static std::vector<Cong> states() {
        return {cong_state(0), cong_state(1), cong_state(0xFFFFFFFFu), cong_state(0x80000000u),
                cong_state(random_word())};
    }
    static std::vector<Cong> orphans() { return {}; }
};

template <>
struct cases<SHR3> {
    static constexpr const char* name = "SHR3";
    static constexpr bool every_state_recurrent = true;
    static std::vector<SHR3> states() {
        return {shr3_state(0), shr3_state(1), shr3_state(0xFFFFFFFFu), shr3_state(0x80000000u),
                shr3_state(random_word())};
    }
    static std::vector<SHR3> orphans() { return {}; }
};

template <word (*Output)(word, word)>
struct cases<basic_mwc16<Output>> {
    using E = basic_mwc16<Output>;
    // Told apart by their engine type: sanitizer builds cannot compare
    // function pointers in a constant expression.
    static constexpr const char* name = std::is_same_v<E, MWC1> ? "MWC1" : "MWC2";
    static constexpr bool every_state_recurrent = false;
    static std::vector<E> states() {
        std::vector<E> out;
        for (word u : mwc_edge_words<jumping::mwc_upper_part>())
            out.push_back(mwc_state<E>(u, random_word()));
        for (word l : mwc_edge_words<jumping::mwc_lower_part>())
            out.push_back(mwc_state<E>(random_word(), l));
        out.push_back(mwc_state<E>(0, 0));
        out.push_back(mwc_state<E>(mwc16_upper_modulus, mwc16_lower_modulus));
        out.push_back(mwc_state<E>(0xFFFFFFFFu, 0xFFFFFFFFu));
        return out;
    }
    static std::vector<E> orphans() {
        std::vector<E> out;
        for (word u : mwc_words_above_modulus<jumping::mwc_upper_part>())
            out.push_back(mwc_state<E>(u, 12345u));
        for (word l : mwc_words_above_modulus<jumping::mwc_lower_part>())
            out.push_back(mwc_state<E>(12345u, l));
        return out;
    }
};

MWC64 mwc64_of(std::uint64_t z) {
    return mwc_state<MWC64>(static_cast<word>(z >> 32), static_cast<word>(z));
}

template <>
struct cases<MWC64> {
    static constexpr const char* name = "MWC64";
    static constexpr bool every_state_recurrent = false;
    static std::vector<MWC64> states() {
        std::vector<MWC64> out;
        for (std::uint64_t z : mwc_edge_words<jumping::mwc64_part>()) out.push_back(mwc64_of(z));
        out.push_back(mwc_state<MWC64>(random_word(), random_word()));
        return out;
    }
    static std::vector<MWC64> orphans() {
        std::vector<MWC64> out;
        for (std::uint64_t z : mwc_words_above_modulus<jumping::mwc64_part>())
            out.push_back(mwc64_of(z));
        return out;
    }
};

template <>
struct cases<KISS> {
    static constexpr const char* name = "KISS";
    static constexpr bool every_state_recurrent = false;
    static std::vector<KISS> states() {
        std::vector<KISS> out;
        for (const MWC2& m : cases<MWC2>::states())
            out.push_back(kiss_state<KISS>(m.mwc_upper, m.mwc_lower, random_word(), random_word()));
        out.push_back(kiss_state<KISS>(1, 2, 0, 0));
        out.push_back(kiss_state<KISS>(1, 2, 0xFFFFFFFFu, 0xFFFFFFFFu));
        return out;
    }
    // One part without a past is enough: the others must be left alone too.
    static std::vector<KISS> orphans() {
        std::vector<KISS> out;
        for (const MWC2& m : cases<MWC2>::orphans())
            out.push_back(kiss_state<KISS>(m.mwc_upper, m.mwc_lower, random_word(), random_word()));
        return out;
    }
};

template <>
struct cases<KISS2> {
    static constexpr const char* name = "KISS2";
    static constexpr bool every_state_recurrent = false;
    static std::vector<KISS2> states() {
        std::vector<KISS2> out;
        for (const MWC64& m : cases<MWC64>::states())
            out.push_back(
                kiss_state<KISS2>(m.mwc_upper, m.mwc_lower, random_word(), random_word()));
        out.push_back(kiss_state<KISS2>(1, 2, 0, 0));
        out.push_back(kiss_state<KISS2>(1, 2, 0xFFFFFFFFu, 0xFFFFFFFFu));
        return out;
    }
    static std::vector<KISS2> orphans() {
        std::vector<KISS2> out;
        for (const MWC64& m : cases<MWC64>::orphans())
            out.push_back(
                kiss_state<KISS2>(m.mwc_upper, m.mwc_lower, random_word(), random_word()));
        return out;
    }
};

template <std::size_t N, const lfsr_component (&Components)[N]>
struct cases<combined_lfsr<N, Components>> {
    using E = combined_lfsr<N, Components>;
    static constexpr const char* name = N == 4 ? "LFSR113" : "LFSR88";
    static constexpr bool every_state_recurrent = false;

    static E random_state() {
        E e;
        for (word& z : e.z) z = random_word();
        return e;
    }
    template <std::size_t I>
    static void add_edges(std::vector<E>& out) {
        for (word w : lfsr_edge_words<Components[I]>()) {
            E e = random_state();
            e.z[I] = w;
            out.push_back(e);
        }
    }
    template <std::size_t... I>
    static void add_for_each_component(std::vector<E>& out, std::index_sequence<I...>) {
        (add_edges<I>(out), ...);
    }
    static std::vector<E> states() {
        std::vector<E> out;
        add_for_each_component(out, std::make_index_sequence<N>());
        E zero;
        for (word& z : zero.z) z = 0;
        out.push_back(zero);
        out.push_back(E());
        return out;
    }
    // A word of V with bit 0 flipped leaves V, which meets the dropped
    // bits only in 0.
    template <std::size_t I>
    static void add_orphans(std::vector<E>& out) {
        using P = jumping::lfsr_part<Components[I]>;
        E e = settle(random_state());
        e.z[I] ^= 1u;
        out.push_back(e);
        EXPECT_FALSE(P::on_cycle(e.z[I]));
        e.z[I] = Components[I].minimum() - 1;  // nonzero, but every kept bit 0
        out.push_back(e);
        EXPECT_FALSE(P::on_cycle(e.z[I]));
    }
    template <std::size_t... I>
    static void add_orphans_for_each_component(std::vector<E>& out, std::index_sequence<I...>) {
        (add_orphans<I>(out), ...);
    }
    static std::vector<E> orphans() {
        std::vector<E> out;
        add_orphans_for_each_component(out, std::make_index_sequence<N>());
        return out;
    }
};

std::array<word, 256> random_table() {
    std::array<word, 256> t;
    for (word& w : t) w = random_word();
    return t;
}
// Words 0, 1, 2^32-2 and 2^32-1 only: borrows, underflows and SWB's
// wrapping subtrahend all occur often.
std::array<word, 256> edge_word_table() {
    const word choices[] = {0u, 1u, 0xFFFFFFFEu, 0xFFFFFFFFu};
    std::array<word, 256> t;
    for (word& w : t) w = choices[bits()() % 4];
    return t;
}

template <>
struct cases<LFIB4> {
    static constexpr const char* name = "LFIB4";
    static constexpr bool every_state_recurrent = true;
    static LFIB4 of(const std::array<word, 256>& t, std::uint8_t c) {
        LFIB4 e;
        for (int i = 0; i < 256; ++i) e.t[i] = t[i];
        e.c = c;
        return e;
    }
    static std::vector<LFIB4> states() {
        std::array<word, 256> zeros{}, ones;
        ones.fill(0xFFFFFFFFu);
        std::vector<LFIB4> out = {of(zeros, 0), of(ones, 255), of(edge_word_table(), 1), LFIB4()};
        for (int c : {0, 1, 254, 255}) out.push_back(of(random_table(), std::uint8_t(c)));
        return out;
    }
    static std::vector<LFIB4> orphans() { return {}; }
};

template <>
struct cases<SWB> {
    static constexpr const char* name = "SWB";
    static constexpr bool every_state_recurrent = false;
    static SWB of(const std::array<word, 256>& t, int c, int borrow) {
        SWB e;
        for (int i = 0; i < 256; ++i) e.t[i] = t[i];
        e.c = std::uint8_t(c);
        e.borrow = std::uint8_t(borrow);
        return e;
    }
    static std::vector<SWB> states() {
        std::vector<SWB> out = {SWB()};
        for (int c : {0, 1, 254, 255})
            for (int borrow : {0, 1, 2, 255}) out.push_back(of(random_table(), c, borrow));
        out.push_back(of(edge_word_table(), 7, 1));
        out.push_back(of(edge_word_table(), 255, 0));
        return out;
    }
    static std::vector<SWB> orphans() {
        std::vector<SWB> out;
        for (int borrow : {2, 255}) out.push_back(of(random_table(), 0, borrow));
        // A consistent state with the wrong borrow, and fresh seeds.
        SWB wrong = settle(SWB());
        wrong.borrow ^= 1;
        out.push_back(wrong);
        out.push_back(SWB());
        for (int c : {0, 1, 254, 255}) out.push_back(of(random_table(), c, c & 1));
        // Up to 19 steps from a borrow of 200, which no step produces: one
        // of the relations still involves it.
        for (std::uint64_t k : {1, 10, 19}) out.push_back(stepped(of(random_table(), 9, 200), k));
        return out;
    }
};

}  // namespace ombrix::testing_states

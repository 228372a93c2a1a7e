// Jumping an engine any number of steps, forward or back.
//
//   jump_forward(engine, n)     n steps on, as n calls would leave it
//   jump_back(engine, n)        n steps back; false if there is no such past
//   advance(engine, n)          signed: n < 0 goes back
//   advance(engine, limbs, backward)
//                               a count of any size (little-endian 64-bit
//                               limbs), reduced by the periods inside
//
// Every engine but SWB jumps in O(log n); SWB steps (see below).
//
// Going back: a step may lose information (LFSR components drop low bits,
// multiply-with-carry words above the modulus are transient, SWB overwrites
// a word it never reads), so "n steps back" is defined on the states where
// the step is a bijection, the recurrent ones, and returns the unique such
// state n steps earlier. From any other state a backward jump returns
// false and leaves the engine unchanged (going back 0 steps always
// succeeds). Per engine:
//   Cong, SHR3, LFIB4   every state (the step is a bijection).
//   MWC1, MWC2, MWC64, KISS, KISS2
//                       every multiply-with-carry word (carry:value as one
//                       number) at most its modulus M. Words above M are
//                       transient: two steps bring any word into [0, M].
//   LFSR113, LFSR88     every component in the image of its step, which
//                       fixes the dropped low bits given the kept ones (and
//                       is 0 when the kept bits are 0). A seeded state is
//                       usually not one: after n steps forward, n steps back
//                       gives the on-cycle state with the same kept bits and
//                       the same outputs from then on.
//   SWB                 consistent states (jumping::consistent), which
//                       20 steps from any state reach: from a state k steps
//                       after any other, going back up to k - 20 steps
//                       returns exactly the state it came from.
//
// Forward jumps are always possible. The big-count form refuses (false,
// unchanged) only SWB counts of 2^64 or more, which cannot be stepped.
#pragma once

#include "cong.hpp"
#include "engine.hpp"
#include "jump_parts.hpp"
#include "kiss.hpp"
#include "lagged.hpp"
#include "lfib4_jump.hpp"
#include "lfsr.hpp"
#include "mwc.hpp"
#include "shr3.hpp"

#include <cstddef>
#include <cstdint>
#include <span>
#include <tuple>
#include <type_traits>
#include <utility>

namespace ombrix {

using jumping::step_count;

namespace jumping {

// An engine's word together with the part that steps it.
template <class P>
struct word_slot {
    using part = P;
    word& w;
    constexpr word get() const { return w; }
    constexpr void set(word v) const { w = v; }
};

// MWC64's carry and value as the one number carry * 2^32 + value.
template <class P>
struct pair_slot {
    using part = P;
    word& high;
    word& low;
    constexpr std::uint64_t get() const { return (std::uint64_t{high} << 32) | low; }
    constexpr void set(std::uint64_t v) const {
        high = static_cast<word>(v >> 32);
        low = static_cast<word>(v);
    }
};

constexpr auto slots(Cong& e) { return std::tuple{word_slot<cong_part>{e.cong}}; }
constexpr auto slots(SHR3& e) { return std::tuple{word_slot<shr3_part>{e.shr3}}; }
template <word (*Output)(word, word)>
constexpr auto slots(basic_mwc16<Output>& e) {
    return std::tuple{word_slot<mwc_upper_part>{e.mwc_upper},
                      word_slot<mwc_lower_part>{e.mwc_lower}};
}
constexpr auto slots(MWC64& e) {
    return std::tuple{pair_slot<mwc64_part>{e.mwc_upper, e.mwc_lower}};
}
constexpr auto slots(KISS& e) {
    return std::tuple{word_slot<mwc_upper_part>{e.mwc_upper},
                      word_slot<mwc_lower_part>{e.mwc_lower}, word_slot<cong_part>{e.cong},
                      word_slot<shr3_part>{e.shr3}};
}
constexpr auto slots(KISS2& e) {
    return std::tuple{pair_slot<mwc64_part>{e.mwc_upper, e.mwc_lower}, word_slot<cong_part>{e.cong},
                      word_slot<shr3_part>{e.shr3}};
}
template <std::size_t N, const lfsr_component (&Components)[N], std::size_t... I>
constexpr auto lfsr_slots(combined_lfsr<N, Components>& e, std::index_sequence<I...>) {
    return std::tuple{word_slot<lfsr_part<Components[I]>>{e.z[I]}...};
}
template <std::size_t N, const lfsr_component (&Components)[N]>
constexpr auto slots(combined_lfsr<N, Components>& e) {
    return lfsr_slots(e, std::make_index_sequence<N>());
}

// Engines made of independently stepped words.
template <class Engine>
concept made_of_parts = requires(Engine& e) {
    slots(e);
};

template <class Slot>
using part_of = typename std::remove_cvref_t<Slot>::part;

// One part's jump by a count fixed in advance, for applying it to many
// words. In general it is the jump itself; an F2-linear part keeps n steps
// as one matrix, applied by eight table lookups, and a multiply-with-carry
// part as one factor.
template <class P>
struct part_jump {
    std::uint64_t n;
    constexpr explicit part_jump(std::uint64_t count) : n(count) {}
    constexpr typename P::state operator()(typename P::state z) const { return forward<P>(z, n); }
};

template <class P>
concept linear_part = requires { P::projection; P::lookups; };

template <linear_part P>
struct part_jump<P> {
    unsigned head;  // plain steps first, which bring any word onto the cycle
    bit_matrix_lookup matrix;
    constexpr explicit part_jump(std::uint64_t n)
        : head(static_cast<unsigned>(n < P::tail ? n : P::tail)),
          matrix(bit_matrix::of([e = (n - head) % P::period](word v) { return P::jump_on_cycle(v, e); })) {}
    constexpr word operator()(word z) const {
        for (unsigned i = 0; i < head; ++i) z = P::step(z);
        return matrix(z);
    }
};

// A multiply-with-carry word: n steps multiply it by A^n modulo M, a factor
// found once.
template <class P>
concept multiply_with_carry_part = requires { P::multiplier; typename P::arithmetic; };

template <multiply_with_carry_part P>
struct part_jump<P> {
    using Z = typename P::state;
    unsigned head;
    std::uint64_t exponent;  // n - head, modulo the period
    std::uint64_t factor;    // A^exponent mod M, in the form `times` takes
    constexpr explicit part_jump(std::uint64_t n)
        : head(static_cast<unsigned>(n < P::tail ? n : P::tail)),
          exponent((n - head) % P::period),
          factor(P::arithmetic::prepare(P::jump_on_cycle(Z{1}, exponent))) {}
    constexpr Z operator()(Z z) const {
        for (unsigned i = 0; i < head; ++i) z = P::step(z);
        // No multiplication at all for exponent 0: a word above M (fewer
        // than `tail` steps were taken) stays as it is.
        if (exponent == 0 || z == 0 || z == P::modulus) return z;
        return static_cast<Z>(P::arithmetic::times(z, factor));
    }
};

template <class Slots>
struct part_jumps;
template <class... Slot>
struct part_jumps<std::tuple<Slot...>> {
    using type = std::tuple<part_jump<part_of<Slot>>...>;
};

template <class Engine, class Count>
constexpr void parts_forward(Engine& e, const Count& n) {
    std::apply([&](const auto&... s) { (s.set(forward<part_of<decltype(s)>>(s.get(), n)), ...); },
               slots(e));
}

// Every part is checked before any is changed.
template <class Engine, class Count>
constexpr bool parts_back(Engine& e, const Count& n) {
    return std::apply(
        [&](const auto&... s) {
            if (!(part_of<decltype(s)>::on_cycle(s.get()) && ...)) return false;
            (s.set(backward<part_of<decltype(s)>>(s.get(), n)), ...);
            return true;
        },
        slots(e));
}

// ---------------------------------------------------------------------------
// SWB: x[n] = x[n-222] - (x[n-237] + b[n]) mod 2^32, the subtrahend wrapping
// as a word, and b[n+1] = 1 when the subtraction underflows.
//
// Jumping ahead: the textbook subtract-with-borrow generator is a
// linear congruential generator with modulus about 2^7584 (Tezuka,
// L'Ecuyer and Couture, 1993), which would allow O(log n) jumps; the
// wrapping subtrahend departs from it whenever x[n-237] = 2^32-1 meets a
// borrow of 1 (then the borrow clears), and where that happens is only known
// by stepping. So forward jumps step, and no faster jump is offered.
//
// Going back. Whatever the borrow going in, the underflow happens exactly
// when the result exceeds the minuend, so
//     b[m+1] = (x[m] > x[m-222]),
// and every borrow whose step's words are in the table can be recovered.
// The step overwrites x[n-256], which it never reads; the step 19 before it
// read that word as its subtrahend, so
//     x[n-256] = x[n-241] - x[n-19] - b[n-19],   b[n-19] = (x[n-20] > x[n-242]).
// These relations hold in a state that the stepping produced. Call a state
// (t, c, borrow) after step n consistent when
//     borrow == (x[n] > x[n-222])   and, for m = n-18 .. n (the steps whose
//     three words are still in the table),
//     x[m] == x[m-222] - x[m-237] - (x[m-1] > x[m-223])   mod 2^32,
// with x[n-k] = t[c-k]. Then:
//   - 20 steps from any state (any table, any borrow 0..255) give a
//     consistent state, and a step keeps a state consistent;
//   - a consistent state has exactly one consistent predecessor, given by
//     the two relations above, so stepping is a bijection of the consistent
//     states;
//   - an inconsistent state has no consistent predecessor. It may have no
//     predecessor at all (a borrow that is not (x[n] > x[n-222]), which
//     includes every borrow above 1) or 2^32 of them differing in the word
//     the step overwrote; no choice among them would be exact, so going back
//     from it is refused.
// Consequently, for a state reached by k steps from anywhere, going back
// m <= k - 20 steps returns exactly the state m steps earlier.

inline constexpr int swb_settling_steps = 20;

constexpr bool consistent(const SWB& g) {
    const auto x = [&](int back) { return g.t[std::uint8_t(g.c - back)]; };  // x[n - back]
    if (g.borrow != word{x(0) > x(222)}) return false;
    for (int r = 0; r <= 18; ++r)
        if (x(r) != x(r + 222) - x(r + 237) - word{x(r + 1) > x(r + 223)}) return false;
    return true;
}

// Precondition: consistent(g). The result is consistent.
constexpr void swb_step_back(SWB& g) {
    table& t = g.t;
    const std::uint8_t i = g.c;
    const auto at = [&](int offset) { return t[std::uint8_t(i + offset)]; };
    g.borrow = at(-1) > at(33);                        // b[n] = x[n-1] > x[n-223]
    t[i] = at(15) - at(-19) - word{at(-20) > at(14)};  // x[n-256]
    g.c = std::uint8_t(i - 1);
}

}  // namespace jumping

// ---------------------------------------------------------------------------
// Forward and back by 64-bit counts.

// A forward jump by a count fixed when it is made, for jumping many engines
// the same distance (the bulk kernels start their lanes so): the same as
// jump_forward(e, n), cheaper per engine after the set-up, which costs
// about 32 jumps for SHR3 and each LFSR component and one for the others.
template <jumping::made_of_parts Engine>
class fixed_jump {
public:
    constexpr explicit fixed_jump(std::uint64_t n) : count(n), parts(make(n, std::make_index_sequence<size>())) {}
    constexpr std::uint64_t distance() const { return count; }
    constexpr void operator()(Engine& e) const { apply(slots_of(e), std::make_index_sequence<size>()); }

private:
    static constexpr auto slots_of(Engine& e) { return jumping::slots(e); }
    using slot_tuple = decltype(jumping::slots(std::declval<Engine&>()));
    using part_tuple = typename jumping::part_jumps<slot_tuple>::type;
    static constexpr std::size_t size = std::tuple_size_v<slot_tuple>;

    template <std::size_t... I>
    static constexpr part_tuple make(std::uint64_t n, std::index_sequence<I...>) {
        return part_tuple{std::tuple_element_t<I, part_tuple>(n)...};
    }
    template <std::size_t... I>
    constexpr void apply(const slot_tuple& s, std::index_sequence<I...>) const {
        (std::get<I>(s).set(std::get<I>(parts)(std::get<I>(s).get())), ...);
    }

    std::uint64_t count;
    part_tuple parts;
};

template <jumping::made_of_parts Engine>
constexpr void jump_forward(Engine& e, std::uint64_t n) {
    jumping::parts_forward(e, n);
}
template <jumping::made_of_parts Engine>
constexpr bool jump_back(Engine& e, std::uint64_t n) {
    return n == 0 || jumping::parts_back(e, n);
}

inline void jump_forward(LFIB4& g, std::uint64_t n) {
    if (n < jumping::lfib4_plain_steps_below) {
        while (n--) g();
        return;
    }
    jumping::lfib4_apply(g.t, g.c, jumping::lfib4_powers().raised(n, false), std::uint8_t(n));
}
inline bool jump_back(LFIB4& g, std::uint64_t n) {
    if (n < jumping::lfib4_plain_steps_below) {
        while (n--) jumping::lfib4_step_back(g.t, g.c);
        return true;
    }
    jumping::lfib4_apply(g.t, g.c, jumping::lfib4_powers().raised(n, true), std::uint8_t(0 - n));
    return true;
}

constexpr void jump_forward(SWB& g, std::uint64_t n) {
    while (n--) g();
}
constexpr bool jump_back(SWB& g, std::uint64_t n) {
    if (n == 0) return true;
    if (!jumping::consistent(g)) return false;
    while (n--) jumping::swb_step_back(g);
    return true;
}

// ---------------------------------------------------------------------------
// Forward and back by counts of any size. False, with the engine unchanged,
// where the 64-bit forms would give false, and for SWB counts of 2^64 or more.

template <jumping::made_of_parts Engine>
constexpr bool jump_forward(Engine& e, const step_count& n) {
    jumping::parts_forward(e, n);
    return true;
}
template <jumping::made_of_parts Engine>
constexpr bool jump_back(Engine& e, const step_count& n) {
    return n.is_zero() || jumping::parts_back(e, n);
}

inline bool jump_forward(LFIB4& g, const step_count& n) {
    const jumping::lfib4_exponent e = jumping::reduce_by_lfib4_order(n.limbs());
    if (step_count(e).fits64()) {
        jump_forward(g, e[0]);
    } else {
        // L is a multiple of 256: e and n move the index alike.
        jumping::lfib4_apply(g.t, g.c, jumping::lfib4_x_power(e), std::uint8_t(e[0]));
    }
    return true;
}
inline bool jump_back(LFIB4& g, const step_count& n) {
    const jumping::lfib4_exponent e = jumping::reduce_by_lfib4_order(n.limbs());
    if (step_count(e).fits64()) return jump_back(g, e[0]);
    // n steps back are L - (n mod L) steps forward.
    const jumping::lfib4_exponent ahead = jumping::minus(jumping::lfib4_order, e);
    jumping::lfib4_apply(g.t, g.c, jumping::lfib4_x_power(ahead), std::uint8_t(ahead[0]));
    return true;
}

constexpr bool jump_forward(SWB& g, const step_count& n) {
    if (!n.fits64()) return false;
    jump_forward(g, n.low64());
    return true;
}
constexpr bool jump_back(SWB& g, const step_count& n) {
    if (n.is_zero()) return true;
    if (!n.fits64()) return false;
    return jump_back(g, n.low64());
}

// ---------------------------------------------------------------------------
// Signed forms.

template <class Engine>
constexpr bool advance(Engine& e, std::int64_t n) {
    if (n >= 0) {
        jump_forward(e, static_cast<std::uint64_t>(n));
        return true;
    }
    return jump_back(e, 0 - static_cast<std::uint64_t>(n));
}

template <class Engine>
constexpr bool advance(Engine& e, std::span<const std::uint64_t> magnitude, bool backward) {
    const step_count n(magnitude);
    return backward ? jump_back(e, n) : jump_forward(e, n);
}

// Whether jumps cost O(log n) rather than n steps.
template <class Engine>
inline constexpr bool jumps_in_log_time = !std::is_same_v<Engine, SWB>;

}  // namespace ombrix

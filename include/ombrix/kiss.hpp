// KISS generators (Marsaglia): a multiply-with-carry, a congruential and a
// 3-shift-register generator, each stepped on its own and combined in the
// output.
//
// KISS: the MWC2 pair, mixed as ((mwc XOR cong) + shr3). Based on, but not
// identical to, the 1999 KISS: the SHR3 and MWC components are updated.
// KISS2: the 2003 design, the 64-bit MWC summed with the other two.
//
// Seeding, as the Python types seed: a seed value goes to the upper
// multiply-with-carry word (KISS2's carry) and the other words keep their
// defaults, as the type called with one argument; a seed sequence gives
// all four words in the state constructor's order (upper, lower, cong,
// shr3). Each part follows its own engine's rule: the multiply-with-carry
// words as in mwc.hpp, cong as it is, shr3 = 0 replaced by its default.
// Text form: mwc_upper mwc_lower cong shr3, the state constructor's order.
#pragma once

#include "cong.hpp"
#include "engine.hpp"
#include "mwc.hpp"
#include "shr3.hpp"

namespace ombrix {

// KISS and KISS2 read and write their state as their constructor takes it.
template <class Self, class Visit>
constexpr void visit_kiss_state(Self& e, Visit& visit) {
    visit(e.mwc_upper);
    visit(e.mwc_lower);
    visit(e.cong);
    visit(e.shr3);
}

struct KISS : engine32<KISS> {
    static constexpr word default_seed = MWC2::default_seed;

    word cong = Cong::default_seed;
    word shr3 = SHR3::default_seed;
    word mwc_upper = MWC2::default_upper;
    word mwc_lower = MWC2::default_lower;

    constexpr KISS() = default;
    constexpr KISS(word upper, word lower, word cong_state, word shr3_state)
        : cong(cong_state), shr3(shr3_state), mwc_upper(upper), mwc_lower(lower) {}
    constexpr explicit KISS(word seed) : mwc_upper(MWC2(seed).mwc_upper) {}
    template <seed_sequence Q>
    constexpr explicit KISS(Q& q) {
        const auto w = seed_words<4>(q);
        mwc_upper = mwc16_seed(w[0], mwc16_upper_modulus, MWC2::default_upper);
        mwc_lower = mwc16_seed(w[1], mwc16_lower_modulus, MWC2::default_lower);
        cong = w[2];
        shr3 = SHR3::seed_word(w[3]);
    }

    constexpr word mwc() const noexcept { return mwc2_output(mwc_upper, mwc_lower); }
    constexpr word operator()() noexcept {
        mwc16_step(mwc_upper, mwc_lower);
        cong_step(cong);
        shr3_step(shr3);
        return (mwc() ^ cong) + shr3;
    }
    friend constexpr bool operator==(const KISS&, const KISS&) = default;

    template <class Self, class Visit>
    static constexpr void visit_state(Self& e, Visit&& visit) {
        visit_kiss_state(e, visit);
    }
};

struct KISS2 : engine32<KISS2> {
    static constexpr word default_seed = MWC64::default_seed;

    word cong = Cong::default_seed;
    word shr3 = SHR3::default_seed;
    word mwc_upper = MWC64::default_upper;
    word mwc_lower = MWC64::default_lower;

    constexpr KISS2() = default;
    constexpr KISS2(word upper, word lower, word cong_state, word shr3_state)
        : cong(cong_state), shr3(shr3_state), mwc_upper(upper), mwc_lower(lower) {}
    constexpr explicit KISS2(word seed) {
        const MWC64 mwc(seed);
        mwc_upper = mwc.mwc_upper;
        mwc_lower = mwc.mwc_lower;
    }
    template <seed_sequence Q>
    constexpr explicit KISS2(Q& q) {
        const auto w = seed_words<4>(q);
        const MWC64 mwc = MWC64::seeded(w[0], w[1]);
        mwc_upper = mwc.mwc_upper;
        mwc_lower = mwc.mwc_lower;
        cong = w[2];
        shr3 = SHR3::seed_word(w[3]);
    }

    constexpr word mwc() const noexcept { return mwc_lower; }
    constexpr word operator()() noexcept {
        mwc64_step(mwc_upper, mwc_lower);
        cong_step(cong);
        shr3_step(shr3);
        return mwc_lower + cong + shr3;
    }
    friend constexpr bool operator==(const KISS2&, const KISS2&) = default;

    template <class Self, class Visit>
    static constexpr void visit_state(Self& e, Visit&& visit) {
        visit_kiss_state(e, visit);
    }
};

}  // namespace ombrix

// KISS generators (Marsaglia): a multiply-with-carry, a congruential and a
// 3-shift-register generator, each stepped on its own and combined in the
// output.
//
// KISS: the MWC2 pair, mixed as ((mwc XOR cong) + shr3). Based on, but not
// identical to, the 1999 KISS: the SHR3 and MWC components are updated.
// KISS2: the 2003 design, the 64-bit MWC summed with the other two.
#pragma once

#include "cong.hpp"
#include "engine.hpp"
#include "mwc.hpp"
#include "shr3.hpp"

namespace ombrix {

struct KISS : engine32<KISS> {
    word cong = Cong::default_seed;
    word shr3 = SHR3::default_seed;
    word mwc_upper = MWC2::default_upper;
    word mwc_lower = MWC2::default_lower;

    constexpr KISS() = default;
    constexpr KISS(word upper, word lower, word cong_state, word shr3_state)
        : cong(cong_state), shr3(shr3_state), mwc_upper(upper), mwc_lower(lower) {}

    constexpr word mwc() const noexcept { return mwc2_output(mwc_upper, mwc_lower); }
    constexpr word operator()() noexcept {
        mwc16_step(mwc_upper, mwc_lower);
        cong_step(cong);
        shr3_step(shr3);
        return (mwc() ^ cong) + shr3;
    }
    friend constexpr bool operator==(const KISS&, const KISS&) = default;
};

struct KISS2 : engine32<KISS2> {
    word cong = Cong::default_seed;
    word shr3 = SHR3::default_seed;
    word mwc_upper = MWC64::default_upper;
    word mwc_lower = MWC64::default_lower;

    constexpr KISS2() = default;
    constexpr KISS2(word upper, word lower, word cong_state, word shr3_state)
        : cong(cong_state), shr3(shr3_state), mwc_upper(upper), mwc_lower(lower) {}

    constexpr word mwc() const noexcept { return mwc_lower; }
    constexpr word operator()() noexcept {
        mwc64_step(mwc_upper, mwc_lower);
        cong_step(cong);
        shr3_step(shr3);
        return mwc_lower + cong + shr3;
    }
    friend constexpr bool operator==(const KISS2&, const KISS2&) = default;
};

}  // namespace ombrix

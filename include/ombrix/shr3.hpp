// 3-shift-register generator (Marsaglia): y ^= y << 13; y ^= y >> 17; y ^= y << 5.
// Period 2**32-1 over the nonzero words; 0 maps to 0.
//
// Seeding: the value constructor SHR3(s) is also the state constructor and
// takes s as it is, so SHR3(0) and seed(0) give the fixed point 0, which
// only ever returns 0. A seed sequence's word of 0 is replaced by the
// default, as the Python type replaces a seed of 0. Text form: the state
// word.
#pragma once

#include "engine.hpp"

namespace ombrix {

constexpr word shr3_step(word& shr3) noexcept {
    shr3 ^= shr3 << 13;
    shr3 ^= shr3 >> 17;
    shr3 ^= shr3 << 5;
    return shr3;
}

struct SHR3 : engine32<SHR3> {
    static constexpr word default_seed = 362436000u;

    word shr3 = default_seed;

    constexpr SHR3() = default;
    constexpr explicit SHR3(word state) : shr3(state) {}
    template <seed_sequence Q>
    constexpr explicit SHR3(Q& q) : shr3(seed_word(seed_words<1>(q)[0])) {}

    // A seed word as the seeding rule takes it: 0 becomes the default.
    static constexpr word seed_word(word seed) noexcept { return seed == 0 ? default_seed : seed; }

    constexpr word operator()() noexcept { return shr3_step(shr3); }
    friend constexpr bool operator==(const SHR3&, const SHR3&) = default;

    template <class Self, class Visit>
    static constexpr void visit_state(Self& e, Visit&& visit) {
        visit(e.shr3);
    }
};

}  // namespace ombrix

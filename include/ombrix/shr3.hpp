// 3-shift-register generator (Marsaglia): y ^= y << 13; y ^= y >> 17; y ^= y << 5.
// Period 2**32-1 over the nonzero words; 0 maps to 0.
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

    constexpr word operator()() noexcept { return shr3_step(shr3); }
    friend constexpr bool operator==(const SHR3&, const SHR3&) = default;
};

}  // namespace ombrix

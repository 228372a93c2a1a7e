// Congruential generator: x[n] = 69069 x[n-1] + 12345 mod 2**32.
#pragma once

#include "engine.hpp"

namespace ombrix {

constexpr word cong_step(word& cong) noexcept {
    cong = 69069u * cong + 12345u;
    return cong;
}

struct Cong : engine32<Cong> {
    static constexpr word default_seed = 123456789u;

    word cong = default_seed;

    constexpr Cong() = default;
    constexpr explicit Cong(word seed) : cong(seed) {}

    // Returns the new state.
    constexpr word operator()() noexcept { return cong_step(cong); }
    friend constexpr bool operator==(const Cong&, const Cong&) = default;
};

}  // namespace ombrix

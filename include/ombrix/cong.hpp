// Congruential generator: x[n] = 69069 x[n-1] + 12345 mod 2**32.
// Every word is a valid state: a seed value is the state as it is, and a
// seed sequence's one word likewise. Text form: the state word.
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
    template <seed_sequence Q>
    constexpr explicit Cong(Q& q) : cong(seed_words<1>(q)[0]) {}

    // Returns the new state.
    constexpr word operator()() noexcept { return cong_step(cong); }
    friend constexpr bool operator==(const Cong&, const Cong&) = default;

    template <class Self, class Visit>
    static constexpr void visit_state(Self& e, Visit&& visit) {
        visit(e.cong);
    }
};

}  // namespace ombrix

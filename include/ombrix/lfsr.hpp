// Combined LFSR (Tausworthe) generators of P. L'Ecuyer: each component
// word z is advanced by
//     b = ((z << s1) ^ z) >> s2;   z = ((z & mask) << s3) ^ b
// and the output is the XOR of the new components. The mask keeps the bits
// from the component's lowest kept bit upward; a component whose kept bits
// are all zero stays zero, so seeds are lifted to at least that bit.
//
// LFSR113: "Tables of Maximally-Equidistributed Combined LFSR Generators",
// Math. Comp. 68 (1999). LFSR88: "Maximally Equidistributed Combined
// Tausworthe Generators", Math. Comp. 65 (1996).
//
// Seeding, as the Python types seed: a seed value goes to z1 and the other
// components keep the default 12345, as the type called with one argument;
// a seed sequence gives every component, z1 first. A component seed below
// the component's minimum has the minimum added. (The step drops the bits
// below the minimum, so seeds differing only there, such as 2 and 3 for
// z1, give the same outputs.) Text form: z1 z2 ...
#pragma once

#include "engine.hpp"

#include <cstddef>
#include <utility>

namespace ombrix {

struct lfsr_component {
    int s1, s2, s3;
    word mask;

    // The lowest kept bit: the least seed that keeps the component alive.
    constexpr word minimum() const { return ~mask + 1u; }
    // A seed as the seeding rule takes it: lifted by the minimum if below it.
    constexpr word seed_word(word seed) const { return seed < minimum() ? seed + minimum() : seed; }
};

constexpr word lfsr_step(word& z, const lfsr_component& k) noexcept {
    const word b = ((z << k.s1) ^ z) >> k.s2;
    z = ((z & k.mask) << k.s3) ^ b;
    return z;
}

// The same step with the component's constants known at compile time.
template <lfsr_component K>
constexpr word lfsr_step(word& z) noexcept {
    return lfsr_step(z, K);
}

inline constexpr lfsr_component lfsr113_components[] = {
    {6, 13, 18, 0xFFFFFFFEu},
    {2, 27, 2, 0xFFFFFFF8u},
    {13, 21, 7, 0xFFFFFFF0u},
    {3, 12, 13, 0xFFFFFF80u},
};

inline constexpr lfsr_component lfsr88_components[] = {
    {13, 19, 12, 0xFFFFFFFEu},
    {2, 25, 4, 0xFFFFFFF8u},
    {3, 11, 17, 0xFFFFFFF0u},
};

template <std::size_t N, const lfsr_component (&Components)[N]>
struct combined_lfsr : engine32<combined_lfsr<N, Components>> {
    static constexpr std::size_t size = N;
    static constexpr const lfsr_component (&components)[N] = Components;
    static constexpr word default_seed = 12345u;

    word z[N];  // z1, z2, ...

    constexpr combined_lfsr() : z{} {
        for (word& component : z) component = default_seed;
    }
    constexpr explicit combined_lfsr(word seed) : combined_lfsr() {
        z[0] = Components[0].seed_word(seed);
    }
    template <seed_sequence Q>
    constexpr explicit combined_lfsr(Q& q) : z{} {
        const auto w = seed_words<N>(q);
        for (std::size_t i = 0; i < N; ++i) z[i] = Components[i].seed_word(w[i]);
    }

    constexpr word operator()() noexcept { return step(std::make_index_sequence<N>()); }
    friend constexpr bool operator==(const combined_lfsr&, const combined_lfsr&) = default;

    template <class Self, class Visit>
    static constexpr void visit_state(Self& e, Visit&& visit) {
        for (auto& component : e.z) visit(component);
    }

private:
    // Every component stepped with its own constants, the results XORed.
    template <std::size_t... I>
    constexpr word step(std::index_sequence<I...>) noexcept {
        return (lfsr_step<Components[I]>(z[I]) ^ ...);
    }
};

using LFSR113 = combined_lfsr<4, lfsr113_components>;
using LFSR88 = combined_lfsr<3, lfsr88_components>;

}  // namespace ombrix

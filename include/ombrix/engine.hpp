// Common shape of the ombrix engines: 32-bit unsigned results over the
// whole word range, as a standard random-number engine has them.
//
// The engines are plain structs whose public fields are the generator's
// state, in the order the Python types store them. A default-constructed
// engine holds the default seeding; the other constructors take state words
// as they are (the Python types' seeding rules keep degenerate states out).
// No Python is needed to use them.
#pragma once

#include <cstdint>

namespace ombrix {

using word = std::uint32_t;

template <class Engine>
struct engine32 {
    using result_type = word;
    static constexpr result_type min() { return 0; }
    static constexpr result_type max() { return 0xFFFFFFFFu; }

    // Engines compare equal when their states do; the base holds none.
    friend constexpr bool operator==(const engine32&, const engine32&) = default;

    // Advances the engine n steps, discarding the values.
    constexpr void discard(unsigned long long n) {
        auto& self = static_cast<Engine&>(*this);
        while (n--) self();
    }
};

}  // namespace ombrix

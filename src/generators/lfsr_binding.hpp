// LFSR113 and LFSR88: one binding for any number of components. Seeds go
// through the module's `_lfsr_process_seed`, looked up by name for every
// component, so a replacement bound in the module is the one called.
#pragma once

#include "../core/protocol.hpp"
#include "objects.hpp"

#include <ombrix/lfsr.hpp>

#include <array>
#include <cstddef>
#include <utility>

namespace ombrix::py {

// Calls the module's current `_lfsr_process_seed` with the seed and the
// component's minimum (the module's integer 2, 8, 16 or 128), and stores the
// word conversion of the result.
bool seed_lfsr_component(word& component, PyObject* seed, PyObject* minimum);

template <class Engine, const char* Name, const char* Doc>
struct LfsrBinding {
    static constexpr std::size_t size = Engine::size;
    using Object = EngineObject<Engine>;
    static constexpr const char* name = Name;
    static constexpr const char* doc = Doc;
    static constexpr Parameters parameters = [] {
        constexpr Id seeds[] = {Id::seed_z1, Id::seed_z2, Id::seed_z3, Id::seed_z4};
        Parameters p{Parameters::optional, {}};
        for (std::size_t i = 0; i < size; ++i) p.names[p.count++] = seeds[i];
        return p;
    }();
    static constexpr bool iterable = true;
    static constexpr bool own_seed = true;
    static constexpr const char* no_predecessor =
        "a component's low bits are not the ones its step leaves (a seeded state is usually "
        "off the cycle until it has stepped)";

    static word step(Object& g) { return g.engine(); }

    // Component by component: a failure leaves the earlier ones reseeded.
    // Each minimum is the engine's own, as the module's integer of that value.
    static bool initialise(Object& g, const Arguments& seeds) {
        return [&]<std::size_t... I>(std::index_sequence<I...>) {
            return (seed_lfsr_component(g.engine.z[I], seeds[static_cast<int>(I)],
                                        integer<Engine::components[I].minimum()>()) &&
                    ...);
        }(std::make_index_sequence<size>());
    }

    static PyObject* getstate(Object& g) { return word_tuple(g.engine.z, size); }

    // No minimum and no `_lfsr_process_seed` here: a saved state comes back
    // exactly, and states that seeding never makes can be set on purpose.
    static bool setstate(Object& g, PyObject* state) { return load_words(state, g.engine.z, size); }

    static inline auto properties = [] {
        constexpr const char* names[] = {"z1", "z2", "z3", "z4"};
        std::array<Property, size> table{};
        for (std::size_t i = 0; i < size; ++i)
            table[i] = Property::word(names[i], offsetof(Object, engine.z) + i * sizeof(word));
        return table;
    }();
};

}  // namespace ombrix::py

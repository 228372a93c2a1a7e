// Cong and SHR3 share their outward form: one state word, one seed `seed`
// and the state tuple (word,). They differ in their engine, in the rule that
// replaces an absent (or degenerate) seed, and in their names and docs.
#pragma once

#include "../core/protocol.hpp"
#include "objects.hpp"
#include "seeding.hpp"

#include <cstddef>

namespace ombrix::py {

template <class Engine, const char* Name, const char* Doc, const char* Field, word Engine::*Member,
          bool (*Replace)(PyObject*& seed)>
struct SingleWordBinding {
    using Object = EngineObject<Engine>;
    static_assert(sizeof(Engine) == sizeof(word), "the engine is its one word");
    static constexpr const char* name = Name;
    static constexpr const char* doc = Doc;
    static constexpr Parameters parameters{Parameters::optional, {Id::seed}};
    static constexpr bool iterable = true;
    static constexpr bool own_seed = true;

    static word step(Object& g) { return g.engine(); }

    // The replacement test sees the seed as passed; only then does `int` apply.
    static bool initialise(Object& g, const Arguments& seeds) {
        PyObject* seed = seeds[0];
        return Replace(seed) && to_word_via_int(seed, g.engine.*Member);
    }

    static PyObject* getstate(Object& g) { return word_tuple({g.engine.*Member}); }
    static bool setstate(Object& g, PyObject* state) {
        return load_words(state, {&(g.engine.*Member)});
    }

    static inline Property properties[] = {
        Property::word(Field, offsetof(Object, engine)),
    };
};

}  // namespace ombrix::py

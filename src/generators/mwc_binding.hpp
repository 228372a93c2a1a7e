// MWC1, MWC2 and MWC64 share their outward form: two words `mwc_upper` and
// `mwc_lower`, the seeds `seed_upper` and `seed_lower`, the read-only `mwc`,
// and the state tuple (mwc_upper, mwc_lower). They differ in their engine
// (step and `mwc`), their seeding rule, and their names and documentation.
#pragma once

#include "../core/protocol.hpp"
#include "objects.hpp"
#include "seeding.hpp"

#include <cstddef>

namespace ombrix::py {

template <class Engine, const char* Name, const char* Doc,
          bool (*SeedPair)(word&, word&, PyObject*, PyObject*)>
struct MwcBinding {
    using Object = EngineObject<Engine>;
    static constexpr const char* name = Name;
    static constexpr const char* doc = Doc;
    static constexpr Parameters parameters{Parameters::optional, {Id::seed_upper, Id::seed_lower}};
    static constexpr bool iterable = true;
    static constexpr bool own_seed = true;
    static constexpr const char* no_predecessor =
        "a multiply-with-carry word above its modulus is reached from no state";

    static word step(Object& g) { return g.engine(); }

    static bool initialise(Object& g, const Arguments& seeds) {
        return SeedPair(g.engine.mwc_upper, g.engine.mwc_lower, seeds[0], seeds[1]);
    }

    static PyObject* getstate(Object& g) {
        return word_tuple({g.engine.mwc_upper, g.engine.mwc_lower});
    }

    static bool setstate(Object& g, PyObject* state) {
        return load_words(state, {&g.engine.mwc_upper, &g.engine.mwc_lower});
    }

    static PyObject* mwc(PyObject* self) {
        return word_result(reinterpret_cast<Object*>(self)->engine.mwc());
    }

    static inline Property properties[] = {
        Property::read_only("mwc", mwc),
        Property::word("mwc_upper", offsetof(Object, engine.mwc_upper)),
        Property::word("mwc_lower", offsetof(Object, engine.mwc_lower)),
    };
};

}  // namespace ombrix::py

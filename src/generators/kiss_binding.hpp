// KISS and KISS2 share their outward form: four words, the seeds
// `seed_mwc_upper`, `seed_mwc_lower`, `seed_cong`, `seed_shr3`, the nested
// state tuple ((mwc_upper, mwc_lower), (cong,), (shr3,)), and no __iter__.
// They differ in their multiply-with-carry component: its step, its `mwc`
// and its seeding rule.
#pragma once

#include "../core/protocol.hpp"
#include "objects.hpp"
#include "seeding.hpp"

#include <cstddef>

namespace ombrix::py {

template <class Engine, const char* Name, const char* Doc,
          bool (*SeedPair)(word&, word&, PyObject*, PyObject*)>
struct KissBinding {
    using Object = EngineObject<Engine>;
    static constexpr const char* name = Name;
    static constexpr const char* doc = Doc;
    static constexpr Parameters parameters{
        Parameters::optional,
        {Id::seed_mwc_upper, Id::seed_mwc_lower, Id::seed_cong, Id::seed_shr3}};
    static constexpr bool iterable = false;
    static constexpr bool own_seed = true;
    static constexpr const char* no_predecessor =
        "a multiply-with-carry word above its modulus is reached from no state";

    static word step(Object& g) { return g.engine(); }

    // Component by component, each stored before the next is tested: a bad
    // `seed_cong` leaves the multiply-with-carry pair already reseeded.
    static bool initialise(Object& g, const Arguments& seeds) {
        PyObject* cong = seeds[2];
        PyObject* shr3 = seeds[3];
        return SeedPair(g.engine.mwc_upper, g.engine.mwc_lower, seeds[0], seeds[1]) &&
               default_if_absent(cong, integer<ombrix::Cong::default_seed>()) &&
               to_word_via_int(cong, g.engine.cong) &&
               default_if_absent_or_zero(shr3, integer<ombrix::SHR3::default_seed>()) &&
               to_word_via_int(shr3, g.engine.shr3);
    }

    static PyObject* getstate(Object& g) {
        Ref mwc = Ref::steal(word_tuple({g.engine.mwc_upper, g.engine.mwc_lower}));
        if (!mwc) return nullptr;
        Ref cong = Ref::steal(word_tuple({g.engine.cong}));
        if (!cong) return nullptr;
        Ref shr3 = Ref::steal(word_tuple({g.engine.shr3}));
        if (!shr3) return nullptr;
        return PyTuple_Pack(3, mwc.get(), cong.get(), shr3.get());
    }

    static bool setstate(Object& g, PyObject* state) {
        Ref parts[3];
        return unpack(state, 3, parts) &&
               load_words(parts[0].get(), {&g.engine.mwc_upper, &g.engine.mwc_lower}) &&
               load_words(parts[1].get(), {&g.engine.cong}) &&
               load_words(parts[2].get(), {&g.engine.shr3});
    }

    static PyObject* mwc(PyObject* self) {
        return word_result(reinterpret_cast<Object*>(self)->engine.mwc());
    }

    static inline Property properties[] = {
        Property::read_only("mwc", mwc),
        Property::word("cong", offsetof(Object, engine.cong)),
        Property::word("shr3", offsetof(Object, engine.shr3)),
        Property::word("mwc_upper", offsetof(Object, engine.mwc_upper)),
        Property::word("mwc_lower", offsetof(Object, engine.mwc_lower)),
    };
};

}  // namespace ombrix::py

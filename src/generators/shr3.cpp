// SHR3: the 3-shift-register generator.
#include "../core/protocol.hpp"
#include "../core/registry.hpp"
#include "objects.hpp"
#include "seeding.hpp"

#include <cstddef>

namespace ombrix::py {
namespace {

struct SHR3Binding {
    using Object = SHR3Object;
    static constexpr const char* name = "ombrix.iterators._iterators_zinthe.SHR3";
    static constexpr const char* doc =
        "3-shift-register random number generator\n"
        "\n"
        "    SHR3 is a 3-shift-register generator with period 2**32-1. It uses\n"
        "    y[n]=y[n-1](I+L^13)(I+R^17)(I+L^5), with the y's viewed as binary\n"
        "    vectors, L the 32x32 binary matrix that shifts a vector left 1, and\n"
        "    R its transpose.\n"
        "\n"
        "    SHR3 seems to pass all tests except those related to the binary rank\n"
        "    test, since 32 successive values, as binary vectors, must be\n"
        "    linearly independent, while 32 successive truly random 32-bit\n"
        "    integers, viewed as binary vectors, will be linearly independent\n"
        "    only about 29% of the time.\n";
    static constexpr Parameters parameters{Parameters::optional, {Id::seed}};
    static constexpr bool iterable = true;
    static constexpr bool own_seed = true;

    static word step(Object& g) { return g.engine(); }

    // Zero is a fixed point of the step, so it is replaced like an absent
    // seed; the test sees the seed before `int` truncates it.
    static bool initialise(Object& g, const Arguments& seeds) {
        PyObject* seed = seeds[0];
        return default_if_absent_or_zero(seed, integer<362436000>()) &&
               to_word_via_int(seed, g.engine.shr3);
    }

    static PyObject* getstate(Object& g) { return word_tuple({g.engine.shr3}); }
    static bool setstate(Object& g, PyObject* state) { return load_words(state, {&g.engine.shr3}); }

    static inline Property properties[] = {
        Property::word("shr3", offsetof(SHR3Object, engine.shr3)),
    };
};

}  // namespace

PyTypeObject* prepare_shr3() { return GeneratorType<SHR3Binding>::prepare(); }

}  // namespace ombrix::py

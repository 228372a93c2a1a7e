// Cong: the 32-bit linear congruential generator.
#include "../core/protocol.hpp"
#include "../core/registry.hpp"
#include "objects.hpp"
#include "seeding.hpp"

#include <cstddef>

namespace ombrix::py {
namespace {

struct CongBinding {
    using Object = CongObject;
    static constexpr const char* name = "ombrix.iterators._iterators_zinthe.Cong";
    static constexpr const char* doc =
        "Congruential random number generator\n"
        "\n"
        "    This is a congruential generator with the widely used 69069\n"
        "    multiplier: x[n]=69069x[n-1]+12345. It has period 2**32.\n"
        "\n"
        "    The leading half of its 32 bits seem to pass tests, but bits in the\n"
        "    last half are too regular. It fails tests for which those bits play\n"
        "    a significant role. But keep in mind that it is a rare application\n"
        "    for which the trailing bits play a significant role. Cong is one of\n"
        "    the most widely used generators of the last 30 years, as it was the\n"
        "    system generator for VAX and was incorporated in several popular\n"
        "    software packages, all seemingly without complaint.\n";
    static constexpr Parameters parameters{Parameters::optional, {Id::seed}};
    static constexpr bool iterable = true;
    static constexpr bool own_seed = true;

    static word step(Object& g) { return g.engine(); }

    static bool initialise(Object& g, const Arguments& seeds) {
        PyObject* seed = seeds[0];
        return default_if_absent(seed, integer<123456789>()) &&
               to_word_via_int(seed, g.engine.cong);
    }

    static PyObject* getstate(Object& g) { return word_tuple({g.engine.cong}); }

    static bool setstate(Object& g, PyObject* state) { return load_words(state, {&g.engine.cong}); }

    static inline Property properties[] = {
        Property::word("cong", offsetof(CongObject, engine.cong)),
    };
};

}  // namespace

PyTypeObject* prepare_cong() { return GeneratorType<CongBinding>::prepare(); }

}  // namespace ombrix::py

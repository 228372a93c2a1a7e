// Cong: the 32-bit linear congruential generator.
#include "../core/registry.hpp"
#include "single_word_binding.hpp"

namespace ombrix::py {
namespace {

constexpr char name[] = "ombrix.iterators._iterators_zinthe.Cong";
constexpr char doc[] =
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
constexpr char field[] = "cong";

// Every word is a valid state, zero included: only an absent seed is replaced.
bool replace_absent(PyObject*& seed) { return default_if_absent(seed, integer<ombrix::Cong::default_seed>()); }

using Binding =
    SingleWordBinding<ombrix::Cong, name, doc, field, &ombrix::Cong::cong, replace_absent>;

}  // namespace

template <>
PreparedType prepare<TypeIndex::Cong>() { return GeneratorType<Binding>::prepare(); }

}  // namespace ombrix::py

// SHR3: the 3-shift-register generator.
#include "../core/registry.hpp"
#include "single_word_binding.hpp"

namespace ombrix::py {
namespace {

constexpr char name[] = "ombrix.iterators._iterators_zinthe.SHR3";
constexpr char doc[] =
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
constexpr char field[] = "shr3";

// Zero is a fixed point of the step, so it is replaced like an absent seed;
// the test sees the seed before `int` truncates it (0.5 escapes it).
bool replace_absent_or_zero(PyObject*& seed) {
    return default_if_absent_or_zero(seed, integer<ombrix::SHR3::default_seed>());
}

using Binding =
    SingleWordBinding<ombrix::SHR3, name, doc, field, &ombrix::SHR3::shr3, replace_absent_or_zero>;

}  // namespace

template <>
PreparedType prepare<TypeIndex::SHR3>() { return GeneratorType<Binding>::prepare(); }

}  // namespace ombrix::py

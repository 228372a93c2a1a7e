// MWC2: two 16-bit multiply-with-carry generators, the upper one rotated.
#include "../core/registry.hpp"
#include "mwc_binding.hpp"

#include <ombrix/mwc.hpp>

namespace ombrix::py {
namespace {

constexpr char name[] = "ombrix.iterators._iterators_zinthe.MWC2";
constexpr char doc[] =
    "\"Multiply-with-carry\" random number generator\n"
    "\n"
    "    This is very similar to MWC1, except that it concatenates the two\n"
    "    16-bit MWC generators differently: the 'x' generator is rotated 16\n"
    "    bits instead of just shifted 16 bits.\n"
    "\n"
    "    This gets much better test results than MWC1 in the TestU01 test\n"
    "    suite, so it is recommended over MWC1.\n";

using Binding = MwcBinding<ombrix::MWC2, name, doc, seed_mwc16_pair>;

}  // namespace

template <>
PreparedType prepare<TypeIndex::MWC2>() { return GeneratorType<Binding>::prepare(); }

}  // namespace ombrix::py

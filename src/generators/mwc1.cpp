// MWC1: two 16-bit multiply-with-carry generators, the upper one shifted.
#include "../core/registry.hpp"
#include "mwc_binding.hpp"

#include <ombrix/mwc.hpp>

namespace ombrix::py {
namespace {

constexpr char name[] = "ombrix.iterators._iterators_zinthe.MWC1";
constexpr char doc[] =
    "\"Multiply-with-carry\" random number generator\n"
    "\n"
    "    This is the Multiply-With-Carry (MWC) generator as defined by George\n"
    "    Marsaglia in a 1999 newsgroup post. It uses two MWC generators to\n"
    "    generate the high and low 16-bit parts, which are then combined to\n"
    "    make a 32-bit value.\n"
    "\n"
    "    The MWC generator concatenates two 16-bit multiply-with-carry\n"
    "    generators:\n"
    "\n"
    "        x[n]=36969x[n-1]+carry,\n"
    "        y[n]=18000y[n-1]+carry mod 2**16,\n"
    "\n"
    "    It has a period of about 2**60.\n"
    "\n"
    "    This seems to pass all Marsaglia's Diehard tests. However, it fails\n"
    "    many of the well-known TestU01 tests. The modified MWC2 generator,\n"
    "    which passes many more TestU01 tests, is recommended unless\n"
    "    backwards compatibility is required.\n";

using Binding = MwcBinding<ombrix::MWC1, name, doc, seed_mwc16_pair>;

}  // namespace

template <>
PreparedType prepare<TypeIndex::MWC1>() { return GeneratorType<Binding>::prepare(); }

}  // namespace ombrix::py

// KISS: MWC2, Cong and SHR3 combined.
#include "../core/registry.hpp"
#include "kiss_binding.hpp"

#include <ombrix/kiss.hpp>

namespace ombrix::py {
namespace {

constexpr char name[] = "ombrix.iterators._iterators_zinthe.KISS";
constexpr char doc[] =
    "\"Keep It Simple Stupid\" random number generator\n"
    "\n"
    "    It combines the MWC2, Cong, SHR3 generators. Period is about 2**123.\n"
    "\n"
    "    This is based on, but not identical to, George Marsaglia's KISS\n"
    "    generator as defined in a 1999 newsgroup post. That generator most\n"
    "    significantly has problems with its SHR3 component (see notes on\n"
    "    SHR3). Since we are not keeping compatibility with the 1999 KISS\n"
    "    generator for that reason, we take the opportunity to slightly\n"
    "    update the MWC and Cong generators too.\n";

using Binding = KissBinding<ombrix::KISS, name, doc, seed_mwc16_pair>;

}  // namespace

template <>
PreparedType prepare<TypeIndex::KISS>() { return GeneratorType<Binding>::prepare(); }

}  // namespace ombrix::py

// KISS2: MWC64, Cong and SHR3 combined.
#include "../core/registry.hpp"
#include "kiss_binding.hpp"

#include <ombrix/kiss.hpp>

namespace ombrix::py {
namespace {

constexpr char name[] = "ombrix.iterators._iterators_zinthe.KISS2";
constexpr char doc[] =
    "\"Keep It Simple Stupid\" random number generator\n"
    "\n"
    "    It combines the MWC64, Cong, SHR3 generators. Period is about 2**123.\n"
    "\n"
    "    This is a slightly updated KISS generator design, from a newsgroup\n"
    "    post in 2003 by George Marsaglia. The MWC component uses a single\n"
    "    64-bit calculation, instead of two 32-bit calculations that are\n"
    "    combined.\n";

using Binding = KissBinding<ombrix::KISS2, name, doc, seed_mwc64_pair>;

}  // namespace

template <>
PreparedType prepare<TypeIndex::KISS2>() { return GeneratorType<Binding>::prepare(); }

}  // namespace ombrix::py

// MWC64: one multiply-with-carry generator with a 64-bit step.
#include "../core/registry.hpp"
#include "mwc_binding.hpp"

#include <ombrix/mwc.hpp>

namespace ombrix::py {
namespace {

constexpr char name[] = "ombrix.iterators._iterators_zinthe.MWC64";
constexpr char doc[] =
    "\"Multiply-with-carry\" random number generator\n"
    "\n"
    "    This uses a single MWC generator with 64-bit calculations to\n"
    "    generate a 32-bit value. The seeds should be 32-bit values.\n";

using Binding = MwcBinding<ombrix::MWC64, name, doc, seed_mwc64_pair>;

}  // namespace

template <>
PreparedType prepare<TypeIndex::MWC64>() { return GeneratorType<Binding>::prepare(); }

}  // namespace ombrix::py

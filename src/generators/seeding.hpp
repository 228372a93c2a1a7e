// Seeding rules shared by several generator types. Each test runs the
// interpreter's own `==`, `%`, `&`, `<<` and `+` on the seed as passed, so a
// seed behaves as the same expression would in Python.
#pragma once

#include "../core/rules.hpp"

namespace ombrix::py {

// Each returns false with an error set; `seed` is replaced (borrowed) by
// `fallback` when the test holds.

// seed == None
bool default_if_absent(PyObject*& seed, PyObject* fallback);
// seed == None, or else seed == 0
bool default_if_absent_or_zero(PyObject*& seed, PyObject* fallback);
// seed == None, or else seed % modulus == 0
bool default_if_absent_or_multiple(PyObject*& seed, PyObject* modulus, PyObject* fallback);

// The pair of 16-bit multiply-with-carry words (MWC1, MWC2, KISS): each seed
// tested and replaced on its own, then both stored through `int`, upper first.
bool seed_mwc16_pair(word& upper, word& lower, PyObject* seed_upper, PyObject* seed_lower);

// The 64-bit multiply-with-carry pair (MWC64, KISS2): each seed taken as
// int(seed) & (2**32-1), the pair replaced by the defaults together when
// (upper << 32) + lower is a multiple of the modulus; both stored at the end.
bool seed_mwc64_pair(word& upper, word& lower, PyObject* seed_upper, PyObject* seed_lower);

}  // namespace ombrix::py

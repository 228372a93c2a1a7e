#include "seeding.hpp"

namespace ombrix::py {

namespace {

// Applies `result` of a test: -1 fails, 1 replaces the seed.
bool apply(int result, PyObject*& seed, PyObject* fallback) {
    if (result < 0) return false;
    if (result) seed = fallback;
    return true;
}

// The seed's low 32 bits as an integer object, or the default when absent.
PyObject* reduced_seed(PyObject* seed, PyObject* fallback) {
    const int absent = is_absent(seed);
    if (absent < 0) return nullptr;
    if (absent) {
        Py_INCREF(fallback);
        return fallback;
    }
    Ref as_int = Ref::steal(call_int(seed));
    if (!as_int) return nullptr;
    return PyNumber_And(as_int.get(), integer<4294967295>());
}

}  // namespace

bool default_if_absent(PyObject*& seed, PyObject* fallback) {
    return apply(is_absent(seed), seed, fallback);
}

bool default_if_absent_or_zero(PyObject*& seed, PyObject* fallback) {
    int result = is_absent(seed);
    if (result == 0) result = equals(seed, integer<0>());
    return apply(result, seed, fallback);
}

bool default_if_absent_or_multiple(PyObject*& seed, PyObject* modulus, PyObject* fallback) {
    int result = is_absent(seed);
    if (result == 0) result = is_multiple_of(seed, modulus);
    return apply(result, seed, fallback);
}

bool seed_mwc16_pair(word& upper, word& lower, PyObject* seed_upper, PyObject* seed_lower) {
    return default_if_absent_or_multiple(seed_upper, integer<2422800383>(), integer<12345>()) &&
           default_if_absent_or_multiple(seed_lower, integer<1179647999>(), integer<65437>()) &&
           to_word_via_int(seed_upper, upper) && to_word_via_int(seed_lower, lower);
}

bool seed_mwc64_pair(word& upper, word& lower, PyObject* seed_upper, PyObject* seed_lower) {
    Ref u = Ref::steal(reduced_seed(seed_upper, integer<7654321>()));
    if (!u) return false;
    Ref l = Ref::steal(reduced_seed(seed_lower, integer<521288629>()));
    if (!l) return false;
    Ref shifted = Ref::steal(PyNumber_Lshift(u.get(), integer<32>()));
    if (!shifted) return false;
    Ref combined = Ref::steal(PyNumber_Add(shifted.get(), l.get()));
    if (!combined) return false;
    const int degenerate = is_multiple_of(combined.get(), integer<3001190298811367423>());
    if (degenerate < 0) return false;
    if (degenerate) {
        u = Ref::borrow(integer<7654321>());
        l = Ref::borrow(integer<521288629>());
    }
    // Both lie in 0 to 2**32-1 already; `int` is not applied again.
    return to_word(u.get(), upper) && to_word(l.get(), lower);
}

}  // namespace ombrix::py

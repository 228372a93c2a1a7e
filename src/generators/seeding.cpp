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
Ref reduced_seed(PyObject* seed, PyObject* fallback) {
    const int absent = is_absent(seed);
    if (absent < 0) return Ref();
    if (absent) return Ref::borrow(fallback);
    Ref as_int = call_int(seed);
    if (!as_int) return as_int;
    return Ref::steal(PyNumber_And(as_int.get(), integer<all_ones>()));
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
    using ombrix::MWC1;
    return default_if_absent_or_multiple(seed_upper, integer<ombrix::mwc16_upper_modulus>(),
                                         integer<MWC1::default_upper>()) &&
           default_if_absent_or_multiple(seed_lower, integer<ombrix::mwc16_lower_modulus>(),
                                         integer<MWC1::default_lower>()) &&
           to_word_via_int(seed_upper, upper) && to_word_via_int(seed_lower, lower);
}

bool seed_mwc64_pair(word& upper, word& lower, PyObject* seed_upper, PyObject* seed_lower) {
    using ombrix::MWC64;
    Ref u = reduced_seed(seed_upper, integer<MWC64::default_upper>());
    if (!u) return false;
    Ref l = reduced_seed(seed_lower, integer<MWC64::default_lower>());
    if (!l) return false;
    Ref shifted = Ref::steal(PyNumber_Lshift(u.get(), integer<word_bits>()));
    if (!shifted) return false;
    Ref combined = Ref::steal(PyNumber_Add(shifted.get(), l.get()));
    if (!combined) return false;
    const int degenerate = is_multiple_of(combined.get(), integer<ombrix::mwc64_modulus>());
    if (degenerate < 0) return false;
    if (degenerate) {
        u = Ref::borrow(integer<MWC64::default_upper>());
        l = Ref::borrow(integer<MWC64::default_lower>());
    }
    // Both lie in 0 to 2**32-1 already; `int` is not applied again.
    return to_word(u.get(), upper) && to_word(l.get(), lower);
}

}  // namespace ombrix::py

// Values created once at import and shared by every generator object.
#pragma once

#include "compat.hpp"
#include "registry.hpp"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace ombrix::py {

// Interned identifiers, in the order they are created: X(name, text).
// Argument binding matches keywords against these by identity before
// comparing text.
#define OMBRIX_IDENTIFIERS(X)                              \
    X(module_name, "ombrix.iterators._iterators_zinthe") \
    X(Exception, "Exception")                            \
    X(init, "__init__")                                  \
    X(test, "__test__")                                  \
    X(lfsr_process_seed, "_lfsr_process_seed")           \
    X(getstate, "getstate")                              \
    X(min_value, "min_value")                            \
    X(range, "range")                                    \
    X(seed, "seed")                                      \
    X(seed_cong, "seed_cong")                            \
    X(seed_lower, "seed_lower")                          \
    X(seed_mwc_lower, "seed_mwc_lower")                  \
    X(seed_mwc_upper, "seed_mwc_upper")                  \
    X(seed_shr3, "seed_shr3")                            \
    X(seed_upper, "seed_upper")                          \
    X(seed_z1, "seed_z1")                                \
    X(seed_z2, "seed_z2")                                \
    X(seed_z3, "seed_z3")                                \
    X(seed_z4, "seed_z4")                                \
    X(setstate, "setstate")

enum class Id {
#define OMBRIX_ID_NAME(name, text) name,
    OMBRIX_IDENTIFIERS(OMBRIX_ID_NAME)
#undef OMBRIX_ID_NAME
        count
};

// Every bit of a word set, and the width of a word, as the seeding rules
// use them.
inline constexpr long long all_ones = 0xFFFFFFFF;
inline constexpr long long word_bits = 32;

// Integer constants, created in ascending order of value. Those that do
// not fit a signed 32-bit integer are parsed from their decimal text.
inline constexpr long long integer_constants[] = {
    0,
    ombrix::lfsr113_components[0].minimum(),  // 2, also LFSR88's first
    ombrix::lfsr113_components[1].minimum(),  // 8
    ombrix::lfsr113_components[2].minimum(),  // 16
    word_bits,                                // the MWC64 pair's shift
    ombrix::lfsr113_components[3].minimum(),  // 128
    ombrix::lagged_table_size,
    ombrix::lfib4_table_seed[0],  // 12345, also a default seed of MWC and LFSR
    ombrix::lfib4_table_seed[3],  // 34221
    ombrix::lfib4_table_seed[1],  // 65435
    ombrix::MWC1::default_lower,
    ombrix::MWC64::default_upper,
    ombrix::Cong::default_seed,
    ombrix::SHR3::default_seed,
    ombrix::MWC64::default_lower,
    ombrix::mwc16_lower_modulus,
    ombrix::mwc16_upper_modulus,
    all_ones,
    ombrix::mwc64_modulus,
};
inline constexpr std::size_t integer_count = std::size(integer_constants);
static_assert(std::is_sorted(std::begin(integer_constants), std::end(integer_constants)));
static_assert(ombrix::MWC1::default_upper == ombrix::lfib4_table_seed[0] &&
              ombrix::LFSR113::default_seed == ombrix::lfib4_table_seed[0]);

consteval std::size_t integer_index(long long value) {
    for (std::size_t i = 0; i < integer_count; ++i)
        if (integer_constants[i] == value) return i;
    return integer_count;
}

struct ModuleState {
    PyObject* module = nullptr;  // our own reference; dropped if the import fails
    PyObject* seed_length_message = nullptr;   // plain string
    PyObject* state_length_message = nullptr;  // plain string
    PyObject* ids[static_cast<int>(Id::count)] = {};
    PyObject* integers[integer_count] = {};
    PyObject* range = nullptr;
    PyObject* exception = nullptr;
    PyObject* kiss_seed_arguments = nullptr;     // (12345, 65435, 12345, 34221)
    PyObject* seed_length_arguments = nullptr;   // ("seed length must be 256",)
    PyObject* state_length_arguments = nullptr;  // ("state length must be 256",)
    PyObject* range_arguments = nullptr;         // (256,)
    PyTypeObject* types[type_count] = {};
};

extern ModuleState module_state;

inline PyObject* id(Id which) { return module_state.ids[static_cast<int>(which)]; }

template <long long Value>
inline PyObject* integer() {
    static_assert(integer_index(Value) < integer_count, "not a module constant");
    return module_state.integers[integer_index(Value)];
}

inline PyTypeObject* registered_type(TypeIndex which) {
    return module_state.types[static_cast<int>(which)];
}

}  // namespace ombrix::py

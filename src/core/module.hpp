// Values created once at import and shared by every generator object.
#pragma once

#include "compat.hpp"

#include <cstddef>
#include <iterator>

namespace ombrix::py {

// Interned identifiers, in the order they are created. Argument binding
// matches keywords against these by identity before comparing text.
enum class Id {
    module_name,  // "ombrix.iterators._iterators_zinthe"
    Exception,
    init,  // "__init__"
    test,  // "__test__"
    lfsr_process_seed,
    getstate,
    min_value,
    range,
    seed,
    seed_cong,
    seed_lower,
    seed_mwc_lower,
    seed_mwc_upper,
    seed_shr3,
    seed_upper,
    seed_z1,
    seed_z2,
    seed_z3,
    seed_z4,
    setstate,
    count
};

// Integer constants, created in ascending order of value. Those that do
// not fit a signed 32-bit integer are parsed from their decimal text.
inline constexpr long long integer_constants[] = {
    0,
    2,
    8,
    16,
    32,
    128,
    256,
    12345,
    34221,
    65435,
    65437,
    7654321,
    123456789,
    362436000,
    521288629,
    1179647999,
    2422800383,
    4294967295,
    3001190298811367423,
};
inline constexpr std::size_t integer_count = std::size(integer_constants);

consteval std::size_t integer_index(long long value) {
    for (std::size_t i = 0; i < integer_count; ++i)
        if (integer_constants[i] == value) return i;
    return integer_count;
}

// The generator types, in the order they are registered.
enum class TypeIndex {
    Cong,
    SHR3,
    MWC1,
    MWC2,
    MWC64,
    KISS,
    KISS2,
    LFIB4,
    SWB,
    LFSR113,
    LFSR88,
    count
};

struct ModuleState {
    PyObject* module = nullptr;  // our own reference; dropped if the import fails
    PyObject* empty_tuple = nullptr;
    PyObject* empty_string = nullptr;
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
    PyTypeObject* types[static_cast<int>(TypeIndex::count)] = {};
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

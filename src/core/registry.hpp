// The generator types as the module registers them, all from the one
// catalogue of generators, and the module function.
#pragma once

#include "capabilities.hpp"
#include "compat.hpp"

#include <ombrix/catalogue.hpp>

namespace ombrix::py {

// The generator types, in the order they are registered.
enum class TypeIndex {
#define OMBRIX_TYPE_INDEX(Name) Name,
    OMBRIX_GENERATORS(OMBRIX_TYPE_INDEX)
#undef OMBRIX_TYPE_INDEX
        count
};

inline constexpr std::size_t type_count = static_cast<std::size_t>(TypeIndex::count);

// What a generator source hands the module: its type object, filled in and
// ready for PyType_Ready (with its base type set, if it has one), and the
// table of its capabilities.
struct PreparedType {
    PyTypeObject* type;
    Capabilities* capabilities;
};

// Each generator source defines the one for its type.
template <TypeIndex>
PreparedType prepare();
#define OMBRIX_DECLARE_PREPARE(Name) \
    template <>                      \
    PreparedType prepare<TypeIndex::Name>();
OMBRIX_GENERATORS(OMBRIX_DECLARE_PREPARE)
#undef OMBRIX_DECLARE_PREPARE

// _lfsr_process_seed(seed, min_value)
PyObject* lfsr_process_seed(PyObject* self, PyObject* args, PyObject* kwds);

}  // namespace ombrix::py

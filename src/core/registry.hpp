// The generator types and the module function, as the module registers them.
#pragma once

#include "compat.hpp"

namespace ombrix::py {

// Each returns its type object, filled in and ready for PyType_Ready.
PyTypeObject* prepare_cong();

}  // namespace ombrix::py

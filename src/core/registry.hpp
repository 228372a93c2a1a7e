// The generator types and the module function, as the module registers them.
#pragma once

#include "compat.hpp"

namespace ombrix::py {

// Each returns its type object, filled in and ready for PyType_Ready.
PyTypeObject* prepare_cong();
PyTypeObject* prepare_shr3();
PyTypeObject* prepare_mwc1();
PyTypeObject* prepare_mwc2();
PyTypeObject* prepare_mwc64();
PyTypeObject* prepare_kiss();
PyTypeObject* prepare_kiss2();
PyTypeObject* prepare_lfib4();
PyTypeObject* prepare_swb();

}  // namespace ombrix::py

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
PyTypeObject* prepare_lfsr113();
PyTypeObject* prepare_lfsr88();

// _lfsr_process_seed(seed, min_value)
PyObject* lfsr_process_seed(PyObject* self, PyObject* args, PyObject* kwds);

}  // namespace ombrix::py

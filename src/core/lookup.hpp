// Finding an ombrix generator's capabilities from any Python object, for the
// extensions that work on generators from outside their module (the bulk
// path, the numpy bit generator). The lookup runs no Python code.
#pragma once

#include "capabilities.hpp"
#include "compat.hpp"
#include "ref.hpp"

namespace ombrix::py {
namespace {

PyObject* capabilities_name = nullptr;  // interned capabilities_key

// Called once when the extension loads.
bool intern_capabilities_key() {
    return capabilities_name || (capabilities_name = new_interned(capabilities_key));
}

// The capabilities a static type carries in its own dictionary, if any.
// Only type objects are read as such (a Python 2 classic class may sit in
// an MRO), and the lookup runs no Python code.
const Capabilities* own_capabilities(PyObject* entry) {
    if (!PyType_Check(entry)) return nullptr;
    auto* type = reinterpret_cast<PyTypeObject*>(entry);
    if (type->tp_flags & Py_TPFLAGS_HEAPTYPE || !type->tp_dict) return nullptr;
    // Static types live as long as the process: the last one found is kept.
    static PyObject* last_type = nullptr;
    static const Capabilities* last_found = nullptr;
    if (entry == last_type) return last_found;
    PyObject* capsule = PyDict_GetItem(type->tp_dict, capabilities_name);  // borrowed
    if (!capsule || !PyCapsule_IsValid(capsule, capabilities_capsule_name)) return nullptr;
    const auto* capabilities =
        static_cast<const Capabilities*>(PyCapsule_GetPointer(capsule, capabilities_capsule_name));
    if (capabilities->version != Capabilities::current_version) return nullptr;
    last_type = entry;
    last_found = capabilities;
    return capabilities;
}

// The ombrix type that `type` is or derives from (most derived first), and
// its capabilities; null when there is none.
const Capabilities* capabilities_of(PyTypeObject* type, PyTypeObject** base) {
    PyObject* mro = type->tp_mro;
    for (Py_ssize_t i = 0; mro && i < PyTuple_GET_SIZE(mro); ++i) {
        PyObject* entry = PyTuple_GET_ITEM(mro, i);
        if (const Capabilities* found = own_capabilities(entry)) {
            *base = reinterpret_cast<PyTypeObject*>(entry);
            return found;
        }
    }
    return nullptr;
}

// The ombrix type a generator is, or derives from, and its capabilities;
// TypeError naming `function` for anything else.
struct Generator {
    PyObject* object;
    PyTypeObject* base = nullptr;
    const Capabilities* capabilities = nullptr;

    bool check(const char* function) {
        capabilities = capabilities_of(Py_TYPE(object), &base);
        if (capabilities) return true;
        PyErr_Format(PyExc_TypeError, "%s() needs an ombrix generator, not %.200s", function,
                     Py_TYPE(object)->tp_name);
        return false;
    }
};

// Whether a Python subclass replaced the step: the method the interpreter
// would call for next() is not the generator type's own.
int overrides_next(PyObject* generator, PyTypeObject* base) {
    if (Py_TYPE(generator) == base) return 0;
    Ref own =
        Ref::steal(PyObject_GetAttrString(reinterpret_cast<PyObject*>(base), next_method_name));
    Ref found = Ref::steal(
        PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(generator)), next_method_name));
    if (!own || !found) return -1;
    return own.get() != found.get();
}

}  // namespace
}  // namespace ombrix::py

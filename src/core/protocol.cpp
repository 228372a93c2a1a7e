#include "protocol.hpp"

namespace ombrix::py {

PyObject* property_get(PyObject* self, void* closure) {
    const Property& property = *static_cast<const Property*>(closure);
    PyObject* value;
    switch (property.kind) {
        case Property::word_field:
            value = word_result(field_at<word>(self, property.offset));
            break;
        case Property::byte_field:
            value = byte_result(field_at<byte>(self, property.offset));
            break;
        default: value = property.get(self); break;
    }
    if (!value) return Operation{property.owner, property.name, "__get__"}.fail(__LINE__);
    return value;
}

int property_set(PyObject* self, PyObject* value, void* closure) {
    const Property& property = *static_cast<const Property*>(closure);
    if (!value) {
        // Deleting a state field is refused outright, without a traceback entry.
        PyErr_SetString(PyExc_NotImplementedError, "__del__");
        return -1;
    }
    bool stored;
    switch (property.kind) {
        case Property::word_field: {
            word converted;
            stored = to_word(value, converted);
            if (stored) field_at<word>(self, property.offset) = converted;
            break;
        }
        case Property::byte_field: {
            byte converted;
            stored = to_byte(value, converted);
            if (stored) field_at<byte>(self, property.offset) = converted;
            break;
        }
        default: stored = property.set(self, value); break;
    }
    if (!stored) return Operation{property.owner, property.name, "__set__"}.fail_status(__LINE__);
    return 0;
}

namespace {

// Calls `visit` with every writable property that a generator type in the
// ancestry of `type` defines, base types first. False if `visit` fails.
template <class Visit>
bool for_each_field(PyTypeObject* type, Visit visit) {
    PyObject* mro = type->tp_mro;
    for (Py_ssize_t i = PyTuple_GET_SIZE(mro) - 1; i >= 0; --i) {
        auto* ancestor = reinterpret_cast<PyTypeObject*>(PyTuple_GET_ITEM(mro, i));
        if (ancestor->tp_flags & Py_TPFLAGS_HEAPTYPE || !ancestor->tp_getset) continue;
        for (PyGetSetDef* field = ancestor->tp_getset; field->name; ++field)
            if (field->set == property_set && !visit(field)) return false;
    }
    return true;
}

}  // namespace

PyObject* copy_state(PyObject* self) {
    Ref fields = Ref::steal(PyDict_New());
    if (!fields) return nullptr;
    const bool read = for_each_field(Py_TYPE(self), [&](PyGetSetDef* field) {
        Ref value = Ref::steal(property_get(self, field->closure));
        return value && PyDict_SetItemString(fields.get(), field->name, value.get()) == 0;
    });
    if (!read) return nullptr;
    // Only a Python subclass has an instance dictionary.
    Ref dict = Ref::steal(PyObject_GetAttrString(self, "__dict__"));
    if (!dict) {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) return nullptr;
        PyErr_Clear();
        dict = Ref::borrow(Py_None);
    }
    return PyTuple_Pack(2, fields.get(), dict.get());
}

bool restore_copy(PyObject* self, PyObject* copied) {
    Ref parts[2];
    if (!unpack(copied, 2, parts)) return false;
    PyObject* fields = parts[0].get();
    if (!PyDict_Check(fields)) {
        PyErr_SetString(PyExc_TypeError, "copied fields must be a dict");
        return false;
    }
    const bool written = for_each_field(Py_TYPE(self), [&](PyGetSetDef* field) {
        PyObject* value = PyDict_GetItemString(fields, field->name);  // borrowed
        if (!value) {
            PyErr_SetString(PyExc_KeyError, field->name);
            return false;
        }
        Ref keep = Ref::borrow(value);  // the setter may run code that changes the dict
        return property_set(self, value, field->closure) == 0;
    });
    if (!written) return false;
    if (parts[1].get() == Py_None) return true;
    Ref dict = Ref::steal(PyObject_GetAttrString(self, "__dict__"));
    return dict && PyDict_Update(dict.get(), parts[1].get()) == 0;
}

}  // namespace ombrix::py

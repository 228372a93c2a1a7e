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

PyObject* copy_state(PyObject* self, StateMethod getstate) {
    Ref state = Ref::steal(getstate(self, nullptr));
    if (!state) return nullptr;
    // Only a Python subclass has an instance dictionary.
    Ref dict = Ref::steal(PyObject_GetAttrString(self, "__dict__"));
    if (!dict) {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) return nullptr;
        PyErr_Clear();
        dict = Ref::borrow(Py_None);
    }
    return PyTuple_Pack(2, state.get(), dict.get());
}

bool restore_copy(PyObject* self, PyObject* copied, StateMethod setstate) {
    Ref parts[2];
    if (!unpack(copied, 2, parts)) return false;
    Ref done = Ref::steal(setstate(self, parts[0].get()));
    if (!done) return false;
    if (parts[1].get() == Py_None) return true;
    Ref dict = Ref::steal(PyObject_GetAttrString(self, "__dict__"));
    return dict && PyDict_Update(dict.get(), parts[1].get()) == 0;
}

}  // namespace ombrix::py

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
    if (!value) return Operation{property.owner, property.name, "__get__"}.fail();
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
    if (!stored) return Operation{property.owner, property.name, "__set__"}.fail_status();
    return 0;
}

namespace {

// Calls `visit` with every writable property that a generator type in the
// ancestry of `type` defines, base types first. False if `visit` fails. A
// Python 2 classic class among a subclass's bases sits in the MRO too, and
// is not a type object.
template <class Visit>
bool for_each_field(PyTypeObject* type, Visit visit) {
    PyObject* mro = type->tp_mro;
    for (Py_ssize_t i = PyTuple_GET_SIZE(mro) - 1; i >= 0; --i) {
        PyObject* entry = PyTuple_GET_ITEM(mro, i);
        if (!PyType_Check(entry)) continue;
        auto* ancestor = reinterpret_cast<PyTypeObject*>(entry);
        if (ancestor->tp_flags & Py_TPFLAGS_HEAPTYPE || !ancestor->tp_getset) continue;
        for (PyGetSetDef* field = ancestor->tp_getset; field->name; ++field)
            if (field->set == property_set && !visit(field)) return false;
    }
    return true;
}

PyObject* copy_helper(const char* name) {
    Ref copyreg = Ref::steal(PyImport_ImportModule(copyreg_module_name));
    return copyreg ? PyObject_GetAttrString(copyreg.get(), name) : nullptr;
}

// The instance dictionary of a Python subclass, or None. What a class calls
// `__dict__` need not be one (a class attribute, a __getattr__ default);
// only a real dictionary is kept.
PyObject* instance_dict(PyObject* self) {
    Ref dict = Ref::steal(PyObject_GetAttrString(self, "__dict__"));
    if (!dict) {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) return nullptr;
        PyErr_Clear();
    }
    if (!dict || !PyDict_Check(dict.get())) dict = Ref::borrow(Py_None);
    return dict.release();
}

// {name: value} of the __slots__ that are set, as the standard copy
// protocol gathers them (copyreg._slotnames); empty for our own types.
PyObject* slot_values(PyObject* self) {
    Ref values = Ref::steal(PyDict_New());
    if (!values || !(Py_TYPE(self)->tp_flags & Py_TPFLAGS_HEAPTYPE)) return values.release();
    Ref slotnames = Ref::steal(copy_helper("_slotnames"));
    Ref names = slotnames ? Ref::steal(PyObject_CallFunctionObjArgs(
                                slotnames.get(), reinterpret_cast<PyObject*>(Py_TYPE(self)), nullptr))
                          : Ref();
    Ref iterator = names ? Ref::steal(PyObject_GetIter(names.get())) : Ref();
    if (!iterator) return nullptr;
    while (Ref name = Ref::steal(PyIter_Next(iterator.get()))) {
        Ref value = Ref::steal(PyObject_GetAttr(self, name.get()));
        if (!value) {
            if (!PyErr_ExceptionMatches(PyExc_AttributeError)) return nullptr;
            PyErr_Clear();
            continue;
        }
        if (PyDict_SetItem(values.get(), name.get(), value.get()) < 0) return nullptr;
    }
    return PyErr_Occurred() ? nullptr : values.release();
}

bool restore_dict(PyObject* self, PyObject* attributes) {
    if (attributes == Py_None) return true;
    if (!PyDict_Check(attributes)) {
        PyErr_Format(PyExc_TypeError, "copied attributes must be a dict, not %.200s",
                     Py_TYPE(attributes)->tp_name);
        return false;
    }
    Ref dict = Ref::steal(PyObject_GetAttrString(self, "__dict__"));
    if (!dict) return false;
    if (!PyDict_Check(dict.get())) {
        PyErr_Format(PyExc_TypeError, "cannot restore attributes: %.200s.__dict__ is a %.200s",
                     Py_TYPE(self)->tp_name, Py_TYPE(dict.get())->tp_name);
        return false;
    }
    return PyDict_Update(dict.get(), attributes) == 0;
}

bool restore_slots(PyObject* self, PyObject* slots) {
    if (slots == Py_None) return true;
    if (!PyDict_Check(slots)) {
        PyErr_Format(PyExc_TypeError, "copied slots must be a dict, not %.200s",
                     Py_TYPE(slots)->tp_name);
        return false;
    }
    // A list of its own: setting an attribute may run code that changes the dict.
    Ref items = Ref::steal(PyDict_Items(slots));
    if (!items) return false;
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(items.get()); ++i) {
        PyObject* item = PyList_GET_ITEM(items.get(), i);
        if (PyObject_SetAttr(self, PyTuple_GET_ITEM(item, 0), PyTuple_GET_ITEM(item, 1)) < 0)
            return false;
    }
    return true;
}

}  // namespace

// (fields, attributes): the fields as a dict, and what the standard copy
// protocol would keep of a Python subclass: None, its instance dict, or
// (instance dict or None, {slot: value}) when slots are set.
PyObject* copy_state(PyObject* self) {
    Ref fields = Ref::steal(PyDict_New());
    if (!fields) return nullptr;
    const bool read = for_each_field(Py_TYPE(self), [&](PyGetSetDef* field) {
        Ref value = Ref::steal(property_get(self, field->closure));
        return value && PyDict_SetItemString(fields.get(), field->name, value.get()) == 0;
    });
    if (!read) return nullptr;
    Ref dict = Ref::steal(instance_dict(self));
    if (!dict) return nullptr;
    Ref slots = Ref::steal(slot_values(self));
    if (!slots) return nullptr;
    if (PyDict_Size(slots.get()) == 0) return PyTuple_Pack(2, fields.get(), dict.get());
    Ref attributes = Ref::steal(PyTuple_Pack(2, dict.get(), slots.get()));
    return attributes ? PyTuple_Pack(2, fields.get(), attributes.get()) : nullptr;
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
        // A lookup that reports what went wrong: a key whose == raises, or
        // KeyError naming the missing field.
        Ref name = Ref::steal(new_string(field->name));
        Ref value = name ? Ref::steal(PyObject_GetItem(fields, name.get())) : Ref();
        return value && property_set(self, value.get(), field->closure) == 0;
    });
    if (!written) return false;
    PyObject* attributes = parts[1].get();
    if (PyTuple_CheckExact(attributes) && PyTuple_GET_SIZE(attributes) == 2)
        return restore_dict(self, PyTuple_GET_ITEM(attributes, 0)) &&
               restore_slots(self, PyTuple_GET_ITEM(attributes, 1));
    return restore_dict(self, attributes);
}

// Every pickle protocol, 0 and 1 included, rebuilds the object from a bare
// allocation and the copy state, as protocol 2 does.
PyObject* reduce_for_copy(PyObject* self) {
    Ref newobj = Ref::steal(copy_helper("__newobj__"));
    if (!newobj) return nullptr;
    Ref state = Ref::steal(PyObject_CallMethod(self, const_cast<char*>("__getstate__"), nullptr));
    if (!state) return nullptr;
    return Py_BuildValue("O(O)O", newobj.get(), reinterpret_cast<PyObject*>(Py_TYPE(self)),
                         state.get());
}

}  // namespace ombrix::py

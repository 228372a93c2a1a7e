#include "rules.hpp"

#include <climits>
#include <cstdio>

namespace ombrix::py {

// --- argument binding ----------------------------------------------------

namespace {

// "f() takes at most 1 positional argument (2 given)"
bool count_error(const char* function, const char* bound, Py_ssize_t expected, Py_ssize_t given) {
    PyErr_Format(PyExc_TypeError, "%s() takes %s %zd positional argument%s (%zd given)", function,
                 bound, expected, expected == 1 ? "" : "s", given);
    return false;
}

// Looks a parameter name up in the keyword dictionary. Returns 1 when found
// (stored in `out`), 0 when absent, -1 on error.
int take_keyword(PyObject* kwds, Id name, Ref& out) {
    PyObject* value = dict_get(kwds, id(name));
    if (value) {
        out = Ref::borrow(value);
        return 1;
    }
    return PyErr_Occurred() ? -1 : 0;
}

// Matches every entry of the keyword dictionary against the parameters
// from position `given` on, in the dictionary's own order.
bool keyword_pass(const char* function, const Parameters& parameters, PyObject* kwds,
                  Py_ssize_t given, Arguments& out) {
    Py_ssize_t position = 0;
    PyObject* key;
    PyObject* value;
    while (PyDict_Next(kwds, &position, &key, &value)) {
        int match = -1;
        for (int i = static_cast<int>(given); i < parameters.count && match < 0; ++i)
            if (key == id(parameters.names[i])) match = i;
        if (match < 0) {
            if (!is_string(key)) {
                PyErr_Format(PyExc_TypeError, "%s() keywords must be strings", function);
                return false;
            }
            for (int i = static_cast<int>(given); i < parameters.count && match < 0; ++i)
                if (same_text(key, id(parameters.names[i]))) match = i;
        }
        if (match >= 0) {
            out.values[match] = Ref::borrow(value);
            continue;
        }
        for (int i = 0; i < given && i < parameters.count; ++i) {
            PyObject* name = id(parameters.names[i]);
            if (key == name || same_text(key, name)) {
                raise_with_name("%s() got multiple values for keyword argument '" OMBRIX_NAME_FORMAT
                                "'",
                                function, name);
                return false;
            }
        }
        raise_with_name("%s() got an unexpected keyword argument '" OMBRIX_NAME_FORMAT "'",
                        function, key);
        return false;
    }
    return true;
}

bool bind_optional(const char* function, const Parameters& parameters, PyObject* args,
                   PyObject* kwds, Arguments& out) {
    const Py_ssize_t given = PyTuple_GET_SIZE(args);
    if (given > parameters.count) return count_error(function, "at most", parameters.count, given);
    for (Py_ssize_t i = 0; i < given; ++i) out.values[i] = Ref::borrow(PyTuple_GET_ITEM(args, i));
    if (kwds) {
        Py_ssize_t remaining = PyDict_Size(kwds);
        for (int i = static_cast<int>(given); i < parameters.count && remaining > 0; ++i) {
            const int found = take_keyword(kwds, parameters.names[i], out.values[i]);
            if (found < 0) return false;
            remaining -= found;
        }
        if (remaining > 0 && !keyword_pass(function, parameters, kwds, given, out)) return false;
    }
    for (int i = 0; i < parameters.count; ++i)
        if (!out.values[i]) out.values[i] = Ref::borrow(Py_None);
    return true;
}

// Every parameter required; so far only two-parameter functions.
bool bind_required(const char* function, const Parameters& parameters, PyObject* args,
                   PyObject* kwds, Arguments& out) {
    const Py_ssize_t expected = parameters.count;
    const Py_ssize_t given = PyTuple_GET_SIZE(args);
    if (!kwds || given > expected) {
        if (given != expected) return count_error(function, "exactly", expected, given);
    }
    for (Py_ssize_t i = 0; i < given; ++i) out.values[i] = Ref::borrow(PyTuple_GET_ITEM(args, i));
    if (kwds) {
        Py_ssize_t remaining = PyDict_Size(kwds);
        for (Py_ssize_t i = given; i < expected; ++i) {
            const int found = take_keyword(kwds, parameters.names[i], out.values[i]);
            if (found < 0) return false;
            // The count reported is the number of arguments that came before
            // the missing one.
            if (found == 0) return count_error(function, "exactly", expected, i);
            remaining -= 1;
        }
        if (remaining > 0 && !keyword_pass(function, parameters, kwds, given, out)) return false;
    }
    return true;
}

}  // namespace

bool bind_arguments(const char* function, const Parameters& parameters, PyObject* args,
                    PyObject* kwds, Arguments& out) {
    if (parameters.kind == Parameters::required)
        return bind_required(function, parameters, args, kwds, out);
    return bind_optional(function, parameters, args, kwds, out);
}

PyObject* arguments_tuple(const Parameters& parameters, const Arguments& arguments) {
    PyObject* tuple = PyTuple_New(parameters.count);
    if (!tuple) return nullptr;
    for (int i = 0; i < parameters.count; ++i) {
        PyObject* value = arguments[i];
        Py_INCREF(value);
        PyTuple_SET_ITEM(tuple, i, value);
    }
    return tuple;
}

// --- tests on seeds ------------------------------------------------------

int truth_of(PyObject* result) {
    if (result == Py_True) return 1;
    if (result == Py_False || result == Py_None) return 0;
    return PyObject_IsTrue(result);
}

int equals(PyObject* object, PyObject* other) {
    Ref result = Ref::steal(PyObject_RichCompare(object, other, Py_EQ));
    if (!result) return -1;
    return truth_of(result.get());
}

int is_multiple_of(PyObject* object, PyObject* modulus) {
    Ref remainder = Ref::steal(PyNumber_Remainder(object, modulus));
    if (!remainder) return -1;
    return equals(remainder.get(), integer<0>());
}

Ref call_int(PyObject* object) {
    return Ref::steal(PyObject_CallFunctionObjArgs(int_type(), object, nullptr));
}

// --- conversions ---------------------------------------------------------

namespace {

const char negative_word[] = "can't convert negative value to unsigned long";

// The signed value of an integer object of either kind; false with the
// interpreter's OverflowError when it does not fit a C long.
bool signed_value(PyObject* integer, long& out, int& overflow) {
    if (is_native_int(integer)) {
        out = native_int_value(integer);
        overflow = 0;
        return true;
    }
    out = PyLong_AsLongAndOverflow(integer, &overflow);
    return !(out == -1 && PyErr_Occurred());
}

bool is_integer(PyObject* object) { return is_native_int(object) || PyLong_Check(object); }

// Integer coercion: the type's own `int` conversion (or, on Python 2, its
// `long` conversion). Returns a new reference to an integer, or null.
PyObject* coerce_to_integer(PyObject* object) {
    PyNumberMethods* number = Py_TYPE(object)->tp_as_number;
    const char* conversion = "int";
    PyObject* result;
    if (number && number->nb_int) {
        result = number->nb_int(object);
    } else if (number && long_slot(number)) {
        conversion = "long";
        result = long_slot(number)(object);
    } else {
        if (!PyErr_Occurred()) PyErr_SetString(PyExc_TypeError, "an integer is required");
        return nullptr;
    }
    if (result && !is_integer(result)) {
        PyErr_Format(PyExc_TypeError, "__%s__ returned non-%s (type %.200s)", conversion,
                     conversion, Py_TYPE(result)->tp_name);
        Py_DECREF(result);
        return nullptr;
    }
    return result;
}

bool integer_to_word(PyObject* integer, word& out) {
    long value;
    int overflow;
    if (!signed_value(integer, value, overflow)) return false;
    if (overflow < 0 || (overflow == 0 && value < 0)) {
        PyErr_SetString(PyExc_OverflowError, negative_word);
        return false;
    }
    if (overflow > 0 || static_cast<unsigned long>(value) > 0xFFFFFFFFul) {
        PyErr_SetString(PyExc_OverflowError, word_too_large);
        return false;
    }
    out = static_cast<word>(value);
    return true;
}

}  // namespace

bool to_word(PyObject* object, word& out) {
    if (is_integer(object)) return integer_to_word(object, out);
    Ref integer = Ref::steal(coerce_to_integer(object));
    return integer && integer_to_word(integer.get(), out);
}

bool to_word_via_int(PyObject* object, word& out) {
    // `int` of an exact integer is the integer itself and runs no user code.
    if (is_exact_int(object)) return integer_to_word(object, out);
    Ref integer = call_int(object);
    return integer && to_word(integer.get(), out);
}

bool to_byte(PyObject* object, byte& out) {
    Ref coerced;
    if (!is_integer(object)) {
        coerced = Ref::steal(coerce_to_integer(object));
        if (!coerced) return false;
        object = coerced.get();
    }
    long value;
    int overflow;
    if (!signed_value(object, value, overflow)) return false;
    if (overflow) {
        PyErr_SetString(PyExc_OverflowError, "Python int too large to convert to C long");
        return false;
    }
    if (value < 0) {
        PyErr_SetString(PyExc_OverflowError, "can't convert negative value to unsigned char");
        return false;
    }
    if (value > 255) {
        PyErr_SetString(PyExc_OverflowError, "value too large to convert to unsigned char");
        return false;
    }
    out = static_cast<byte>(value);
    return true;
}

// --- reading state objects -----------------------------------------------

Ref item_at(PyObject* object, Py_ssize_t index) {
    if (PyList_CheckExact(object) && PyList_GET_SIZE(object) > index)
        return Ref::borrow(PyList_GET_ITEM(object, index));
    if (PyTuple_CheckExact(object) && PyTuple_GET_SIZE(object) > index)
        return Ref::borrow(PyTuple_GET_ITEM(object, index));
    PySequenceMethods* sequence = Py_TYPE(object)->tp_as_sequence;
    if (sequence && sequence->sq_item) return Ref::steal(PySequence_GetItem(object, index));
    Ref key = Ref::steal(new_native_int(static_cast<long>(index)));
    if (!key) return key;
    return Ref::steal(PyObject_GetItem(object, key.get()));
}

bool load_words(PyObject* state, std::initializer_list<word*> fields) {
    Py_ssize_t index = 0;
    for (word* field : fields) {
        Ref item = item_at(state, index++);
        if (!item || !to_word_via_int(item.get(), *field)) return false;
    }
    return true;
}

bool load_words(PyObject* state, word* words, Py_ssize_t count) {
    for (Py_ssize_t i = 0; i < count; ++i) {
        Ref item = item_at(state, i);
        if (!item || !to_word_via_int(item.get(), words[i])) return false;
    }
    return true;
}

bool unpack(PyObject* object, Py_ssize_t count, Ref* out) {
    if (PyTuple_CheckExact(object) && PyTuple_GET_SIZE(object) == count) {
        for (Py_ssize_t i = 0; i < count; ++i) out[i] = Ref::borrow(PyTuple_GET_ITEM(object, i));
        return true;
    }
    Ref iterator = Ref::steal(PyObject_GetIter(object));
    if (!iterator) return false;
    Py_ssize_t drawn = 0;
    for (; drawn < count; ++drawn) {
        out[drawn] = Ref::steal(PyIter_Next(iterator.get()));
        if (!out[drawn]) break;
    }
    if (drawn == count) {
        Ref extra = Ref::steal(PyIter_Next(iterator.get()));
        if (extra) {
            PyErr_Format(PyExc_ValueError, "too many values to unpack (expected %zd)", count);
        } else if (!PyErr_Occurred()) {
            return true;
        }
    } else if (!PyErr_Occurred()) {
        PyErr_Format(PyExc_ValueError, "need more than %zd value%s to unpack", drawn,
                     drawn == 1 ? "" : "s");
    }
    for (Py_ssize_t i = 0; i < drawn; ++i) out[i] = Ref();
    return false;
}

void raise_module_error(PyObject* message_arguments) {
    Ref instance = Ref::steal(PyObject_Call(module_state.exception, message_arguments, nullptr));
    if (!instance) return;
    if (!PyExceptionInstance_Check(instance.get())) {
        PyErr_SetString(PyExc_TypeError,
                        "raise: exception class must be a subclass of BaseException");
        return;
    }
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(instance.get())), instance.get());
}

Ref lookup_name(PyObject* module, PyObject* name) {
    // After a failed import the module is gone: nothing can be found.
    Ref value = Ref::steal(module ? PyObject_GetAttr(module, name) : nullptr);
    if (!value) PyErr_SetObject(PyExc_NameError, name);
    return value;
}

// --- results -------------------------------------------------------------

PyObject* word_tuple(const word* values, Py_ssize_t count) {
    Ref tuple = Ref::steal(PyTuple_New(count));
    if (!tuple) return nullptr;
    for (Py_ssize_t i = 0; i < count; ++i) {
        PyObject* item = word_result(values[i]);
        if (!item) return nullptr;
        PyTuple_SET_ITEM(tuple.get(), i, item);
    }
    return tuple.release();
}

// --- failures ------------------------------------------------------------

namespace {

// A frame for the entry, built with the pending error set aside (code and
// frame objects cannot be made while an error is pending); null if it
// cannot be built, which only loses the entry.
PyObject* traceback_frame(const char* qualified_name, int line, PyObject* globals) {
    const PendingError pending;
    char name[320];
    std::snprintf(name, sizeof name, "%s (%s:%d)", qualified_name, "zinthe/_iterators_zinthe",
                  line);
    Ref code = Ref::steal(reinterpret_cast<PyObject*>(
        PyCode_NewEmpty("_iterators_zinthe", name, line)));
    Ref frame = Ref::steal(
        code ? reinterpret_cast<PyObject*>(
                   new_frame(reinterpret_cast<PyCodeObject*>(code.get()), globals))
             : nullptr);
    PyErr_Clear();
    return frame.release();
}

}  // namespace

void add_traceback(const char* qualified_name, std::source_location where) {
    PyObject* globals = module_state.module ? PyModule_GetDict(module_state.module) : nullptr;
    if (!globals) return;  // the import failed; there is nowhere to point
    const int line = static_cast<int>(where.line());
    Ref frame = Ref::steal(traceback_frame(qualified_name, line, globals));
    if (frame) PyTraceBack_Here(reinterpret_cast<PyFrameObject*>(frame.get()));
}

void Operation::record(std::source_location where) const {
    char qualified[256];
    if (accessor)
        std::snprintf(qualified, sizeof qualified, "%s.%s.%s", owner, name, accessor);
    else
        std::snprintf(qualified, sizeof qualified, "%s.%s", owner, name);
    add_traceback(qualified, where);
}

}  // namespace ombrix::py

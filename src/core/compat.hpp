// The one place that knows which interpreter the module is built for.
//
// Everything else in the binding is written once against the helpers below;
// no other file tests PY_MAJOR_VERSION.
#pragma once

#include <Python.h>
#include <frameobject.h>

#include <cstdint>
#include <cstring>

namespace ombrix::py {

#if PY_MAJOR_VERSION >= 3
inline constexpr const char builtins_module_name[] = "builtins";
// What PyLong_AsUnsignedLong says for a value that does not fit; words are
// refused above 2**32-1 with the same words.
inline constexpr const char word_too_large[] = "Python int too large to convert to C unsigned long";
#else
inline constexpr const char builtins_module_name[] = "__builtin__";
inline constexpr const char word_too_large[] = "long int too large to convert";
#endif

// --- strings -------------------------------------------------------------

inline PyObject* new_string(const char* text) {
#if PY_MAJOR_VERSION >= 3
    return PyUnicode_FromString(text);
#else
    return PyString_FromString(text);
#endif
}

inline PyObject* new_interned(const char* text) {
#if PY_MAJOR_VERSION >= 3
    return PyUnicode_InternFromString(text);
#else
    return PyString_InternFromString(text);
#endif
}

// A keyword name must be a str (or a subclass) to be matched by its text.
inline bool is_string(PyObject* o) {
#if PY_MAJOR_VERSION >= 3
    return PyUnicode_Check(o);
#else
    return PyString_Check(o);
#endif
}

// Same length and same characters; both are strings.
inline bool same_text(PyObject* a, PyObject* b) {
#if PY_MAJOR_VERSION >= 3
    return PyUnicode_GET_LENGTH(a) == PyUnicode_GET_LENGTH(b) && PyUnicode_Compare(a, b) == 0;
#else
    return PyString_GET_SIZE(a) == PyString_GET_SIZE(b) &&
           std::memcmp(PyString_AS_STRING(a), PyString_AS_STRING(b), PyString_GET_SIZE(a)) == 0;
#endif
}

// Raises TypeError "<prefix>'<text of name>'" where name is a string.
inline void raise_with_name(const char* format, const char* function, PyObject* name) {
#if PY_MAJOR_VERSION >= 3
    PyObject* text = PyUnicode_FromFormat(format, function, name);
#else
    PyObject* text = PyString_FromFormat(format, function, PyString_AS_STRING(name));
#endif
    if (text) {
        PyErr_SetObject(PyExc_TypeError, text);
        Py_DECREF(text);
    }
}
// The format to give raise_with_name for a name object.
#if PY_MAJOR_VERSION >= 3
#define OMBRIX_NAME_FORMAT "%U"
#else
#define OMBRIX_NAME_FORMAT "%s"
#endif

// The characters of a string object; null with an error set otherwise.
inline const char* text_of(PyObject* o) {
#if PY_MAJOR_VERSION >= 3
    return PyUnicode_AsUTF8(o);
#else
    return PyString_AsString(o);
#endif
}

// --- integers ------------------------------------------------------------

// The native integer type of Python 2; Python 3 has only one integer type.
inline bool is_native_int(PyObject* o) {
#if PY_MAJOR_VERSION >= 3
    (void)o;
    return false;
#else
    return PyInt_Check(o);
#endif
}

inline long native_int_value(PyObject* o) {
#if PY_MAJOR_VERSION >= 3
    (void)o;
    return 0;
#else
    return PyInt_AS_LONG(o);
#endif
}

inline PyObject* new_native_int(long value) {
#if PY_MAJOR_VERSION >= 3
    return PyLong_FromLong(value);
#else
    return PyInt_FromLong(value);
#endif
}

// Parses decimal text into an integer object, as the module's large
// constants are made.
inline PyObject* int_from_text(const char* text) {
#if PY_MAJOR_VERSION >= 3
    return PyLong_FromString(text, nullptr, 0);
#else
    return PyInt_FromString(const_cast<char*>(text), nullptr, 0);
#endif
}

// The built-in `int`, called to parse and truncate seeds.
inline PyObject* int_type() {
#if PY_MAJOR_VERSION >= 3
    return reinterpret_cast<PyObject*>(&PyLong_Type);
#else
    return reinterpret_cast<PyObject*>(&PyInt_Type);
#endif
}

inline bool is_exact_int(PyObject* o) {
#if PY_MAJOR_VERSION >= 3
    return PyLong_CheckExact(o);
#else
    return PyInt_CheckExact(o) || PyLong_CheckExact(o);
#endif
}

// Python 2's fallback coercion slot `nb_long`; Python 3 has none.
inline PyObject* (*long_slot(PyNumberMethods* number))(PyObject*) {
#if PY_MAJOR_VERSION >= 3
    (void)number;
    return nullptr;
#else
    return number->nb_long;
#endif
}

// The sign of an integer object (-1, 0 or 1), without raising.
inline int integer_sign(PyObject* o) {
#if PY_MAJOR_VERSION < 3
    if (PyInt_Check(o)) {
        const long value = PyInt_AS_LONG(o);
        return (value > 0) - (value < 0);
    }
#endif
    return _PyLong_Sign(o);
}

// --- dictionaries --------------------------------------------------------

// Borrowed lookup; nullptr with an error set only on Python 3, where a
// failing __eq__ of a key is reported rather than swallowed.
inline PyObject* dict_get(PyObject* dict, PyObject* key) {
#if PY_MAJOR_VERSION >= 3
    return PyDict_GetItemWithError(dict, key);
#else
    return PyDict_GetItem(dict, key);
#endif
}

// --- modules -------------------------------------------------------------

// A module's definition, made once: the interpreter keeps pointers into it
// for as long as the module may be loaded, under any name.
struct ModuleDefinition {
    const char* short_name;  // "_iterators_zinthe"
    const char* full_name;   // "ombrix.iterators._iterators_zinthe"
    PyMethodDef* functions;
#if PY_MAJOR_VERSION >= 3
    // m_size -1: single-phase initialisation, never torn down.
    PyModuleDef definition = {
        PyModuleDef_HEAD_INIT, full_name, nullptr, -1, functions, nullptr, nullptr, nullptr,
        nullptr};
#endif
};

// Creates a module without a documentation string; returns a new reference.
inline PyObject* create_module(ModuleDefinition& module) {
#if PY_MAJOR_VERSION >= 3
    return PyModule_Create(&module.definition);
#else
    // Python 2 names the module after the package being imported.
    PyObject* created =
        Py_InitModule4(module.short_name, module.functions, nullptr, nullptr, PYTHON_API_VERSION);
    Py_XINCREF(created);
    return created;
#endif
}

// The module that holds the copy protocol's helpers (`__newobj__`).
#if PY_MAJOR_VERSION >= 3
inline constexpr const char copyreg_module_name[] = "copyreg";
#else
inline constexpr const char copyreg_module_name[] = "copy_reg";
#endif

// --- module functions ----------------------------------------------------

// A module function of exactly two arguments, `Function(first, second)`,
// entered without building an argument tuple where the interpreter allows
// it (METH_FASTCALL, Python 3.7 and later).
template <const char* Name, PyObject* (*Function)(PyObject*, PyObject*)>
struct TwoArguments {
    static PyObject* count_error(Py_ssize_t given) {
        PyErr_Format(PyExc_TypeError, "%s() takes exactly 2 arguments (%zd given)", Name, given);
        return nullptr;
    }
#if PY_MAJOR_VERSION >= 3
    static constexpr int flags = METH_FASTCALL;
    static PyObject* call(PyObject*, PyObject* const* args, Py_ssize_t given) {
        return given == 2 ? Function(args[0], args[1]) : count_error(given);
    }
#else
    static constexpr int flags = METH_VARARGS;
    static PyObject* call(PyObject*, PyObject* args) {
        const Py_ssize_t given = PyTuple_GET_SIZE(args);
        return given == 2 ? Function(PyTuple_GET_ITEM(args, 0), PyTuple_GET_ITEM(args, 1))
                          : count_error(given);
    }
#endif
    static PyCFunction entry() {
        return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(call));
    }
};

// --- iteration ------------------------------------------------------------

// The name under which a Python class defines the iterator step.
#if PY_MAJOR_VERSION >= 3
inline constexpr const char next_method_name[] = "__next__";
#else
inline constexpr const char next_method_name[] = "next";
#endif

// --- buffers ---------------------------------------------------------------

// Python 2's array.array offers only the old buffer interface: its writable
// memory, when `object` has it. Python 3 objects all have the new one.
inline bool old_writable_buffer(PyObject* object, void** data, Py_ssize_t* length) {
#if PY_MAJOR_VERSION >= 3
    (void)object, (void)data, (void)length;
    return false;
#else
    if (!PyObject_CheckReadBuffer(object)) return false;
    if (PyObject_AsWriteBuffer(object, data, length) == 0) return true;
    PyErr_Clear();
    return false;
#endif
}

// --- type objects --------------------------------------------------------

inline constexpr unsigned long generator_type_flags =
#if PY_MAJOR_VERSION >= 3
    Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE;
#else
    Py_TPFLAGS_DEFAULT | Py_TPFLAGS_CHECKTYPES | Py_TPFLAGS_HAVE_NEWBUFFER | Py_TPFLAGS_BASETYPE;
#endif

// A static type object starts life with one reference, as
// PyVarObject_HEAD_INIT would give it.
inline void init_static_object(PyTypeObject& type) {
#if PY_VERSION_HEX >= 0x030900A4
    Py_SET_REFCNT(&type, 1);
#else
    Py_REFCNT(&type) = 1;
#endif
}

// The method and property tables of Python 2 take `char*` names.
#if PY_MAJOR_VERSION >= 3
using table_name = const char*;
#else
using table_name = char*;
#endif
inline table_name table_text(const char* text) { return const_cast<table_name>(text); }

// --- errors and tracebacks -----------------------------------------------

// Sets the pending error aside for as long as it lives, then restores it,
// replacing whatever error was raised meanwhile.
class PendingError {
public:
    PendingError() { PyErr_Fetch(&type_, &value_, &traceback_); }
    ~PendingError() { PyErr_Restore(type_, value_, traceback_); }
    PendingError(const PendingError&) = delete;
    PendingError& operator=(const PendingError&) = delete;

private:
    PyObject* type_ = nullptr;
    PyObject* value_ = nullptr;
    PyObject* traceback_ = nullptr;
};

// A frame for a code object, on the current thread.
inline PyFrameObject* new_frame(PyCodeObject* code, PyObject* globals) {
    return PyFrame_New(PyThreadState_Get(), code, globals, nullptr);
}

}  // namespace ombrix::py

// Entry points: Python 2 looks for init<name>, Python 3 for PyInit_<name>,
// which hands the module (a new reference) to the interpreter. The module
// keeps a reference of its own either way.
// The extensions are built with hidden visibility; only the entry point is
// exported (older interpreters' PyMODINIT_FUNC does not say so itself).
#define OMBRIX_EXPORT __attribute__((visibility("default")))
#if PY_MAJOR_VERSION >= 3
#define OMBRIX_MODULE_ENTRY(name) extern "C" OMBRIX_EXPORT PyObject* PyInit_##name(void)
#define OMBRIX_MODULE_RETURN(module) return module
#else
#define OMBRIX_MODULE_ENTRY(name) extern "C" OMBRIX_EXPORT void init##name(void)
#define OMBRIX_MODULE_RETURN(module) Py_XDECREF(module)
#endif

// ombrix.iterators._bulk: fill(generator, out) writes the next len(out)
// values of a generator into a buffer of 32-bit words, straight from the
// engine, exactly as that many next() calls would return them; draw(generator,
// n) returns them as a new array('I').
//
// It knows no generator type and no object layout of its own: every type
// carries its capabilities (src/core/capabilities.hpp), found through the
// type object.
#include "../core/capabilities.hpp"
#include "../core/compat.hpp"
#include "../core/ref.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace ombrix::py {
namespace {

PyObject* generator_list = nullptr;  // the types, in registration order
PyObject* array_type = nullptr;      // array.array
PyObject* empty_words = nullptr;     // array('I', [0]): draw() repeats it

// Values between two looks for a pending signal: well under a millisecond
// of work, so that Ctrl-C stops even a call over gigabytes at once.
constexpr std::size_t words_per_check = 1 << 16;

// The capabilities a static type carries in its own dictionary, if any.
// Only type objects are read as such (a Python 2 classic class may sit in
// an MRO), and the lookup runs no Python code.
const Capabilities* own_capabilities(PyObject* entry) {
    if (!PyType_Check(entry)) return nullptr;
    auto* type = reinterpret_cast<PyTypeObject*>(entry);
    if (type->tp_flags & Py_TPFLAGS_HEAPTYPE || !type->tp_dict) return nullptr;
    PyObject* capsule = PyDict_GetItemString(type->tp_dict, capabilities_key);  // borrowed
    if (!capsule || !PyCapsule_IsValid(capsule, capabilities_capsule_name)) return nullptr;
    const auto* capabilities =
        static_cast<const Capabilities*>(PyCapsule_GetPointer(capsule, capabilities_capsule_name));
    return capabilities->version == Capabilities::current_version ? capabilities : nullptr;
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

bool refuse(PyObject* type, const char* message) {
    PyErr_SetString(type, message);
    return false;
}

constexpr char not_words[] = "fill() needs a buffer of 4-byte integers or of bytes";

// The output's memory as words: a C-contiguous writable buffer of 4-byte
// integers, or of bytes whose length is a multiple of 4.
//
// A buffer taken through the buffer protocol stays exported until the call
// ends, so its owner cannot move or free it. Python 2's old buffer interface
// (array.array, mmap) hands out a bare address with no such promise: any
// Python code may resize, empty or close the object. Its address is
// therefore taken afresh, and its size checked again, before every write,
// with no Python code run in between.
class Output {
public:
    ~Output() {
        if (has_view_) PyBuffer_Release(&view_);
    }

    bool acquire(PyObject* out) {
        if (PyObject_CheckBuffer(out)) return from_view(out);
        void* data;
        Py_ssize_t length;
        if (old_writable_buffer(out, &data, &length)) return from_old_buffer(out, length);
        PyErr_Format(PyExc_TypeError, "fill() needs a writable buffer of 32-bit words, not %.200s",
                     Py_TYPE(out)->tp_name);
        return false;
    }

    Py_ssize_t count() const { return count_; }

    // Where the words go; valid until Python code next runs. Null with an
    // error set when an old buffer has been closed or has shrunk.
    char* address() {
        if (has_view_) return static_cast<char*>(view_.buf);
        void* data;
        Py_ssize_t length;
        if (!old_writable_buffer(old_, &data, &length)) {
            if (!PyErr_Occurred())
                PyErr_SetString(PyExc_BufferError, "fill() lost its output buffer");
            return nullptr;
        }
        if (length / 4 < count_) {
            PyErr_SetString(PyExc_BufferError, "fill() output buffer shrank during the call");
            return nullptr;
        }
        return static_cast<char*>(data);
    }

private:
    bool from_view(PyObject* out) {
        if (PyObject_GetBuffer(out, &view_, PyBUF_RECORDS_RO) < 0) return false;
        has_view_ = true;
        if (view_.readonly) return refuse(PyExc_TypeError, "fill() needs a writable buffer");
        if (!PyBuffer_IsContiguous(&view_, 'C'))
            return refuse(PyExc_ValueError, "fill() needs a C-contiguous buffer");
        const char* format = view_.format ? view_.format : "B";
        if (*format == '@' || *format == '=' ||
            (*format == '<' && std::endian::native == std::endian::little))
            ++format;
        const bool bytes =
            view_.itemsize == 1 && format[1] == '\0' && std::strchr("Bbc", format[0]);
        const bool words =
            view_.itemsize == 4 && format[1] == '\0' && std::strchr("IiLl", format[0]);
        if (!bytes && !words) return refuse(PyExc_TypeError, not_words);
        return whole_words(view_.len);
    }

    // Python 2's array.array says what it holds through its typecode, read
    // with array's own descriptors so that a subclass's properties never run;
    // other old buffers (mmap) hold bytes.
    bool from_old_buffer(PyObject* out, Py_ssize_t length) {
        old_ = out;
        if (array_type && PyObject_TypeCheck(out, reinterpret_cast<PyTypeObject*>(array_type))) {
            Ref typecode = Ref::steal(array_attribute(out, "typecode"));
            Ref itemsize = Ref::steal(array_attribute(out, "itemsize"));
            if (!typecode || !itemsize) return false;
            const char* code = text_of(typecode.get());
            const long size = PyLong_AsLong(itemsize.get());
            if (size == -1 && PyErr_Occurred()) return false;
            const bool bytes = size == 1 && code && std::strchr("Bbc", code[0]);
            const bool words = size == 4 && code && std::strchr("IiLl", code[0]);
            if (!bytes && !words) return refuse(PyExc_TypeError, not_words);
        }
        return whole_words(length);
    }

    static PyObject* array_attribute(PyObject* out, const char* name) {
        PyObject* descriptor =
            PyDict_GetItemString(reinterpret_cast<PyTypeObject*>(array_type)->tp_dict, name);
        descrgetfunc get = descriptor ? Py_TYPE(descriptor)->tp_descr_get : nullptr;
        if (!get) {
            PyErr_Format(PyExc_TypeError, "array.array has no %s", name);
            return nullptr;
        }
        return get(descriptor, out, array_type);
    }

    bool whole_words(Py_ssize_t length) {
        if (length % 4)
            return refuse(PyExc_ValueError,
                          "fill() needs a byte buffer whose length is a multiple of 4");
        count_ = length / 4;
        return true;
    }

    Py_buffer view_ = {};
    bool has_view_ = false;
    PyObject* old_ = nullptr;  // borrowed: the caller's argument
    Py_ssize_t count_ = 0;
};

// The generator's state changes only once every value is written: a signal
// handler that raises (KeyboardInterrupt) leaves it as it was before the call.
bool generate(PyObject* generator, const Capabilities& capabilities, Output& out) {
    alignas(std::max_align_t) unsigned char engine[max_engine_size];
    if (capabilities.engine_size > sizeof engine)
        return refuse(PyExc_SystemError, "fill() met an engine larger than it can hold");
    capabilities.load(generator, engine);
    const std::size_t count = static_cast<std::size_t>(out.count());
    for (std::size_t done = 0; done < count;) {
        const std::size_t n = std::min(count - done, words_per_check);
        char* memory = out.address();
        if (!memory) return false;
        capabilities.generate(engine, memory + done * sizeof(word), n);
        done += n;
        if (PyErr_CheckSignals() < 0) return false;
    }
    capabilities.store(generator, engine);
    return true;
}

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

// A value that a subclass's own __next__ returned, as a word: any integer,
// or anything with __index__ (numpy's integer scalars), from 0 to 2**32-1.
bool value_to_word(PyObject* value, word& out) {
    Ref integer;
    if (!is_native_int(value) && !PyLong_Check(value)) {
        if (!PyIndex_Check(value)) {
            PyErr_Format(PyExc_TypeError, "__next__ returned %.200s, not an integer",
                         Py_TYPE(value)->tp_name);
            return false;
        }
        integer = Ref::steal(PyNumber_Index(value));
        if (!integer) return false;
        value = integer.get();
    }
    if (is_native_int(value)) {
        if (native_int_value(value) < 0)
            return refuse(PyExc_OverflowError, "__next__ returned a negative value");
        const unsigned long number = static_cast<unsigned long>(native_int_value(value));
        if (number > 0xFFFFFFFFul)
            return refuse(PyExc_OverflowError, "__next__ returned a value above 2**32-1");
        out = static_cast<word>(number);
        return true;
    }
    int overflow;
    const long long number = PyLong_AsLongLongAndOverflow(value, &overflow);
    if (number == -1 && PyErr_Occurred()) return false;
    if (overflow < 0 || number < 0)
        return refuse(PyExc_OverflowError, "__next__ returned a negative value");
    if (overflow > 0 || number > 0xFFFFFFFFll)
        return refuse(PyExc_OverflowError, "__next__ returned a value above 2**32-1");
    out = static_cast<word>(number);
    return true;
}

// A subclass that overrides __next__ is honoured: its values, one call at a
// time. They are gathered in a buffer of our own and copied out only after
// the output's address has been taken again.
bool generate_by_calls(PyObject* generator, Output& out) {
    word chunk[4096];
    for (Py_ssize_t done = 0; done < out.count();) {
        const Py_ssize_t n = std::min<Py_ssize_t>(out.count() - done, std::size(chunk));
        for (Py_ssize_t i = 0; i < n; ++i) {
            Ref value = Ref::steal(Py_TYPE(generator)->tp_iternext(generator));
            if (!value) {
                if (!PyErr_Occurred()) PyErr_SetNone(PyExc_StopIteration);
                return false;
            }
            if (!value_to_word(value.get(), chunk[i])) return false;
        }
        char* memory = out.address();
        if (!memory) return false;
        std::memcpy(memory + done * sizeof(word), chunk, static_cast<std::size_t>(n) * sizeof(word));
        done += n;
    }
    return true;
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

// Every lookup that may run Python code happens before the output is taken.
bool fill_into(const Generator& generator, PyObject* out) {
    const int overridden = overrides_next(generator.object, generator.base);
    if (overridden < 0) return false;
    Output words;
    if (!words.acquire(out)) return false;
    return overridden ? generate_by_calls(generator.object, words)
                      : generate(generator.object, *generator.capabilities, words);
}

PyObject* fill(PyObject*, PyObject* args) {
    Generator generator;
    PyObject* out;
    if (!PyArg_ParseTuple(args, "OO:fill", &generator.object, &out)) return nullptr;
    if (!generator.check("fill") || !fill_into(generator, out)) return nullptr;
    Py_INCREF(out);
    return out;
}

PyObject* draw(PyObject*, PyObject* args) {
    Generator generator;
    PyObject* count;
    if (!PyArg_ParseTuple(args, "OO:draw", &generator.object, &count)) return nullptr;
    if (!generator.check("draw")) return nullptr;
    Ref n = Ref::steal(PyNumber_Index(count));
    if (!n) return nullptr;
    Ref zero = Ref::steal(new_native_int(0));
    if (!zero) return nullptr;
    const int negative = PyObject_RichCompareBool(n.get(), zero.get(), Py_LT);
    if (negative < 0) return nullptr;
    // Four bytes a word: more than the address space holds is refused before
    // anything is allocated.
    const Py_ssize_t words = negative ? -1 : PyNumber_AsSsize_t(n.get(), nullptr);
    if (words == -1 && PyErr_Occurred()) return nullptr;
    if (words < 0 || words > PY_SSIZE_T_MAX / static_cast<Py_ssize_t>(sizeof(word))) {
        Ref text = Ref::steal(PyObject_Str(n.get()));
        const char* digits = text ? text_of(text.get()) : nullptr;
        if (!digits) return nullptr;
        if (negative)
            PyErr_Format(PyExc_ValueError, "draw() needs a count of 0 or more, not %.100s", digits);
        else
            PyErr_Format(PyExc_MemoryError, "draw() cannot hold %.100s words", digits);
        return nullptr;
    }
    // One allocation of the final size: the one-word array repeated.
    Ref result = Ref::steal(PySequence_Repeat(empty_words, words));
    if (!result || !fill_into(generator, result.get())) return nullptr;
    return result.release();
}

PyObject* list_generator_types(PyObject*, PyObject*) {
    Py_INCREF(generator_list);
    return generator_list;
}

PyMethodDef functions[] = {
    {"fill", fill, METH_VARARGS,
     "fill(generator, out) -> out\n\n"
     "Writes the next len(out) values of an ombrix generator into out, a\n"
     "writable C-contiguous buffer of 32-bit words (or of bytes, four to a\n"
     "value), exactly the values that as many next(generator) calls return.\n"
     "A signal that raises (Ctrl-C) stops the call and leaves the generator\n"
     "as it was; the buffer's contents are then unspecified."},
    {"draw", draw, METH_VARARGS,
     "draw(generator, n) -> array('I') of the next n values of generator."},
    {"generator_types", list_generator_types, METH_NOARGS,
     "generator_types() -> the generator types, in the order they are registered."},
    {nullptr, nullptr, 0, nullptr},
};

ModuleDefinition definition = {"_bulk", "ombrix.iterators._bulk", functions};

// The types that carry capabilities among a module's attributes, in
// registration order.
PyObject* types_in(PyObject* module) {
    PyObject* namespace_ = PyModule_GetDict(module);  // borrowed
    Ref found = Ref::steal(PyList_New(0));
    if (!namespace_ || !found) return nullptr;
    Py_ssize_t position = 0;
    PyObject* key;
    PyObject* value;
    while (PyDict_Next(namespace_, &position, &key, &value)) {
        const Capabilities* capabilities = own_capabilities(value);
        if (!capabilities) continue;
        const auto index = static_cast<Py_ssize_t>(capabilities->index);
        while (PyList_GET_SIZE(found.get()) <= index)
            if (PyList_Append(found.get(), Py_None) < 0) return nullptr;
        Py_INCREF(value);
        if (PyList_SetItem(found.get(), index, value) < 0) return nullptr;
    }
    return PyList_AsTuple(found.get());
}

// What the module keeps for good: the generator types and array's pieces.
bool find_types() {
    if (empty_words) return true;  // loaded before, under another name
    Ref generators = Ref::steal(PyImport_ImportModule("ombrix.iterators._iterators_zinthe"));
    if (!generators) return false;
    Ref types = Ref::steal(types_in(generators.get()));
    if (!types) return false;
    static_assert(sizeof(unsigned int) == sizeof(word), "array('I') holds words");
    Ref array_module = Ref::steal(PyImport_ImportModule("array"));
    if (!array_module) return false;
    Ref type = Ref::steal(PyObject_GetAttrString(array_module.get(), "array"));
    if (!type) return false;
    Ref words = Ref::steal(PyObject_CallFunction(type.get(), const_cast<char*>("s[i]"), "I", 0));
    if (!words) return false;
    generator_list = types.release();
    array_type = type.release();
    empty_words = words.release();
    return true;
}

PyObject* initialise_module() {
    if (!find_types()) return nullptr;
    return create_module(definition);
}

}  // namespace
}  // namespace ombrix::py

extern "C" OMBRIX_MODULE_ENTRY(_bulk) {
    PyObject* module = ombrix::py::initialise_module();
    OMBRIX_MODULE_RETURN(module);
}

// ombrix.iterators._bulk: fill(generator, out) writes the next len(out)
// values of a generator into a buffer of 32-bit words, straight from the
// engine, exactly as that many next() calls would return them; draw(generator,
// n) returns them as a new array('I').
#include "../core/compat.hpp"
#include "../core/ref.hpp"
#include "../generators/objects.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace ombrix::py {
namespace {

using word = std::uint32_t;

enum class Kind { Cong, SHR3, MWC1, MWC2, MWC64, KISS, KISS2, LFIB4, SWB, LFSR113, LFSR88, count };
constexpr const char* kind_names[] = {"Cong",  "SHR3",  "MWC1", "MWC2",    "MWC64", "KISS",
                                      "KISS2", "LFIB4", "SWB",  "LFSR113", "LFSR88"};
PyTypeObject* generator_types[static_cast<int>(Kind::count)];
PyObject* array_type = nullptr;  // array.array
PyObject* empty_words = nullptr;  // array('I', [0]): draw() repeats it

// Values between two looks for a pending signal: well under a millisecond
// of work, so that Ctrl-C stops even a call over gigabytes at once.
constexpr Py_ssize_t words_per_check = 1 << 16;

// The generator type that `type` is or derives from, most derived first.
Kind kind_of(PyTypeObject* type, PyTypeObject** base) {
    PyObject* mro = type->tp_mro;
    for (Py_ssize_t i = 0; mro && i < PyTuple_GET_SIZE(mro); ++i) {
        PyObject* ancestor = PyTuple_GET_ITEM(mro, i);
        for (int k = 0; k < static_cast<int>(Kind::count); ++k)
            if (ancestor == reinterpret_cast<PyObject*>(generator_types[k])) {
                *base = generator_types[k];
                return static_cast<Kind>(k);
            }
    }
    return Kind::count;
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

// Writes `count` values of `engine` to `out`, which need not be aligned. The
// engine is a by-value local, so the compiler keeps it in registers: no store
// to `out` can touch it.
template <class Engine>
Engine write_words(Engine engine, char* out, Py_ssize_t count) {
    if (reinterpret_cast<std::uintptr_t>(out) % alignof(word) == 0) {
        word* words = reinterpret_cast<word*>(out);
        for (Py_ssize_t i = 0; i < count; ++i) words[i] = engine();
        return engine;
    }
    word chunk[1024];
    while (count > 0) {
        const Py_ssize_t n = std::min<Py_ssize_t>(count, 1024);
        for (Py_ssize_t i = 0; i < n; ++i) chunk[i] = engine();
        std::memcpy(out, chunk, static_cast<std::size_t>(n) * sizeof(word));
        out += n * sizeof(word);
        count -= n;
    }
    return engine;
}

// The engine's state as a generator object holds it, and back.
template <class Engine>
struct Fields {
    static Engine load(PyObject* g) { return reinterpret_cast<EngineObject<Engine>*>(g)->engine; }
    static void store(PyObject* g, const Engine& e) {
        reinterpret_cast<EngineObject<Engine>*>(g)->engine = e;
    }
};

template <>
struct Fields<ombrix::SWB> {
    static ombrix::SWB load(PyObject* g) {
        const auto& o = *reinterpret_cast<SWBObject*>(g);
        return ombrix::SWB(o.base.engine.t, o.base.engine.c, o.borrow);
    }
    static void store(PyObject* g, const ombrix::SWB& e) {
        auto& o = *reinterpret_cast<SWBObject*>(g);
        std::memcpy(o.base.engine.t, e.t, sizeof e.t);
        o.base.engine.c = e.c;
        o.borrow = e.borrow;
    }
};

// The generator's state changes only once every value is written: a signal
// handler that raises (KeyboardInterrupt) leaves it as it was before the call.
template <class Engine>
bool generate(PyObject* generator, Output& out) {
    Engine engine = Fields<Engine>::load(generator);
    for (Py_ssize_t done = 0; done < out.count();) {
        const Py_ssize_t n = std::min(out.count() - done, words_per_check);
        char* memory = out.address();
        if (!memory) return false;
        engine = write_words(engine, memory + done * sizeof(word), n);
        done += n;
        if (PyErr_CheckSignals() < 0) return false;
    }
    Fields<Engine>::store(generator, engine);
    return true;
}

bool generate(Kind kind, PyObject* generator, Output& out) {
    switch (kind) {
        case Kind::Cong: return generate<ombrix::Cong>(generator, out);
        case Kind::SHR3: return generate<ombrix::SHR3>(generator, out);
        case Kind::MWC1: return generate<ombrix::MWC1>(generator, out);
        case Kind::MWC2: return generate<ombrix::MWC2>(generator, out);
        case Kind::MWC64: return generate<ombrix::MWC64>(generator, out);
        case Kind::KISS: return generate<ombrix::KISS>(generator, out);
        case Kind::KISS2: return generate<ombrix::KISS2>(generator, out);
        case Kind::LFIB4: return generate<ombrix::LFIB4>(generator, out);
        case Kind::SWB: return generate<ombrix::SWB>(generator, out);
        case Kind::LFSR113: return generate<ombrix::LFSR113>(generator, out);
        case Kind::LFSR88: return generate<ombrix::LFSR88>(generator, out);
        case Kind::count: break;
    }
    return refuse(PyExc_SystemError, "fill() met an unknown generator type");
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

// The ombrix type a generator is, or derives from; TypeError naming
// `function` for anything else.
bool check_generator(const char* function, PyObject* generator, Kind& kind, PyTypeObject*& base) {
    kind = kind_of(Py_TYPE(generator), &base);
    if (kind != Kind::count) return true;
    PyErr_Format(PyExc_TypeError, "%s() needs an ombrix generator, not %.200s", function,
                 Py_TYPE(generator)->tp_name);
    return false;
}

// Every lookup that may run Python code happens before the output is taken.
bool fill_into(PyObject* generator, Kind kind, PyTypeObject* base, PyObject* out) {
    const int overridden = overrides_next(generator, base);
    if (overridden < 0) return false;
    Output words;
    if (!words.acquire(out)) return false;
    return overridden ? generate_by_calls(generator, words) : generate(kind, generator, words);
}

PyObject* fill(PyObject*, PyObject* args) {
    PyObject* generator;
    PyObject* out;
    if (!PyArg_ParseTuple(args, "OO:fill", &generator, &out)) return nullptr;
    Kind kind;
    PyTypeObject* base;
    if (!check_generator("fill", generator, kind, base)) return nullptr;
    if (!fill_into(generator, kind, base, out)) return nullptr;
    Py_INCREF(out);
    return out;
}

PyObject* draw(PyObject*, PyObject* args) {
    PyObject* generator;
    PyObject* count;
    if (!PyArg_ParseTuple(args, "OO:draw", &generator, &count)) return nullptr;
    Kind kind;
    PyTypeObject* base;
    if (!check_generator("draw", generator, kind, base)) return nullptr;
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
    if (!result || !fill_into(generator, kind, base, result.get())) return nullptr;
    return result.release();
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
    {nullptr, nullptr, 0, nullptr},
};

ModuleDefinition definition = {"_bulk", "ombrix.iterators._bulk", functions};

// What the module keeps for good: the generator types and array's pieces.
bool find_types() {
    if (empty_words) return true;  // loaded before, under another name
    Ref generators = Ref::steal(PyImport_ImportModule("ombrix.iterators._iterators_zinthe"));
    if (!generators) return false;
    for (int k = 0; k < static_cast<int>(Kind::count); ++k) {
        Ref type = Ref::steal(PyObject_GetAttrString(generators.get(), kind_names[k]));
        if (!type) return false;
        if (!PyType_Check(type.get())) {
            PyErr_Format(PyExc_ImportError, "%s is not a type", kind_names[k]);
            return false;
        }
        generator_types[k] = reinterpret_cast<PyTypeObject*>(type.release());
    }
    static_assert(sizeof(unsigned int) == sizeof(word), "array('I') holds words");
    Ref array_module = Ref::steal(PyImport_ImportModule("array"));
    if (!array_module) return false;
    Ref type = Ref::steal(PyObject_GetAttrString(array_module.get(), "array"));
    if (!type) return false;
    Ref words = Ref::steal(PyObject_CallFunction(type.get(), const_cast<char*>("s[i]"), "I", 0));
    if (!words) return false;
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

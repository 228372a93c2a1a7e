// ombrix.iterators._bulk: fill(generator, out) writes the next len(out)
// values of a generator into a buffer of 32-bit words, straight from the
// engine, exactly as that many next() calls would return them.
#include "../core/compat.hpp"
#include "../core/ref.hpp"
#include "../generators/objects.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace ombrix::py {
namespace {

using word = std::uint32_t;

enum class Kind { Cong, SHR3, MWC1, MWC2, MWC64, KISS, KISS2, LFIB4, SWB, LFSR113, LFSR88, count };
constexpr const char* kind_names[] = {"Cong",  "SHR3",  "MWC1", "MWC2",    "MWC64", "KISS",
                                      "KISS2", "LFIB4", "SWB",  "LFSR113", "LFSR88"};
PyTypeObject* generator_types[static_cast<int>(Kind::count)];

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

// Writes `count` values of `engine` to `out`, which need not be aligned, and
// returns the engine's new state. The engine is a by-value local, so the
// compiler keeps it in registers: no store to `out` can touch it.
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

template <class Engine>
void generate(PyObject* generator, char* out, Py_ssize_t count) {
    Engine& state = reinterpret_cast<EngineObject<Engine>*>(generator)->engine;
    state = write_words(state, out, count);
}

void generate_swb(PyObject* generator, char* out, Py_ssize_t count) {
    auto& g = *reinterpret_cast<SWBObject*>(generator);
    const ombrix::SWB engine =
        write_words(ombrix::SWB(g.base.engine.t, g.base.engine.c, g.borrow), out, count);
    std::memcpy(g.base.engine.t, engine.t, sizeof engine.t);
    g.base.engine.c = engine.c;
    g.borrow = engine.borrow;
}

void generate(Kind kind, PyObject* generator, char* out, Py_ssize_t count) {
    switch (kind) {
        case Kind::Cong: return generate<ombrix::Cong>(generator, out, count);
        case Kind::SHR3: return generate<ombrix::SHR3>(generator, out, count);
        case Kind::MWC1: return generate<ombrix::MWC1>(generator, out, count);
        case Kind::MWC2: return generate<ombrix::MWC2>(generator, out, count);
        case Kind::MWC64: return generate<ombrix::MWC64>(generator, out, count);
        case Kind::KISS: return generate<ombrix::KISS>(generator, out, count);
        case Kind::KISS2: return generate<ombrix::KISS2>(generator, out, count);
        case Kind::LFIB4: return generate<ombrix::LFIB4>(generator, out, count);
        case Kind::SWB: return generate_swb(generator, out, count);
        case Kind::LFSR113: return generate<ombrix::LFSR113>(generator, out, count);
        case Kind::LFSR88: return generate<ombrix::LFSR88>(generator, out, count);
        case Kind::count: break;
    }
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

// A subclass that overrides __next__ is honoured: its values, one call at a
// time, each an integer from 0 to 2**32-1.
bool generate_by_calls(PyObject* generator, char* out, Py_ssize_t count) {
    iternextfunc next = Py_TYPE(generator)->tp_iternext;
    for (Py_ssize_t i = 0; i < count; ++i) {
        Ref value = Ref::steal(next(generator));
        if (!value) {
            if (!PyErr_Occurred()) PyErr_SetNone(PyExc_StopIteration);
            return false;
        }
        unsigned long number;
        if (is_native_int(value.get())) {
            const long native = native_int_value(value.get());
            if (native < 0) {
                PyErr_SetString(PyExc_OverflowError, "__next__ returned a negative value");
                return false;
            }
            number = static_cast<unsigned long>(native);
        } else if (PyLong_Check(value.get())) {
            number = PyLong_AsUnsignedLong(value.get());
            if (number == static_cast<unsigned long>(-1) && PyErr_Occurred()) return false;
        } else {
            PyErr_Format(PyExc_TypeError, "__next__ returned %.200s, not an integer",
                         Py_TYPE(value.get())->tp_name);
            return false;
        }
        if (number > 0xFFFFFFFFul) {
            PyErr_SetString(PyExc_OverflowError, "__next__ returned a value above 2**32-1");
            return false;
        }
        const word w = static_cast<word>(number);
        std::memcpy(out + i * sizeof(word), &w, sizeof w);
    }
    return true;
}

// The output's memory as words: a C-contiguous writable buffer of 4-byte
// integers, or of bytes whose length is a multiple of 4.
class Words {
public:
    ~Words() {
        if (has_view_) PyBuffer_Release(&view_);
    }

    bool acquire(PyObject* out) {
        if (PyObject_CheckBuffer(out)) return from_view(out);
        void* data;
        Py_ssize_t length;
        if (old_writable_buffer(out, &data, &length)) return from_old_buffer(out, data, length);
        PyErr_Format(PyExc_TypeError, "fill() needs a writable buffer of 32-bit words, not %.200s",
                     Py_TYPE(out)->tp_name);
        return false;
    }

    char* data() const { return data_; }
    Py_ssize_t count() const { return count_; }

private:
    bool from_view(PyObject* out) {
        if (PyObject_GetBuffer(out, &view_, PyBUF_RECORDS_RO) < 0) return false;
        has_view_ = true;
        if (view_.readonly) return refuse(PyExc_TypeError, "fill() needs a writable buffer");
        if (!PyBuffer_IsContiguous(&view_, 'C'))
            return refuse(PyExc_ValueError, "fill() needs a C-contiguous buffer");
        const char* format = view_.format ? view_.format : "B";
        if (*format == '@' || *format == '=' || (*format == '<' && little_endian())) ++format;
        const bool bytes =
            view_.itemsize == 1 && format[1] == '\0' && std::strchr("Bbc", format[0]);
        const bool words =
            view_.itemsize == 4 && format[1] == '\0' && std::strchr("IiLl", format[0]);
        if (!bytes && !words)
            return refuse(PyExc_TypeError, "fill() needs a buffer of 4-byte integers or of bytes");
        if (view_.len % 4)
            return refuse(PyExc_ValueError,
                          "fill() needs a byte buffer whose length is a multiple of 4");
        data_ = static_cast<char*>(view_.buf);
        count_ = view_.len / 4;
        return true;
    }

    // Python 2's array.array: its typecode says what it holds.
    bool from_old_buffer(PyObject* out, void* data, Py_ssize_t length) {
        Ref itemsize = Ref::steal(PyObject_GetAttrString(out, "itemsize"));
        if (!itemsize) {
            PyErr_Clear();
            PyErr_SetString(PyExc_TypeError,
                            "fill() needs a buffer of 4-byte integers or of bytes");
            return false;
        }
        const long size = PyLong_AsLong(itemsize.get());
        if (size != 4 || length % 4) {
            PyErr_Clear();
            PyErr_SetString(PyExc_TypeError,
                            "fill() needs a buffer of 4-byte integers or of bytes");
            return false;
        }
        data_ = static_cast<char*>(data);
        count_ = length / 4;
        return true;
    }

    static bool little_endian() {
        const std::uint16_t probe = 1;
        return *reinterpret_cast<const std::uint8_t*>(&probe) == 1;
    }

    bool refuse(PyObject* type, const char* message) {
        PyErr_SetString(type, message);
        return false;
    }

    Py_buffer view_ = {};
    bool has_view_ = false;
    char* data_ = nullptr;
    Py_ssize_t count_ = 0;
};

PyObject* fill(PyObject*, PyObject* args) {
    PyObject* generator;
    PyObject* out;
    if (!PyArg_ParseTuple(args, "OO:fill", &generator, &out)) return nullptr;
    PyTypeObject* base = nullptr;
    const Kind kind = kind_of(Py_TYPE(generator), &base);
    if (kind == Kind::count) {
        PyErr_Format(PyExc_TypeError, "fill() needs an ombrix generator, not %.200s",
                     Py_TYPE(generator)->tp_name);
        return nullptr;
    }
    Words words;
    if (!words.acquire(out)) return nullptr;
    const int overridden = overrides_next(generator, base);
    if (overridden < 0) return nullptr;
    if (!overridden) {
        generate(kind, generator, words.data(), words.count());
    } else if (!generate_by_calls(generator, words.data(), words.count())) {
        return nullptr;
    }
    Py_INCREF(out);
    return out;
}

PyMethodDef functions[] = {
    {"fill", fill, METH_VARARGS,
     "fill(generator, out) -> out\n\n"
     "Writes the next len(out) values of an ombrix generator into out, a\n"
     "writable C-contiguous buffer of 32-bit words (or of bytes, four to a\n"
     "value), exactly the values that as many next(generator) calls return."},
    {nullptr, nullptr, 0, nullptr},
};

PyObject* initialise_module() {
    static ModuleDefinition definition = {"_bulk", "ombrix.iterators._bulk", functions};
    Ref generators = Ref::steal(PyImport_ImportModule("ombrix.iterators._iterators_zinthe"));
    if (!generators) return nullptr;
    for (int k = 0; k < static_cast<int>(Kind::count); ++k) {
        Ref type = Ref::steal(PyObject_GetAttrString(generators.get(), kind_names[k]));
        if (!type) return nullptr;
        if (!PyType_Check(type.get())) {
            PyErr_Format(PyExc_ImportError, "%s is not a type", kind_names[k]);
            return nullptr;
        }
        generator_types[k] = reinterpret_cast<PyTypeObject*>(type.release());  // kept for good
    }
    return create_module(definition);
}

}  // namespace
}  // namespace ombrix::py

extern "C" OMBRIX_MODULE_ENTRY(_bulk) {
    PyObject* module = ombrix::py::initialise_module();
    OMBRIX_MODULE_RETURN(module);
}

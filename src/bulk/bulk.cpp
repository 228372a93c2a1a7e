// ombrix.iterators._bulk: fill(generator, out) writes the next len(out)
// values of a generator into a buffer of 32-bit words, straight from the
// engine, exactly as that many next() calls would return them; draw(generator,
// n) returns them as a new array('I').
//
// It knows no generator type and no object layout of its own: every type
// carries its capabilities (src/core/capabilities.hpp), found through the
// type object.
#include "../core/capabilities.hpp"
#include "../core/lookup.hpp"
#include "../core/compat.hpp"
#include "../core/ref.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <new>
#include <vector>

namespace ombrix::py {
namespace {

PyObject* generator_list = nullptr;  // the types, in registration order
PyObject* array_type = nullptr;      // array.array
PyObject* empty_words = nullptr;     // array('I', [0]): draw() repeats it

// Values between two looks for a pending signal: about a millisecond of
// work on the vector paths (a few on the scalar one), so that Ctrl-C stops
// even a call over gigabytes at once. Larger pieces keep the vector
// kernels' set-up (a jump per lane) a small part of the work.
constexpr std::size_t words_per_check = 1 << 20;

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

// A copy of a generator's engine, which a bulk call or a jump works on and
// stores back only once it has succeeded: a failure, or a signal handler that
// raises (KeyboardInterrupt), leaves the generator as it was.
class EngineCopy {
public:
    EngineCopy(PyObject* generator, const Capabilities& capabilities)
        : generator_(generator), capabilities_(capabilities) {
        capabilities_.load(generator_, bytes_);
    }
    void* get() { return bytes_; }
    void store() const { capabilities_.store(generator_, bytes_); }

private:
    PyObject* generator_;
    const Capabilities& capabilities_;
    // Every type's engine fits: each binding asserts it (CapabilitiesOf).
    alignas(std::max_align_t) unsigned char bytes_[max_engine_size];
};

bool generate(PyObject* generator, const Capabilities& capabilities, Output& out) {
    EngineCopy engine(generator, capabilities);
    const std::size_t count = static_cast<std::size_t>(out.count());
    for (std::size_t done = 0; done < count;) {
        const std::size_t n = std::min(count - done, words_per_check);
        char* memory = out.address();
        if (!memory) return false;
        capabilities.generate(engine.get(), memory + done * sizeof(word), n);
        done += n;
        if (PyErr_CheckSignals() < 0) return false;
    }
    engine.store();
    return true;
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
    int overflow;  // Python 2's int and long alike
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

// Every lookup that may run Python code happens before the output is taken.
bool fill_into(const Generator& generator, PyObject* out) {
    const int overridden = overrides_next(generator.object, generator.base);
    if (overridden < 0) return false;
    Output words;
    if (!words.acquire(out)) return false;
    return overridden ? generate_by_calls(generator.object, words)
                      : generate(generator.object, *generator.capabilities, words);
}

PyObject* fill(PyObject* object, PyObject* out) {
    Generator generator{object};
    if (!generator.check("fill") || !fill_into(generator, out)) return nullptr;
    Py_INCREF(out);
    return out;
}

PyObject* draw(PyObject* object, PyObject* count) {
    Generator generator{object};
    if (!generator.check("draw")) return nullptr;
    Ref n = Ref::steal(PyNumber_Index(count));
    if (!n) return nullptr;
    const bool negative = integer_sign(n.get()) < 0;
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

// --- jumps ---------------------------------------------------------------

// A count of steps of any size: its magnitude as little-endian 64-bit limbs,
// and its direction.
class Steps {
public:
    bool read(PyObject* count) {
        Ref n = is_exact_int(count) ? Ref::borrow(count) : Ref::steal(PyNumber_Index(count));
        if (!n) return false;
        // Counts of one limb, either way, without a detour.
        if (is_native_int(n.get())) {  // Python 2's int
            const long value = native_int_value(n.get());
            backward_ = value < 0;
            return one_limb(backward_ ? 0 - static_cast<std::uint64_t>(value)
                                      : static_cast<std::uint64_t>(value));
        }
        if (integer_sign(n.get()) >= 0) {
            const unsigned long long forward = PyLong_AsUnsignedLongLong(n.get());
            if (!(forward == static_cast<unsigned long long>(-1) && PyErr_Occurred()))
                return one_limb(forward);
        } else {
            int overflow;
            const long long back = PyLong_AsLongLongAndOverflow(n.get(), &overflow);
            if (!(back == -1 && PyErr_Occurred()) && !overflow) {
                backward_ = true;
                return one_limb(0 - static_cast<std::uint64_t>(back));
            }
        }
        if (PyErr_Occurred()) {
            if (!PyErr_ExceptionMatches(PyExc_OverflowError)) return false;
            PyErr_Clear();
        }
        // Larger counts through their hexadecimal digits: linear in their size.
        Ref hex = Ref::steal(PyNumber_ToBase(n.get(), 16));
        const char* digits = hex ? text_of(hex.get()) : nullptr;
        if (!digits) return false;
        backward_ = *digits == '-';
        digits += backward_ ? 3 : 2;  // "-0x" or "0x"
        for (std::size_t end = std::strlen(digits); end > 0;) {
            const std::size_t start = end > 16 ? end - 16 : 0;
            std::uint64_t limb = 0;
            for (std::size_t i = start; i < end; ++i) limb = limb << 4 | hex_value(digits[i]);
            limbs_.push_back(limb);
            end = start;
        }
        while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
        count_ = limbs_.size();
        if (count_ == 1) one_ = limbs_[0];
        return true;
    }

    bool backward() const { return backward_; }
    bool fits64() const { return count_ <= 1; }
    std::uint64_t low64() const { return count_ ? limbs()[0] : 0; }
    const std::uint64_t* limbs() const { return count_ <= 1 ? &one_ : limbs_.data(); }
    std::size_t size() const { return count_; }

private:
    bool one_limb(std::uint64_t magnitude) {
        one_ = magnitude;
        count_ = magnitude ? 1 : 0;
        return true;
    }

    static std::uint64_t hex_value(char digit) {
        return static_cast<std::uint64_t>(digit <= '9' ? digit - '0' : (digit | 0x20) - 'a' + 10);
    }

    std::uint64_t one_ = 0;  // a count that fits one limb, kept here
    std::vector<std::uint64_t> limbs_;
    std::size_t count_ = 0;
    bool backward_ = false;
};

// Steps a generator that jumps by stepping is moved at a time, between two
// looks for a signal.
constexpr std::uint64_t steps_per_check = 1 << 20;

const char* short_name(PyTypeObject* type) {
    const char* dot = std::strrchr(type->tp_name, '.');
    return dot ? dot + 1 : type->tp_name;
}

bool no_predecessor(const Generator& generator) {
    PyErr_Format(PyExc_ValueError, "%s cannot go back from this state: %s",
                 short_name(generator.base),
                 generator.capabilities->no_predecessor ? generator.capabilities->no_predecessor
                                                        : "it has no past");
    return false;
}

// Moves the generator's state, which changes only when the whole jump has
// succeeded.
bool jump(const Generator& generator, const Steps& steps) {
    const Capabilities& capabilities = *generator.capabilities;
    EngineCopy engine(generator.object, capabilities);
    if (!capabilities.jumps_by_stepping) {
        if (!capabilities.jump(engine.get(), steps.limbs(), steps.size(), steps.backward()))
            return no_predecessor(generator);
    } else {
        if (!steps.fits64()) {
            PyErr_Format(PyExc_ValueError,
                         "%s jumps by stepping, and cannot move 2**64 steps or more",
                         short_name(generator.base));
            return false;
        }
        for (std::uint64_t left = steps.low64(); left > 0;) {
            const std::uint64_t piece = std::min(left, steps_per_check);
            if (!capabilities.jump(engine.get(), &piece, 1, steps.backward()))
                return no_predecessor(generator);
            left -= piece;
            if (left && PyErr_CheckSignals() < 0) return false;
        }
    }
    engine.store();
    return true;
}

bool read_steps(Steps& steps, PyObject* count) {
    try {
        return steps.read(count);
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
        return false;
    }
}

PyObject* advance(PyObject* object, PyObject* count) {
    Generator generator{object};
    Steps steps;
    if (!generator.check("advance") || !read_steps(steps, count) || !jump(generator, steps))
        return nullptr;
    Py_INCREF(generator.object);
    return generator.object;
}

PyObject* jumped(PyObject* original, PyObject* count) {
    Generator generator{original};
    Steps steps;
    if (!generator.check("jumped") || !read_steps(steps, count)) return nullptr;
    Ref copy_module = Ref::steal(PyImport_ImportModule("copy"));
    Ref copy = copy_module ? Ref::steal(PyObject_CallMethod(copy_module.get(), const_cast<char*>("copy"),
                                                            const_cast<char*>("O"), original))
                           : Ref();
    if (!copy) return nullptr;
    Generator clone{copy.get()};
    if (!clone.check("jumped") || !jump(clone, steps)) return nullptr;
    return copy.release();
}

PyObject* list_generator_types(PyObject*, PyObject*) {
    Py_INCREF(generator_list);
    return generator_list;
}

constexpr char fill_name[] = "fill";
constexpr char draw_name[] = "draw";
constexpr char advance_name[] = "advance";
constexpr char jumped_name[] = "jumped";
using Fill = TwoArguments<fill_name, fill>;
using Draw = TwoArguments<draw_name, draw>;
using Advance = TwoArguments<advance_name, advance>;
using Jumped = TwoArguments<jumped_name, jumped>;

// The kernel paths, by name: the one bulk calls use, and those the machine
// supports.
PyObject* kernel_path_in_use(PyObject*, PyObject*) {
    return new_string(ombrix::kernel_path_name(ombrix::default_kernel_path()));
}

PyObject* supported_kernel_paths(PyObject*, PyObject*) {
    Py_ssize_t count = 0;
    for (ombrix::kernel_path path : ombrix::kernel_paths) count += ombrix::kernel_path_supported(path);
    Ref paths = Ref::steal(PyTuple_New(count));
    if (!paths) return nullptr;
    Py_ssize_t i = 0;
    for (ombrix::kernel_path path : ombrix::kernel_paths) {
        if (!ombrix::kernel_path_supported(path)) continue;
        PyObject* name = new_string(ombrix::kernel_path_name(path));
        if (!name) return nullptr;
        PyTuple_SET_ITEM(paths.get(), i++, name);
    }
    return paths.release();
}

PyMethodDef functions[] = {
    {"fill", Fill::entry(), Fill::flags,
     "fill(generator, out) -> out\n\n"
     "Writes the next len(out) values of an ombrix generator into out, a\n"
     "writable C-contiguous buffer of 32-bit words (or of bytes, four to a\n"
     "value), exactly the values that as many next(generator) calls return.\n"
     "A signal that raises (Ctrl-C) stops the call and leaves the generator\n"
     "as it was; the buffer's contents are then unspecified."},
    {"draw", Draw::entry(), Draw::flags,
     "draw(generator, n) -> array('I') of the next n values of generator."},
    {"advance", Advance::entry(), Advance::flags,
     "advance(generator, n) -> generator\n\n"
     "Moves the generator's state n steps on (back, for negative n), exactly\n"
     "as n steps of its type would; n may be any integer, however large, and\n"
     "is reduced by the period where it is known. Jumps take O(log n), but\n"
     "SWB's, which step. A Python subclass's own __next__ is not consulted.\n"
     "ValueError, with the state unchanged, where no state lies n steps back."},
    {"jumped", Jumped::entry(), Jumped::flags,
     "jumped(generator, n) -> a copy of generator, n steps on\n\n"
     "The copy is made by copy.copy (so a subclass's attributes come along)\n"
     "and moved as advance() moves it; the original is untouched."},
    {"generator_types", list_generator_types, METH_NOARGS,
     "generator_types() -> the generator types, in the order they are registered."},
    {"kernel_path", kernel_path_in_use, METH_NOARGS,
     "kernel_path() -> the name of the kernel path that fill() and draw() use: 'avx512',\n"
     "'avx2', 'sse2' or 'scalar', the best this processor supports unless the\n"
     "environment variable OMBRIX_KERNELS names another."},
    {"supported_kernel_paths", supported_kernel_paths, METH_NOARGS,
     "supported_kernel_paths() -> the names of the kernel paths this processor supports."},
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
    if (!intern_capabilities_key()) return nullptr;
    if (!find_types()) return nullptr;
    return create_module(definition);
}

}  // namespace
}  // namespace ombrix::py

OMBRIX_MODULE_ENTRY(_bulk) {
    PyObject* module = ombrix::py::initialise_module();
    OMBRIX_MODULE_RETURN(module);
}

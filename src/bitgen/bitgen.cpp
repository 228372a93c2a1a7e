// ombrix._bitgen: the C side of ombrix.bitgenerator, numpy's bit-generator
// interface over an ombrix engine.
//
// A stream owns a copy of a generator's engine and a buffer of its next
// values, refilled by the vector kernels; numpy calls the next_* functions
// below through a bitgen_t, without the interpreter lock, while the Python
// side holds the bit generator's lock. The Python side keeps the stream
// (a capsule that deletes it) alive as long as numpy may call into it.
//
// Python 3 only: numpy's bit generators need it.
#include "../core/capabilities.hpp"
#include "../core/compat.hpp"
#include "../core/lookup.hpp"
#include "../core/ref.hpp"

#include <cstdint>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ombrix::py {
namespace {

// numpy's bit generator, as numpy/random/bitgen.h declares it: numpy's
// Generator reads it from a capsule named "BitGenerator".
struct bitgen_t {
    void* state;
    std::uint64_t (*next_uint64)(void* state);
    std::uint32_t (*next_uint32)(void* state);
    double (*next_double)(void* state);
    std::uint64_t (*next_raw)(void* state);
};

constexpr char stream_name[] = "ombrix._bitgen.stream";
// Values per refill: enough that the vector kernels' set-up (a jump per
// lane) is a small part of the cost of a value.
constexpr std::size_t buffer_words = 1 << 15;

struct Stream {
    bitgen_t bitgen;
    const Capabilities* capabilities;
    PyTypeObject* base;  // the ombrix type whose engine this is
    // buffer[index, filled) are the next values; start is the engine before
    // buffer[0], engine the engine after buffer[filled - 1].
    std::size_t index = 0, filled = 0;
    alignas(64) word buffer[buffer_words];
    alignas(std::max_align_t) unsigned char engine[max_engine_size];
    alignas(std::max_align_t) unsigned char start[max_engine_size];

    void refill() {
        std::memcpy(start, engine, capabilities->engine_size);
        capabilities->generate(engine, reinterpret_cast<char*>(buffer), buffer_words);
        filled = buffer_words;
        index = 0;
    }
    word next() {
        if (index == filled) refill();
        return buffer[index++];
    }
    // The engine as the values handed out so far leave it.
    void current(void* out) const {
        if (index == filled) {
            std::memcpy(out, engine, capabilities->engine_size);
            return;
        }
        std::memcpy(out, start, capabilities->engine_size);
        const std::uint64_t steps = index;
        capabilities->jump(out, &steps, 1, false);
    }
    void reset(const void* from) {
        std::memcpy(engine, from, capabilities->engine_size);
        index = filled = 0;
    }
};

std::uint32_t next_uint32(void* state) { return static_cast<Stream*>(state)->next(); }
std::uint64_t next_raw(void* state) { return static_cast<Stream*>(state)->next(); }
// The first word is the high half.
std::uint64_t next_uint64(void* state) {
    auto* stream = static_cast<Stream*>(state);
    const std::uint64_t high = stream->next();
    return high << 32 | stream->next();
}
// 53 bits from two words, as numpy's MT19937 makes a double.
double next_double(void* state) {
    auto* stream = static_cast<Stream*>(state);
    const word a = stream->next() >> 5, b = stream->next() >> 6;
    return (a * 67108864.0 + b) / 9007199254740992.0;
}

void delete_stream(PyObject* capsule) {
    delete static_cast<Stream*>(PyCapsule_GetPointer(capsule, stream_name));
}

Stream* stream_of(PyObject* capsule) {
    return static_cast<Stream*>(PyCapsule_GetPointer(capsule, stream_name));  // TypeError if not one
}

// The generator's type must be the stream's own (or derive from it).
bool same_type(const Stream& stream, PyObject* generator) {
    PyTypeObject* base = nullptr;
    if (capabilities_of(Py_TYPE(generator), &base) == stream.capabilities) return true;
    PyErr_Format(PyExc_TypeError, "this bit generator holds a %.100s, not a %.200s",
                 stream.base->tp_name, Py_TYPE(generator)->tp_name);
    return false;
}

PyObject* new_stream(PyObject*, PyObject* object) {
    Generator generator{object};
    if (!generator.check("BitGenerator")) return nullptr;
    const int overridden = overrides_next(object, generator.base);
    if (overridden < 0) return nullptr;
    if (overridden) {
        PyErr_Format(PyExc_TypeError,
                     "BitGenerator() draws with %.100s's own step, which %.200s overrides with "
                     "its own __next__",
                     generator.base->tp_name, Py_TYPE(object)->tp_name);
        return nullptr;
    }
    auto* stream = new (std::nothrow) Stream;
    if (!stream) return PyErr_NoMemory();
    stream->bitgen = {stream, next_uint64, next_uint32, next_double, next_raw};
    stream->capabilities = generator.capabilities;
    stream->base = generator.base;
    generator.capabilities->load(object, stream->engine);
    PyObject* capsule = PyCapsule_New(stream, stream_name, delete_stream);
    if (!capsule) delete stream;
    return capsule;
}

PyObject* bitgen_capsule(PyObject*, PyObject* capsule) {
    Stream* stream = stream_of(capsule);
    return stream ? PyCapsule_New(&stream->bitgen, "BitGenerator", nullptr) : nullptr;
}

// store(stream, generator): the generator takes the stream's current state.
PyObject* store_into(PyObject*, PyObject* args) {
    PyObject *capsule, *generator;
    if (!PyArg_ParseTuple(args, "OO:store", &capsule, &generator)) return nullptr;
    Stream* stream = stream_of(capsule);
    if (!stream || !same_type(*stream, generator)) return nullptr;
    alignas(std::max_align_t) unsigned char engine[max_engine_size];
    stream->current(engine);
    stream->capabilities->store(generator, engine);
    Py_RETURN_NONE;
}

// load(stream, generator): the stream starts again from the generator's state.
PyObject* load_from(PyObject*, PyObject* args) {
    PyObject *capsule, *generator;
    if (!PyArg_ParseTuple(args, "OO:load", &capsule, &generator)) return nullptr;
    Stream* stream = stream_of(capsule);
    if (!stream || !same_type(*stream, generator)) return nullptr;
    alignas(std::max_align_t) unsigned char engine[max_engine_size];
    stream->capabilities->load(generator, engine);
    stream->reset(engine);
    Py_RETURN_NONE;
}

// Words to 8-byte items, zero-extended.
void widen(const word* in, std::uint64_t* out, std::size_t n) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 4 <= n; i += 4) {
        const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi32(w, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 2), _mm_unpackhi_epi32(w, zero));
    }
#endif
    for (; i < n; ++i) out[i] = in[i];
}

// The engine's next n values into out[0, n), one word to each 8-byte item,
// a buffer's worth at a time (the buffer holds nothing still to be handed
// out when this runs): the words stay in cache between the kernel writing
// them and their widening, and each piece's kernel set-up is the one the
// refills use.
void widen_from_engine(Stream& stream, std::uint64_t* out, std::size_t n) {
    if (n == 0) return;  // the buffer still holds values to hand out
    while (n > 0) {
        const std::size_t count = n < buffer_words ? n : buffer_words;
        stream.capabilities->generate(stream.engine, reinterpret_cast<char*>(stream.buffer), count);
        widen(stream.buffer, out, count);
        out += count;
        n -= count;
    }
    stream.index = stream.filled = 0;
}

// raw(stream, out): the next len(out) values into a writable C-contiguous
// buffer of 8-byte items, one word each; the buffered values first, then
// straight from the engine.
PyObject* raw(PyObject*, PyObject* args) {
    PyObject *capsule, *out;
    if (!PyArg_ParseTuple(args, "OO:raw", &capsule, &out)) return nullptr;
    Stream* stream = stream_of(capsule);
    if (!stream) return nullptr;
    Py_buffer view;
    if (PyObject_GetBuffer(out, &view, PyBUF_WRITABLE | PyBUF_C_CONTIGUOUS | PyBUF_FORMAT) < 0)
        return nullptr;
    if (view.itemsize != 8) {
        PyBuffer_Release(&view);
        PyErr_SetString(PyExc_TypeError, "raw() needs a buffer of 8-byte items");
        return nullptr;
    }
    auto* values = static_cast<std::uint64_t*>(view.buf);
    std::size_t n = static_cast<std::size_t>(view.len / 8);
    while (n > 0 && stream->index < stream->filled) {
        *values++ = stream->buffer[stream->index++];
        --n;
    }
    widen_from_engine(*stream, values, n);
    PyBuffer_Release(&view);
    Py_RETURN_NONE;
}

// addresses(stream): the state's address and those of next_uint64,
// next_uint32, next_double and next_raw, for ctypes and cffi.
PyObject* addresses(PyObject*, PyObject* capsule) {
    Stream* stream = stream_of(capsule);
    if (!stream) return nullptr;
    auto address = [](auto pointer) {
        return PyLong_FromVoidPtr(reinterpret_cast<void*>(pointer));
    };
    return Py_BuildValue("(NNNNN)", address(stream), address(next_uint64), address(next_uint32),
                         address(next_double), address(next_raw));
}

PyMethodDef functions[] = {
    {"stream", new_stream, METH_O,
     "stream(generator) -> a new stream over a copy of an ombrix generator's state."},
    {"capsule", bitgen_capsule, METH_O, "capsule(stream) -> numpy's \"BitGenerator\" capsule."},
    {"store", store_into, METH_VARARGS,
     "store(stream, generator): the generator takes the stream's current state."},
    {"load", load_from, METH_VARARGS,
     "load(stream, generator): the stream starts again from the generator's state."},
    {"raw", raw, METH_VARARGS, "raw(stream, out): the next values into a buffer of 8-byte items."},
    {"addresses", addresses, METH_O,
     "addresses(stream) -> (state, next_uint64, next_uint32, next_double, next_raw) addresses."},
    {nullptr, nullptr, 0, nullptr},
};

ModuleDefinition definition = {"_bitgen", "ombrix._bitgen", functions};

PyObject* initialise_module() {
    if (!intern_capabilities_key()) return nullptr;
    // The generator types carry the capabilities: load their module first.
    Ref generators = Ref::steal(PyImport_ImportModule("ombrix.iterators._iterators_zinthe"));
    if (!generators) return nullptr;
    return create_module(definition);
}

}  // namespace
}  // namespace ombrix::py

OMBRIX_MODULE_ENTRY(_bitgen) {
    PyObject* module = ombrix::py::initialise_module();
    OMBRIX_MODULE_RETURN(module);
}

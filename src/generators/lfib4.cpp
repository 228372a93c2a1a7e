// LFIB4: the four-lag lagged Fibonacci generator over a 256-word table.
#include "objects.hpp"

#include "../core/protocol.hpp"
#include "../core/registry.hpp"

#include <cstddef>

namespace ombrix::py {
namespace {

// Fills the table from the generator the module makes through its KISS
// type, drawn through its next-value slot.
bool fill_from_kiss(LFIB4Object& g) {
    Ref kiss =
        Ref::steal(PyObject_Call(reinterpret_cast<PyObject*>(registered_type(TypeIndex::KISS)),
                                 module_state.kiss_seed_arguments, nullptr));
    if (!kiss) return false;
    iternextfunc next = Py_TYPE(kiss.get())->tp_iternext;
    for (word& slot : g.engine.t) {
        Ref value = Ref::steal(next(kiss.get()));
        if (!value) {
            if (!PyErr_Occurred()) PyErr_SetNone(PyExc_StopIteration);
            return false;
        }
        if (!to_word(value.get(), slot)) return false;
    }
    return true;
}

// True when `object` has exactly 256 items; otherwise raises the module's
// own error with the given message.
bool has_256_items(PyObject* object, PyObject* message_arguments) {
    const Py_ssize_t length = PyObject_Size(object);
    if (length < 0) return false;
    if (length != 256) {
        raise_module_error(message_arguments);
        return false;
    }
    return true;
}

bool fill_from_seed(LFIB4Object& g, PyObject* seed) {
    if (!has_256_items(seed, module_state.seed_length_arguments)) return false;
    Ref iterator = Ref::steal(PyObject_GetIter(seed));
    if (!iterator) return false;
    for (word& slot : g.engine.t) {
        Ref item = Ref::steal(PyIter_Next(iterator.get()));
        if (!item) {
            // The length promised 256 items and the iterator ended early.
            if (!PyErr_Occurred()) PyErr_SetNone(PyExc_StopIteration);
            return false;
        }
        if (!to_word(item.get(), slot)) return false;
    }
    return true;
}

// Slots 0 to 255 from items 0 to 255 of `value`, each stored as it is read.
bool load_table(LFIB4Object& g, PyObject* value) {
    for (Py_ssize_t i = 0; i < 256; ++i) {
        Ref item = item_at(value, i);
        if (!item || !to_word(item.get(), g.engine.t[i])) return false;
    }
    return true;
}

struct LFIB4Binding {
    using Object = LFIB4Object;
    static constexpr const char* name = "ombrix.iterators._iterators_zinthe.LFIB4";
    static constexpr const char* doc =
        "\"Lagged Fibonacci 4-lag\" random number generator\n"
        "\n"
        "    LFIB4 is an extension of what Marsaglia has previously defined as a\n"
        "    lagged Fibonacci generator:\n"
        "\n"
        "        x[n]=x[n-r] op x[n-s]\n"
        "\n"
        "    with the x's in a finite set over which there is a binary operation\n"
        "    op, such as +,- on integers mod 2**32, * on odd such integers,\n"
        "    exclusive-or (xor) on binary vectors. Except for those with op = *,\n"
        "    such generators fail tests of randomness unless the lags are very\n"
        "    long (see SWB). The four-lag generator, using addition, was\n"
        "    developed to overcome the problems of two-lag generators:\n"
        "\n"
        "        x[n]=x[n-256]+x[n-179]+x[n-119]+x[n-55] mod 2**32\n"
        "\n"
        "    Its period is 2**31*(2**256-1), about 2**287,\n"
        "    and it seems to pass all tests---in particular, those of the kind\n"
        "    for which 2-lag generators using +,-,xor seem to fail. For even more\n"
        "    confidence in its suitability, LFIB4 can be combined with KISS, with\n"
        "    a resulting period of about 2**410.\n";
    static constexpr Parameters parameters{Parameters::optional, {Id::seed}};
    static constexpr bool iterable = true;
    static constexpr bool own_seed = true;

    static word step(Object& g) { return g.engine(); }

    static bool initialise(Object& g, PyObject* seed) {
        const int given = truth_of(seed);
        if (given < 0) return false;
        if (!(given ? fill_from_seed(g, seed) : fill_from_kiss(g))) return false;
        g.engine.c = 0;
        return true;
    }
    static bool initialise(Object& g, const Arguments& seeds) { return initialise(g, seeds[0]); }

    // Rotated to the index: item 0 is the most recently written slot, so that
    // loading the tuple (which resets the index) continues the sequence.
    // The positions come from the built-in range(256).
    static PyObject* getstate(Object& g) {
        Ref positions =
            Ref::steal(PyObject_Call(module_state.range, module_state.range_arguments, nullptr));
        if (!positions) return nullptr;
        Ref iterator = Ref::steal(PyObject_GetIter(positions.get()));
        if (!iterator) return nullptr;
        Ref slots = Ref::steal(PyList_New(0));
        if (!slots) return nullptr;
        while (Ref position = Ref::steal(PyIter_Next(iterator.get()))) {
            const Py_ssize_t k = PyNumber_AsSsize_t(position.get(), nullptr);
            if (k == -1 && PyErr_Occurred()) return nullptr;
            const std::uint8_t slot =
                static_cast<std::uint8_t>(static_cast<std::size_t>(k) + g.engine.c);
            Ref value = Ref::steal(word_result(g.engine.t[slot]));
            if (!value || PyList_Append(slots.get(), value.get()) < 0) return nullptr;
        }
        if (PyErr_Occurred()) return nullptr;
        return PyList_AsTuple(slots.get());
    }

    static bool setstate(Object& g, PyObject* state) {
        if (!has_256_items(state, module_state.state_length_arguments) || !load_table(g, state))
            return false;
        g.engine.c = 0;
        return true;
    }

    static PyObject* get_table(PyObject* self) {
        return word_tuple(reinterpret_cast<Object*>(self)->engine.t, 256);
    }

    // No length test: extra items are ignored, a short value fails at its
    // first missing index with the slots before it replaced.
    static bool set_table(PyObject* self, PyObject* value) {
        return load_table(*reinterpret_cast<Object*>(self), value);
    }

    static inline Property properties[] = {
        Property::custom("t", get_table, set_table),
        Property::byte("c", offsetof(LFIB4Object, engine.c)),
    };
};

}  // namespace

template <>
PreparedType prepare<TypeIndex::LFIB4>() { return GeneratorType<LFIB4Binding>::prepare(); }

}  // namespace ombrix::py

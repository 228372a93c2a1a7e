// The rules every operation shares: argument binding, integer conversion,
// reading state objects, integer results and traceback entries.
#pragma once

#include "module.hpp"
#include "ref.hpp"

#include <ombrix/engine.hpp>

#include <cstdint>
#include <initializer_list>
#include <source_location>

namespace ombrix::py {

using ombrix::word;
using byte = std::uint8_t;

// --- argument binding ----------------------------------------------------

inline constexpr int max_parameters = 4;

struct Parameters {
    enum Kind { optional, required };
    Kind kind;
    int count;
    Id names[max_parameters];

    constexpr Parameters(Kind kind, std::initializer_list<Id> list)
        : kind(kind), count(0), names{} {
        for (Id name : list) names[count++] = name;
    }
};

// The values bound to an operation's parameters; each slot owns its
// object for as long as the operation runs (None for an absent optional).
struct Arguments {
    Ref values[max_parameters];
    PyObject* operator[](int i) const { return values[i].get(); }
};

// Binds positional and keyword arguments; `function` names the operation
// in messages ("__init__", "seed", ...). Returns false with an error set.
bool bind_arguments(const char* function, const Parameters& parameters, PyObject* args,
                    PyObject* kwds, Arguments& out);

// A tuple of the bound values, in parameter order.
PyObject* arguments_tuple(const Parameters& parameters, const Arguments& arguments);

// --- tests on seeds ------------------------------------------------------

// Truth of a comparison result: True, False and None are read directly,
// anything else goes through the truth protocol. -1 on error.
int truth_of(PyObject* result);
// `object == other`, by truth value. -1 on error.
int equals(PyObject* object, PyObject* other);
// Absent means equal to None, by `==`: an object may claim to be None.
inline int is_absent(PyObject* object) { return equals(object, Py_None); }
// `object % modulus == 0`, by truth value. -1 on error.
int is_multiple_of(PyObject* object, PyObject* modulus);
// The built-in `int` applied to an object.
Ref call_int(PyObject* object);

// --- conversions ---------------------------------------------------------

// Word conversion: integers from 0 to 2**32-1, other objects through their
// integer coercion. False with an error set on failure.
bool to_word(PyObject* object, word& out);
// The same after the built-in `int`: floats truncate, strings parse.
bool to_word_via_int(PyObject* object, word& out);
// Byte conversion: 0 to 255.
bool to_byte(PyObject* object, byte& out);

// --- reading state objects -----------------------------------------------

// Item i of a list, tuple, sequence or mapping.
Ref item_at(PyObject* object, Py_ssize_t index);
// Loads fields from items 0, 1, ... of a state object, each read by indexed
// access and converted through `int`, each stored before the next is read.
bool load_words(PyObject* state, std::initializer_list<word*> fields);
// The same into `count` consecutive words.
bool load_words(PyObject* state, word* words, Py_ssize_t count);
// Exactly `count` items of an iterable, as new references in `out`.
bool unpack(PyObject* object, Py_ssize_t count, Ref* out);
// Raises the module's own Exception with a prebuilt message tuple.
void raise_module_error(PyObject* message_arguments);
// A name from a module; NameError carrying the name when it is missing.
Ref lookup_name(PyObject* module, PyObject* name);

// --- results -------------------------------------------------------------

inline PyObject* word_result(word value) { return PyLong_FromUnsignedLong(value); }
inline PyObject* byte_result(byte value) { return new_native_int(value); }
PyObject* word_tuple(const word* values, Py_ssize_t count);
inline PyObject* word_tuple(std::initializer_list<word> values) {
    return word_tuple(values.begin(), static_cast<Py_ssize_t>(values.size()));
}

// --- failures ------------------------------------------------------------

// Adds a frame named after the failing operation, and the source line that
// failed, to the pending error's traceback. Never fails; if the frame cannot
// be built it is skipped.
void add_traceback(const char* qualified_name,
                   std::source_location where = std::source_location::current());

// A failing operation: `owner` is the dotted type name (or the module
// name), `name` the operation ("__init__", "seed", ...) or property, and
// `accessor` "__get__" or "__set__" for a property.
struct Operation {
    const char* owner;
    const char* name;
    const char* accessor = nullptr;

    void record(std::source_location where) const;
    PyObject* fail(std::source_location where = std::source_location::current()) const {
        record(where);
        return nullptr;
    }
    int fail_status(std::source_location where = std::source_location::current()) const {
        record(where);
        return -1;
    }
};

}  // namespace ombrix::py

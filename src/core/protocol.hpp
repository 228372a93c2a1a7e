// What the eleven generator types have in common: allocation, release,
// iteration, reseeding, the method table, property access and the failure
// reporting around each generator's own operations.
//
// A generator source describes its type with a binding class:
//
//   struct CongBinding {
//       using Object = EngineObject<ombrix::Cong>;  // PyObject_HEAD + engine
//       static constexpr const char* name = "ombrix.iterators._iterators_zinthe.Cong";
//       static constexpr const char* doc = "...";
//       static constexpr Parameters parameters{Parameters::optional, {Id::seed}};
//       static constexpr bool iterable = true;    // has __iter__
//       static constexpr bool own_seed = true;    // defines seed()
//       static word step(Object&);
//       static bool initialise(Object&, const Arguments&);
//       static PyObject* getstate(Object&);
//       static bool setstate(Object&, PyObject* state);
//       static inline Property properties[] = {...};
//   };
//
// and GeneratorType<CongBinding>::prepare() gives its type object and its
// capabilities. A binding whose object is not `PyObject_HEAD` followed by
// its engine says how to copy the engine out and back (`struct Access`); a
// binding of a subtype names its base (`static constexpr TypeIndex base`).
#pragma once

#include "capabilities.hpp"
#include "registry.hpp"
#include "rules.hpp"

#include <cstddef>
#include <iterator>
#include <type_traits>
#include <utility>

namespace ombrix::py {

// --- properties ----------------------------------------------------------

// One entry of a type's property table. Words and bytes stored in the
// object are described by their offset; anything else by its functions.
struct Property {
    enum Kind { word_field, byte_field, computed };

    const char* name;
    Kind kind;
    std::size_t offset = 0;
    PyObject* (*get)(PyObject* self) = nullptr;
    bool (*set)(PyObject* self, PyObject* value) = nullptr;  // null: read-only
    const char* owner = nullptr;  // the defining type's name, set when readied

    static constexpr Property word(const char* name, std::size_t offset) {
        return {name, word_field, offset};
    }
    static constexpr Property byte(const char* name, std::size_t offset) {
        return {name, byte_field, offset};
    }
    static constexpr Property read_only(const char* name, PyObject* (*get)(PyObject*)) {
        return {name, computed, 0, get};
    }
    static constexpr Property custom(const char* name, PyObject* (*get)(PyObject*),
                                     bool (*set)(PyObject*, PyObject*)) {
        return {name, computed, 0, get, set};
    }
};

PyObject* property_get(PyObject* self, void* closure);
int property_set(PyObject* self, PyObject* value, void* closure);

// --- copy and pickle -------------------------------------------------------

// ({field: value}, instance dictionary or None): what copy and pickle keep.
// The fields are the writable properties of the generator types in the
// object's ancestry, read and written as they are, so a copy is exact even
// where getstate() is not (LFIB4's index, an SWB borrow above 1).
PyObject* copy_state(PyObject* self);
bool restore_copy(PyObject* self, PyObject* copied);
// (copyreg.__newobj__, (type,), self.__getstate__()), for every protocol.
PyObject* reduce_for_copy(PyObject* self);

template <class T>
T& field_at(PyObject* self, std::size_t offset) {
    return *reinterpret_cast<T*>(reinterpret_cast<char*>(self) + offset);
}

// --- capabilities ----------------------------------------------------------

// An object that is the interpreter's header followed by its engine.
template <class Object>
struct EngineAccess {
    using Engine = std::remove_cvref_t<decltype(std::declval<Object&>().engine)>;
    static Engine load(const Object& object) { return object.engine; }
    static void store(Object& object, const Engine& engine) { object.engine = engine; }
};

template <class Binding>
struct AccessOf {
    using type = EngineAccess<typename Binding::Object>;
};
template <class Binding>
    requires requires { typename Binding::Access; }
struct AccessOf<Binding> {
    using type = typename Binding::Access;
};

template <class Binding>
struct CapabilitiesOf {
    using Object = typename Binding::Object;
    using Access = typename AccessOf<Binding>::type;
    using Engine = typename Access::Engine;
    static_assert(sizeof(Engine) <= max_engine_size && alignof(Engine) <= alignof(std::max_align_t));
    static_assert(std::is_trivially_copyable_v<Engine>);

    static void load(const PyObject* self, void* engine) {
        *static_cast<Engine*>(engine) = Access::load(*reinterpret_cast<const Object*>(self));
    }
    static void store(PyObject* self, const void* engine) {
        Access::store(*reinterpret_cast<Object*>(self), *static_cast<const Engine*>(engine));
    }

    static constexpr const char* no_predecessor() {
        if constexpr (requires { Binding::no_predecessor; }) return Binding::no_predecessor;
        return nullptr;
    }

    static inline Capabilities table = {
        Capabilities::current_version,
        0,
        sizeof(Engine),
        load,
        store,
        generate_words<Engine>,
        jump_engine<Engine>,
        !ombrix::jumps_in_log_time<Engine>,
        no_predecessor(),
    };
};

// --- the type ------------------------------------------------------------

// Method tables hold every function under one pointer type.
template <class Function>
PyCFunction as_method(Function function) {
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function));
}

template <class Binding>
struct GeneratorType {
    using Object = typename Binding::Object;

    static Object& object(PyObject* self) { return *reinterpret_cast<Object*>(self); }
    static Operation operation(const char* name) { return {Binding::name, name}; }

    static PyObject* allocate(PyTypeObject* type, PyObject*, PyObject*) {
        return type->tp_alloc(type, 0);
    }

    static void release(PyObject* self) { Py_TYPE(self)->tp_free(self); }

    static PyObject* iterate(PyObject* self) {
        Py_INCREF(self);
        return self;
    }

    static PyObject* next(PyObject* self) {
        PyObject* value = word_result(Binding::step(object(self)));
        if (!value) return operation("__next__").fail();
        return value;
    }

    static PyObject* next_method(PyObject* self, PyObject*) { return next(self); }

    static int initialise(PyObject* self, PyObject* args, PyObject* kwds) {
        Arguments seeds;
        if (!bind_arguments("__init__", Binding::parameters, args, kwds, seeds))
            return operation("__init__").fail_status();
        if (!Binding::initialise(object(self), seeds))
            return operation("__init__").fail_status();
        return 0;
    }

    // Reseeding goes through the object's own __init__, so a subclass that
    // overrides it is reseeded by its own rules.
    static PyObject* seed(PyObject* self, PyObject* args, PyObject* kwds) {
        Arguments seeds;
        if (!bind_arguments("seed", Binding::parameters, args, kwds, seeds))
            return operation("seed").fail();
        Ref init = Ref::steal(PyObject_GetAttr(self, id(Id::init)));
        if (!init) return operation("seed").fail();
        Ref init_args = Ref::steal(arguments_tuple(Binding::parameters, seeds));
        if (!init_args) return operation("seed").fail();
        Ref result = Ref::steal(PyObject_Call(init.get(), init_args.get(), nullptr));
        if (!result) return operation("seed").fail();
        Py_RETURN_NONE;
    }

    static PyObject* getstate(PyObject* self, PyObject*) {
        PyObject* state = Binding::getstate(object(self));
        if (!state) return operation("getstate").fail();
        return state;
    }

    static PyObject* setstate(PyObject* self, PyObject* state) {
        if (!Binding::setstate(object(self), state)) return operation("setstate").fail();
        Py_RETURN_NONE;
    }

    // Without these, copy.copy() and pickle would rebuild a generator from
    // a bare allocation, silently all-zero, on Python 2.
    static PyObject* get_copy_state(PyObject* self, PyObject*) {
        PyObject* copied = copy_state(self);
        if (!copied) return operation("__getstate__").fail();
        return copied;
    }

    static PyObject* set_copy_state(PyObject* self, PyObject* copied) {
        if (!restore_copy(self, copied)) return operation("__setstate__").fail();
        Py_RETURN_NONE;
    }

    static PyObject* reduce(PyObject* self, PyObject*) {
        PyObject* reduced = reduce_for_copy(self);
        if (!reduced) return operation("__reduce__").fail();
        return reduced;
    }

    static inline PyMethodDef methods[] = {
        {"seed", as_method(seed), METH_VARARGS | METH_KEYWORDS, nullptr},
        {"__next__", as_method(next_method), METH_NOARGS | METH_COEXIST, nullptr},
        {"getstate", as_method(getstate), METH_NOARGS, nullptr},
        {"setstate", as_method(setstate), METH_O, nullptr},
        {"__getstate__", as_method(get_copy_state), METH_NOARGS, nullptr},
        {"__setstate__", as_method(set_copy_state), METH_O, nullptr},
        {"__reduce__", as_method(reduce), METH_NOARGS, nullptr},
        {nullptr, nullptr, 0, nullptr},
    };

    static constexpr std::size_t property_count = std::size(Binding::properties);
    static inline PyGetSetDef getset[property_count + 1] = {};
    static inline PyNumberMethods no_number = {};
    static inline PySequenceMethods no_sequence = {};
    static inline PyMappingMethods no_mapping = {};
    static inline PyBufferProcs no_buffer = {};
    static inline PyTypeObject type = {};

    // Fills in the type object; the module readies and binds it.
    static PreparedType prepare() {
        const PreparedType prepared{&type, &CapabilitiesOf<Binding>::table};
        if (type.tp_flags & Py_TPFLAGS_READY) return prepared;  // a second import
        for (std::size_t i = 0; i < property_count; ++i) {
            Property& property = Binding::properties[i];
            property.owner = Binding::name;
            const bool writable = property.kind != Property::computed || property.set;
            getset[i] = {table_text(property.name), property_get, writable ? property_set : nullptr,
                         nullptr, &property};
        }
        init_static_object(type);
        type.tp_name = Binding::name;
        type.tp_basicsize = sizeof(Object);
        type.tp_flags = generator_type_flags;
        type.tp_doc = Binding::doc;
        type.tp_as_number = &no_number;
        type.tp_as_sequence = &no_sequence;
        type.tp_as_mapping = &no_mapping;
        type.tp_as_buffer = &no_buffer;
        type.tp_new = allocate;
        type.tp_dealloc = release;
        type.tp_init = initialise;
        type.tp_iternext = next;
        if constexpr (Binding::iterable) type.tp_iter = iterate;
        // A type without its own seed() finds its base's through the MRO.
        type.tp_methods = Binding::own_seed ? methods : methods + 1;
        type.tp_getset = getset;
        if constexpr (requires { Binding::base; }) type.tp_base = registered_type(Binding::base);
        return prepared;
    }
};

}  // namespace ombrix::py

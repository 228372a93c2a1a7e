// The module's entry point: builds the shared values and registers the
// generator types, in a fixed order.
#include "module.hpp"
#include "protocol.hpp"

#include <cstdio>

namespace ombrix::py {

ModuleState module_state;

namespace {

constexpr const char import_name[] = "init ombrix.iterators._iterators_zinthe";

constexpr const char* identifier_text[] = {
#define OMBRIX_ID_TEXT(name, text) text,
    OMBRIX_IDENTIFIERS(OMBRIX_ID_TEXT)
#undef OMBRIX_ID_TEXT
};

struct Registration {
    TypeIndex index;
    const char* short_name;
    PreparedType (*prepare)();
};

constexpr Registration registrations[] = {
#define OMBRIX_REGISTRATION(Name) {TypeIndex::Name, #Name, prepare<TypeIndex::Name>},
    OMBRIX_GENERATORS(OMBRIX_REGISTRATION)
#undef OMBRIX_REGISTRATION
};

// Puts the type's capabilities in its own dictionary, where the bulk path
// and other extensions find them.
bool publish_capabilities(PyTypeObject* type, Capabilities* capabilities, TypeIndex index) {
    capabilities->index = static_cast<unsigned>(index);
    Ref capsule = Ref::steal(PyCapsule_New(capabilities, capabilities_capsule_name, nullptr));
    if (!capsule || PyDict_SetItemString(type->tp_dict, capabilities_key, capsule.get()) < 0)
        return false;
    PyType_Modified(type);
    return true;
}

PyObject* new_tuple(std::initializer_list<PyObject*> items) {
    PyObject* tuple = PyTuple_New(static_cast<Py_ssize_t>(items.size()));
    if (!tuple) return nullptr;
    Py_ssize_t i = 0;
    for (PyObject* item : items) {
        Py_INCREF(item);
        PyTuple_SET_ITEM(tuple, i++, item);
    }
    return tuple;
}

PyObject* new_integer(long long value) {
    if (value > 0x7FFFFFFF) {
        char text[24];
        std::snprintf(text, sizeof text, "%lld", value);
        return int_from_text(text);
    }
    return new_native_int(static_cast<long>(value));
}

// The shared values: strings, integers, built-ins and tuples.
bool create_constants(PyObject* builtins) {
    ModuleState& s = module_state;
    if (!(s.seed_length_message = new_string("seed length must be 256"))) return false;
    if (!(s.state_length_message = new_string("state length must be 256"))) return false;
    for (std::size_t i = 0; i < std::size(identifier_text); ++i)
        if (!(s.ids[i] = new_interned(identifier_text[i]))) return false;
    for (std::size_t i = 0; i < integer_count; ++i)
        if (!(s.integers[i] = new_integer(integer_constants[i]))) return false;

    if (!(s.range = lookup_name(builtins, id(Id::range)).release())) return false;
    if (!(s.exception = lookup_name(builtins, id(Id::Exception)).release())) return false;

    using ombrix::lfib4_table_seed;
    s.kiss_seed_arguments =
        new_tuple({integer<lfib4_table_seed[0]>(), integer<lfib4_table_seed[1]>(),
                   integer<lfib4_table_seed[2]>(), integer<lfib4_table_seed[3]>()});
    if (!s.kiss_seed_arguments) return false;
    if (!(s.seed_length_arguments = new_tuple({s.seed_length_message}))) return false;
    if (!(s.state_length_arguments = new_tuple({s.state_length_message}))) return false;
    return (s.range_arguments = new_tuple({integer<ombrix::lagged_table_size>()})) != nullptr;
}

// Steps 3 onwards; the module object exists. False with an error set. The
// first load makes the shared values and readies the types; a later load
// of the same library (under another name) binds the same types again and
// leaves the first module, which the types keep using, as it is.
bool populate(PyObject* module, bool first) {
    ModuleState& s = module_state;
    PyObject* builtins = PyImport_AddModule(builtins_module_name);
    if (!builtins || PyObject_SetAttrString(module, "__builtins__", builtins) < 0) return false;
    if (first && !create_constants(builtins)) return false;

    for (const Registration& entry : registrations) {
        PyTypeObject* type = registered_type(entry.index);
        if (first) {
            const PreparedType prepared = entry.prepare();
            type = prepared.type;
            if (PyType_Ready(type) < 0 ||
                !publish_capabilities(type, prepared.capabilities, entry.index))
                return false;
        }
        if (PyObject_SetAttrString(module, entry.short_name, reinterpret_cast<PyObject*>(type)) < 0)
            return false;
        if (first) {
            Py_INCREF(type);
            s.types[static_cast<int>(entry.index)] = type;
        }
    }

    static PyMethodDef process_seed_definition = {
        "_lfsr_process_seed", as_method(lfsr_process_seed), METH_VARARGS | METH_KEYWORDS, nullptr};
    Ref process_seed =
        Ref::steal(PyCFunction_NewEx(&process_seed_definition, nullptr, id(Id::module_name)));
    if (!process_seed ||
        PyObject_SetAttr(module, id(Id::lfsr_process_seed), process_seed.get()) < 0)
        return false;

    Ref tests = Ref::steal(PyDict_New());
    return tests && PyObject_SetAttr(module, id(Id::test), tests.get()) == 0;
}

PyMethodDef no_functions[] = {{nullptr, nullptr, 0, nullptr}};
ModuleDefinition definition = {"_iterators_zinthe", "ombrix.iterators._iterators_zinthe",
                               no_functions};

PyObject* initialise_module() {
    ModuleState& s = module_state;
    const bool first = s.module == nullptr;
    PyObject* module = create_module(definition);
    if (!module) {
        if (!PyErr_Occurred()) PyErr_SetString(PyExc_ImportError, import_name);
        return nullptr;
    }
    if (first) s.module = module;
    if (!populate(module, first)) {
        add_traceback(import_name);
        if (first) s.module = nullptr;
        Py_DECREF(module);
        return nullptr;
    }
    // The caller gets a reference of its own; the first module's lives as
    // long as the process.
    if (first) Py_INCREF(module);
    return module;
}

}  // namespace
}  // namespace ombrix::py

OMBRIX_MODULE_ENTRY(_iterators_zinthe) {
    PyObject* module = ombrix::py::initialise_module();
    OMBRIX_MODULE_RETURN(module);
}

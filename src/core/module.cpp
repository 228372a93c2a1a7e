// The module's entry point: builds the shared values and registers the
// generator types, in a fixed order.
#include "module.hpp"
#include "registry.hpp"
#include "protocol.hpp"

#include <cstdio>

namespace ombrix::py {

ModuleState module_state;

namespace {

constexpr const char import_name[] = "init ombrix.iterators._iterators_zinthe";

constexpr const char* identifier_text[] = {
    "ombrix.iterators._iterators_zinthe",
    "Exception",
    "__init__",
    "__test__",
    "_lfsr_process_seed",
    "getstate",
    "min_value",
    "range",
    "seed",
    "seed_cong",
    "seed_lower",
    "seed_mwc_lower",
    "seed_mwc_upper",
    "seed_shr3",
    "seed_upper",
    "seed_z1",
    "seed_z2",
    "seed_z3",
    "seed_z4",
    "setstate",
};
static_assert(std::size(identifier_text) == static_cast<std::size_t>(Id::count));

struct Registration {
    TypeIndex index;
    const char* short_name;
    PyTypeObject* (*prepare)();
    TypeIndex base = TypeIndex::count;  // a registered base type, if any
};

constexpr Registration registrations[] = {
    {TypeIndex::Cong, "Cong", prepare_cong},
    {TypeIndex::SHR3, "SHR3", prepare_shr3},
    {TypeIndex::MWC1, "MWC1", prepare_mwc1},
    {TypeIndex::MWC2, "MWC2", prepare_mwc2},
    {TypeIndex::MWC64, "MWC64", prepare_mwc64},
    {TypeIndex::KISS, "KISS", prepare_kiss},
    {TypeIndex::KISS2, "KISS2", prepare_kiss2},
    {TypeIndex::LFIB4, "LFIB4", prepare_lfib4},
    {TypeIndex::SWB, "SWB", prepare_swb, TypeIndex::LFIB4},
    {TypeIndex::LFSR113, "LFSR113", prepare_lfsr113},
    {TypeIndex::LFSR88, "LFSR88", prepare_lfsr88},
};

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

    if (!(s.range = lookup_name(builtins, id(Id::range)))) return false;
    if (!(s.exception = lookup_name(builtins, id(Id::Exception)))) return false;

    s.kiss_seed_arguments =
        new_tuple({integer<12345>(), integer<65435>(), integer<12345>(), integer<34221>()});
    if (!s.kiss_seed_arguments) return false;
    if (!(s.seed_length_arguments = new_tuple({s.seed_length_message}))) return false;
    if (!(s.state_length_arguments = new_tuple({s.state_length_message}))) return false;
    return (s.range_arguments = new_tuple({integer<256>()})) != nullptr;
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
            type = entry.prepare();
            if (entry.base != TypeIndex::count) type->tp_base = registered_type(entry.base);
            if (PyType_Ready(type) < 0) return false;
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
    if (first) {
        s.empty_tuple = PyTuple_New(0);
        s.empty_string = new_string("");
    }
    PyObject* module = s.empty_tuple && s.empty_string ? create_module(definition) : nullptr;
    if (!module) {
        if (!PyErr_Occurred()) PyErr_SetString(PyExc_ImportError, import_name);
        return nullptr;
    }
    if (first) s.module = module;
    if (!populate(module, first)) {
        add_traceback(import_name, __LINE__);
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

extern "C" OMBRIX_MODULE_ENTRY(_iterators_zinthe) {
    PyObject* module = ombrix::py::initialise_module();
    OMBRIX_MODULE_RETURN(module);
}

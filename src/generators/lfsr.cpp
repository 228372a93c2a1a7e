// The seed adjustment of the combined LFSR generators, and the two types.
#include "lfsr.hpp"

#include "../core/registry.hpp"

namespace ombrix::py {

namespace {

constexpr Parameters process_seed_parameters{Parameters::required, {Id::seed, Id::min_value}};
constexpr Operation process_seed_operation{"ombrix.iterators._iterators_zinthe",
                                           "_lfsr_process_seed"};

// An absent seed becomes 12345; any other is reduced to its low 32 bits by
// int(seed) & (2**32-1) and lifted by `minimum` when below it. Python's own
// operators throughout, so `minimum` may be any object that supports them.
PyObject* process_seed(PyObject* seed, PyObject* minimum) {
    const int absent = is_absent(seed);
    if (absent < 0) return nullptr;
    if (absent) {
        Py_INCREF(integer<12345>());
        return integer<12345>();
    }
    Ref as_int = Ref::steal(call_int(seed));
    if (!as_int) return nullptr;
    Ref value = Ref::steal(PyNumber_And(as_int.get(), integer<4294967295>()));
    if (!value) return nullptr;
    Ref below = Ref::steal(PyObject_RichCompare(value.get(), minimum, Py_LT));
    if (!below) return nullptr;
    const int lift = truth_of(below.get());
    if (lift < 0) return nullptr;
    if (lift) value = Ref::steal(PyNumber_InPlaceAdd(value.get(), minimum));
    return value.release();
}

PyObject* minimum_object(word minimum) {
    switch (minimum) {
        case 2: return integer<2>();
        case 8: return integer<8>();
        case 16: return integer<16>();
        default: return integer<128>();
    }
}

constexpr char lfsr113_name[] = "ombrix.iterators._iterators_zinthe.LFSR113";
constexpr char lfsr113_doc[] =
    "Combined LFSR random number generator by L'Ecuyer\n"
    "\n"
    "    It combines 4 LFSR generators. The generators have been\n"
    "    chosen for maximal equidistribution.\n"
    "\n"
    "    The period is approximately 2**113.\n"
    "\n"
    "    \"Tables of Maximally-Equidistributed Combined Lfsr Generators\"\n"
    "    P. L'Ecuyer\n"
    "    Mathematics of Computation, 68, 225 (1999), 261-269.\n";

constexpr char lfsr88_name[] = "ombrix.iterators._iterators_zinthe.LFSR88";
constexpr char lfsr88_doc[] =
    "Combined LFSR random number generator by L'Ecuyer\n"
    "\n"
    "    It combines 3 LFSR generators. The generators have been\n"
    "    chosen for maximal equidistribution.\n"
    "\n"
    "    The period is approximately 2**88.\n"
    "\n"
    "    \"Maximally Equidistributed Combined Tausworthe Generators\"\n"
    "    P. L'Ecuyer\n"
    "    Mathematics of Computation, 65, 213 (1996), 203-213.\n";

}  // namespace

PyObject* lfsr_process_seed(PyObject*, PyObject* args, PyObject* kwds) {
    Arguments arguments;
    if (!bind_arguments("_lfsr_process_seed", process_seed_parameters, args, kwds, arguments))
        return process_seed_operation.fail(__LINE__);
    PyObject* result = process_seed(arguments[0], arguments[1]);
    if (!result) return process_seed_operation.fail(__LINE__);
    return result;
}

bool seed_lfsr_component(word& component, PyObject* seed, word minimum) {
    Ref process = Ref::steal(lookup_name(module_state.module, id(Id::lfsr_process_seed)));
    if (!process) return false;
    Ref result = Ref::steal(
        PyObject_CallFunctionObjArgs(process.get(), seed, minimum_object(minimum), nullptr));
    return result && to_word(result.get(), component);
}

PyTypeObject* prepare_lfsr113() {
    return GeneratorType<LfsrBinding<ombrix::LFSR113, lfsr113_name, lfsr113_doc>>::prepare();
}

PyTypeObject* prepare_lfsr88() {
    return GeneratorType<LfsrBinding<ombrix::LFSR88, lfsr88_name, lfsr88_doc>>::prepare();
}

}  // namespace ombrix::py

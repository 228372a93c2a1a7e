// The seed adjustment of the combined LFSR generators, and the two types.
#include "lfsr_binding.hpp"

namespace ombrix::py {

namespace {

constexpr Parameters process_seed_parameters{Parameters::required, {Id::seed, Id::min_value}};
constexpr Operation process_seed_operation{"ombrix.iterators._iterators_zinthe",
                                           "_lfsr_process_seed"};

// An absent seed becomes 12345; any other is reduced to its low 32 bits by
// int(seed) & (2**32-1) and lifted by `minimum` when below it. Python's own
// operators throughout, so `minimum` may be any object that supports them.
Ref process_seed(PyObject* seed, PyObject* minimum) {
    const int absent = is_absent(seed);
    if (absent < 0) return Ref();
    if (absent) return Ref::borrow(integer<ombrix::LFSR113::default_seed>());
    Ref as_int = call_int(seed);
    if (!as_int) return as_int;
    Ref value = Ref::steal(PyNumber_And(as_int.get(), integer<all_ones>()));
    if (!value) return value;
    Ref below = Ref::steal(PyObject_RichCompare(value.get(), minimum, Py_LT));
    if (!below) return below;
    const int lift = truth_of(below.get());
    if (lift < 0) return Ref();
    if (lift) value = Ref::steal(PyNumber_InPlaceAdd(value.get(), minimum));
    return value;
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
        return process_seed_operation.fail();
    Ref result = process_seed(arguments[0], arguments[1]);
    if (!result) return process_seed_operation.fail();
    return result.release();
}

bool seed_lfsr_component(word& component, PyObject* seed, PyObject* minimum) {
    Ref process = lookup_name(module_state.module, id(Id::lfsr_process_seed));
    if (!process) return false;
    Ref result =
        Ref::steal(PyObject_CallFunctionObjArgs(process.get(), seed, minimum, nullptr));
    return result && to_word(result.get(), component);
}

template <>
PreparedType prepare<TypeIndex::LFSR113>() {
    return GeneratorType<LfsrBinding<ombrix::LFSR113, lfsr113_name, lfsr113_doc>>::prepare();
}

template <>
PreparedType prepare<TypeIndex::LFSR88>() {
    return GeneratorType<LfsrBinding<ombrix::LFSR88, lfsr88_name, lfsr88_doc>>::prepare();
}

}  // namespace ombrix::py

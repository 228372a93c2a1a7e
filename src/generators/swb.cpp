// SWB: the subtract-with-borrow generator, a subtype of LFIB4. Its table
// work is done by LFIB4's own operations, looked up on the LFIB4 type.
#include "objects.hpp"

#include "../core/protocol.hpp"
#include "../core/registry.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

namespace ombrix::py {
namespace {

// An LFIB4 object followed by the borrow, so that every LFIB4 operation
// works on it unchanged.
struct SWBObject {
    LFIB4Object base;
    std::uint8_t borrow;
};

// Calls LFIB4's method `name` (looked up on the LFIB4 type) on `self`.
PyObject* call_lfib4(Id name, PyObject* self, PyObject* argument = nullptr) {
    Ref method = Ref::steal(
        PyObject_GetAttr(reinterpret_cast<PyObject*>(registered_type(TypeIndex::LFIB4)), id(name)));
    if (!method) return nullptr;
    return PyObject_CallFunctionObjArgs(method.get(), self, argument, nullptr);
}

struct SWBBinding {
    using Object = SWBObject;
    static constexpr const char* name = "ombrix.iterators._iterators_zinthe.SWB";
    static constexpr const char* doc =
        "\"Subtract-With-Borrow\" random number generator\n"
        "\n"
        "    SWB is a subtract-with-borrow generator that Marsaglia developed to\n"
        "    give a simple method for producing extremely long periods:\n"
        "        x[n]=x[n-222]-x[n-237]- borrow mod 2**32.\n"
        "    The 'borrow' is 0, or set to 1 if computing x[n-1] caused overflow in\n"
        "    32-bit integer arithmetic. This generator has a very long period,\n"
        "    2**7098(2**480-1), about 2**7578. It seems to pass all tests of\n"
        "    randomness, except for the Birthday Spacings test, which it fails\n"
        "    badly, as do all lagged Fibonacci generators using +,- or xor.\n"
        "    Marsaglia suggests combining SWB with another generator: KISS+SWB\n"
        "    has a period greater than 2**7700 and is highly recommended.\n"
        "    Subtract-with-borrow has the same local behaviour as lagged\n"
        "    Fibonacci using +,-,xor---the borrow merely provides a much longer\n"
        "    period. SWB fails the birthday spacings test, as do all lagged\n"
        "    Fibonacci and other generators that merely combine two previous\n"
        "    values by means of =,- or xor. Those failures are for a particular\n"
        "    case: m=512 birthdays in a year of n=2**24 days. There are choices of\n"
        "    m and n for which lags >1000 will also fail the test. A reasonable\n"
        "    precaution is to always combine a 2-lag Fibonacci or SWB generator\n"
        "    with another kind of generator, unless the generator uses *, for\n"
        "    which a very satisfactory sequence of odd 32-bit integers results.\n";
    static constexpr Parameters parameters{Parameters::optional, {Id::seed}};
    static constexpr bool iterable = false;  // LFIB4's __iter__ is inherited
    static constexpr bool own_seed = false;  // and so is its seed()
    static constexpr TypeIndex base = TypeIndex::LFIB4;
    static constexpr const char* no_predecessor =
        "the table, index and borrow are not a state that SWB's step makes (a borrow above 1, "
        "or words set by hand; 20 steps make any state one)";

    // The engine is the table and index of the LFIB4 part, and the borrow.
    struct Access {
        using Engine = ombrix::SWB;
        static Engine load(const Object& g) {
            return Engine(g.base.engine.t, g.base.engine.c, g.borrow);
        }
        static void store(Object& g, const Engine& e) {
            std::copy(std::begin(e.t), std::end(e.t), std::begin(g.base.engine.t));
            g.base.engine.c = e.c;
            g.borrow = e.borrow;
        }
    };

    static word step(Object& g) { return swb_step(g.base.engine.t, g.base.engine.c, g.borrow); }

    static bool initialise(Object& g, const Arguments& seeds) {
        PyObject* self = reinterpret_cast<PyObject*>(&g);
        Ref done = Ref::steal(call_lfib4(Id::init, self, seeds[0]));
        if (!done) return false;
        g.borrow = 0;
        return true;
    }

    static PyObject* getstate(Object& g) {
        Ref table = Ref::steal(call_lfib4(Id::getstate, reinterpret_cast<PyObject*>(&g)));
        if (!table) return nullptr;
        Ref borrow = Ref::steal(byte_result(g.borrow));
        if (!borrow) return nullptr;
        return PyTuple_Pack(2, table.get(), borrow.get());
    }

    // A borrow restores as 0 or 1, from the truth of the saved item.
    static bool setstate(Object& g, PyObject* state) {
        Ref parts[2];
        if (!unpack(state, 2, parts)) return false;
        Ref done =
            Ref::steal(call_lfib4(Id::setstate, reinterpret_cast<PyObject*>(&g), parts[0].get()));
        if (!done) return false;
        const int borrow = truth_of(parts[1].get());
        if (borrow < 0) return false;
        g.borrow = static_cast<std::uint8_t>(borrow);
        return true;
    }

    static inline Property properties[] = {
        Property::byte("borrow", offsetof(SWBObject, borrow)),
    };
};

}  // namespace

template <>
PreparedType prepare<TypeIndex::SWB>() { return GeneratorType<SWBBinding>::prepare(); }

}  // namespace ombrix::py

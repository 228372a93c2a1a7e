// The layout of the generator objects: the interpreter's object header and
// the engine's state fields, nothing else. Shared by the types and by the
// bulk path, which fills buffers straight from these fields.
#pragma once

#include "../core/compat.hpp"

#include <ombrix/cong.hpp>
#include <ombrix/kiss.hpp>
#include <ombrix/lagged.hpp>
#include <ombrix/lfsr.hpp>
#include <ombrix/mwc.hpp>
#include <ombrix/shr3.hpp>

#include <cstdint>

namespace ombrix::py {

template <class Engine>
struct EngineObject {
    PyObject_HEAD
    Engine engine;
};

using CongObject = EngineObject<ombrix::Cong>;
using SHR3Object = EngineObject<ombrix::SHR3>;
using LFIB4Object = EngineObject<ombrix::LFIB4>;

// An LFIB4 object followed by the borrow, so that every LFIB4 operation
// works on it unchanged.
struct SWBObject {
    LFIB4Object base;
    std::uint8_t borrow;
};

}  // namespace ombrix::py

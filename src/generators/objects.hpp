// The layout of most generator objects: the interpreter's object header and
// the engine's state fields, nothing else. (SWB extends LFIB4's layout; its
// own source says how.)
#pragma once

#include "../core/compat.hpp"

#include <ombrix/catalogue.hpp>

namespace ombrix::py {

template <class Engine>
struct EngineObject {
    PyObject_HEAD
    Engine engine;
};

using LFIB4Object = EngineObject<ombrix::LFIB4>;

}  // namespace ombrix::py

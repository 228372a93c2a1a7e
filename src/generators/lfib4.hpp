// The LFIB4 object layout, which SWB extends.
#pragma once

#include "../core/compat.hpp"

#include <ombrix/lagged.hpp>

namespace ombrix::py {

struct LFIB4Object {
    PyObject_HEAD ombrix::LFIB4 engine;
};

}  // namespace ombrix::py

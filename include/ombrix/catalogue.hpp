// The generators, in the order the Python module registers them: the one
// list of them. X(Name) is called for each, where ombrix::Name is its engine.
//
//   #define OMBRIX_NAME(Name) #Name,
//   const char* names[] = {OMBRIX_GENERATORS(OMBRIX_NAME)};
#pragma once

#include "jump.hpp"
#include "kiss.hpp"
#include "lagged.hpp"
#include "lfsr.hpp"
#include "mwc.hpp"

#define OMBRIX_GENERATORS(X) \
    X(Cong)                  \
    X(SHR3)                  \
    X(MWC1)                  \
    X(MWC2)                  \
    X(MWC64)                 \
    X(KISS)                  \
    X(KISS2)                 \
    X(LFIB4)                 \
    X(SWB)                   \
    X(LFSR113)               \
    X(LFSR88)

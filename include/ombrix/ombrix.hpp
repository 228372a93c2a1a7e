// The whole library: every engine, the catalogue of them, the check that
// they are standard random number engines, jumping, bulk generation, and
// the version.
#pragma once

#include "version.hpp"

#include "engine.hpp"

#include "cong.hpp"
#include "kiss.hpp"
#include "lagged.hpp"
#include "lfsr.hpp"
#include "mwc.hpp"
#include "shr3.hpp"

#include "bulk.hpp"
#include "catalogue.hpp"
#include "jump.hpp"
#include "requirements.hpp"

// The library's version, the same as the Python package's.
#pragma once

#include <string_view>

#define OMBRIX_VERSION_MAJOR 0
#define OMBRIX_VERSION_MINOR 2
#define OMBRIX_VERSION_PATCH 0
#define OMBRIX_VERSION_STRING "0.2.0"

// MAJOR * 10000 + MINOR * 100 + PATCH, for #if comparisons.
#define OMBRIX_VERSION \
    (OMBRIX_VERSION_MAJOR * 10000 + OMBRIX_VERSION_MINOR * 100 + OMBRIX_VERSION_PATCH)

#define OMBRIX_VERSION_TEXT_(x) #x
#define OMBRIX_VERSION_TEXT(x) OMBRIX_VERSION_TEXT_(x)
static_assert(std::string_view(OMBRIX_VERSION_STRING) ==
                  OMBRIX_VERSION_TEXT(OMBRIX_VERSION_MAJOR) "." OMBRIX_VERSION_TEXT(
                      OMBRIX_VERSION_MINOR) "." OMBRIX_VERSION_TEXT(OMBRIX_VERSION_PATCH),
              "OMBRIX_VERSION_STRING spells out the three numbers");

// Uses the installed ombrix headers as any program would, and checks a few
// things about them: known first values, the version, a distribution.
// OMBRIX_PACKAGE_VERSION is the version the build system found (the CMake
// package's or pkg-config's), which must be the header's.
#include <ombrix/ombrix.hpp>

#include <cstdio>
#include <cstring>
#include <random>
#include <span>
#include <vector>

#ifndef OMBRIX_PACKAGE_VERSION
#error "build with -DOMBRIX_PACKAGE_VERSION=\"<the version the package reports>\""
#endif

namespace {

int failures = 0;

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "consumer: %s: wrong\n", what);
        ++failures;
    }
}

template <class Engine>
bool starts_with(Engine engine, ombrix::word a, ombrix::word b, ombrix::word c) {
    return engine() == a && engine() == b && engine() == c;
}

}  // namespace

int main() {
    check(starts_with(ombrix::Cong(), 1526889226u, 2084976955u, 1314849656u), "Cong's first values");
    check(starts_with(ombrix::KISS(), 24694304u, 2024262834u, 2704855458u), "KISS's first values");
    check(std::strcmp(OMBRIX_VERSION_STRING, OMBRIX_PACKAGE_VERSION) == 0,
          "the header's version against the package's");
    static_assert(OMBRIX_VERSION_MAJOR == 0 && OMBRIX_VERSION_MINOR >= 2);

    // The bulk kernels, as the processor allows, against plain calls.
    ombrix::LFSR113 bulk, plain;
    std::vector<ombrix::word> words(100000);
    ombrix::generate(bulk, std::span<ombrix::word>(words));
    bool same = true;
    for (ombrix::word w : words) same = same && w == plain();
    check(same && bulk == plain, "bulk generation against plain calls");

    ombrix::KISS2 engine(2024u);
    std::uniform_int_distribution<int> die(1, 6);
    const int roll = die(engine);
    check(roll >= 1 && roll <= 6, "a die roll");

    if (failures) return 1;
    std::printf("ombrix %s: Cong and KISS as expected, bulk on %s, a die rolled %d\n", OMBRIX_VERSION_STRING,
                ombrix::kernel_path_name(ombrix::default_kernel_path()), roll);
    return 0;
}

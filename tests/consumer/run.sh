#!/usr/bin/env bash
# The C++ library as a user gets it: configures, builds and tests ombrix
# with CMake, installs it into a scratch prefix, then builds this folder's
# program against the installed copy twice, through find_package(ombrix)
# and through pkg-config, and runs it. One line per step; a failing step
# shows the end of its log and the script exits non-zero.
#
#   bash tests/consumer/run.sh        (CXX, CMAKE and JOBS may be set)
#
# The library is configured for the default prefix and installed elsewhere
# with --prefix, so paths fixed at configure time would show as failures.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
cmake=${CMAKE:-cmake}
cxx=${CXX:-g++}
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}

work=$(mktemp -d "${TMPDIR:-/tmp}/ombrix-consumer.XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
log=$work/step.log

# step NAME COMMAND...: runs the command with its output in the log.
step() {
    local name=$1
    shift
    if "$@" >"$log" 2>&1; then
        printf 'consumer: %-44s ok\n' "$name"
    else
        printf 'consumer: %-44s FAILED\n' "$name"
        tail -n 60 "$log" | sed 's/^/    /'
        exit 1
    fi
}
fail() {
    printf 'consumer: %s\n' "$*"
    exit 1
}
command -v "$cmake" >/dev/null || fail "no cmake (install the Debian package cmake)"
command -v pkg-config >/dev/null || fail "no pkg-config (install the Debian package pkg-config)"

# --- the library ---------------------------------------------------------
step "configure ombrix" "$cmake" -S "$root" -B "$work/build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_COMPILER="$cxx" -DOMBRIX_BUILD_TESTS=ON
step "build ombrix and its tests" "$cmake" --build "$work/build" --parallel "$jobs"
tests=$(cd "$work/build" && ctest -N | sed -n 's/^Total Tests: *//p')
[ "${tests:-0}" -gt 0 ] || fail "no tests were configured (is GoogleTest installed?)"
step "ctest ($tests programs)" bash -c "cd '$work/build' && ctest --output-on-failure --parallel $jobs"
step "install into a scratch prefix" "$cmake" --install "$work/build" --prefix "$prefix"

# --- through find_package ------------------------------------------------
step "configure the consumer (find_package)" "$cmake" -S "$here" -B "$work/consumer" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_FIND_PACKAGE_NO_PACKAGE_REGISTRY=ON
found=$(sed -n 's/^ombrix_DIR:PATH=//p' "$work/consumer/CMakeCache.txt")
case $found in
"$prefix"/*) ;;
*) fail "find_package found ombrix in '$found', not in the scratch prefix" ;;
esac
step "build the consumer (find_package)" "$cmake" --build "$work/consumer"
step "run it" "$work/consumer/consumer"
sed 's/^/    /' "$log"
# Another major version is refused (the version file's SameMajorVersion).
if "$cmake" -S "$here" -B "$work/consumer-1.0" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_FIND_PACKAGE_NO_PACKAGE_REGISTRY=ON -DOMBRIX_WANTED=1.0 >"$log" 2>&1; then
    fail "find_package(ombrix 1.0) accepted the installed 0.x"
fi
grep -q 'ombrixConfig.cmake, version: ' "$log" ||
    { tail -n 20 "$log"; fail "find_package(ombrix 1.0) failed, but not for the version"; }
printf 'consumer: %-44s ok\n' "find_package(ombrix 1.0) is refused"

# --- through pkg-config --------------------------------------------------
export PKG_CONFIG_PATH="$prefix/share/pkgconfig" PKG_CONFIG_LIBDIR="$prefix/share/pkgconfig"
step "pkg-config finds ombrix >= 0.2" pkg-config --exists --print-errors 'ombrix >= 0.2'
includedir=$(pkg-config --variable=includedir ombrix)
[ "$(cd "$includedir" && pwd -P)" = "$(cd "$prefix/include" && pwd -P)" ] ||
    fail "pkg-config points at '$includedir', not at the scratch prefix"
cflags=$(pkg-config --cflags ombrix)
version=$(pkg-config --modversion ombrix)
# shellcheck disable=SC2086  # the flags are words
step "build the consumer (pkg-config)" "$cxx" -std=c++20 -O2 -Wall -Wextra -Werror $cflags \
    "-DOMBRIX_PACKAGE_VERSION=\"$version\"" "$here/main.cpp" -o "$work/consumer-pc"
step "run it" "$work/consumer-pc"
sed 's/^/    /' "$log"

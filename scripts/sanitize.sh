#!/usr/bin/env bash
# Builds the module with AddressSanitizer and UndefinedBehaviorSanitizer for
# each interpreter into build/sanitize/<python>/ and runs the tests there.
#   scripts/sanitize.sh PYTHON... [-- PYTEST ARGS]
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
pythons=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do pythons+=("$1"); shift; done
[ "${1:-}" = "--" ] && shift
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -O1 -g"
status=0
for py in "${pythons[@]}"; do
    dir=build/sanitize/$(basename "$py")
    rm -rf "$dir" && mkdir -p "$dir" && cp -r ombrix include "$dir"/ && rm -f "$dir"/ombrix/iterators/*.so
    OMBRIX_STRICT=1 OMBRIX_EXTRA_CFLAGS="$flags" OMBRIX_EXTRA_LDFLAGS="-fsanitize=address,undefined" \
        "$py" setup.py -q build_ext --build-lib "$dir" --build-temp "$dir/tmp" --force || exit 1
    echo "== sanitized tests on $("$py" -c 'import sys; print(sys.version.split()[0])')"
    # The interpreter is not instrumented: load the runtime first, and leave
    # leak checking to the reference-count tests (the interpreter keeps
    # objects alive until exit by design).
    (cd "$dir" && LD_PRELOAD="$(gcc -print-file-name=libasan.so)" \
        ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$py" -m pytest -p no:cacheprovider -q "$root/tests" "$@") || status=1
done
exit $status

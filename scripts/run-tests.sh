#!/usr/bin/env bash
# Runs every test: the C++ engine tests, the suite on Python 2.7 and Python
# 3, and the short versions of the reference-count (debug interpreters),
# sanitizer and valgrind runs. Prints each run's summary and a combined line;
# fails if any run fails.
set -u
cd "$(dirname "$0")/.."
PY2=${PY2:-/usr/bin/python2.7}
PY3=${PY3:-python3}
PY2DBG=${PY2DBG:-/usr/bin/python2.7-dbg}
PY3DBG=${PY3DBG:-/usr/bin/python3.11-dbg}
PYTEST="-m pytest -p no:cacheprovider -q"

status=0
passed=0
failed=0
summaries=()

# run LABEL COMMAND...: runs one test program and adds up its counts.
run() {
    local label=$1
    shift
    echo "== $label"
    local log
    log=$(mktemp)
    "$@" 2>&1 | tee "$log"
    local code=${PIPESTATUS[0]}
    local p f
    if grep -q '\[==========\]' "$log"; then  # googletest
        p=$(grep -oE '\[  PASSED  \] [0-9]+' "$log" | grep -oE '[0-9]+$' || true)
        f=$(grep -oE '\[  FAILED  \] [0-9]+ test' "$log" | grep -oE '[0-9]+' || true)
    else  # pytest
        local summary
        summary=$(grep -E '[0-9]+ (passed|failed|errors?)' "$log" | tail -n 1)
        p=$(grep -oE '[0-9]+ passed' <<<"$summary" | grep -oE '[0-9]+' || true)
        f=$(grep -oE '[0-9]+ (failed|errors?)' <<<"$summary" | awk '{s += $1} END {print s + 0}')
    fi
    p=${p:-0}
    f=${f:-0}
    if [ "$code" -ne 0 ]; then
        status=1
        [ "$f" -gt 0 ] || f=1
    fi
    passed=$((passed + p))
    failed=$((failed + f))
    summaries+=("$label: $p passed, $f failed")
    rm -f "$log"
}

# One program per tests/cpp/test_*.cpp, built by `make test`.
for source in tests/cpp/test_*.cpp; do
    program=build/$(basename "$source" .cpp)
    run "C++ $(basename "$program"), no Python" "$program"
done
for program in build/sanitize/test_*; do
    [ -x "$program" ] && run "C++ $(basename "$program"), AddressSanitizer + UBSan" "$program"
done
run "C++ package: CMake, ctest, find_package and pkg-config consumers" bash tests/consumer/run.sh
for py in "$PY2" "$PY3"; do
    run "Python $("$py" -c 'import sys; print(sys.version.split()[0])')" "$py" $PYTEST tests "$@"
done
# The sdist, the wheel built from it in a fresh environment, and the
# exported symbols, once per interpreter.
for py in "$PY2" "$PY3"; do
    OMBRIX_PACKAGING_TESTS=1 run "$(basename "$py"): sdist, wheel, fresh environment" \
        "$py" $PYTEST tests/test_packaging.py
done
# Every other CPython 3 from 3.7 to 3.13 that this machine has: built in
# place beside the others, then the whole suite.
echo "== other interpreters"
others=$(bash scripts/other-pythons.sh "$PY3" 2> >(sed 's/^/   skipped, /' >&2))
for py in $others; do
    version=$("$py" -c 'import sys; print(sys.version.split()[0])')
    if ! OMBRIX_STRICT=1 "$py" setup.py -q build_ext --inplace > /dev/null 2>&1; then
        echo "   Python $version: the build failed"
        summaries+=("Python $version: build failed")
        status=1
        failed=$((failed + 1))
        continue
    fi
    run "Python $version" "$py" $PYTEST tests "$@"
done
for py in "$PY2DBG" "$PY3DBG"; do
    run "$(basename "$py"): reference counts" "$py" $PYTEST tests/test_refcounts.py
done
for py in "$PY2" "$PY3"; do
    run "$(basename "$py"): AddressSanitizer + UBSan" scripts/sanitize.sh "$py" -- -p no:warnings
done
run "$(basename "$PY3"): valgrind memcheck (core rules)" scripts/valgrind.sh "$PY3" tests/test_core.py

echo
for line in "${summaries[@]}"; do echo "$line"; done
echo "total: $passed passed, $failed failed"
exit $status

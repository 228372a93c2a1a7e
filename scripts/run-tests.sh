#!/usr/bin/env bash
# Runs the whole test suite under Python 2.7 and Python 3, prints each
# interpreter's pytest summary and a combined line, and fails if either does.
set -u
PY2=${PY2:-/usr/bin/python2.7}
PY3=${PY3:-python3}
cd "$(dirname "$0")/.."

status=0
passed=0
failed=0
summaries=()

if [ -n "${ENGINE_TESTS:-}" ]; then
    echo "== engine headers (C++, no Python)"
    log=$(mktemp)
    "$ENGINE_TESTS" 2>&1 | tee "$log"
    code=${PIPESTATUS[0]}
    [ "$code" -eq 0 ] || status=1
    p=$(grep -oE '\[  PASSED  \] [0-9]+' "$log" | grep -oE '[0-9]+$' || true)
    f=$(grep -oE '\[  FAILED  \] [0-9]+ test' "$log" | grep -oE '[0-9]+' || true)
    passed=$((passed + ${p:-0}))
    failed=$((failed + ${f:-0}))
    [ "$code" -eq 0 ] || [ "${f:-0}" -gt 0 ] || failed=$((failed + 1))
    summaries+=("C++ engines: ${p:-0} passed, ${f:-0} failed")
    rm -f "$log"
fi
for py in "$PY2" "$PY3"; do
    version=$("$py" -c 'import sys; print(sys.version.split()[0])')
    echo "== tests on Python $version"
    log=$(mktemp)
    "$py" -m pytest -p no:cacheprovider -q tests "$@" 2>&1 | tee "$log"
    code=${PIPESTATUS[0]}
    [ "$code" -eq 0 ] || status=1
    summary=$(grep -E '(passed|failed|error)' "$log" | tail -n 1)
    summaries+=("Python $version: ${summary//=/}")
    p=$(grep -oE '[0-9]+ passed' <<<"$summary" | grep -oE '[0-9]+' || true)
    f=$(grep -oE '[0-9]+ (failed|errors?)' <<<"$summary" | awk '{s += $1} END {print s + 0}')
    passed=$((passed + ${p:-0}))
    failed=$((failed + ${f:-0}))
    [ "$code" -eq 0 ] || [ "${f:-0}" -gt 0 ] || failed=$((failed + 1))
    rm -f "$log"
done
echo
for line in "${summaries[@]}"; do echo "$line"; done
echo "total: $passed passed, $failed failed"
exit $status

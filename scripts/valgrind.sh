#!/usr/bin/env bash
# Runs the tests on Python 3 under valgrind memcheck (with the interpreter's
# own allocator off) and counts the errors whose stack passes through the
# module. The interpreter itself reports a few (uninitialised reads in its
# own code, vectorised string scans); those are listed but not ours.
#   scripts/valgrind.sh PYTHON3 [PYTEST ARGS]
set -u
cd "$(dirname "$0")/.."
py=$("$1" -c 'import sys; print(sys.executable)')
shift
log=build/valgrind.log
mkdir -p build
PYTHONMALLOC=malloc valgrind --tool=memcheck --leak-check=no --num-callers=40 --log-file="$log" \
    "$py" -m pytest -p no:cacheprovider -p no:warnings -q "$@"
status=$?
# An error is ours when its innermost frame is in our code, looking through
# the interpreter's inline helpers (Py_INCREF and the like, which land in
# whichever code calls them). Errors raised inside the interpreter's own
# code, such as its long-integer "&" on negative numbers, are counted apart
# even when we were the caller.
ours_pattern='_iterators_zinthe|ombrix::|src/(core|generators)/|include/ombrix/'
read -r total ours < <(awk -v ours_pattern="$ours_pattern" '
    /^==[0-9]+== (Invalid|Conditional|Use of|Syscall|Mismatched|Source and|Argument)/ { total++; looking = 1; next }
    looking && /^==[0-9]+== +(at|by) / {
        if ($0 ~ /\((object|pycore_object|refcount)\.h:/) next
        if ($0 ~ ours_pattern) ours++
        looking = 0
    }
    END { print total + 0, ours + 0 }' "$log")
echo "valgrind: $total reports in all, $ours in ombrix code (log: $log)"
[ "$status" -eq 0 ] && [ "$ours" -eq 0 ]

#!/usr/bin/env bash
# Prints the CPython 3.7 to 3.13 interpreters that pyenv has, one a line,
# leaving out the one given (the default Python 3, tested on its own); says
# on standard error which releases it did not find.
#   scripts/other-pythons.sh [DEFAULT_PYTHON3]
set -u
default=$(command -v "${1:-python3}" >/dev/null 2>&1 && "${1:-python3}" -c 'import sys; print("%d.%d" % sys.version_info[:2])')
root=${PYENV_ROOT:-$HOME/.pyenv}
for minor in 7 8 9 10 11 12 13; do
    version=3.$minor
    [ "$version" = "$default" ] && continue
    found=$(ls -d "$root"/versions/"$version".*/bin/python"$version" 2>/dev/null | sort -V | tail -n 1)
    if [ -n "$found" ]; then echo "$found"; else echo "not found: Python $version" >&2; fi
done

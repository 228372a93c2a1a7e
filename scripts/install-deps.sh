#!/usr/bin/env bash
# Installs everything the build and the tests need, on a machine that has
# never seen the project. Run as root; safe to run again.
#
#   scripts/install-deps.sh            build and test dependencies
#
# Python 2.7 comes from Debian 11 ("bullseye"), added as a second suite that
# reuses the mirror this machine is already configured with.
set -euo pipefail

PY3=${PY3:-python3}
PY2=${PY2:-/usr/bin/python2.7}

need_apt=()
# The debug interpreters, valgrind and the Debian test tools serve the
# reference-count and memory checks; Google Benchmark and dieharder the
# benchmarks and the statistical runs.
for pkg in g++ make cmake pkg-config libgtest-dev libbenchmark-dev dieharder valgrind python2.7-dev \
           python-setuptools python2.7-dbg python3.11-dbg python3-setuptools python3-pytest python3-hypothesis; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' \
        || need_apt+=("$pkg")
done

if [ ${#need_apt[@]} -gt 0 ]; then
    bullseye=/etc/apt/sources.list.d/bullseye.sources
    if [ ! -f "$bullseye" ]; then
        uris=$(grep -m1 -E '^URIs:' /etc/apt/sources.list.d/debian.sources)
        printf 'Types: deb\n%s\nSuites: bullseye\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
            "$uris" > "$bullseye"
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # Only the Python 2 packages come from bullseye; the rest is bookworm's own.
    apt-get install -y -qq --no-install-recommends "${need_apt[@]}"
fi

# Test tools for Python 3.
# (build and mypy for the packaging and typing tests; numpy, dask,
# distributed and cffi for ombrix.bitgenerator and ombrix.dask).
"$PY3" -c 'import pytest, hypothesis, atheris, numpy, pyperf, build, mypy, dask.array, distributed, cffi' 2>/dev/null ||
    "$PY3" -m pip install -q 'pytest>=7' 'hypothesis>=6' atheris numpy pyperf build mypy 'dask[array]' distributed cffi


# Python 2.7 has no pip in Debian 11: bootstrap the last pip release that
# supports it from its own wheel, then take pytest 4.6 (the last for 2.7).
if ! "$PY2" -m pip --version >/dev/null 2>&1; then
    wheels=$(mktemp -d)
    "$PY3" -m pip download -q --no-deps --only-binary=:all: -d "$wheels" 'pip==20.3.4'
    "$PY2" "$wheels"/pip-20.3.4-py2.py3-none-any.whl/pip install -q --no-index \
        "$wheels"/pip-20.3.4-py2.py3-none-any.whl 2>&1 | grep -v -E 'DEPRECATION|ignored' || true
    rm -rf "$wheels"
fi
# pytest 4.6, hypothesis 4.57, numpy 1.16 and pyperf 1.7 are the last
# releases for Python 2.7.
# virtualenv 20.15 is the last that runs on 2.7 (for the packaging test).
"$PY2" -c 'import pytest, hypothesis, numpy, pyperf, virtualenv' 2>/dev/null ||
    { "$PY2" -m pip install -q 'pytest==4.6.11' 'hypothesis==4.57.1' 'numpy==1.16.6' 'pyperf==1.7.1' \
        'virtualenv<20.16' 2>&1 | grep -v -E 'DEPRECATION|ignored' || true; }

# The other CPython 3 releases that pyenv has (3.7 to 3.13): what building
# and the suite need, each from its own pip.
for py in $(bash scripts/other-pythons.sh "$PY3"); do
    "$py" -c 'import pytest, hypothesis, setuptools' 2>/dev/null ||
        "$py" -m pip install -q pytest hypothesis setuptools 2>&1 | grep -v -E 'WARNING|notice' || true
    "$py" -c 'import pytest, hypothesis, setuptools'
done
# Fail here, not in the tests, if anything above did not take.
"$PY2" -c 'import pytest, hypothesis, numpy, pyperf, setuptools, virtualenv'
"$PY3" -c 'import pytest, hypothesis, atheris, numpy, pyperf, setuptools, build, mypy, dask.array, distributed, cffi'
/usr/bin/python3.11-dbg -c 'import pytest, hypothesis, setuptools'
echo "dependencies ready"

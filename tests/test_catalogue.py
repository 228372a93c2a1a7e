"""Every generator type the module binds is known wherever the types are
listed: the package's GENERATORS (in the order the types are bound), the
models, the bulk functions, the command line, the benchmarks, the C++
catalogue and the reference vectors."""
import os
import re
import subprocess
import sys
from array import array

import pytest

from helpers import PACKAGE_ROOT, PY2, VECTORS, module, take
from models import MODELS
from ombrix import iterators
from ombrix.iterators import GENERATORS, draw, fill

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BOUND = [name for name, value in vars(module).items() if isinstance(value, type)]


def listed():
    out = subprocess.check_output([sys.executable, "-m", "ombrix.iterators", "--list"], cwd=PACKAGE_ROOT)
    return [line.split()[0] for line in out.decode().splitlines()]


def bench_module(name):
    """A module of bench/; each puts the checkout first on sys.path."""
    pytest.importorskip("pyperf")
    saved = sys.path[:]
    sys.path.insert(0, os.path.join(ROOT, "bench"))
    try:
        return __import__(name)
    finally:
        sys.path[:] = saved


def catalogue():
    """The names include/ombrix/catalogue.hpp passes to X, in order."""
    with open(os.path.join(ROOT, "include", "ombrix", "catalogue.hpp")) as header:
        text = header.read()
    body = re.search(r"#define OMBRIX_GENERATORS\(X\)((?:.*\\\n)*.*)", text).group(1)
    return re.findall(r"\bX\(\s*(\w+)\s*\)", body)


LISTS = {
    "GENERATORS": lambda: GENERATORS,
    "python -m ombrix.iterators --list": listed,
    "bench/bench_python.py": lambda: bench_module("bench_python").NAMES,
    "bench/report.py": lambda: bench_module("report").NAMES,
    "include/ombrix/catalogue.hpp": catalogue,
}


@pytest.mark.parametrize("source", sorted(LISTS))
def test_every_bound_type_is_listed_in_order(source):
    names = list(LISTS[source]())
    assert sorted(names) == sorted(BOUND)
    # Python 2's module dictionary forgets the order; Python 3 checks it.
    assert names == (list(GENERATORS) if PY2 else BOUND)


def test_every_model_models_a_bound_type():
    assert sorted(MODELS) == sorted(BOUND)
    assert all(MODELS[name].__name__ == name for name in MODELS)


def test_every_reference_vector_names_a_bound_type():
    assert set(name for name, _ in VECTORS) <= set(BOUND)


@pytest.mark.parametrize("name", BOUND)
def test_every_bound_type_has_a_model_bulk_calls_and_a_default_vector(name):
    kind = getattr(module, name)
    assert MODELS[name]
    assert getattr(iterators, name) is kind
    assert list(draw(kind(), 3)) == take(kind(), 3)
    assert list(fill(kind(), array(iterators.WORD_TYPECODE, [0] * 3))) == take(kind(), 3)
    assert (name, ()) in VECTORS

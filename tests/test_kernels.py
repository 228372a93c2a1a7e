"""The vector kernels behind fill() and draw(): on every kernel path this
processor supports (forced by OMBRIX_KERNELS, in a fresh interpreter each),
the same values and the same final state as the scalar path, from random
and edge states, in one call and in pieces that cross the kernels' block,
table and segment boundaries, and into unaligned memory."""
import json
import os
import subprocess
import sys

import pytest

import ombrix
from ombrix.iterators import kernel_path, supported_kernel_paths

HERE = os.path.dirname(os.path.abspath(__file__))
# The children import the same build of ombrix as this process.
PACKAGE_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(ombrix.__file__)))

# Run in the child: one line of JSON, a digest of the values and the final
# state for every case.
CHILD = r"""
import hashlib, json, random, sys
from array import array
from ombrix import iterators
from ombrix.iterators import GENERATORS, WORD_TYPECODE, fill, kernel_path
from states import edge_states, exact, random_state

PIECES = [1, 63, 64, 65, 255, 256, 257, 4095, 4096, 4097, 8191, 65536, 65537, 300007]

def digest(g, sizes, unaligned=False):
    h = hashlib.sha256()
    for n in sizes:
        if unaligned:
            raw = bytearray(4 * n + 1)
            fill(g, memoryview(raw)[1:])
            h.update(bytes(raw[1:]))
        else:
            out = array(WORD_TYPECODE, [0]) * n
            fill(g, out)
            h.update(out.tostring() if sys.version_info[0] == 2 else out.tobytes())
    return [h.hexdigest(), repr(exact(g))]

def copy_of(g):
    import copy
    return copy.copy(g)

results = {"path": kernel_path(), "cases": []}
rng = random.Random(2026)
for name in GENERATORS:
    start = random_state(name, rng)
    results["cases"].append(digest(copy_of(start), [10 ** 7]))
    results["cases"].append(digest(copy_of(start), PIECES * 3))
    results["cases"].append(digest(copy_of(start), [40003], unaligned=True))
for name, start in edge_states():
    results["cases"].append(digest(copy_of(start), [100003]))
    results["cases"].append(digest(copy_of(start), PIECES))
print(json.dumps(results))
"""


def run_on(path):
    env = dict(os.environ, OMBRIX_KERNELS=path)
    env["PYTHONPATH"] = os.pathsep.join([PACKAGE_ROOT, HERE, env.get("PYTHONPATH", "")])
    output = subprocess.check_output([sys.executable, "-c", CHILD], env=env)
    return json.loads(output.decode("ascii"))


@pytest.fixture(scope="module")
def scalar():
    return run_on("scalar")


@pytest.mark.parametrize("path", ["sse2", "avx2", "avx512"])
def test_every_path_equals_the_scalar_engine(scalar, path):
    if path not in supported_kernel_paths():
        pytest.skip("this processor lacks %s" % path)
    vector = run_on(path)
    assert vector["path"] == path
    assert scalar["path"] == "scalar"
    assert len(vector["cases"]) == len(scalar["cases"])
    for i, (got, expected) in enumerate(zip(vector["cases"], scalar["cases"])):
        assert got == expected, "case %d" % i


def test_the_chosen_path_is_supported_and_unknown_names_are_ignored():
    paths = supported_kernel_paths()
    assert paths[0] == "scalar" and kernel_path() in paths
    code = "from ombrix.iterators import kernel_path; print(kernel_path())"
    env = dict(os.environ, OMBRIX_KERNELS="no-such-path")
    best = subprocess.check_output([sys.executable, "-c", code], env=env).decode("ascii").strip()
    assert best == paths[-1]

"""Per-value cost of drawing from every generator type, next to anchors
measured in the same run: the floor (a minimal C iterator, one multiply-add
and one new integer per step), random.getrandbits(32), and the plain-Python
model of the same generator.

    python bench_python.py -o results.json [pyperf options]

Benchmarks are named KIND/SUBJECT: KIND is "slot" (the iterator slot alone,
collections.deque(itertools.islice(g, N), maxlen=0)), "next" (a next(g)
call per value), "bulk" (ombrix.iterators.fill into a 65536-word array)
"python" (the plain-Python model's next()), "raw" (a numpy bit
generator's random_raw(BULK // 2), as many bytes as a bulk loop; Python 3
with numpy only), "np-fill", "np-fill-bytes", "np-raw", "np-random",
"np-integers" (one call over 10**6 values: fill into a new numpy uint32
array, of 10**6 words or of as many bytes as random_raw's result, the ombrix
bit generator's random_raw, and numpy.random.Generator's random and
integers over it or over MT19937; Python 3 with numpy), "jump" (one
ombrix.iterators.advance(g, n) call by a 64-bit n; SWB, which steps, by
JUMP_STEPS) or "call" (an ordinary method call, g.__next__(), for scale). A
"bulk" loop is one fill of 65536 values."""
import collections
import itertools
import os
import random
import sys
from array import array

import pyperf

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
# pyperf's workers do not inherit PYTHONPATH: find the floor (built by
# `make bench` for this interpreter) and the package from here.
sys.path[:0] = [ROOT, os.path.join(ROOT, "tests"),
                os.path.join(ROOT, "build", "bench", os.path.basename(sys.executable))]

import models  # noqa: E402
from ombrix import iterators  # noqa: E402

NAMES = iterators.GENERATORS
BULK = 65536
JUMP = 0x9E3779B97F4A7C15  # a 64-bit count with bits all over
JUMP_STEPS = 10000  # SWB's jumps step: its count, per jump


def slot(loops, g):
    islice, deque = itertools.islice, collections.deque
    start = pyperf.perf_counter()
    deque(islice(g, loops), maxlen=0)
    return pyperf.perf_counter() - start


def nexts(loops, g):
    step = next
    start = pyperf.perf_counter()
    for _ in itertools.repeat(None, loops):
        step(g)
    return pyperf.perf_counter() - start


def calls(loops, function):
    start = pyperf.perf_counter()
    for _ in itertools.repeat(None, loops):
        function()
    return pyperf.perf_counter() - start


def getrandbits_slot(loops, rng):
    # The same deque drive, over getrandbits(32) mapped over a repeat.
    source = map(rng.getrandbits, itertools.repeat(32, loops)) if sys.version_info[0] > 2 else \
        itertools.imap(rng.getrandbits, itertools.repeat(32, loops))  # noqa: F821
    start = pyperf.perf_counter()
    collections.deque(source, maxlen=0)
    return pyperf.perf_counter() - start


def bulk(loops, g):
    # One loop fills BULK values; the report divides by BULK.
    out = array(iterators.WORD_TYPECODE, b"\0" * (4 * BULK))
    fill = iterators.fill
    start = pyperf.perf_counter()
    for _ in itertools.repeat(None, loops):
        fill(g, out)
    return pyperf.perf_counter() - start


def raw(loops, bit_generator):
    # As many bytes per loop as a bulk loop: BULK // 2 64-bit words.
    random_raw = bit_generator.random_raw
    size = BULK // 2
    start = pyperf.perf_counter()
    for _ in itertools.repeat(None, loops):
        random_raw(size)
    return pyperf.perf_counter() - start


def numpy_bit_generators():
    """numpy's own bit generators, where numpy has them (1.17 and later)."""
    try:
        import numpy.random as random_module
    except ImportError:
        return []
    names = ["PCG64", "PCG64DXSM", "MT19937", "Philox", "SFC64"]
    return [(name, getattr(random_module, name)(12345)) for name in names if hasattr(random_module, name)]


MILLION = 10 ** 6


def each_call(loops, function):
    # One loop is one call: the report divides by MILLION.
    start = pyperf.perf_counter()
    for _ in itertools.repeat(None, loops):
        function()
    return pyperf.perf_counter() - start


def bit_generator_calls(name):
    """(label, function) pairs, each a call over 10**6 values through numpy:
    fill into a new uint32 array, random_raw, Generator.random and
    Generator.integers; numpy's MT19937 for the last two, as the anchor."""
    import numpy
    from ombrix.bitgenerator import BitGenerator

    if name == "MT19937":
        rng = numpy.random.Generator(numpy.random.MT19937(12345))
        calls = []
    else:
        g = getattr(iterators, name)()
        bit_generator = BitGenerator(getattr(iterators, name)())
        rng = numpy.random.Generator(BitGenerator(getattr(iterators, name)()))
        calls = [("np-fill", lambda: iterators.fill(g, numpy.empty(MILLION, dtype=numpy.uint32))),
                 ("np-fill-bytes", lambda: iterators.fill(g, numpy.empty(2 * MILLION, dtype=numpy.uint32))),
                 ("np-raw", lambda: bit_generator.random_raw(MILLION))]
    return calls + [("np-random", lambda: rng.random(MILLION)),
                    ("np-integers", lambda: rng.integers(0, 2 ** 32, MILLION, dtype=numpy.uint32))]


def has_bit_generator():
    try:
        import ombrix.bitgenerator  # noqa: F401
    except ImportError:
        return False
    return True


def jumps(loops, g, n):
    advance = iterators.advance
    start = pyperf.perf_counter()
    for _ in itertools.repeat(None, loops):
        advance(g, n)
    return pyperf.perf_counter() - start


def iterable(generator):
    """KISS and KISS2 have no __iter__; a subclass that only adds one keeps
    their iterator slot, so islice drives the same step as for the others."""
    kind = type(generator)
    if hasattr(kind, "__iter__"):
        return generator
    return type(kind.__name__, (kind,), {"__iter__": lambda self: self})()


def main():
    import floor  # built by the benchmark into build/bench

    runner = pyperf.Runner()
    runner.metadata["description"] = "ombrix per-value costs"
    runner.bench_time_func("slot/floor", slot, floor.Floor())
    runner.bench_time_func("next/floor", nexts, floor.Floor())
    rng = random.Random(1)
    runner.bench_time_func("slot/getrandbits", getrandbits_slot, rng)
    runner.bench_time_func("next/getrandbits", calls, lambda: rng.getrandbits(32))
    runner.bench_time_func("call/method", calls, iterators.Cong().__next__)
    runner.bench_time_func("jump0/Cong", jumps, iterators.Cong(), 0)
    for name, bit_generator in numpy_bit_generators():
        runner.bench_time_func("raw/" + name, raw, bit_generator)
    if has_bit_generator():
        for name in ("MT19937",) + tuple(NAMES):
            for label, function in bit_generator_calls(name):
                runner.bench_time_func("%s/%s" % (label, name), each_call, function)
    for name in NAMES:
        kind = getattr(iterators, name)
        runner.bench_time_func("slot/" + name, slot, iterable(kind()))
        runner.bench_time_func("next/" + name, nexts, kind())
        runner.bench_time_func("bulk/" + name, bulk, kind())
        runner.bench_time_func("python/" + name, calls, models.MODELS[name]().next)
        runner.bench_time_func("jump/" + name, jumps, kind(), JUMP_STEPS if name == "SWB" else JUMP)


if __name__ == "__main__":
    main()

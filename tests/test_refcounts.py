"""Reference counting: every operation, on its success path and on each of
its failure paths, repeated many times, leaves the interpreter's total
reference count where it was. Runs only on a debug interpreter (which has
sys.gettotalrefcount); `make leaks` runs it there with more repetitions."""
import copy
import gc
import os
import array
import pickle
import sys

import pytest

from helpers import module
from models import MODELS
from ombrix.iterators import GENERATORS, advance, draw, fill, jumped

if not hasattr(sys, "gettotalrefcount"):
    pytestmark = pytest.mark.skip(reason="needs a debug interpreter")

REPEAT = int(os.environ.get("OMBRIX_LEAK_REPEAT", "200"))
M = module
TABLE = list(range(256))


class IntLike(object):
    def __init__(self, value):
        self.value = value

    def __int__(self):
        if isinstance(self.value, type):
            raise self.value("fresh")  # a raised instance would keep every traceback
        return self.value


class Liar(object):
    def __len__(self):
        return 256

    def __iter__(self):
        return iter([1, 2, 3])


def raises(function, *args, **kwargs):
    def call():
        try:
            function(*args, **kwargs)
        except Exception:
            pass
    return call


def process_seed_replaced(result):
    def call():
        saved = M._lfsr_process_seed
        M._lfsr_process_seed = lambda seed, min_value: result
        try:
            M.LFSR113(1, 2, 3, 4)
        except Exception:
            pass
        finally:
            M._lfsr_process_seed = saved
    return call


class Slotted(M.Cong):
    __slots__ = ("offset",)

    def __init__(self, seed=None):
        M.Cong.__init__(self, seed)
        self.offset = [1]


class Indexed(M.Cong):
    def __next__(self):
        return Index(M.Cong.__next__(self))

    next = __next__


class Index(object):
    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


class Shrinking(M.Cong):
    def __next__(self):
        del OUT[:]
        return M.Cong.__next__(self)

    next = __next__


OUT = array.array("I")


def shrink_during_fill():
    OUT.extend([0] * 100)
    try:
        fill(Shrinking(), OUT)
    except BufferError:
        pass


def operations():
    ops = []
    for name in GENERATORS:
        kind = getattr(M, name)
        g = kind()
        state = g.getstate()
        ops += [
            ("%s()" % name, lambda kind=kind: kind()),
            ("%s next" % name, lambda g=g: [next(g) for _ in range(5)]),
            ("%s getstate" % name, g.getstate),
            ("%s setstate" % name, lambda g=g, s=state: g.setstate(s)),
            ("%s seed" % name, g.seed),
        ]
        model = MODELS[name]
        for field in model.field_names:
            if field in model.table_fields:
                continue  # tables: LFIB4's own operations below
            prefix = "%s.%s" % (name, field)
            ops += [
                ("%s get" % prefix, lambda g=g, f=field: getattr(g, f)),
                ("%s set" % prefix, lambda g=g, f=field: setattr(g, f, 7)),
                ("%s set via __int__" % prefix, lambda g=g, f=field: setattr(g, f, IntLike(3))),
                ("%s set refused" % prefix, raises(setattr, g, field, -1)),
                ("%s set bad __int__" % prefix, raises(setattr, g, field, IntLike("x"))),
                ("%s set raising __int__" % prefix, raises(setattr, g, field, IntLike(KeyError))),
                ("%s delete" % prefix, raises(delattr, g, field)),
            ]
        ops += [
            ("%s too many" % name, raises(kind, *range(6))),
            ("%s bad keyword" % name, raises(kind, nope=1)),
            ("%s bad seed" % name, raises(g.seed, "x")),
            ("%s setstate short" % name, raises(g.setstate, ())),
            ("%s setstate bad" % name, raises(g.setstate, object())),
            ("%s copy" % name, lambda g=g: copy.copy(g)),
            ("%s pickle" % name, lambda g=g: pickle.loads(pickle.dumps(g, 2))),
            ("%s pickle 0" % name, lambda g=g: pickle.loads(pickle.dumps(g, 0))),
            ("%s bad copy state" % name, raises(g.__setstate__, ({}, None))),
            ("%s draw" % name, lambda g=g: draw(g, 1000)),
            ("%s fill bytes" % name, lambda g=g: fill(g, bytearray(400))),
            ("%s advance" % name, lambda g=g: advance(g, 1000)),
            ("%s advance huge" % name, raises(advance, g, 2 ** 200)),
            ("%s advance back" % name, raises(advance, g, -3)),
            ("%s jumped" % name, lambda g=g: jumped(g, 12345)),
        ]
    k = M.KISS()
    lf = M.LFIB4()
    swb = M.SWB()
    ops += [
        ("KISS setstate too few", raises(k.setstate, [(1, 2), (3,)])),
        ("KISS setstate too many", raises(k.setstate, iter([(1, 2), (3,), (4,), (5,)]))),
        ("KISS setstate item", raises(k.setstate, ((1,), (3,), (4,)))),
        ("KISS partial seed", raises(k.seed, 1, 2, -1)),
        ("MWC1 string seed", raises(M.MWC1, "5")),
        ("MWC64 reduced", lambda: M.MWC64(-1, 2 ** 70)),
        ("KISS2 pair test", lambda: M.KISS2(698769068, 4294967295)),
        ("LFIB4 table seed", lambda: M.LFIB4(TABLE)),
        ("LFIB4 seed length", raises(M.LFIB4, TABLE[:10])),
        ("LFIB4 no length", raises(M.LFIB4, 5)),
        ("LFIB4 early end", raises(M.LFIB4, Liar())),
        ("LFIB4 bad item", raises(M.LFIB4, TABLE[:255] + [-1])),
        ("LFIB4 t get", lambda: lf.t),
        ("LFIB4 t set", lambda: setattr(lf, "t", TABLE)),
        ("LFIB4 t short", raises(setattr, lf, "t", TABLE[:5])),
        ("LFIB4 state length", raises(lf.setstate, TABLE[:5])),
        ("LFIB4 c refused", raises(setattr, lf, "c", 256)),
        ("SWB setstate", lambda: swb.setstate((TABLE, 1))),
        ("SWB setstate unpack", raises(swb.setstate, TABLE)),
        ("SWB setstate table", raises(swb.setstate, (TABLE[:3], 0))),
        ("SWB init failure", raises(M.SWB, 5)),
        ("process seed", lambda: M._lfsr_process_seed(7, 8)),
        ("process seed absent", lambda: M._lfsr_process_seed(None, 8)),
        ("process seed keywords", lambda: M._lfsr_process_seed(seed=7, min_value=8)),
        ("process seed count", raises(M._lfsr_process_seed, 1)),
        ("process seed bad", raises(M._lfsr_process_seed, "x", 2)),
        ("process seed keyword", raises(M._lfsr_process_seed, 1, 2, seed=3)),
        ("LFSR replaced junk", process_seed_replaced("junk")),
        ("LFSR replaced negative", process_seed_replaced(-1)),
        ("slots copy", lambda: copy.deepcopy(Slotted(3))),
        ("slots pickle 0", lambda: pickle.loads(pickle.dumps(Slotted(3), 0))),
        ("copy state bad slots", raises(Slotted().__setstate__, ({"cong": 1}, (None, [1])))),
        ("copy state bad dict", raises(M.Cong().__setstate__, ({"cong": 1}, [1]))),
        ("draw by __index__", lambda: draw(Indexed(), 10)),
        ("draw bad count", raises(draw, k, -5)),
        ("draw huge", raises(draw, k, 2 ** 62)),
        ("draw not a generator", raises(draw, 5, 1)),
        ("fill refused typecode", raises(fill, k, array.array("f", [0.0]))),
        ("fill shrinking output", shrink_during_fill),
        ("advance bad count", raises(advance, k, 1.5)),
        ("advance not a generator", raises(advance, 5, 1)),
        ("jumped slots", lambda: jumped(Slotted(3), 5)),
    ]
    return ops


OPERATIONS = operations()


def total_after(operation, times):
    for _ in range(times):
        operation()
    gc.collect()
    return sys.gettotalrefcount()


@pytest.mark.parametrize("label, operation", OPERATIONS, ids=[label for label, _ in OPERATIONS])
def test_no_reference_leaks(label, operation):
    # Warm up caches (method lookups, interned strings, small ints) first.
    total_after(operation, 20)
    before = total_after(operation, 0)
    after = total_after(operation, REPEAT)
    # A handful of references may move between runs; a leak grows with REPEAT.
    assert after - before < REPEAT // 10 + 5, (label, after - before)


def test_constants_keep_their_counts():
    twelve_thousand = M._lfsr_process_seed(None, 2)  # the module's own 12345
    watched = [twelve_thousand, M.KISS, M.LFIB4, M._lfsr_process_seed, Exception, range]
    counts = [sys.getrefcount(obj) for obj in watched]
    for _, operation in OPERATIONS:
        for _ in range(3):
            operation()
    gc.collect()
    assert list(zip(watched, [sys.getrefcount(obj) for obj in watched])) == list(zip(watched, counts))

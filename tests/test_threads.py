"""Threads: the module holds no lock of its own, so every operation runs
under the interpreter's lock; a step is never interleaved with another,
and code a seed runs (__int__, __eq__, iteration) may switch threads."""
import sys
import threading
import time

import pytest

from helpers import module, take
from models import MODELS
from ombrix.iterators import GENERATORS

STEPS = 2000


class Yielding(object):
    """An integer-like seed whose conversion lets other threads run."""

    def __init__(self, value):
        self.value = value

    def __eq__(self, other):
        time.sleep(0)
        return False

    __hash__ = object.__hash__

    def __mod__(self, other):
        time.sleep(0)
        return 1

    def __int__(self):
        time.sleep(0)
        return self.value


def seeds_for(name):
    """A full set of seeds, each letting other threads run as it is read."""
    model = MODELS[name]
    return tuple([Yielding(i) for i in range(256)] if parameter in model.table_parameters else Yielding(v + 1000)
                 for v, parameter in enumerate(model.parameter_names))


@pytest.fixture(autouse=True)
def fast_switching():
    if sys.version_info[0] == 2:
        old = sys.getcheckinterval()
        sys.setcheckinterval(1)
        yield
        sys.setcheckinterval(old)
    else:
        old = sys.getswitchinterval()
        sys.setswitchinterval(1e-6)
        yield
        sys.setswitchinterval(old)


def run_threads(targets):
    threads = [threading.Thread(target=t) for t in targets]
    for t in threads:
        t.start()
    for t in threads:
        t.join()


def test_separate_generators_match_their_single_threaded_sequences():
    results = {}

    def work(name):
        def draw():
            g = getattr(module, name)(*seeds_for(name))
            values = [next(g) for _ in range(STEPS)]
            g.seed(*seeds_for(name))
            results[name] = (values, take(g, 10))
        return draw

    run_threads([work(name) for name in GENERATORS])
    for name in GENERATORS:
        expected = take(getattr(module, name)(*seeds_for(name)), STEPS)
        assert results[name][0] == expected
        assert results[name][1] == expected[:10]


@pytest.mark.parametrize("name", GENERATORS)
def test_shared_generator_steps_are_never_torn(name):
    g = getattr(module, name)()
    drawn = []

    def draw():
        local = [next(g) for _ in range(STEPS)]
        drawn.extend(local)

    run_threads([draw] * 4)
    reference = getattr(module, name)()
    expected = take(reference, 4 * STEPS)
    assert sorted(drawn) == sorted(expected)
    assert g.getstate() == reference.getstate()


@pytest.mark.parametrize("name", GENERATORS)
def test_reseeding_while_others_draw(name):
    g = getattr(module, name)()
    stop = []

    def draw():
        while not stop:
            next(g)
            g.getstate()

    def reseed():
        for _ in range(20):
            g.seed(*seeds_for(name))
            g.setstate(g.getstate())
        stop.append(True)

    run_threads([draw, draw, reseed])
    # Whatever state it was left in, it continues as its model does.
    model = MODELS[name]()
    for field in model.field_names:
        model.set_property(field, getattr(g, field))
    assert take(g, 50) == [model.next() for _ in range(50)]

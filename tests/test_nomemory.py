"""Allocation failure: when the interpreter cannot allocate, operations fail
with MemoryError, leave the state their rules allow, and never crash."""
import pytest

from helpers import module, take
from ombrix.iterators import GENERATORS

try:
    import _testcapi

    _testcapi.set_nomemory
except (ImportError, AttributeError):
    pytestmark = pytest.mark.skip(reason="needs _testcapi.set_nomemory")


def without_memory(function, start=0):
    """Runs function with every allocation from the start-th on failing."""
    _testcapi.set_nomemory(start, 0)
    try:
        function()
    except MemoryError:
        return True
    finally:
        _testcapi.remove_mem_hooks()
    return False


@pytest.mark.parametrize("name", GENERATORS)
def test_next_fails_after_advancing(name):
    kind = getattr(module, name)
    g, reference = kind(), kind()
    failed = 0
    for _ in range(20):
        failed += without_memory(lambda: next(g))
        next(reference)  # failed or not, the state has advanced
        assert g.getstate() == reference.getstate()
    assert failed > 0
    assert take(g, 5) == take(reference, 5)


@pytest.mark.parametrize("name", GENERATORS)
def test_getstate_fails_without_changing_state(name):
    g = getattr(module, name)()
    take(g, 3)
    saved = g.getstate()
    for start in range(0, 30, 3):
        without_memory(g.getstate, start)
        assert g.getstate() == saved


@pytest.mark.parametrize("name", GENERATORS)
def test_construction_and_seeding_fail_cleanly(name):
    kind = getattr(module, name)
    for start in range(0, 40, 2):
        without_memory(kind, start)
        g = kind()
        without_memory(g.seed, start)
        without_memory(lambda: g.setstate(g.getstate()), start)
    assert take(kind(), 3) == take(kind(), 3)

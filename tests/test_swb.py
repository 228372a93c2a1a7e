import pytest

from helpers import NATIVE, fails, qualified, reference, take
from ombrix.iterators import LFIB4, SWB

RANGE = tuple(range(256))


@pytest.mark.parametrize("seed", [None, 0, []])
def test_default_table_is_lfib4s(seed):
    g = SWB(seed)
    assert g.t == LFIB4().t
    assert (g.c, g.borrow) == (0, 0)
    outputs = []
    for _ in range(3):
        outputs.append((next(g), g.borrow))
    assert outputs == list(zip(reference("SWB"), [1, 0, 0]))


def test_is_a_subtype_of_lfib4():
    g = SWB()
    assert isinstance(g, LFIB4)
    assert SWB.__base__ is LFIB4
    assert iter(g) is g
    assert "seed" not in SWB.__dict__ and "t" not in SWB.__dict__
    assert g.seed(RANGE) is None
    assert take(g, 3) == reference("SWB", RANGE)


def test_table_vectors():
    g = SWB(range(256))
    next(g)
    assert g.getstate() == ((15,) + tuple(range(2, 256)) + (0,), 0)
    g = SWB(range(255, -1, -1))
    assert (next(g), g.borrow, next(g), g.borrow) == (4294967281, 1, 4294967280, 1)


@pytest.mark.parametrize("borrow, outputs", [(1, [14, 15]), (2, [13, 15])])
def test_borrow_is_subtracted_in_full(borrow, outputs):
    g = SWB(range(256))
    g.borrow = borrow
    assert next(g) == outputs[0]
    assert g.borrow == 0
    assert next(g) == outputs[1]


@pytest.mark.parametrize("borrow, output, after", [(1, 7, 0), (0, 8, 1)])
def test_subtrahend_wraps_before_the_comparison(borrow, output, after):
    table = [0] * 256
    table[20] = 4294967295
    table[35] = 7
    g = SWB(table)
    g.borrow = borrow
    assert next(g) == output
    assert g.borrow == after


def test_state_round_trip_into_another_generator():
    g = SWB()
    take(g, 300)
    saved = g.getstate()
    expected = take(g, 600)
    other = SWB(range(256))
    other.setstate(saved)
    assert other.c == 0
    assert take(other, 600) == expected
    g.setstate(saved)
    assert take(g, 600) == expected


@pytest.mark.parametrize("saved, borrow", [(1, 1), (2, 1), (0, 0), (None, 0), ("", 0), ("x", 1)])
def test_setstate_takes_the_borrow_by_truth(saved, borrow):
    g = SWB()
    g.setstate((RANGE, saved))
    assert g.borrow == borrow
    assert type(g.borrow) is NATIVE


def test_setstate_with_borrow_continues():
    g = SWB()
    g.setstate((RANGE, 1))
    assert take(g, 2) == [14, 15]


@pytest.mark.parametrize(
    "state, error, message",
    [
        (RANGE, ValueError, "too many values to unpack (expected 2)"),
        ((tuple(range(255)), 0), Exception, "state length must be 256"),
        ((RANGE,), ValueError, "need more than 1 value to unpack"),
    ],
)
def test_setstate_failures_change_nothing(state, error, message):
    g = SWB()
    next(g)
    before = g.getstate(), g.c, g.borrow
    got, entries = fails(error, g.setstate, state)
    assert got == message
    assert entries[0] == qualified("SWB", "setstate")
    assert (g.getstate(), g.c, g.borrow) == before


def test_failing_borrow_truth_comes_after_the_table():
    class Bad(object):
        def __bool__(self):
            raise ZeroDivisionError

        __nonzero__ = __bool__

    g = SWB()
    next(g)
    assert g.borrow == 1
    with pytest.raises(ZeroDivisionError):
        g.setstate((RANGE, Bad()))
    assert g.t == RANGE and g.c == 0 and g.borrow == 1


def test_failures_inside_lfib4_show_both_entries():
    _, entries = fails(Exception, SWB, range(257))
    assert entries == [qualified("SWB", "__init__"), qualified("LFIB4", "__init__")]
    g = SWB()
    _, entries = fails(TypeError, g.seed, 5)
    assert entries == [qualified("LFIB4", "seed"), qualified("SWB", "__init__"), qualified("LFIB4", "__init__")]
    _, entries = fails(Exception, g.setstate, ((1, 2), 0))
    assert entries == [qualified("SWB", "setstate"), qualified("LFIB4", "setstate")]


def test_failed_fill_keeps_the_borrow():
    g = SWB(range(256))
    g.borrow = 1
    fails(OverflowError, g.seed, [3] * 255 + [-1])
    assert g.borrow == 1
    assert g.t[:255] == (3,) * 255


def test_seed_resets_table_index_and_borrow():
    g = SWB(range(256))
    take(g, 5)
    g.borrow = 1
    assert g.seed() is None
    assert (g.t, g.c, g.borrow) == (LFIB4().t, 0, 0)
    g.seed(range(256))
    assert take(g, 3) == take(SWB(range(256)), 3)


def test_index_wraps_and_inherited_properties_leave_the_borrow():
    g = SWB()
    take(g, 256)
    assert g.c == 0
    g.borrow = 1
    g.t = RANGE
    g.c = 3
    assert g.borrow == 1
    _, entries = fails(OverflowError, setattr, g, "c", 256)
    assert entries == [qualified("LFIB4", "c.__set__")]


def test_documentation():
    assert SWB.__doc__.splitlines()[0] == '"Subtract-With-Borrow" random number generator'
    assert "x[n]=x[n-222]-x[n-237]- borrow mod 2**32." in SWB.__doc__

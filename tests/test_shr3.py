import pytest

from helpers import LONG, Claims, fails, qualified, take
from ombrix.iterators import SHR3

DEFAULT_OUTPUTS = [3135323351, 839507754, 880795740]


@pytest.mark.parametrize("seed", [None, 0, 0.0, False, Claims(True)])
def test_absent_or_zero_seed_gives_default(seed):
    g = SHR3(seed)
    assert g.shr3 == 362436000
    assert take(g, 3) == DEFAULT_OUTPUTS
    assert g.shr3 == DEFAULT_OUTPUTS[-1]


@pytest.mark.parametrize(
    "seed, state, outputs",
    [
        (1, 1, [270369, 67634689]),
        (4294967295, 4294967295, []),
        (2.9, 2, []),
        ("7", 7, []),
        # The zero test sees 0.5; only `int` makes it 0, a fixed point.
        (0.5, 0, [0, 0]),
    ],
)
def test_seed_rules(seed, state, outputs):
    g = SHR3(seed)
    assert g.shr3 == state
    assert take(g, len(outputs)) == outputs


@pytest.mark.parametrize(
    "seed, error, message",
    [
        (-1, OverflowError, "can't convert negative value to unsigned long"),
        (4294967296, OverflowError, None),
        ("x", ValueError, None),
        (Claims(ZeroDivisionError("eq")), ZeroDivisionError, "eq"),
    ],
)
def test_bad_seed_leaves_state(seed, error, message):
    g = SHR3(5)
    got, entries = fails(error, g.seed, seed)
    if message:
        assert got == message
    assert entries == [qualified("SHR3", "seed"), qualified("SHR3", "__init__")]
    assert g.shr3 == 5


def test_zero_test_only_runs_for_present_seeds():
    class Zero(object):
        """Equal to 0 but not to None; int() gives 9."""

        def __eq__(self, other):
            return other == 0

        __hash__ = object.__hash__

        def __int__(self):
            return 9

    assert SHR3(Zero()).shr3 == 362436000


def test_state_and_property():
    g = SHR3(5)
    assert g.getstate() == (5,)
    assert type(g.getstate()[0]) is LONG
    g.setstate(("7",))
    assert g.shr3 == 7
    g.setstate([5, 6, 7])
    assert g.shr3 == 5
    g.setstate((0,))  # no zero test on restore: a stuck generator
    assert take(g, 2) == [0, 0]
    fails(IndexError, g.setstate, ())
    assert g.shr3 == 0
    message, _ = fails(TypeError, setattr, g, "shr3", "7")
    assert message == "an integer is required"
    g.shr3 = 0
    assert g.shr3 == 0


def test_seed_replays_constructor():
    g = SHR3(99)
    assert g.seed() is None
    assert g.shr3 == 362436000
    g.seed(5)
    assert take(g, 4) == take(SHR3(5), 4)


def test_documentation():
    lines = SHR3.__doc__.splitlines()
    assert lines[0] == "3-shift-register random number generator"
    assert "y[n]=y[n-1](I+L^13)(I+R^17)(I+L^5)" in SHR3.__doc__

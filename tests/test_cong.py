import pytest

from helpers import LONG, Claims, BadTruth, fails, qualified, take
from ombrix.iterators import Cong

DEFAULT_OUTPUTS = [1526889226, 2084976955, 1314849656]


@pytest.mark.parametrize("make", [Cong, lambda: Cong(None), lambda: Cong(seed=None)])
def test_absent_seed_starts_from_default(make):
    g = make()
    assert g.cong == 123456789
    assert take(g, 3) == DEFAULT_OUTPUTS


@pytest.mark.parametrize(
    "seed, state, outputs",
    [
        (0, 0, [12345, 852669150, 413970943]),  # zero is a seed like any other
        (4294967295, 4294967295, [4294910572]),
        (2.7, 2, []),
        ("99", 99, []),
        (True, 1, []),
        (Claims(True), 123456789, []),  # claims to be None: absent
        (2 ** 32 + 0.5 - 2 ** 32, 0, []),
    ],
)
def test_seeds_go_through_int(seed, state, outputs):
    g = Cong(seed)
    assert g.cong == state
    assert take(g, len(outputs)) == outputs


@pytest.mark.parametrize(
    "seed, error, message",
    [
        (-1, OverflowError, "can't convert negative value to unsigned long"),
        (4294967296, OverflowError, None),
        ("x", ValueError, None),
        ([], TypeError, None),
        (Claims(ZeroDivisionError("eq")), ZeroDivisionError, "eq"),
        (Claims(BadTruth()), ZeroDivisionError, "truth"),
    ],
)
def test_bad_seed_fails_and_leaves_state(seed, error, message):
    got, entries = fails(error, Cong, seed)
    if message is not None:
        assert got == message
    assert entries == [qualified("Cong", "__init__")]
    g = Cong(5)
    fails(error, g.seed, seed)
    assert g.cong == 5


def test_every_value_is_a_long():
    g = Cong(0)
    assert all(type(v) is LONG for v in take(g, 3))
    assert type(g.cong) is LONG
    assert type(g.getstate()[0]) is LONG


def test_step_returns_new_state():
    g = Cong(7)
    value = next(g)
    assert value == g.cong == (69069 * 7 + 12345) % 2 ** 32


def test_full_word_wraps():
    g = Cong(0)
    g.cong = 2 ** 32 - 1
    assert next(g) == (69069 * (2 ** 32 - 1) + 12345) % 2 ** 32


@pytest.mark.parametrize("state", [(5, 6, 7), [5], {0: 5}, (5,)])
def test_setstate_reads_item_zero(state):
    g = Cong()
    assert g.setstate(state) is None
    assert g.cong == 5


@pytest.mark.parametrize(
    "state, error", [((), IndexError), ([], IndexError), (5, TypeError), ({1: 5}, KeyError), ((-1,), OverflowError)]
)
def test_setstate_failure_keeps_state(state, error):
    g = Cong(9)
    _, entries = fails(error, g.setstate, state)
    assert entries == [qualified("Cong", "setstate")]
    assert g.cong == 9


def test_setstate_parses_strings_but_property_does_not():
    g = Cong()
    g.setstate(("99",))
    assert g.cong == 99
    message, entries = fails(TypeError, setattr, g, "cong", "99")
    assert message == "an integer is required"
    assert entries == [qualified("Cong", "cong.__set__")]
    assert g.cong == 99
    g.cong = 7.9
    assert g.cong == 7


def test_saved_state_replays():
    g = Cong(42)
    saved = g.getstate()
    first = take(g, 5)
    g.setstate(saved)
    assert take(g, 5) == first
    other = Cong()
    other.setstate(saved)
    assert take(other, 5) == first


def test_seed_resets_to_initialiser_rules():
    g = Cong(5)
    take(g, 3)
    assert g.seed() is None
    assert take(g, 3) == DEFAULT_OUTPUTS
    g.seed(0)
    assert g.cong == 0
    g.seed(seed=11)
    assert g.cong == 11


def test_documentation_first_line():
    assert Cong.__doc__.splitlines()[0] == "Congruential random number generator"
    assert "x[n]=69069x[n-1]+12345" in Cong.__doc__
    assert "2**32" in Cong.__doc__

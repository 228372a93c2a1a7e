import pytest

from helpers import Claims, fails, qualified, reference, take
from ombrix.iterators import MWC64

DEFAULT = (7654321, 521288629)
NEGATIVE = "can't convert negative value to unsigned long"


def test_default_seeds():
    for g in (MWC64(), MWC64(None, None), MWC64(Claims(True), Claims(True))):
        assert g.getstate() == DEFAULT
        assert take(g, 3) == reference("MWC64")
        assert g.mwc_upper == 84810976 or g.getstate() != DEFAULT


def test_first_step_carry():
    g = MWC64()
    next(g)
    assert g.mwc_upper == 84810976


@pytest.mark.parametrize(
    "seeds",
    [
        (0, 0),
        (698769068, 4294967295),  # the modulus itself
        (1397538137, 4294967294),  # twice the modulus
        (4192614413, 4294967290),  # six times
        (4294967296, 0),  # reduced to (0, 0)
        (0.5, 0.5),  # `int` runs before the pair test
        (-4294967296, "0"),
    ],
)
def test_degenerate_pairs_are_replaced_together(seeds):
    assert MWC64(*seeds).getstate() == DEFAULT


@pytest.mark.parametrize(
    "seeds, state",
    [
        ((0, 5), (0, 5)),
        ((5, 0), (5, 0)),
        ((-1, -1), (4294967295, 4294967295)),
        ((2 ** 40 + 3, 7), (3, 7)),
        ((2.9, "7"), (2, 7)),
        ((None, 3), (7654321, 3)),
        ((-2 ** 100 + 5, True), (5, 1)),
    ],
)
def test_seeds_are_reduced_to_32_bits(seeds, state):
    assert MWC64(*seeds).getstate() == state


def test_step_vectors():
    assert take(MWC64(1, 0), 3) == [1, 698769069, 1432322281]
    g = MWC64(-1, -1)
    assert next(g) == reference("MWC64", 4294967295, 4294967295)[0]
    assert g.mwc_upper == 698769069


@pytest.mark.parametrize(
    "seeds, error",
    [(("x", 1), ValueError), ((1, "x"), ValueError), ((Claims(ZeroDivisionError()), 1), ZeroDivisionError),
     ((1, []), TypeError)],
)
def test_failing_seed_stores_nothing(seeds, error):
    g = MWC64(11, 22)
    _, entries = fails(error, g.seed, *seeds)
    assert entries == [qualified("MWC64", "seed"), qualified("MWC64", "__init__")]
    assert g.getstate() == (11, 22)


def test_fixed_states_through_setstate():
    g = MWC64()
    g.setstate((698769068, 4294967295))
    assert take(g, 3) == [4294967295] * 3
    assert g.getstate() == (698769068, 4294967295)
    g.setstate((0, 0))
    assert take(g, 2) == [0, 0]


def test_setstate_has_no_reduction():
    g = MWC64(11, 22)
    message, entries = fails(OverflowError, g.setstate, (-1, 0))
    assert message == NEGATIVE
    assert entries == [qualified("MWC64", "setstate")]
    assert g.getstate() == (11, 22)
    fails(OverflowError, g.setstate, (5, 2 ** 32))
    assert g.getstate() == (5, 22)
    fails(OverflowError, setattr, g, "mwc_upper", 4294967296)
    assert g.mwc_upper == 5


def test_mwc_is_the_lower_word():
    g = MWC64(3, 4)
    assert g.mwc == g.mwc_lower == 4
    assert next(g) == g.mwc == g.mwc_lower
    fails(AttributeError, setattr, g, "mwc", 1)


def test_documentation():
    assert MWC64.__doc__.splitlines()[0] == '"Multiply-with-carry" random number generator'

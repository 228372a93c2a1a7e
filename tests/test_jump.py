"""advance() and jumped(): a generator moved n steps, forward or back, in
O(log n) (SWB by stepping), exactly as n steps of its type would move it."""
import copy
import random

import pytest

from helpers import PY2
from states import (
    ALL_ONES,
    LFSR113_ORDERS,
    MWC16_LOWER,
    MWC16_UPPER,
    MWC64,
    edge_states,
    exact,
    random_state,
    with_fields,
)
from ombrix import iterators
from ombrix.iterators import GENERATORS, advance, draw, jumped

# A multiple of every period a jump is reduced by: counts n and n + PERIOD
# (n >= 1) lead to the same state. SWB's is unknown.
PERIOD = {
    "Cong": 2 ** 32,
    "SHR3": 2 ** 32 - 1,
    "MWC1": (MWC16_UPPER - 1) // 2 * ((MWC16_LOWER - 1) // 2),
    "MWC2": (MWC16_UPPER - 1) // 2 * ((MWC16_LOWER - 1) // 2),
    "MWC64": (MWC64 - 1) // 2,
    "KISS": 2 ** 32 * (2 ** 32 - 1) * ((MWC16_UPPER - 1) // 2) * ((MWC16_LOWER - 1) // 2),
    "KISS2": 2 ** 32 * (2 ** 32 - 1) * ((MWC64 - 1) // 2),
    "LFIB4": 2 ** 31 * 91 * (2 ** 236 - 1),
    "LFSR113": LFSR113_ORDERS[0] * LFSR113_ORDERS[1] * LFSR113_ORDERS[2] * LFSR113_ORDERS[3],
    "LFSR88": LFSR113_ORDERS[0] * LFSR113_ORDERS[1] * LFSR113_ORDERS[2],
}
COUNTS = [0, 1, 2, 255, 256, 257, 1000, 10 ** 6]


def stepped(g, n):
    """A copy of g moved n steps by plain stepping."""
    g = copy.copy(g)
    draw(g, n)
    return g


@pytest.mark.parametrize("name", GENERATORS)
def test_jumps_equal_plain_stepping_from_random_states(name):
    rng = random.Random(name)
    for _ in range(3):
        start = random_state(name, rng)
        for n in COUNTS:
            assert exact(advance(copy.copy(start), n)) == exact(stepped(start, n)), (name, n)


@pytest.mark.parametrize("name, start", edge_states(), ids=lambda value: value if isinstance(value, str) else "")
def test_jumps_equal_plain_stepping_from_edge_states(name, start):
    for n in COUNTS[:-1]:
        assert exact(advance(copy.copy(start), n)) == exact(stepped(start, n)), n


@pytest.mark.parametrize("name", GENERATORS)
def test_jumps_compose(name):
    rng = random.Random(name)
    start = random_state(name, rng)
    limit = 10 ** 5 if name == "SWB" else 2 ** 64
    for _ in range(4):
        a, b = rng.randrange(limit), rng.randrange(limit)
        assert exact(advance(advance(copy.copy(start), a), b)) == exact(advance(copy.copy(start), a + b))
    a = rng.randrange(limit)
    after = advance(copy.copy(start), a)
    values = draw(after, 10 ** 6)
    assert exact(after) == exact(advance(copy.copy(start), a + 10 ** 6))
    assert list(values[-3:]) == list(draw(advance(copy.copy(start), a + 10 ** 6 - 3), 3))


@pytest.mark.parametrize("name", GENERATORS)
def test_advance_then_draw_equals_the_tail_of_a_longer_draw(name):
    g = getattr(iterators, name)()
    reference = draw(copy.copy(g), 1500)
    assert advance(g, 1000) is g
    assert list(draw(g, 500)) == list(reference[1000:])


@pytest.mark.parametrize("name", sorted(PERIOD))
def test_counts_are_reduced_by_the_period(name):
    rng = random.Random(name)
    start = random_state(name, rng)
    for n in (1, 12345, rng.getrandbits(64)):
        expected = exact(advance(copy.copy(start), n))
        for more in (PERIOD[name], 3 * PERIOD[name], PERIOD[name] * 2 ** 300):
            assert exact(advance(copy.copy(start), n + more)) == expected


@pytest.mark.parametrize("name", GENERATORS)
def test_back_and_forth_returns_to_the_start(name):
    rng = random.Random(name)
    # Twenty steps settle any state onto the cycle (an MWC word above its
    # modulus, the dropped low bits of an LFSR word, a stray SWB borrow).
    start = advance(random_state(name, rng), 20)
    limit = 2000 if name == "SWB" else 2 ** 64
    for n in (1, 256, 1000, rng.randrange(limit)):
        there = advance(copy.copy(start), n)
        assert exact(advance(there, -n)) == exact(start)
        assert exact(advance(advance(copy.copy(start), -n), n)) == exact(start)


def without_past():
    """States that no state leads to, and why."""
    lfsr = iterators.LFSR113()  # seeded: the low bits are not those a step leaves
    return [
        ("MWC1", with_fields("MWC1", mwc_upper=MWC16_UPPER + 1), "multiply-with-carry"),
        ("MWC2", with_fields("MWC2", mwc_lower=ALL_ONES), "multiply-with-carry"),
        ("MWC64", with_fields("MWC64", mwc_upper=ALL_ONES, mwc_lower=ALL_ONES), "multiply-with-carry"),
        ("KISS", with_fields("KISS", mwc_upper=ALL_ONES), "multiply-with-carry"),
        ("KISS2", with_fields("KISS2", mwc_upper=ALL_ONES), "multiply-with-carry"),
        ("LFSR113", lfsr, "low bits"),
        ("LFSR88", with_fields("LFSR88", z1=ALL_ONES), "low bits"),
        ("SWB", with_fields("SWB", borrow=2), "borrow above 1"),
        ("SWB", iterators.SWB(), "20 steps"),
    ]


@pytest.mark.parametrize("name, g, reason", without_past(), ids=lambda value: value if isinstance(value, str) else "")
def test_no_past_is_a_value_error_and_changes_nothing(name, g, reason):
    before = exact(g)
    for n in (-1, -1000) + (() if name == "SWB" else (-2 ** 70,)):
        with pytest.raises(ValueError) as info:
            advance(g, n)
        assert str(info.value).startswith("%s cannot go back from this state: " % name)
        assert reason in str(info.value)
        assert exact(g) == before
    assert exact(advance(g, 0)) == before  # going nowhere always works


@pytest.mark.parametrize("name", ["Cong", "SHR3", "LFIB4"])
def test_every_state_has_a_past(name):
    g = random_state(name, random.Random(7))
    start = exact(g)
    assert exact(advance(advance(g, -123456789), 123456789)) == start


class Index(object):
    def __index__(self):
        return 300


@pytest.mark.parametrize("n", [1.0, "3", None, [], 2 ** 64 + 0.5])
def test_bad_counts_are_type_errors_and_change_nothing(n):
    for name in GENERATORS:
        g = getattr(iterators, name)()
        before = exact(g)
        with pytest.raises(TypeError):
            advance(g, n)
        with pytest.raises(TypeError):
            jumped(g, n)
        assert exact(g) == before


def test_counts_with_index_are_counts():
    g = advance(iterators.KISS(), Index())
    assert exact(g) == exact(stepped(iterators.KISS(), 300))
    assert exact(advance(iterators.Cong(), True)) == exact(stepped(iterators.Cong(), 1))


@pytest.mark.parametrize("generator", [5, None, iter([1]), object()])
def test_only_ombrix_generators_jump(generator):
    for function, name in ((advance, "advance"), (jumped, "jumped")):
        with pytest.raises(TypeError) as info:
            function(generator, 1)
        assert str(info.value).startswith("%s() needs an ombrix generator" % name)


def test_swb_cannot_step_2_to_the_64():
    g = iterators.SWB()
    before = exact(g)
    for n in (2 ** 64, -2 ** 64, 10 ** 30):
        with pytest.raises(ValueError) as info:
            advance(g, n)
        assert "jumps by stepping" in str(info.value)
    assert exact(g) == before


class Scaled(iterators.Cong):
    """A subclass with a slot, an attribute and its own __next__."""

    __slots__ = ("offset", "__dict__")

    def __next__(self):
        return (iterators.Cong.__next__(self) + self.offset) % 2 ** 32

    next = __next__


def test_subclasses_jump_by_their_type_s_own_step_and_keep_their_attributes():
    g = Scaled(5)
    g.offset, g.label = 7, ["x"]
    clone = jumped(g, 10)
    assert type(clone) is Scaled and clone is not g
    assert (clone.offset, clone.label) == (7, ["x"])
    assert clone.cong == advance(iterators.Cong(5), 10).cong  # __next__ not consulted
    assert g.cong == 5
    assert advance(g, 3) is g and g.cong == advance(iterators.Cong(5), 3).cong


@pytest.mark.parametrize("name", GENERATORS)
def test_jumped_leaves_the_original_alone(name):
    g = getattr(iterators, name)()
    before = exact(g)
    clone = jumped(g, 777)
    assert type(clone) is type(g) and exact(g) == before
    assert exact(clone) == exact(stepped(g, 777))

import pytest

from helpers import LONG, NATIVE, fails, message_of, qualified, reference, take
from ombrix.iterators import KISS, LFIB4


def kiss_table():
    return take(KISS(12345, 65435, 12345, 34221), 256)


@pytest.mark.parametrize("seed", [None, 0, [], False, ()])
def test_false_seed_fills_from_kiss(seed):
    g = LFIB4(seed)
    assert list(g.t) == kiss_table()
    assert list(g.t[:3]) == reference("KISS", 12345, 65435, 12345, 34221)
    assert g.t[255] == 2079707158
    assert g.c == 0
    assert take(g, 3) == reference("LFIB4")


def test_table_seed():
    g = LFIB4(range(256))
    assert g.t == tuple(range(256))
    first, second = reference("LFIB4", range(256))
    assert next(g) == first == 1 + 59 + 120 + 179
    assert g.t[1] == first
    assert g.c == 1
    assert next(g) == second


def test_any_iterable_with_a_length_of_256_seeds():
    class Sized(object):
        def __len__(self):
            return 256

        def __iter__(self):
            return iter(range(1000, 1256))

    assert LFIB4(Sized()).t[0] == 1000
    assert LFIB4(dict.fromkeys(range(256))).t == tuple(range(256))


def test_sums_wrap():
    assert next(LFIB4([4294967295] * 256)) == 4294967292


@pytest.mark.parametrize(
    "seed, error, message",
    [
        (5, TypeError, None),
        (range(255), Exception, "seed length must be 256"),
        (range(257), Exception, "seed length must be 256"),
        ([1] * 255 + [-1], OverflowError, "can't convert negative value to unsigned long"),
        ([1] * 255 + [2 ** 32], OverflowError, None),
        ([1] * 255 + ["1"], TypeError, "an integer is required"),
    ],
)
def test_bad_seeds(seed, error, message):
    got, entries = fails(error, LFIB4, seed)
    if message is not None:
        assert got == message
    assert entries == [qualified("LFIB4", "__init__")]


def test_length_error_is_the_builtin_exception():
    with pytest.raises(Exception) as info:
        LFIB4(range(255))
    assert type(info.value) is Exception
    assert info.value.args == ("seed length must be 256",)


def test_failed_fill_keeps_slots_filled_before_it_and_the_index():
    g = LFIB4(range(256))
    take(g, 3)
    before = g.t
    fails(OverflowError, g.seed, [7] * 10 + [-1] * 246)
    assert g.t[:10] == (7,) * 10
    assert g.t[10:] == before[10:]
    assert g.c == 3


def test_iterator_that_ends_early_raises_stop_iteration():
    class Liar(object):
        def __len__(self):
            return 256

        def __iter__(self):
            return iter([9] * 5)

    g = LFIB4(range(256))
    with pytest.raises(StopIteration) as info:
        g.seed(Liar())
    assert info.value.args == ()
    assert g.t[:6] == (9, 9, 9, 9, 9, 5)


def test_index_wraps_after_256_steps():
    g = LFIB4()
    take(g, 255)
    assert g.c == 255
    next(g)
    assert g.c == 0
    take(g, 256)
    assert g.c == 0


def test_getstate_is_rotated_to_the_index():
    g = LFIB4(range(256))
    g.c = 5
    state = g.getstate()
    assert state[0] == g.t[5] and state[1] == g.t[6] and state[255] == g.t[4]
    assert len(state) == 256 and all(type(v) is LONG for v in state)


def test_saved_state_continues_exactly():
    g = LFIB4()
    take(g, 300)  # past a wrap of the index
    saved = g.getstate()
    expected = take(g, 600)
    for restored in (LFIB4(saved), LFIB4()):
        if restored.t != saved:
            restored.setstate(saved)
        assert restored.t == saved
        assert restored.c == 0
        assert take(restored, 600) == expected
    g.setstate(list(saved))
    assert take(g, 600) == expected


@pytest.mark.parametrize("state", [tuple(range(255)), tuple(range(257)), ()])
def test_setstate_needs_256_items(state):
    g = LFIB4(range(256))
    next(g)
    before = (g.t, g.c)
    message, entries = fails(Exception, g.setstate, state)
    assert message == "state length must be 256"
    assert entries == [qualified("LFIB4", "setstate")]
    assert (g.t, g.c) == before


def test_setstate_failure_keeps_slots_before_it():
    g = LFIB4(range(256))
    next(g)
    fails(OverflowError, g.setstate, [8] * 100 + [-1] * 156)
    assert g.t[:100] == (8,) * 100 and g.t[100] == 100
    assert g.c == 1
    message, _ = fails(TypeError, g.setstate, ["1"] * 256)  # no `int` here
    assert message == "an integer is required"


def test_table_property():
    g = LFIB4(range(256))
    g.c = 9
    g.t = list(range(1000, 1300))  # extra items ignored, index untouched
    assert g.t == tuple(range(1000, 1256))
    assert g.c == 9
    _, entries = fails(IndexError, setattr, g, "t", [5] * 10)
    assert entries == [qualified("LFIB4", "t.__set__")]
    assert g.t[:11] == (5,) * 10 + (1010,)
    fails(NotImplementedError, delattr, g, "t")


@pytest.mark.parametrize("value, expected", [(255, 255), (0, 0), (True, 1), (7.9, 7)])
def test_index_property_takes_a_byte(value, expected):
    g = LFIB4(range(256))
    g.c = value
    assert g.c == expected
    assert type(g.c) is NATIVE
    # The next step writes the slot after the index.
    assert next(g) == g.t[(expected + 1) % 256]


def test_documentation():
    doc = LFIB4.__doc__
    assert doc.splitlines()[0] == '"Lagged Fibonacci 4-lag" random number generator'
    for line in ("x[n]=x[n-r] op x[n-s]", "x[n]=x[n-256]+x[n-179]+x[n-119]+x[n-55] mod 2**32"):
        assert "\n\n        %s\n\n" % line in doc
    assert "Its period is 2**31*(2**256-1), about 2**287," in doc


def test_seed_restores_default_table():
    g = LFIB4(range(256))
    next(g)
    assert g.seed() is None
    assert list(g.t) == kiss_table() and g.c == 0

"""Cases shared by MWC1 and MWC2, which differ only in how the upper word
enters the output. Each test file sets the type and its output vectors."""
import pytest

from helpers import LONG, Claims, TypeCases, fails, take

NEGATIVE = "can't convert negative value to unsigned long"


class Mwc16Cases(TypeCases):
    output_2_1 = None  # first output after seeding (2, 1)

    @pytest.mark.parametrize(
        "seeds",
        [
            (),
            (None, None),
            (0, 0),
            (2422800383, 1179647999),  # the moduli: fixed points
            (-2422800383, 2359295998),  # other multiples, negative included
            (4845600766, 3538943997),
            (0.0, 1179647999.0),
            (Claims(True), Claims(True)),
        ],
    )
    def test_degenerate_seeds_are_replaced(self, seeds):
        g = self.kind(*seeds)
        assert g.getstate() == (12345, 65437)
        assert take(g, 3) == self.default_outputs

    def test_each_seed_is_tested_on_its_own(self):
        assert self.kind(0, 7).getstate() == (12345, 7)
        assert self.kind(7, 0).getstate() == (7, 65437)

    def test_step_and_output(self):
        g = self.kind(2, 1)
        assert g.mwc == 131073
        assert g.getstate() == (2, 1)
        assert next(g) == self.output_2_1 == g.mwc
        assert g.getstate() == (73938, 18000)

    def test_largest_words(self):
        g = self.kind(4294967295, 4294967295)
        next(g)
        assert g.getstate() == (2422828950, 1179695535)

    @pytest.mark.parametrize(
        "seeds, state",
        [((0.5, 1), (0, 1)), ((2.5, 3.9), (2, 3)), ((True, 2), (1, 2))],
    )
    def test_tests_see_the_seed_before_int(self, seeds, state):
        g = self.kind(*seeds)
        assert g.getstate() == state

    def test_upper_word_at_zero_stays_zero(self):
        g = self.kind(0.5, 1)
        take(g, 5)
        assert g.mwc_upper == 0

    @pytest.mark.parametrize(
        "seeds, error, message, state",
        [
            ((-1, 5), OverflowError, NEGATIVE, (11, 22)),
            ((4294967296, 5), OverflowError, None, (11, 22)),
            (("5", 1), TypeError, None, (11, 22)),  # `%` on a string formats
            ((5, -1), OverflowError, NEGATIVE, (5, 22)),  # upper stored first
            ((5, "x"), TypeError, None, (11, 22)),  # fails in the test, before any store
            ((5, []), TypeError, None, (11, 22)),
        ],
    )
    def test_failing_seed_keeps_what_was_stored(self, seeds, error, message, state):
        g = self.kind(11, 22)
        got, entries = fails(error, g.seed, *seeds)
        if message:
            assert got == message
        assert entries == [self.name("seed"), self.name("__init__")]
        assert g.getstate() == state

    def test_setstate_stores_word_by_word(self):
        g = self.kind()
        g.setstate((2422800383, 1179647999))
        take(g, 3)
        assert g.getstate() == (2422800383, 1179647999)
        g.setstate([1, 2, 3])
        assert g.getstate() == (1, 2)
        g.setstate(("7", 8.5))
        assert g.getstate() == (7, 8)
        _, entries = fails(IndexError, g.setstate, (5,))
        assert entries == [self.name("setstate")]
        assert g.getstate() == (5, 8)

    def test_properties(self):
        g = self.kind()
        g.mwc_upper = 0
        g.mwc_lower = 7
        assert g.mwc == 7
        assert g.getstate() == (0, 7)
        assert all(type(v) is LONG for v in (g.mwc, g.mwc_upper, g.mwc_lower))
        fails(AttributeError, setattr, g, "mwc", 1)
        fails(AttributeError, delattr, g, "mwc")
        message, entries = fails(OverflowError, setattr, g, "mwc_lower", -1)
        assert message == NEGATIVE
        assert entries == [self.name("mwc_lower.__set__")]
        assert g.mwc_lower == 7

    def test_mwc_is_the_last_output(self):
        g = self.kind(123, 456)
        for value in take(g, 5):
            pass
        assert g.mwc == value

    def test_seed_method(self):
        g = self.kind(3, 4)
        assert g.seed() is None
        assert g.getstate() == (12345, 65437)
        g.seed(seed_lower=9, seed_upper=8)
        assert g.getstate() == (8, 9)

    def test_documentation(self):
        assert self.kind.__doc__.splitlines()[0] == '"Multiply-with-carry" random number generator'

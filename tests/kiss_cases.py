"""Cases shared by KISS and KISS2, which differ only in their
multiply-with-carry component. Each test file sets the type and vectors."""
import pytest

from helpers import LONG, TypeCases, fails, reference, take

NEGATIVE = "can't convert negative value to unsigned long"


class KissCases(TypeCases):
    default_state = None  # ((mwc_upper, mwc_lower), (cong,), (shr3,))
    outputs_all_ones = None  # of kind(*[4294967295] * 4)

    @property
    def outputs_1_2_3_4(self):
        return reference(self.kind.__name__, 1, 2, 3, 4)

    def combine(self, g):
        """The output, recomputed from the properties."""
        raise NotImplementedError

    def test_default_seeding(self):
        for g in (self.kind(), self.kind(None, None, None, None)):
            assert g.getstate() == self.default_state
            assert take(g, 3) == self.default_outputs

    def test_vectors(self):
        g = self.kind(1, 2, 3, 4)
        assert g.getstate() == ((1, 2), (3,), (4,))
        assert take(g, 3) == self.outputs_1_2_3_4
        ones = self.kind(4294967295, 4294967295, 4294967295, 4294967295)
        assert ones.getstate() == ((4294967295, 4294967295), (4294967295,), (4294967295,))
        assert take(ones, 2) == self.outputs_all_ones

    def test_keywords_in_any_order(self):
        g = self.kind(seed_shr3=4, seed_cong=3, seed_mwc_lower=2, seed_mwc_upper=1)
        assert take(g, 3) == self.outputs_1_2_3_4

    def test_zero_cong_is_kept_zero_shr3_is_not(self):
        g = self.kind(5, 6, 0, 0)
        assert g.cong == 0
        assert g.shr3 == 362436000
        assert self.kind(seed_cong="5", seed_shr3=0.5).getstate()[1:] == ((5,), (0,))

    def test_output_combines_the_components(self):
        g = self.kind(7, 8, 9, 10)
        for _ in range(20):
            assert next(g) == self.combine(g)

    def test_not_iterable_but_steppable(self):
        g = self.kind()
        with pytest.raises(TypeError):
            iter(g)
        with pytest.raises(TypeError):
            for _ in g:
                break
        assert type(next(g)) is LONG
        assert g.__next__() == self.combine(g)

    @pytest.mark.parametrize(
        "seeds, error, message, stored",
        [
            # A bad cong or shr3 seed: the pair before it is already stored.
            ((1, 2, -1, 4), OverflowError, NEGATIVE, "mwc"),
            ((1, 2, 3, 4294967296), OverflowError, None, "mwc+cong"),
            ((1, 2, "x", 4), ValueError, None, "mwc"),
            ((1, 2, 3, -1), OverflowError, NEGATIVE, "mwc+cong"),
        ],
    )
    def test_partial_seeding(self, seeds, error, message, stored):
        g = self.kind(11, 22, 33, 44)
        got, entries = fails(error, g.seed, *seeds)
        if message:
            assert got == message
        assert entries == [self.name("seed"), self.name("__init__")]
        expected_cong = 3 if stored == "mwc+cong" else 33
        assert g.getstate() == ((1, 2), (expected_cong,), (44,))

    def test_setstate_forms(self):
        g = self.kind()
        assert g.setstate([[1, 2, 99], [3], [4]]) is None
        assert take(g, 3) == self.outputs_1_2_3_4
        g.setstate(iter([(1, 2), (3,), {0: 4}]))
        assert take(g, 3) == self.outputs_1_2_3_4
        g.setstate(((0, 0), (0,), (0,)))  # seeding rules do not apply: the congruential part alone
        assert take(g, 3) == reference("Cong", 0)

    @pytest.mark.parametrize(
        "state, error, message",
        [
            (((1, 2), (3,)), ValueError, "need more than 2 values to unpack"),
            (((1, 2), (3,), (4,), (5,)), ValueError, "too many values to unpack (expected 3)"),
            (5, TypeError, None),
        ],
    )
    def test_setstate_unpacking_failure_changes_nothing(self, state, error, message):
        g = self.kind(11, 22, 33, 44)
        got, entries = fails(error, g.setstate, state)
        if message:
            assert got == message
        assert entries == [self.name("setstate")]
        assert g.getstate() == ((11, 22), (33,), (44,))

    def test_setstate_stores_item_by_item(self):
        g = self.kind(11, 22, 33, 44)
        fails(IndexError, g.setstate, ((1,), (3,), (4,)))
        assert g.getstate() == ((1, 22), (33,), (44,))
        fails(OverflowError, g.setstate, ((5, 6), (7,), (-1,)))
        assert g.getstate() == ((5, 6), (7,), (44,))

    def test_properties(self):
        g = self.kind(1, 2, 3, 4)
        for name in ("cong", "shr3", "mwc_upper", "mwc_lower"):
            setattr(g, name, 0)
            assert getattr(g, name) == 0
            fails(NotImplementedError, delattr, g, name)
            _, entries = fails(TypeError, setattr, g, name, "1")
            assert entries == [self.name(name + ".__set__")]
        fails(AttributeError, setattr, g, "mwc", 1)
        assert type(g.mwc) is LONG

    def test_seed_method(self):
        g = self.kind(1, 2, 3, 4)
        assert g.seed() is None
        assert g.getstate() == self.default_state
        g.seed(1, 2, 3, 4)
        assert take(g, 3) == self.outputs_1_2_3_4

    def test_documentation(self):
        assert self.kind.__doc__.splitlines()[0] == '"Keep It Simple Stupid" random number generator'

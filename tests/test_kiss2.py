import pytest

from helpers import reference, take
from kiss_cases import KissCases
from ombrix.iterators import KISS2

DEFAULT_PAIR = (7654321, 521288629)


class TestKISS2(KissCases):
    kind = KISS2
    default_state = (DEFAULT_PAIR, (123456789,), (362436000,))
    outputs_all_ones = [3596395485, 3173169611]

    def combine(self, g):
        return (g.mwc + g.cong + g.shr3) & 0xFFFFFFFF

    def test_mwc_is_the_lower_word(self):
        g = KISS2()
        assert g.mwc == 521288629
        next(g)
        # Its parts step as MWC64, Cong and SHR3 do.
        assert g.getstate() == ((84810976, reference("MWC64")[0]), (reference("Cong")[0],), (reference("SHR3")[0],))
        assert g.mwc == g.mwc_lower

    @pytest.mark.parametrize(
        "seeds, pair",
        [
            ((0, 0, 0, 0), DEFAULT_PAIR),
            ((698769068, 4294967295), DEFAULT_PAIR),
            ((1397538137, 4294967294), DEFAULT_PAIR),
            ((0, 5), (0, 5)),
            ((-1, -1), (4294967295, 4294967295)),
            ((4294967301, -3), (5, 4294967293)),
            (("5",), (5, 521288629)),
        ],
    )
    def test_pair_seeding(self, seeds, pair):
        assert KISS2(*seeds).getstate()[0] == pair

    def test_kept_zero_upper_word(self):
        assert take(KISS2(0, 5), 2) == [3861090626, 1496161522]

    def test_cong_and_shr3_seeds_are_not_reduced(self):
        g = KISS2(9, 9, 9, 9)
        with pytest.raises(OverflowError):
            g.seed(1, 2, -1)
        assert g.getstate() == ((1, 2), (9,), (9,))
        with pytest.raises(OverflowError):
            g.seed(1, 2, 3, 4294967296)
        assert g.getstate() == ((1, 2), (3,), (9,))

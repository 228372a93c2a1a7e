import pytest

from helpers import reference, take
from kiss_cases import KissCases
from ombrix.iterators import KISS


def rotate16(word):
    return ((word << 16) | (word >> 16)) & 0xFFFFFFFF


class TestKISS(KissCases):
    kind = KISS
    default_state = ((12345, 65437), (123456789,), (362436000,))
    outputs_all_ones = [1243367571, 3986511686]

    def combine(self, g):
        return ((g.mwc ^ g.cong) + g.shr3) & 0xFFFFFFFF

    def test_mwc_is_the_rotated_sum(self):
        g = KISS()
        assert g.mwc == 809107357
        next(g)
        # The congruential and shift-register parts step as Cong and SHR3 do.
        assert g.getstate() == ((456382305, 1177866000), (reference("Cong")[0],), (reference("SHR3")[0],))
        assert g.mwc == 496364099 == (rotate16(g.mwc_upper) + g.mwc_lower) & 0xFFFFFFFF
        assert KISS(1, 2, 3, 4).mwc == 65538

    def test_zero_seeds(self):
        g = KISS(0, 0, 0, 0)
        assert g.getstate() == ((12345, 65437), (0,), (362436000,))
        assert take(g, 2) == [3631683409, 974341527]

    @pytest.mark.parametrize(
        "kwargs, field, value",
        [
            ({"seed_mwc_upper": 2422800383}, "mwc_upper", 12345),
            ({"seed_mwc_upper": 4845600766}, "mwc_upper", 12345),
            ({"seed_mwc_upper": -2422800383}, "mwc_upper", 12345),
            ({"seed_mwc_lower": 2359295998}, "mwc_lower", 65437),
            ({"seed_mwc_upper": 0.5}, "mwc_upper", 0),
        ],
    )
    def test_mwc_seed_tests(self, kwargs, field, value):
        assert getattr(KISS(**kwargs), field) == value

    def test_string_mwc_seed_fails_in_remainder(self):
        with pytest.raises(TypeError):
            KISS("5")

    def test_generator_that_fills_the_lagged_tables(self):
        g = KISS(12345, 65435, 12345, 34221)
        assert g.getstate() == ((12345, 65435), (12345,), (34221,))
        assert take(g, 3) == reference("KISS", 12345, 65435, 12345, 34221)

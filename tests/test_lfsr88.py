import pytest

from helpers import fails
from lfsr_cases import LfsrCases
from ombrix.iterators import LFSR88


class TestLFSR88(LfsrCases):
    kind = LFSR88
    minimums = [2, 8, 16]
    state_after_one_step = (50561216, 197504, 1616904246)
    first_output_from_minimums = 2105472

    def test_three_components_only(self):
        assert LFSR88(-1).getstate() == (4294967295, 12345, 12345)
        message, _ = fails(TypeError, LFSR88, seed_z4=1)
        assert message == "__init__() got an unexpected keyword argument 'seed_z4'"
        with pytest.raises(AttributeError):
            LFSR88().z4
        g = LFSR88()
        g.setstate((5, 6, 7, 8))
        assert g.getstate() == (5, 6, 7)

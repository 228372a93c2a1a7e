from helpers import take
from lfsr_cases import LfsrCases
from ombrix.iterators import LFSR113


class TestLFSR113(LfsrCases):
    kind = LFSR113
    minimums = [2, 8, 16, 128]
    state_after_one_step = (3235905633, 49376, 1579056, 100663323)
    first_output_from_minimums = 1574944

    def test_setting_a_dead_component(self):
        g = LFSR113()
        g.setstate((1, 7, 15, 127))
        assert next(g) == 0
        assert g.getstate() == (0, 0, 0, 0)
        g = LFSR113()
        g.z4 = 0
        take(g, 2)
        assert g.z4 == 0

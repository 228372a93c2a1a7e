from mwc16_cases import Mwc16Cases
from ombrix.iterators import MWC2


class TestMWC2(Mwc16Cases):
    kind = MWC2
    # The rotation brings the upper word's bit 16 down to bit 0.
    output_2_1 = 550651473

from mwc16_cases import Mwc16Cases
from ombrix.iterators import MWC1


class TestMWC1(Mwc16Cases):
    kind = MWC1
    output_2_1 = 550651472

    def test_documentation_formulas(self):
        assert "x[n]=36969x[n-1]+carry," in MWC1.__doc__
        assert "y[n]=18000y[n-1]+carry mod 2**16," in MWC1.__doc__

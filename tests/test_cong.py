from helpers import reference
from ombrix.iterators import Cong
from single_word_cases import SingleWordCases


class TestCong(SingleWordCases):
    kind = Cong
    field = "cong"
    default_state = 123456789
    doc_first_line = "Congruential random number generator"
    doc_fragments = ["x[n]=69069x[n-1]+12345", "2**32"]
    seed_rules = SingleWordCases.seed_rules + [
        (0, 0, reference("Cong", 0)),  # zero is a seed like any other
        (4294967295, 4294967295, [4294910572]),
    ]

    def test_step_returns_new_state(self):
        g = Cong(7)
        value = next(g)
        assert value == g.cong == (69069 * 7 + 12345) % 2 ** 32

    def test_full_word_wraps(self):
        g = Cong(0)
        g.cong = 2 ** 32 - 1
        assert next(g) == (69069 * (2 ** 32 - 1) + 12345) % 2 ** 32

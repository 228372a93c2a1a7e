"""Cases shared by LFSR113 and LFSR88, which differ in their component
count and shifts. Each test file sets the type and its vectors."""
import pytest

from helpers import LONG, TypeCases, fails, module, take


class LfsrCases(TypeCases):
    minimums = None
    state_after_one_step = None
    first_output_from_minimums = None

    @property
    def size(self):
        return len(self.minimums)

    def test_default_seeding(self):
        g = self.kind()
        assert g.getstate() == (12345,) * self.size
        assert take(g, 3) == self.default_outputs
        g = self.kind()
        next(g)
        assert g.getstate() == self.state_after_one_step

    def test_seeds_are_lifted_to_the_minimums(self):
        g = self.kind(*[0] * self.size)
        assert g.getstate() == tuple(self.minimums)
        assert next(g) == self.first_output_from_minimums
        below = self.kind(*[m - 1 for m in self.minimums])
        assert below.getstate() == tuple(2 * m - 1 for m in self.minimums)
        assert self.kind(*self.minimums).getstate() == tuple(self.minimums)

    def test_seeds_are_reduced_to_32_bits(self):
        assert self.kind(*[-1] * self.size).getstate() == (4294967295,) * self.size
        assert self.kind(4294967296).z1 == 2
        assert self.kind("9", 2.5).getstate()[:2] == (9, 10)
        assert self.kind(seed_z3=5).getstate()[2] == 21

    def test_too_many_seeds(self):
        message, entries = fails(TypeError, self.kind, *range(self.size + 1))
        assert message == "__init__() takes at most %d positional arguments (%d given)" % (
            self.size, self.size + 1)
        assert entries == [self.name("__init__")]

    def test_output_is_the_xor_of_the_components(self):
        g = self.kind(*range(100, 100 + self.size))
        for _ in range(10):
            value = next(g)
            combined = 0
            for z in g.getstate():
                combined ^= z
            assert value == combined

    def test_states_below_the_minimums_die(self):
        g = self.kind()
        g.setstate([m - 1 for m in self.minimums])
        assert g.getstate() == tuple(m - 1 for m in self.minimums)
        assert take(g, 3) == [0, 0, 0]
        assert g.getstate() == (0,) * self.size

    def test_setstate(self):
        g = self.kind()
        g.setstate(list(range(5, 5 + self.size + 1)))  # extra item ignored
        assert g.getstate() == tuple(range(5, 5 + self.size))
        g.setstate(("5", 6.9) + (7,) * (self.size - 2))
        assert g.getstate()[:2] == (5, 6)
        g = self.kind()
        _, entries = fails(IndexError, g.setstate, tuple(range(5, 5 + self.size - 1)))
        assert entries == [self.name("setstate")]
        assert g.getstate() == tuple(range(5, 5 + self.size - 1)) + (12345,)
        g.z1 = 0
        assert g.z1 == 0
        message, entries = fails(TypeError, setattr, g, "z1", "5")
        assert message == "an integer is required"
        assert entries == [self.name("z1.__set__")]
        assert all(type(z) is LONG for z in g.getstate())

    def test_round_trip(self):
        g = self.kind(1, 2)
        take(g, 7)
        saved = g.getstate()
        expected = take(g, 20)
        g.setstate(saved)
        assert take(g, 20) == expected

    def test_seed_method(self):
        g = self.kind(1, 2, 3)
        assert g.seed() is None
        assert g.getstate() == (12345,) * self.size

    def test_seeding_calls_the_current_module_function(self, monkeypatch):
        calls = []

        def replacement(seed, min_value):
            calls.append((seed, min_value))
            return 1000 + len(calls)

        monkeypatch.setattr(module, "_lfsr_process_seed", replacement)
        g = self.kind(7)
        assert calls == [(7, 2), (None, 8), (None, 16), (None, 128)][: self.size]
        assert g.getstate() == tuple(range(1001, 1001 + self.size))

    def test_partial_seeding_when_a_component_fails(self, monkeypatch):
        g = self.kind(*[1000] * self.size)

        def replacement(seed, min_value):
            if min_value == 8:
                raise KeyError("second")
            return seed

        monkeypatch.setattr(module, "_lfsr_process_seed", replacement)
        _, entries = fails(KeyError, g.seed, *range(1, self.size + 1))
        assert entries == [self.name("seed"), self.name("__init__")]
        assert g.getstate() == (1,) + (1000,) * (self.size - 1)

        monkeypatch.setattr(module, "_lfsr_process_seed", lambda seed, min_value: -1)
        message, _ = fails(OverflowError, g.seed)
        assert message == "can't convert negative value to unsigned long"
        monkeypatch.setattr(module, "_lfsr_process_seed", lambda seed, min_value: "junk")
        message, _ = fails(TypeError, g.seed)
        assert message == "an integer is required"

    def test_missing_module_function_is_a_name_error(self, monkeypatch):
        g = self.kind(*[1000] * self.size)
        monkeypatch.delattr(module, "_lfsr_process_seed")
        with pytest.raises(NameError) as info:
            g.seed(5)
        assert info.value.args == ("_lfsr_process_seed",)
        assert g.getstate() == (1000,) * self.size

    def test_documentation(self):
        lines = self.kind.__doc__.splitlines()
        assert lines[0].startswith("Combined LFSR random number generator")
        assert lines[2] == "    It combines %d LFSR generators. The generators have been" % self.size
        assert lines[3] == "    chosen for maximal equidistribution."
        assert lines[5] == "    The period is approximately 2**%d." % {4: 113, 3: 88}[self.size]

"""Cases shared by Cong and SHR3, which share one binding: one state word,
one seed `seed`, the state tuple (word,). Each test file sets the type, its
tables and its own special cases."""
from helpers import LONG, BadTruth, Claims, TypeCases, fails, take

NEGATIVE = "can't convert negative value to unsigned long"


def per_row(table, argnames):
    """Runs the test once per row of the class attribute `table`."""
    def mark(test):
        test.table = table, argnames
        return test
    return mark


class SingleWordCases(TypeCases):
    field = None  # the property holding the state word
    default_state = None
    doc_first_line = None
    doc_fragments = ()
    # Seeds that give the default state, besides none at all.
    default_seeds = [None, Claims(True)]
    # (seed, state, first outputs): what a seed leaves, through int().
    seed_rules = [
        (4294967295, 4294967295, []),
        (2.7, 2, []),
        (2.9, 2, []),
        ("99", 99, []),
        ("7", 7, []),
        (True, 1, []),
        (2 ** 32 + 0.5 - 2 ** 32, 0, []),
    ]
    # (seed, error, message or None).
    bad_seeds = [
        (-1, OverflowError, NEGATIVE),
        (4294967296, OverflowError, None),
        ("x", ValueError, None),
        ([], TypeError, None),
        (Claims(ZeroDivisionError("eq")), ZeroDivisionError, "eq"),
        (Claims(BadTruth()), ZeroDivisionError, "truth"),
    ]
    # States whose item 0 is 5, and states setstate() refuses.
    states_of_5 = [(5, 6, 7), [5], {0: 5}, (5,)]
    bad_states = [((), IndexError), ([], IndexError), (5, TypeError), ({1: 5}, KeyError), ((-1,), OverflowError)]

    def pytest_generate_tests(self, metafunc):
        table = getattr(metafunc.function, "table", None)
        if table is not None:
            metafunc.parametrize(table[1], getattr(self, table[0]))

    def state(self, g):
        return getattr(g, self.field)

    def test_no_seed_gives_the_default(self):
        g = self.kind()
        assert self.state(g) == self.default_state
        assert take(g, 3) == self.default_outputs

    @per_row("default_seeds", "seed")
    def test_default_seeds(self, seed):
        for g in (self.kind(seed), self.kind(seed=seed)):
            assert self.state(g) == self.default_state
            assert take(g, 3) == self.default_outputs
            assert self.state(g) == self.default_outputs[-1]

    @per_row("seed_rules", "seed, state, outputs")
    def test_seed_rules(self, seed, state, outputs):
        g = self.kind(seed)
        assert self.state(g) == state
        assert take(g, len(outputs)) == outputs
        g = self.kind(5)
        assert g.seed(seed) is None
        assert self.state(g) == state

    @per_row("bad_seeds", "seed, error, message")
    def test_bad_seed_fails_and_leaves_state(self, seed, error, message):
        got, entries = fails(error, self.kind, seed)
        if message is not None:
            assert got == message
        assert entries == [self.name("__init__")]
        g = self.kind(5)
        got, entries = fails(error, g.seed, seed)
        if message is not None:
            assert got == message
        assert entries == [self.name("seed"), self.name("__init__")]
        assert self.state(g) == 5

    def test_every_value_is_a_long(self):
        assert self.kind(5).getstate() == (5,)
        for seed in (0, 5):
            g = self.kind(seed)
            assert all(type(v) is LONG for v in take(g, 3))
            assert type(self.state(g)) is LONG
            assert type(g.getstate()[0]) is LONG

    def test_value_is_the_new_state(self):
        g = self.kind(7)
        assert next(g) == self.state(g)

    @per_row("states_of_5", "state")
    def test_setstate_reads_item_zero(self, state):
        g = self.kind()
        assert g.setstate(state) is None
        assert self.state(g) == 5

    @per_row("bad_states", "state, error")
    def test_setstate_failure_keeps_state(self, state, error):
        g = self.kind(9)
        _, entries = fails(error, g.setstate, state)
        assert entries == [self.name("setstate")]
        assert self.state(g) == 9

    def test_setstate_parses_strings_but_property_does_not(self):
        g = self.kind()
        g.setstate(("99",))
        assert self.state(g) == 99
        message, entries = fails(TypeError, setattr, g, self.field, "99")
        assert message == "an integer is required"
        assert entries == [self.name(self.field + ".__set__")]
        assert self.state(g) == 99
        setattr(g, self.field, 7.9)
        assert self.state(g) == 7

    def test_saved_state_replays(self):
        g = self.kind(42)
        saved = g.getstate()
        first = take(g, 5)
        g.setstate(saved)
        assert take(g, 5) == first
        other = self.kind()
        other.setstate(saved)
        assert take(other, 5) == first

    def test_seed_resets_to_initialiser_rules(self):
        g = self.kind(99)
        take(g, 3)
        assert g.seed() is None
        assert self.state(g) == self.default_state
        assert take(g, 3) == self.default_outputs
        g.seed(5)
        assert take(g, 4) == take(self.kind(5), 4)
        g.seed(seed=11)
        assert self.state(g) == 11

    def test_documentation(self):
        assert self.kind.__doc__.splitlines()[0] == self.doc_first_line
        for fragment in self.doc_fragments:
            assert fragment in self.kind.__doc__

"""Hostile use of the generators, checked against the plain-Python models.

Every operation is run twice, on the real generator and on its model, with
the same (deterministic) inputs; both must succeed or fail with the same
exception type, and must hold the same state afterwards. Inputs are built
by "makers": functions of the generator they will be used on, so that an
input can reach back into that very generator (a seed whose iterator steps
it, an __int__ that draws from it) and the model sees the same thing.

`rng` is anything with randint(a, b) and choice(sequence): random.Random,
hypothesis's randoms(), or an adapter over atheris's data provider."""
import copy
import pickle
from helpers import BadTruth, Claims
from models import MODELS
from ombrix.iterators import GENERATORS
from ombrix.iterators import _iterators_zinthe as module

INTERESTING = [
    0, 1, 2, 5, 7, 8, 16, 127, 128, 255, 256, 12345, 65437, 2 ** 31 - 1, 2 ** 31, 2 ** 32 - 1,
    2 ** 32, 2 ** 32 + 5, 2 ** 63, 2 ** 64, 2 ** 200, -1, -2, -2 ** 31, -2 ** 63, -2 ** 200,
    2422800383, 4845600766, -2422800383, 1179647999, 2359295998, 3538943997, 698769068,
    3001190298811367423, 2 ** 32 * 698769068 + 4294967295,
]


class Counter(object):
    calls = 0


def step(target):
    """One step of a generator or of a model."""
    return target.next() if hasattr(target, "fields") else next(target)


# --- misbehaving objects --------------------------------------------------------


class IntLike(object):
    """__int__ returns the value, raises it, or steps a generator first."""

    def __init__(self, value, target=None):
        self.value = value
        self.target = target

    def __int__(self):
        if self.target is not None:
            step(self.target)
        if isinstance(self.value, Exception):
            raise self.value
        return self.value


class IntSub(int):
    def __int__(self):
        return 999

    def __eq__(self, other):
        return int.__eq__(self, other)

    __hash__ = int.__hash__


class FloatSub(float):
    pass


class StrSub(str):
    pass


class Lying(object):
    """A sequence whose length, items or iteration misbehave."""

    def __init__(self, items, length=None, fail_at=None, target=None):
        self.items = items
        self.length = len(items) if length is None else length
        self.fail_at = fail_at
        self.target = target

    def __len__(self):
        if isinstance(self.length, Exception):
            raise self.length
        return self.length

    def __getitem__(self, index):
        if index == self.fail_at:
            raise LookupError("item %d" % index)
        if self.target is not None and index == 1:
            step(self.target)
        return self.items[index]

    def __iter__(self):
        for index, item in enumerate(self.items):
            if index == self.fail_at:
                raise LookupError("item %d" % index)
            if self.target is not None and index == 1:
                step(self.target)
            yield item


def constant(value):
    return lambda target: value


# --- makers -------------------------------------------------------------------------


def integer(rng):
    kind = rng.randint(0, 3)
    if kind == 0:
        return rng.choice(INTERESTING)
    if kind == 1:
        return rng.randint(0, 2 ** 32 - 1)
    if kind == 2:
        return rng.randint(-2 ** 70, 2 ** 70)
    return rng.randint(0, 300)


def value_maker(rng, depth=0):
    """A maker of any kind of object a caller might pass."""
    kind = rng.randint(0, 21)
    if kind <= 7:
        return constant(integer(rng))
    if kind == 8:
        return constant(rng.choice([None, True, False]))
    if kind == 9:
        return constant(rng.choice([0.0, 0.5, 2.9, -0.5, 1e30, float("nan"), float("inf"), -float("inf"),
                                     4294967295.0, 2422800383.0]))
    if kind == 10:
        return constant(rng.choice(["7", " 12 ", "x", "", "-1", "4294967296", u"5", b"7", StrSub("9")]))
    if kind == 11:
        return constant(Claims(rng.choice([True, False, None, 0, 1, LookupError("eq"), BadTruth()])))
    if kind == 12:
        answer = rng.choice([5, -3, 2 ** 40, "x", 1.5, None, LookupError("int")])
        steps = rng.randint(0, 3) == 0
        return lambda target: IntLike(answer, target if steps else None)
    if kind == 13:
        return constant(IntSub(rng.randint(-5, 2 ** 33)))
    if kind == 14:
        return constant(FloatSub(rng.choice([0.0, 7.5, -1.0])))
    if kind == 15:
        return constant(rng.choice([[], {}, (), object(), {0: 5}, [1, 2], 1j, Ellipsis]))
    if kind == 16:
        return constant(BadTruth())
    if kind == 17:
        name = rng.choice(GENERATORS)
        return lambda target: getattr(module, name)()
    if kind == 18 and depth < 2:
        return sequence_maker(rng, depth + 1, rng.randint(0, 5))
    if kind == 19:
        return constant(rng.choice([True, False]) and 1 or 0)
    return constant(rng.randint(0, 2 ** 32 - 1))


def sequence_maker(rng, depth, length, word_items=False):
    """A list, tuple, dict, iterator or lying sequence of `length` items."""
    makers = [(constant(integer(rng)) if word_items and rng.randint(0, 9) else value_maker(rng, depth))
              for _ in range(length)]
    shape = rng.randint(0, 6)
    lie = rng.choice([None, length + 1, length - 1, LookupError("len"), -1])
    fail_at = rng.randint(0, max(length - 1, 0)) if rng.randint(0, 3) == 0 else None
    reentrant = rng.randint(0, 4) == 0

    def make(target):
        items = [m(target) for m in makers]
        if shape == 0:
            return items
        if shape == 1:
            return tuple(items)
        if shape == 2:
            return dict(enumerate(items))
        if shape == 3:
            return iter(items)
        if shape == 4:
            return Lying(items, length=lie, fail_at=fail_at, target=target if reentrant else None)
        if shape == 5:
            return Lying(items, fail_at=fail_at, target=target if reentrant else None)
        return items

    return make


def table_maker(rng):
    """Mostly 256 words; sometimes a wrong length or a bad item."""
    length = rng.choice([256, 256, 256, 255, 257, 0, 3])
    return sequence_maker(rng, 1, length, word_items=True)


def seeds_maker(rng, name):
    model = MODELS[name]
    names = model.parameter_names
    given = rng.randint(0, len(names) + (1 if rng.randint(0, 9) == 0 else 0))
    makers = []
    for index in range(given):
        # One seed more than the type takes is made like the last one.
        if names[min(index, len(names) - 1)] in model.table_parameters and rng.randint(0, 2):
            makers.append(table_maker(rng))
        else:
            makers.append(value_maker(rng))
    use_keywords = rng.randint(0, 3) == 0

    def make(target):
        values = [m(target) for m in makers]
        if use_keywords and len(values) <= len(names):
            return (), dict(zip(names, values))
        return tuple(values), {}

    return make


def state_maker(rng, name):
    form = MODELS[name].state_form
    if form.startswith("table") and rng.randint(0, 3):
        table = table_maker(rng)
        if form == "table":
            return table
        borrow = value_maker(rng)
        extra = rng.randint(0, 9) == 0
        return lambda target: (table(target), borrow(target)) + ((1,) if extra else ())
    if form == "parts" and rng.randint(0, 3):
        parts = [sequence_maker(rng, 1, rng.choice([1, 2, 2, 3, 0])) for _ in range(rng.choice([3, 3, 3, 2, 4]))]
        as_list = rng.randint(0, 1)
        return lambda target: (list if as_list else tuple)(p(target) for p in parts)
    return sequence_maker(rng, 0, rng.randint(0, 5))


# --- running an operation on both ---------------------------------------------------


def outcome(function):
    try:
        function()
    except Exception as error:  # noqa: BLE001 -- compared by type below
        return type(error)
    return None


def apply(rng, name, g, model):
    """Runs one random operation on g and on model; returns its label."""
    Counter.calls += 1
    choice = rng.randint(0, 11)
    if choice <= 2:
        count = rng.randint(1, 300)
        assert [next(g) for _ in range(count)] == [model.next() for _ in range(count)]
        return "next"
    if choice <= 4:
        make = seeds_maker(rng, name)
        args, kwargs = make(g)
        real = outcome(lambda: g.seed(*args, **kwargs))
        margs, mkwargs = make(model)
        expected = outcome(lambda: model_seed(model, margs, mkwargs))
        check(real, expected, "seed", args, kwargs)
        return "seed"
    if choice <= 6:
        make = state_maker(rng, name)
        real = outcome(lambda: g.setstate(make(g)))
        expected = outcome(lambda: model.setstate(make(model)))
        check(real, expected, "setstate")
        return "setstate"
    if choice <= 8:
        field = rng.choice(model.field_names)
        make = table_maker(rng) if field in model.table_fields and rng.randint(0, 2) else value_maker(rng)
        real = outcome(lambda: setattr(g, field, make(g)))
        expected = outcome(lambda: model.set_property(field, make(model)))
        check(real, expected, "set " + field)
        return "property"
    if choice == 9:
        field = rng.choice(model.field_names + model.computed_fields)
        before = getattr(g, field)
        error = outcome(lambda: delattr(g, field))
        assert error in (NotImplementedError, AttributeError), error
        assert getattr(g, field) == before
        return "delete"
    if choice == 10:
        clone = rng.choice([copy.copy, copy.deepcopy, lambda x: pickle.loads(pickle.dumps(x, 2))])(g)
        twin = copy.deepcopy(model)
        assert [next(clone) for _ in range(5)] == [twin.next() for _ in range(5)]
        return "copy"
    state = g.getstate()
    assert state == model.getstate()
    return "getstate"


def model_seed(model, args, kwargs):
    """The module's argument binding, then the model's seeding."""
    names = list(model.parameter_names)
    if len(args) > len(names):
        raise TypeError("too many")
    values = list(args) + [None] * (len(names) - len(args))
    for key, value in kwargs.items():
        if key not in names or names.index(key) < len(args):
            raise TypeError("keyword")
        values[names.index(key)] = value
    model.seed(*values)


def check(real, expected, label, *details):
    assert real is expected, "%s: module raised %r, model %r %r" % (label, real, expected, details)


def consistent(g, model):
    for field in model.field_names:
        assert getattr(g, field) == model.fields[field], field


def new_pair(rng, name):
    """A generator and its model from the same random seeds (or defaults)."""
    kind = getattr(module, name)
    for _ in range(20):
        make = seeds_maker(rng, name)
        args, kwargs = make(None)
        try:
            g = kind(*args, **kwargs)
        except Exception:  # noqa: BLE001 -- a bad seed: try another
            continue
        margs, mkwargs = make(None)
        model = MODELS[name]()
        model_seed(model, margs, mkwargs)
        return g, model
    return kind(), MODELS[name]()


def run(rng, name, operations):
    g, model = new_pair(rng, name)
    consistent(g, model)
    for _ in range(operations):
        apply(rng, name, g, model)
        consistent(g, model)

"""Module-level behaviour and the rules every generator type shares."""
import ctypes
import subprocess
import sys

import pytest

import ombrix.iterators
from helpers import (MODULE, PACKAGE_ROOT, PY2, BadTruth, fails, message_of, module, module_entries, qualified,
                     reference, take)
from models import MODELS
from ombrix.iterators import GENERATORS

TYPES = [getattr(module, name) for name in GENERATORS]
ITERABLE = [t for t in TYPES if MODELS[t.__name__].iterable]
# Every property holding one number, to test the shared property rules.
SCALAR_FIELDS = [(getattr(module, name), field) for name in GENERATORS for field in MODELS[name].field_names
                 if field not in MODELS[name].table_fields]

try:
    import builtins
except ImportError:
    import __builtin__ as builtins


# --- the module --------------------------------------------------------------


def test_module_attributes():
    assert module.__name__ == MODULE
    assert module.__builtins__ is builtins
    assert module.__test__ == {}
    assert module.__doc__ is None
    # Besides what the interpreter adds (__name__, __doc__, __file__, ...),
    # exactly these, in this order (only Python 3 keeps the order).
    ours = ["__builtins__"] + list(GENERATORS) + ["_lfsr_process_seed", "__test__"]
    added = set(["__name__", "__doc__", "__package__", "__loader__", "__spec__", "__file__"])
    names = [name for name in module.__dict__ if name not in added]
    if PY2:
        assert sorted(names) == sorted(ours)
    else:
        assert names == ours


def test_package_reexports_the_types():
    for name in GENERATORS:
        assert getattr(ombrix.iterators, name) is getattr(module, name)


@pytest.mark.parametrize("kind", TYPES, ids=GENERATORS)
def test_type_names_and_flags(kind):
    assert kind.__module__ == MODULE
    assert kind.__name__ in GENERATORS
    if PY2:
        # DEFAULT | CHECKTYPES | HAVE_NEWBUFFER | BASETYPE, plus READY.
        assert kind.__flags__ == 2229755 | 4096
    else:
        assert kind.__flags__ & (1 << 10)  # BASETYPE
    assert not kind.__flags__ & (1 << 14)  # not collected: holds no objects


IMPORT_WITHOUT_RANGE = """
import sys
try:
    import builtins
except ImportError:
    import __builtin__ as builtins
del builtins.range
try:
    import ombrix.iterators._iterators_zinthe
except NameError as error:
    tb = sys.exc_info()[2]
    while tb.tb_next is not None:
        tb = tb.tb_next
    print(repr(error.args))
    print(tb.tb_frame.f_code.co_filename)
    print(tb.tb_frame.f_code.co_name)
"""


def test_import_fails_cleanly_without_range():
    out = subprocess.check_output([sys.executable, "-c", IMPORT_WITHOUT_RANGE], cwd=PACKAGE_ROOT)
    lines = out.decode().splitlines()
    assert lines[0] == "('range',)"
    assert lines[1] == "_iterators_zinthe"
    assert lines[2].startswith("init ombrix.iterators._iterators_zinthe (zinthe/_iterators_zinthe:")


# --- the type protocol ---------------------------------------------------------


@pytest.mark.parametrize("kind", ITERABLE, ids=[t.__name__ for t in ITERABLE])
def test_iter_returns_the_generator(kind):
    g = kind()
    assert iter(g) is g
    for i, _ in enumerate(g):
        if i == 3:
            break


@pytest.mark.parametrize("kind", TYPES, ids=GENERATORS)
def test_next_and_dunder_next_share_one_state(kind):
    a, b = kind(), kind()
    mixed = [next(a), a.__next__(), next(a), a.__next__()]
    assert mixed == take(b, 4)
    if PY2:
        assert a.next() == next(b)


@pytest.mark.parametrize("kind", TYPES, ids=GENERATORS)
def test_allocation_alone_gives_zero_state(kind):
    g = kind.__new__(kind)
    assert all(v == 0 for v in flatten(g.getstate()))


@pytest.mark.parametrize("kind, name", SCALAR_FIELDS, ids=["%s.%s" % (k.__name__, f) for k, f in SCALAR_FIELDS])
def test_property_rules(kind, name):
    g = kind()
    setattr(g, name, 77)
    message, entries = fails(NotImplementedError, delattr, g, name)
    assert message == "__del__"
    assert entries == []
    assert getattr(g, name) == 77
    fails(AttributeError, setattr, g, "other", 1)
    with pytest.raises(TypeError):
        weakref_to(g)


@pytest.mark.parametrize("kind", TYPES, ids=GENERATORS)
def test_python_subclass_is_reseeded_through_its_own_init(kind):
    class Sub(kind):
        def __init__(self, *seeds):
            self.seen = seeds
            kind.__init__(self)

    g = Sub()
    g.extra = 1  # subclasses get an instance dictionary
    assert weakref_to(g)() is g
    assert g.seed() is None
    assert g.seen == (None,) * len(g.seen) and len(g.seen) >= 1
    assert take(g, 3) == take(kind(), 3)


@pytest.mark.parametrize("kind", TYPES, ids=GENERATORS)
def test_state_round_trip(kind):
    g = kind()
    take(g, 5)
    saved = g.getstate()
    first = take(g, 10)
    fresh = kind()
    fresh.setstate(saved)
    assert take(fresh, 10) == first


@pytest.mark.parametrize("kind", TYPES, ids=GENERATORS)
def test_wrong_method_arity_is_refused_by_the_interpreter(kind):
    g = kind()
    for call in (lambda: g.getstate(1), lambda: g.setstate(), lambda: g.__next__(1)):
        with pytest.raises(TypeError) as info:
            call()
        assert module_entries(info.tb) == []


@pytest.mark.parametrize("kind", TYPES, ids=GENERATORS)
def test_copy_and_pickle_continue_exactly(kind):
    import copy
    import pickle

    g = kind()
    take(g, 300)
    expected = take(copy.copy(g), 5)
    for clone in [copy.copy(g), copy.deepcopy(g)] + [
        pickle.loads(pickle.dumps(g, protocol)) for protocol in range(pickle.HIGHEST_PROTOCOL + 1)
    ]:
        assert type(clone) is kind
        assert clone.getstate() == g.getstate()
        assert take(clone, 5) == expected
    assert take(g, 5) == expected


@pytest.mark.parametrize("kind", TYPES, ids=GENERATORS)
def test_copy_keeps_a_subclass_and_its_attributes(kind):
    import copy

    class Sub(kind):
        pass

    g = Sub()
    g.label = ["x"]
    clone = copy.deepcopy(g)
    assert type(clone) is Sub
    assert clone.label == ["x"] and clone.label is not g.label
    assert take(clone, 3) == take(g, 3)


def test_copies_are_exact_where_getstate_is_not():
    import copy

    g = module.SWB()
    take(g, 7)
    g.borrow = 2  # getstate() would bring this back as 1
    clone = copy.copy(g)
    assert (clone.t, clone.c, clone.borrow) == (g.t, g.c, 2)
    assert take(clone, 300) == take(g, 300)


def test_copy_state_is_checked():
    g = module.Cong(5)
    _, entries = fails(ValueError, g.__setstate__, ({"cong": 1}, None, None))
    assert entries == [qualified("Cong", "__setstate__")]
    fails(TypeError, g.__setstate__, ((1,), None))
    fails(KeyError, g.__setstate__, ({"other": 1}, None))
    fails(OverflowError, g.__setstate__, ({"cong": -1}, None))
    assert g.cong == 5
    fails(AttributeError, g.__setstate__, ({"cong": 1}, {"x": 1}))  # nowhere to keep attributes
    assert g.cong == 1


class Scaled(module.Cong):
    """Slots only, no instance dictionary; the offset changes the values."""

    __slots__ = ("offset", "__hidden", "unset")

    def __init__(self, seed=None, offset=0):
        module.Cong.__init__(self, seed)
        self.offset = offset
        self.__hidden = offset * 2

    def __next__(self):
        return (module.Cong.__next__(self) + self.offset + self.__hidden) % 2 ** 32

    next = __next__


class Labelled(Scaled):
    """Slots and an instance dictionary."""


def copies(g):
    import copy
    import pickle

    pickles = [pickle.loads(pickle.dumps(g, protocol)) for protocol in range(pickle.HIGHEST_PROTOCOL + 1)]
    if PY2:
        import cPickle

        pickles += [cPickle.loads(cPickle.dumps(g, protocol)) for protocol in range(3)]
    return [copy.copy(g), copy.deepcopy(g)] + pickles


@pytest.mark.parametrize("kind", [Scaled, Labelled])
def test_copies_keep_slots_and_continue_like_the_original(kind):
    g = kind(5, offset=1000)
    if kind is Labelled:
        g.label = ["x"]
    take(g, 3)
    for clone in copies(g):
        assert type(clone) is kind
        assert clone.offset == 1000 and clone._Scaled__hidden == 2000
        assert not hasattr(clone, "unset")
        if kind is Labelled:
            assert clone.label == ["x"]
    expected = take(copies(g)[0], 5)
    assert all(take(clone, 5) == expected for clone in copies(g))
    assert take(g, 5) == expected


class NotADict(module.Cong):
    __slots__ = ()
    __dict__ = ()


class Defaults(module.Cong):
    __slots__ = ("a",)

    def __getattr__(self, name):
        # A default for every attribute, __dict__ included, but not for the
        # copy protocol's own hooks.
        if name.startswith("__") and name != "__dict__":
            raise AttributeError(name)
        return 0


@pytest.mark.parametrize("kind", [NotADict, Defaults])
def test_copies_skip_a_dict_that_is_not_a_dictionary(kind):
    g = kind(7)
    for clone in copies(g):
        assert type(clone) is kind and clone.cong == 7


def test_restoring_attributes_into_something_that_is_not_a_dictionary_is_a_type_error():
    g = NotADict(3)
    message, _ = fails(TypeError, g.__setstate__, ({"cong": 1}, {"x": 1}))
    assert "__dict__" in message
    fails(TypeError, module.Cong().__setstate__, ({"cong": 1}, [("x", 1)]))
    fails(TypeError, Scaled().__setstate__, ({"cong": 1}, (None, [("offset", 1)])))


class RaisingKey(str):
    """Equal in hash to "cong", but comparing it fails."""

    def __hash__(self):
        return hash("cong")

    def __eq__(self, other):
        raise ZeroDivisionError("compared")


def test_copy_state_lookup_reports_the_real_error():
    g = module.Cong(5)
    message, _ = fails(ZeroDivisionError, g.__setstate__, ({RaisingKey("cong"): 1}, None))
    assert message == "compared"
    assert g.cong == 5


class Classic:
    pass


class WithClassicBase(module.Cong, Classic):
    pass


def test_copies_of_a_subclass_with_a_classic_base():
    g = WithClassicBase(5)
    g.label = 1
    assert g.__getstate__() == ({"cong": 5}, {"label": 1})
    for clone in copies(g):
        assert (type(clone), clone.cong, clone.label) == (WithClassicBase, 5, 1)


def test_loading_the_library_again_under_another_name():
    # The same shared library imported a second time, as a top-level module:
    # the first module and its types go on as before, and exit is clean.
    script = (
        "import ombrix.iterators._iterators_zinthe as first, ombrix.iterators._bulk\n"
        "first._lfsr_process_seed = lambda seed, minimum: 999\n"
        "import _iterators_zinthe as second, _bulk\n"
        "assert second is not first and second.Cong is first.Cong\n"
        "assert second.LFSR88(1).z1 == 999 and first.LFSR88(1).z1 == 999\n"
        "assert second._lfsr_process_seed(None, 2) == 12345\n"
        "assert list(_bulk.draw(first.Cong(), 1)) == [%d]\n"
        "print('ok')\n"
    ) % reference("Cong")[0]
    import os

    process = subprocess.Popen(
        [sys.executable, "-c", script],
        cwd=os.path.join(PACKAGE_ROOT, "ombrix", "iterators"),
        env=dict(os.environ, PYTHONPATH=PACKAGE_ROOT),
        stdout=subprocess.PIPE,
        stderr=subprocess.PIPE,
    )
    out, err = process.communicate()
    assert (process.returncode, out.strip(), err) == (0, b"ok", b"")


def flatten(state):
    for item in state:
        if isinstance(item, tuple):
            for inner in flatten(item):
                yield inner
        else:
            yield item


def weakref_to(obj):
    import weakref

    return weakref.ref(obj)


# --- argument binding ----------------------------------------------------------


class Text(str):
    """A str subclass: matched by its characters, not its identity."""


def call_with(kind, args, kwargs):
    """Calls a type with a keyword dictionary handed over as it is, so that
    keys the interpreter's own call syntax would refuse reach the module."""
    call = ctypes.pythonapi.PyObject_Call
    call.restype = ctypes.py_object
    call.argtypes = [ctypes.py_object, ctypes.py_object, ctypes.py_object]
    return call(kind, tuple(args), kwargs)


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: module.Cong(1, 2), "__init__() takes at most 1 positional argument (2 given)"),
        (lambda: module.Cong().seed(1, 2), "seed() takes at most 1 positional argument (2 given)"),
        (lambda: module.Cong(1, seed=2), "__init__() got multiple values for keyword argument 'seed'"),
        (lambda: module.Cong(seed=1, bad=2), "__init__() got an unexpected keyword argument 'bad'"),
        (lambda: module.Cong().seed(bad=2), "seed() got an unexpected keyword argument 'bad'"),
        (lambda: call_with(module.Cong, (), {1: 2}), "__init__() keywords must be strings"),
        (lambda: call_with(module.Cong, (1,), {Text("seed"): 2}),
         "__init__() got multiple values for keyword argument 'seed'"),
    ],
)
def test_binding_messages(call, message):
    got, entries = fails(TypeError, call)
    assert got == message
    assert len(entries) == 1 and entries[0].endswith(("__init__", "seed"))


@pytest.mark.parametrize(
    "args, kwargs, state",
    [
        ((), {}, 123456789),
        ((5,), {}, 5),
        ((), {"seed": 5}, 5),
        ((), {Text("seed"): 5}, 5),
    ],
)
def test_binding_accepts(args, kwargs, state):
    assert call_with(module.Cong, args, kwargs).cong == state
    assert module.Cong(*args, **dict((str(k), v) for k, v in kwargs.items())).cong == state


# --- conversions -----------------------------------------------------------------


class IntLike(object):
    def __init__(self, value):
        self.value = value

    def __int__(self):
        if isinstance(self.value, Exception):
            raise self.value
        return self.value


class IndexOnly(object):
    def __index__(self):
        return 5


class IntSubclass(int):
    def __int__(self):  # never consulted: an int is taken for its value
        return 99


NEGATIVE = "can't convert negative value to unsigned long"


@pytest.mark.parametrize(
    "value, expected",
    [
        (0, 0),
        (4294967295, 4294967295),
        (2 ** 64 // 2 ** 32 * 4294967295 // 2 ** 32, 4294967295),  # a long on Python 2
        (True, 1),
        (3.9, 3),
        (IntLike(12), 12),
        (IntLike(2 ** 40 // 2 ** 35), 32),
        (IntSubclass(7), 7),
    ],
)
def test_word_conversion_accepts(value, expected):
    g = module.Cong()
    g.cong = value
    assert g.cong == expected


@pytest.mark.parametrize(
    "value, error, message",
    [
        (-1, OverflowError, NEGATIVE),
        (-2 ** 200, OverflowError, NEGATIVE),
        (4294967296, OverflowError, None),
        (2 ** 200, OverflowError, None),
        ("7", TypeError, "an integer is required"),
        (None, TypeError, "an integer is required"),
        (IndexOnly(), TypeError, "an integer is required"),
        (IntLike("x"), TypeError, "__int__ returned non-int (type str)"),
        (IntLike(-3), OverflowError, NEGATIVE),
        (IntLike(ZeroDivisionError("inner")), ZeroDivisionError, "inner"),
        (float("nan"), ValueError, None),
        (float("inf"), OverflowError, None),
    ],
)
def test_word_conversion_refuses(value, error, message):
    g = module.Cong(5)
    got, entries = fails(error, setattr, g, "cong", value)
    if message is not None:
        assert got == message
    assert entries == [qualified("Cong", "cong.__set__")]
    assert g.cong == 5


@pytest.mark.skipif(not PY2, reason="Python 2 only: __long__")
def test_word_conversion_falls_back_to_long_on_python2():
    class LongLike(object):
        def __long__(self):
            return 6

    class BadLong(object):
        def __long__(self):
            return "six"

    g = module.Cong()
    g.cong = LongLike()
    assert g.cong == 6
    message, _ = fails(TypeError, setattr, g, "cong", BadLong())
    assert message == "__long__ returned non-long (type str)"


@pytest.mark.parametrize(
    "value, expected",
    [("7", 7), (" 12 ", 12), (2.9, 2), (-0.5, 0), (IntLike(3), 3), (4294967295.0, 4294967295)],
)
def test_word_conversion_through_int(value, expected):
    g = module.Cong()
    g.setstate((value,))
    assert g.cong == expected


@pytest.mark.parametrize(
    "value, error", [("x", ValueError), ("-1", OverflowError), (-1.5, OverflowError), (object(), TypeError)]
)
def test_word_conversion_through_int_refuses(value, error):
    g = module.Cong(5)
    fails(error, g.setstate, (value,))
    assert g.cong == 5


# --- byte conversion ---------------------------------------------------------------


@pytest.mark.parametrize("value, expected", [(255, 255), (0, 0), (True, 1), (200.7, 200), (IntLike(9), 9)])
def test_byte_conversion_accepts(value, expected):
    g = module.SWB()
    g.borrow = value
    assert g.borrow == expected


@pytest.mark.parametrize(
    "value, error, message",
    [
        (256, OverflowError, "value too large to convert to unsigned char"),
        (2 ** 40, OverflowError, "value too large to convert to unsigned char"),
        (-1, OverflowError, "can't convert negative value to unsigned char"),
        (-2 ** 40, OverflowError, "can't convert negative value to unsigned char"),
        (2 ** 200, OverflowError, None),  # the interpreter's own
        (-2 ** 200, OverflowError, None),
        ("1", TypeError, "an integer is required"),
        (None, TypeError, "an integer is required"),
        (IntLike(1.5), TypeError, "__int__ returned non-int (type float)"),
        (IntLike(300), OverflowError, "value too large to convert to unsigned char"),
    ],
)
def test_byte_conversion_refuses(value, error, message):
    g = module.LFIB4()
    g.c = 7
    got, entries = fails(error, setattr, g, "c", value)
    if message is not None:
        assert got == message
    assert entries == [qualified("LFIB4", "c.__set__")]
    assert g.c == 7


# --- indexed access -------------------------------------------------------------


class Sequence(object):
    def __getitem__(self, index):
        return [41][index]


class ListSubclass(list):
    def __getitem__(self, index):
        return 43


@pytest.mark.parametrize(
    "state, expected",
    [((40, 0), 40), ([40], 40), (Sequence(), 41), ({0: 42}, 42), (ListSubclass([1]), 43), (ListSubclass(), 43)],
)
def test_indexed_access(state, expected):
    g = module.Cong()
    g.setstate(state)
    assert g.cong == expected


# --- sequence unpacking -----------------------------------------------------------


class TupleSubclass(tuple):
    pass


def raising_after(items, error):
    for item in items:
        yield item
    raise error


STATE = ((1, 2), (3,), (4,))


@pytest.mark.parametrize(
    "state",
    [STATE, list(STATE), iter(STATE), TupleSubclass(STATE), (x for x in STATE)],
    ids=["tuple", "list", "iterator", "tuple subclass", "generator"],
)
def test_unpacking_accepts_any_iterable_of_three(state):
    g = module.KISS()
    g.setstate(state)
    assert g.getstate() == STATE


@pytest.mark.parametrize(
    "state, error, message",
    [
        ([(1, 2), (3,)], ValueError, "need more than 2 values to unpack"),
        ([(1, 2)], ValueError, "need more than 1 value to unpack"),
        ([], ValueError, "need more than 0 values to unpack"),
        ((), ValueError, "need more than 0 values to unpack"),
        ([(1, 2), (3,), (4,), (5,)], ValueError, "too many values to unpack (expected 3)"),
        (TupleSubclass(STATE + ((5,),)), ValueError, "too many values to unpack (expected 3)"),
        (raising_after([(1, 2)], KeyError("early")), KeyError, "early"),
        (raising_after(list(STATE), KeyError("extra")), KeyError, "extra"),
        (7, TypeError, None),
    ],
)
def test_unpacking_failures_change_nothing(state, error, message):
    g = module.KISS(9, 9, 9, 9)
    got, entries = fails(error, g.setstate, state)
    if message is not None:
        assert got == message
    assert entries == [qualified("KISS", "setstate")]
    assert g.getstate() == ((9, 9), (9,), (9,))


# --- traceback entries ------------------------------------------------------------


def test_failing_seed_lists_its_entry_above_the_initialisers():
    g = module.Cong()
    with pytest.raises(OverflowError) as info:
        g.seed(-1)
    assert module_entries(info.tb) == [qualified("Cong", "seed"), qualified("Cong", "__init__")]
    assert message_of(info.value) == NEGATIVE


def test_traceback_entry_names_file_and_source():
    with pytest.raises(OverflowError) as info:
        module.Cong(-1)
    tb = info.tb
    while tb.tb_next is not None:
        tb = tb.tb_next
    code = tb.tb_frame.f_code
    assert code.co_filename == "_iterators_zinthe"
    assert code.co_name.startswith(MODULE + ".Cong.__init__ (zinthe/_iterators_zinthe:")
    assert tb.tb_frame.f_globals is module.__dict__


def test_errors_pending_before_the_entry_survive_it():
    # A truth test that raises inside the initialiser keeps its own error.
    class Weird(object):
        def __eq__(self, other):
            return BadTruth()

    message, entries = fails(ZeroDivisionError, module.Cong, Weird())
    assert message == "truth"
    assert entries == [qualified("Cong", "__init__")]

"""Shared by the test files; runs unchanged on Python 2.7 and Python 3."""
import numbers
import os
import re
import sys

import pytest

import ombrix
from ombrix.iterators import _iterators_zinthe as module

PY2 = sys.version_info[0] == 2
MODULE = "ombrix.iterators._iterators_zinthe"
# The type every drawn word has: `long` on Python 2, `int` on Python 3.
LONG = type(2 ** 64)
# The type of the one-byte fields: `int` on both.
NATIVE = int

# Where the ombrix under test lives: subprocesses import the same build.
PACKAGE_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(ombrix.__file__)))

# The reference vectors, shared with the C++ engine tests.
VECTORS_FILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data", "vectors.txt")

ENTRY = re.compile(r"^(?P<name>\S+) \(zinthe/_iterators_zinthe:(?P<line>\d+)\)$")


def take(generator, count):
    return [next(generator) for _ in range(count)]


def read_vectors(path=VECTORS_FILE):
    """{(name, seeds): values} from the file of reference vectors, each
    seed an integer or, for an A..B table, a tuple."""
    vectors = {}
    with open(path) as lines:
        for line in lines:
            line = line.split("#", 1)[0]
            if not line.strip():
                continue
            head, values = line.split(":")
            name, seeds = head.split()[0], tuple(read_seed(token) for token in head.split()[1:])
            assert (name, seeds) not in vectors, line
            vectors[name, seeds] = [int(value) for value in values.split()]
    return vectors


def read_seed(token):
    first, dots, last = token.partition("..")
    return tuple(range(int(first), int(last) + 1)) if dots else int(token)


VECTORS = read_vectors()


def reference(name, *seeds):
    """The reference values of `name` seeded with `seeds` (a table as any iterable)."""
    return VECTORS[name, tuple(s if isinstance(s, numbers.Integral) else tuple(s) for s in seeds)]


def module_entries(tb):
    """Qualified names of the module's traceback entries, outermost first."""
    names = []
    while tb is not None:
        code = tb.tb_frame.f_code
        if code.co_filename == "_iterators_zinthe":
            match = ENTRY.match(code.co_name)
            assert match, code.co_name
            # The frame's line repeats the code object's first line.
            assert tb.tb_lineno == code.co_firstlineno
            names.append(match.group("name"))
        tb = tb.tb_next
    return names


def fails(exception, function, *args, **kwargs):
    """Calls function, expects `exception`; returns (message, entries)."""
    with pytest.raises(exception) as info:
        function(*args, **kwargs)
    return message_of(info.value), module_entries(info.tb)


def message_of(error):
    return str(error.args[0]) if error.args else ""


def qualified(type_name, operation):
    return "%s.%s.%s" % (MODULE, type_name, operation)


class TypeCases(object):
    """A base for the cases several types share: each test class sets `kind`."""

    kind = None

    @property
    def default_outputs(self):
        return reference(self.kind.__name__)

    def name(self, operation):
        return qualified(self.kind.__name__, operation)


class Claims(object):
    """An object whose == (and !=, and %) answers with a value it was given,
    or raises a copy of it (an exception raised again would keep its earlier
    traceback); int() of it is 3."""

    def __init__(self, answer):
        self.answer = answer

    def __eq__(self, other):
        if isinstance(self.answer, Exception):
            raise type(self.answer)(*self.answer.args)
        return self.answer

    __ne__ = __eq__
    __hash__ = object.__hash__

    def __mod__(self, other):
        return self.answer

    def __int__(self):
        return 3


class BadTruth(object):
    """An object whose truth value cannot be decided."""

    def __bool__(self):
        raise ZeroDivisionError("truth")

    __nonzero__ = __bool__

"""Shared by the test files; runs unchanged on Python 2.7 and Python 3."""
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

ENTRY = re.compile(r"^(?P<name>\S+) \(zinthe/_iterators_zinthe:(?P<line>\d+)\)$")


def take(generator, count):
    return [next(generator) for _ in range(count)]


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


class Claims(object):
    """An object whose == (and !=, and %) answers with a value it was given,
    or raises it; int() of it is 3."""

    def __init__(self, answer):
        self.answer = answer

    def __eq__(self, other):
        if isinstance(self.answer, Exception):
            raise self.answer
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

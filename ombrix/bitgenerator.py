"""Every ombrix generator as a numpy bit generator (Python 3, numpy 1.17 or
later).

    >>> import numpy
    >>> from ombrix.bitgenerator import BitGenerator
    >>> from ombrix.iterators import KISS
    >>> rng = numpy.random.Generator(BitGenerator(KISS()))
    >>> rng.standard_normal(3)                        # every distribution numpy has

BitGenerator(generator) takes a snapshot of the generator's state and owns
it (numpy draws without the interpreter lock); the generator itself is left
alone. The words numpy gets are exactly the generator's stream:
next_uint32 and next_raw are the next word, next_uint64 is (first word <<
32) | second word, and next_double is ((w1 >> 5) * 67108864.0 + (w2 >> 6)) /
9007199254740992.0, the 53-bit recipe of numpy's MT19937. generator() gives
an ombrix generator in the current state back.
"""
import copy
import sys
from collections import namedtuple

if sys.version_info[0] < 3:
    raise ImportError("ombrix.bitgenerator needs Python 3 (numpy's bit generators do)")

import numpy  # noqa: E402

from ombrix import _bitgen  # noqa: E402
from ombrix import iterators  # noqa: E402

__all__ = ["BitGenerator"]

_Interface = namedtuple("interface", ["state_address", "state", "next_uint64", "next_uint32",
                                      "next_double", "bit_generator"])


def _fields(generator):
    """The generator's state fields, as its copy protocol gives them."""
    return generator.__getstate__()[0]


class BitGenerator(numpy.random.BitGenerator):
    """BitGenerator(generator): numpy's bit-generator interface over a
    snapshot of an ombrix generator's state, for numpy.random.Generator.

    A Python subclass that overrides __next__ is refused (TypeError): numpy
    draws with the type's own step. Attributes and methods as numpy's own
    bit generators have them: capsule, lock, state (get and set), random_raw,
    advance, jumped, ctypes, cffi; generator() is the current state as an
    ombrix generator. Pickles by its current state, and so does a numpy
    Generator over it.

    It derives from numpy.random.BitGenerator, which numpy's pickling of a
    Generator asks for, and replaces everything that reaches the C state of
    numpy's own (capsule, random_raw, state, ctypes, cffi)."""

    def __init__(self, generator):
        stream = _bitgen.stream(generator)  # refuses what it cannot draw from
        # The base sets the lock (and a seed sequence, which is unused).
        numpy.random.BitGenerator.__init__(self, 0)
        self._stream = stream
        # A copy keeps the generator's own type (and a subclass's attributes)
        # for generator() and state.
        self._template = copy.copy(generator)
        self._capsule = _bitgen.capsule(stream)
        self._ombrix_ctypes = None
        self._ombrix_cffi = None

    @property
    def capsule(self):
        """numpy's "BitGenerator" capsule over this bit generator's stream."""
        return self._capsule

    def spawn(self, n_children):
        raise TypeError("an ombrix BitGenerator has no seed sequence to spawn from: "
                        "use jumped(n) for streams that do not overlap")

    def __repr__(self):
        return "<%s(%s) at 0x%X>" % (type(self).__name__, type(self._template).__name__, id(self))

    def __reduce__(self):
        return type(self), (self.generator(),)

    def _current(self):
        generator = copy.copy(self._template)
        _bitgen.store(self._stream, generator)
        return generator

    def generator(self):
        """An ombrix generator in this bit generator's current state: the
        values it gives next are the ones numpy would get next."""
        with self.lock:
            return self._current()

    @property
    def state(self):
        """{'bit_generator': type name, 'state': {field: value}}, the fields
        being the generator's state properties (cong, shr3, t, c, ...)."""
        with self.lock:
            return {"bit_generator": type(self._template).__name__, "state": _fields(self._current())}

    @state.setter
    def state(self, value):
        name = type(self._template).__name__
        if not isinstance(value, dict):
            raise TypeError("state must be a dict, not %s" % type(value).__name__)
        if value.get("bit_generator") != name or not isinstance(value.get("state"), dict):
            raise ValueError("state must be a dict {'bit_generator': %r, 'state': {field: value}} "
                             "from a %s bit generator" % (name, name))
        expected = sorted(_fields(self._template))
        if sorted(value["state"]) != expected:
            raise ValueError("a %s state has the fields %s, not %s"
                             % (name, ", ".join(expected), ", ".join(sorted(map(str, value["state"])))))
        # The generator's own checks refuse bad values before anything changes.
        generator = copy.copy(self._template)
        generator.__setstate__((dict(value["state"]), None))
        with self.lock:
            _bitgen.load(self._stream, generator)

    def random_raw(self, size=None, output=True):
        """The next raw values, one 32-bit word each, as numpy.uint64: one
        value (a Python int) for size=None, else an array of that shape.
        With output=False the values are skipped, by a jump, and None is
        returned."""
        count = 1 if size is None else int(numpy.prod(size, dtype=numpy.int64))
        if count < 0:
            raise ValueError("negative dimensions are not allowed")
        with self.lock:
            if not output:
                generator = self._current()
                iterators.advance(generator, count)
                _bitgen.load(self._stream, generator)
                return None
            out = numpy.empty(1 if size is None else size, dtype=numpy.uint64)
            _bitgen.raw(self._stream, out)
        return int(out[0]) if size is None else out

    def advance(self, delta):
        """Moves delta values on (back for delta < 0, where the type has a
        past), in O(log delta) (SWB steps); returns self."""
        with self.lock:
            generator = self._current()
            iterators.advance(generator, delta)
            _bitgen.load(self._stream, generator)
        return self

    def jumped(self, jumps=1):
        """A new bit generator `jumps` values ahead of this one, which stays
        where it is."""
        generator = self.generator()
        iterators.advance(generator, jumps)
        return type(self)(generator)

    def _addresses(self):
        return _bitgen.addresses(self._stream)

    @property
    def ctypes(self):
        """ctypes access to the state and the next_* functions, as numpy's
        bit generators give it (numba can call these)."""
        if self._ombrix_ctypes is None:
            import ctypes

            state, u64, u32, double, _ = self._addresses()
            pointer = ctypes.c_void_p
            self._ombrix_ctypes = _Interface(
                state, pointer(state),
                ctypes.CFUNCTYPE(ctypes.c_uint64, pointer)(u64),
                ctypes.CFUNCTYPE(ctypes.c_uint32, pointer)(u32),
                ctypes.CFUNCTYPE(ctypes.c_double, pointer)(double),
                self)
        return self._ombrix_ctypes

    @property
    def cffi(self):
        """cffi access to the state and the next_* functions (needs cffi)."""
        if self._ombrix_cffi is None:
            try:
                import cffi
            except ImportError:
                raise ImportError("cffi cannot be imported")
            ffi = cffi.FFI()
            state, u64, u32, double, _ = self._addresses()
            self._ombrix_cffi = _Interface(
                state, ffi.cast("void *", state),
                ffi.cast("uint64_t (*)(void *)", u64),
                ffi.cast("uint32_t (*)(void *)", u32),
                ffi.cast("double (*)(void *)", double),
                self)
        return self._ombrix_cffi

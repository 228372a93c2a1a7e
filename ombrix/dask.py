"""Dask arrays of an ombrix generator's stream (Python 3, dask).

    >>> from ombrix import dask as odask
    >>> from ombrix.iterators import KISS
    >>> g = KISS()
    >>> x = odask.words(g, 10 ** 9, chunks=10 ** 7)   # uint32, lazily
    >>> x.sum(dtype="uint64").compute()

words(generator, n, chunks) is a dask array of the generator's next n
words, and doubles(generator, n, chunks) one of its next n doubles by the
53-bit recipe ((w1 >> 5) * 67108864.0 + (w2 >> 6)) / 9007199254740992.0 (two
words each). The values are exactly those of draw() from a copy of the
generator, whatever the chunks and however many workers compute them, and
the generator is left where draw(generator, n) (2n words for doubles)
would leave it. Each chunk starts from a copy of the generator jumped to
its first value, in O(log n); SWB, which cannot jump in O(log n), chains its
chunks instead: each starts where the previous one ended, so its chunks are
computed one after another.
"""
import copy
import operator
import sys

if sys.version_info[0] < 3:
    raise ImportError("ombrix.dask needs Python 3 (dask does)")

import dask.array  # noqa: E402
import numpy  # noqa: E402
from dask.base import tokenize  # noqa: E402

from ombrix import iterators  # noqa: E402
from ombrix.iterators import _bulk  # noqa: E402

__all__ = ["words", "doubles", "chains"]


# The types whose jumps step one value at a time rather than taking
# O(log n): their arrays chain their chunks.
_CHAINED = (iterators.SWB,)


def chains(generator):
    """Whether this generator's arrays chain their chunks (each computed
    from the end of the previous one) rather than jump to each."""
    return isinstance(_snapshot(generator, "chains"), _CHAINED)


def _snapshot(generator, function):
    """A copy of an ombrix generator whose own step draws its values."""
    kinds = tuple(_bulk.generator_types())
    if not isinstance(generator, kinds):
        raise TypeError("%s() needs an ombrix generator, not %s" % (function, type(generator).__name__))
    base = [kind for kind in type(generator).__mro__ if kind in kinds][0]
    if type(generator).__next__ is not base.__next__:
        raise TypeError("%s() draws with %s's own step, which %s overrides with its own __next__"
                        % (function, base.__name__, type(generator).__name__))
    return copy.copy(generator)


def _words_of(generator, count):
    return iterators.fill(generator, numpy.empty(count, dtype=numpy.uint32))


def _jumped_words(start, offset, count):
    """The words start's copy gives from value `offset` on."""
    return _words_of(iterators.jumped(start, offset), count)


def _chained_words(previous, count):
    """(the next count words, the generator after them), from a copy."""
    generator = copy.copy(previous)
    return _words_of(generator, count), generator


def _as_doubles(words):
    high = (words[0::2] >> numpy.uint32(5)).astype(numpy.float64)
    low = (words[1::2] >> numpy.uint32(6)).astype(numpy.float64)
    return (high * 67108864.0 + low) / 9007199254740992.0


def _jumped_doubles(start, offset, count):
    return _as_doubles(_jumped_words(start, 2 * offset, 2 * count))


def _chained_doubles(previous, count):
    words, generator = _chained_words(previous, 2 * count)
    return _as_doubles(words), generator


def _array(generator, n, chunks, kind, function, words_per_value):
    start = _snapshot(generator, function)
    n = operator.index(n)
    if n < 0:
        raise ValueError("%s() needs a count of 0 or more, not %d" % (function, n))
    sizes = dask.array.core.normalize_chunks(chunks, shape=(n,), dtype=numpy.dtype(kind))[0]
    token = tokenize(type(start).__name__, start.getstate(), n, sizes, function)
    name = "ombrix-%s-%s" % (function, token)
    graph = {}
    if isinstance(start, _CHAINED):
        # Chained: each chunk's task also returns the generator after it.
        step = name + "-step"
        chained = _chained_words if function == "words" else _chained_doubles
        previous = start
        for i, size in enumerate(sizes):
            graph[(step, i)] = (chained, previous, size)
            graph[(name, i)] = (operator.getitem, (step, i), 0)
            graph[(step + "-state", i)] = (operator.getitem, (step, i), 1)
            previous = (step + "-state", i)
    else:
        jumped = _jumped_words if function == "words" else _jumped_doubles
        offset = 0
        for i, size in enumerate(sizes):
            graph[(name, i)] = (jumped, start, offset, size)
            offset += size
    iterators.advance(generator, words_per_value * n)
    return dask.array.Array(graph, name, chunks=(sizes,), dtype=kind)


def words(generator, n, chunks="auto"):
    """A dask array (uint32) of the generator's next n words, in the given
    chunks (anything dask.array accepts for one dimension); the generator
    moves n words on."""
    return _array(generator, n, chunks, numpy.uint32, "words", 1)


def doubles(generator, n, chunks="auto"):
    """A dask array (float64) of the generator's next n doubles in [0, 1),
    53 bits from two words each; the generator moves 2n words on."""
    return _array(generator, n, chunks, numpy.float64, "doubles", 2)

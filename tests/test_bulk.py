"""fill() and draw(): many values at once, exactly those of as many next() calls."""
import struct
from array import array

import pytest

from helpers import PY2, take
from models import MODELS
from ombrix import iterators
from ombrix.iterators import draw, fill

try:
    import numpy
except ImportError:
    numpy = None

NAMES = sorted(MODELS)
needs_numpy = pytest.mark.skipif(numpy is None, reason="needs numpy")


def pair(name):
    kind = getattr(iterators, name)
    return kind(), kind()


@pytest.mark.parametrize("name", NAMES)
@pytest.mark.parametrize("count", [0, 1, 255, 256, 257, 1000])
def test_draw_matches_next(name, count):
    g, reference = pair(name)
    next(g), next(reference)  # start off the table boundary
    values = draw(g, count)
    assert isinstance(values, array) and values.itemsize == 4
    assert list(values) == take(reference, count)
    assert g.getstate() == reference.getstate()
    assert next(g) == next(reference)


@pytest.mark.parametrize("name", NAMES)
def test_fill_into_each_kind_of_buffer(name):
    g, reference = pair(name)
    word_array = array(iterators.WORD_TYPECODE, [0] * 300)
    assert fill(g, word_array) is word_array
    assert list(word_array) == take(reference, 300)
    raw = bytearray(4 * 7)
    fill(g, raw)
    assert list(struct.unpack("=7I", bytes(raw))) == take(reference, 7)
    if not PY2:
        view = memoryview(bytearray(4 * 9)).cast("I")
        fill(g, view)
        assert view.tolist() == take(reference, 9)
    assert g.getstate() == reference.getstate()


@pytest.mark.parametrize("name", ["Cong", "LFIB4", "SWB"])
def test_unaligned_byte_buffers(name):
    g, reference = pair(name)
    memory = bytearray(4 * 2000 + 1)
    fill(g, memoryview(memory)[1:])
    assert list(struct.unpack("=2000I", bytes(memory[1:]))) == take(reference, 2000)


@needs_numpy
@pytest.mark.parametrize("dtype", ["uint32", "int32"])
@pytest.mark.parametrize("name", NAMES)
def test_numpy_arrays(name, dtype):
    g, reference = pair(name)
    out = numpy.zeros(1000, dtype=dtype)
    assert fill(g, out) is out
    assert out.view("uint32").tolist() == take(reference, 1000)
    grid = numpy.zeros((3, 5), dtype="uint32")
    fill(g, grid)
    assert grid.ravel().tolist() == take(reference, 15)


class Overriding(iterators.KISS):
    """A subclass whose own __next__ the bulk path must honour."""

    def __next__(self):
        return iterators.KISS.__next__(self) ^ 0xFFFFFFFF

    next = __next__


class Plain(iterators.SWB):
    pass


def test_subclasses():
    g, reference = Overriding(), iterators.KISS()
    assert list(draw(g, 10)) == [v ^ 0xFFFFFFFF for v in take(reference, 10)]
    p = Plain()
    assert list(draw(p, 300)) == take(iterators.SWB(), 300)


class BadNext(iterators.Cong):
    def __init__(self, values):
        iterators.Cong.__init__(self)
        self.values = iter(values)

    def __next__(self):
        return next(self.values)

    next = __next__


@pytest.mark.parametrize(
    "values, error", [([1, -1], OverflowError), ([2 ** 32], OverflowError), (["1"], TypeError), ([1], StopIteration)]
)
def test_overriding_next_must_give_words(values, error):
    with pytest.raises(error):
        draw(BadNext(values), 3)


def bad_buffers():
    cases = [
        (b"abcd", TypeError),  # read-only
        (bytearray(6), ValueError),  # not whole words
        (array("d", [0.0]), TypeError),  # not integers
        (array("H", [0, 0]), TypeError),  # 2-byte integers
        ([0, 0], TypeError),  # no buffer at all
        (None, TypeError),
    ]
    if numpy is not None:
        readonly = numpy.zeros(4, dtype="uint32")
        readonly.setflags(write=False)
        cases += [
            (numpy.zeros(8, dtype="uint32")[::2], ValueError),  # not contiguous
            (readonly, TypeError),
            (numpy.zeros(4, dtype="uint64"), TypeError),
            (numpy.zeros(4, dtype="float32"), TypeError),
            (numpy.zeros(4, dtype=">u4") if numpy.little_endian else numpy.zeros(4, dtype="<u4"), TypeError),
        ]
    return cases


@pytest.mark.parametrize("out, error", bad_buffers())
def test_bad_buffers_leave_the_generator_unchanged(out, error):
    g = iterators.LFIB4()
    before = g.getstate()
    with pytest.raises(error):
        fill(g, out)
    assert g.getstate() == before


@pytest.mark.parametrize("generator", [5, None, iter([1, 2]), object(), array("I", [1])])
def test_only_ombrix_generators(generator):
    with pytest.raises(TypeError):
        fill(generator, array(iterators.WORD_TYPECODE, [0]))
    with pytest.raises(TypeError):
        draw(generator, 1)


@pytest.mark.parametrize("n, error", [(-1, ValueError), (1.5, TypeError), ("3", TypeError)])
def test_draw_needs_a_count(n, error):
    g = iterators.Cong()
    with pytest.raises(error):
        draw(g, n)
    assert g.cong == 123456789

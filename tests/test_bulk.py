"""fill() and draw(): many values at once, exactly those of as many next() calls."""
import mmap
import signal
import struct
import sys
from array import array

import pytest

from helpers import PY2, reference, take
from ombrix import iterators
from ombrix.iterators import GENERATORS, draw, fill

try:
    import numpy
except ImportError:
    numpy = None

needs_numpy = pytest.mark.skipif(numpy is None, reason="needs numpy")


def pair(name):
    kind = getattr(iterators, name)
    return kind(), kind()


@pytest.mark.parametrize("name", GENERATORS)
@pytest.mark.parametrize("count", [0, 1, 255, 256, 257, 1000])
def test_draw_matches_next(name, count):
    g, reference = pair(name)
    next(g), next(reference)  # start off the table boundary
    values = draw(g, count)
    assert isinstance(values, array) and values.itemsize == 4
    assert list(values) == take(reference, count)
    assert g.getstate() == reference.getstate()
    assert next(g) == next(reference)


@pytest.mark.parametrize("name", GENERATORS)
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
@pytest.mark.parametrize("name", GENERATORS)
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
    "values, error",
    [([1, -1], OverflowError), ([2 ** 32], OverflowError), ([-2 ** 70], OverflowError), (["1"], TypeError),
     ([1.0], TypeError), ([1], StopIteration)],
)
def test_overriding_next_must_give_words(values, error):
    with pytest.raises(error):
        draw(BadNext(values), 3)


class Index(object):
    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


def test_overriding_next_may_give_anything_with_index():
    values = [Index(7), Index(2 ** 32 - 1), True]
    if numpy is not None:
        values += [numpy.uint32(2 ** 32 - 1), numpy.int64(5), numpy.uint8(3)]
    assert list(draw(BadNext(values), len(values))) == [int(v.value if isinstance(v, Index) else v) for v in values]
    with pytest.raises(OverflowError):
        draw(BadNext([Index(-1)]), 1)


def typed_array(code):
    return array(code, u"abcd") if code == "u" else array(code, [0] * 4)


# Integers of four bytes, or bytes: the same on both interpreters.
@pytest.mark.parametrize("code", ["B", "b", "I", "i"] + (["c"] if PY2 else []))
def test_array_typecodes_accepted(code):
    out = array(code, b"\0" * 8) if code == "c" else typed_array(code)
    fill(iterators.Cong(), out)
    raw = out.tostring() if PY2 else out.tobytes()
    assert struct.unpack("=I", raw[:4])[0] == reference("Cong")[0]


@pytest.mark.parametrize("code", ["f", "u", "d", "h", "H", "l", "L", "q", "Q"])
def test_array_typecodes_refused(code):
    if code in "qQ" and PY2:
        pytest.skip("no 8-byte typecodes on Python 2")
    out = typed_array(code)
    if out.itemsize == 4 and code in "lL":
        pytest.skip("4-byte C long")
    before = out.tolist()
    with pytest.raises(TypeError) as info:
        fill(iterators.Cong(), out)
    assert str(info.value) == "fill() needs a buffer of 4-byte integers or of bytes"
    assert out.tolist() == before


def test_mmap_is_a_byte_buffer():
    memory = mmap.mmap(-1, 4 * 1024)
    fill(iterators.SWB(), memory)
    assert list(struct.unpack("=1024I", memory[:])) == take(iterators.SWB(), 1024)


# Python code that empties, resizes or closes the output while fill() runs:
# refused by the buffer's owner, or reported by fill(); never a write into
# freed memory.
OUT = []


class Emptying(iterators.Cong):
    def __next__(self):
        out = OUT[0]
        if isinstance(out, mmap.mmap):
            out.close()
        else:
            del out[:]
            out.extend([7] * 8)
        return iterators.Cong.__next__(self)

    next = __next__


class Mapped(mmap.mmap):
    pass


@pytest.mark.parametrize("make", [lambda: array(iterators.WORD_TYPECODE, [0]) * 4096,
                                  lambda: bytearray(4 * 4096), lambda: Mapped(-1, 4 * 4096)],
                         ids=["array", "bytearray", "mmap"])
def test_output_changed_by_the_generator_itself(make):
    OUT[:] = [make()]
    try:
        with pytest.raises((BufferError, ValueError)):
            fill(Emptying(), OUT[0])
    finally:
        del OUT[:]


class SneakyArray(array):
    """An array whose itemsize property empties it."""

    calls = []

    @property
    def itemsize(self):
        self.calls.append(1)
        del self[:]
        return 4


def test_array_subclass_properties_are_not_consulted():
    out = SneakyArray(iterators.WORD_TYPECODE, [0] * 100)
    fill(iterators.Cong(), out)
    assert list(out) == take(iterators.Cong(), 100)
    assert SneakyArray.calls == []


def interrupt_inside_fill(g, out):
    """Runs fill(g, out) until a SIGALRM handler that raises KeyboardInterrupt
    fires inside the call (seen as the output's last word still zero), and
    returns the generator's state from just before that call."""
    seen = []

    def interrupt(signum, frame):
        seen.append(out[-1])
        raise KeyboardInterrupt

    previous = signal.signal(signal.SIGALRM, interrupt)
    try:
        for _ in range(50):
            signal.setitimer(signal.ITIMER_REAL, 0.002)
            try:
                while True:
                    before = g.getstate()
                    out[-1] = 0
                    fill(g, out)
            except KeyboardInterrupt:
                if seen[-1] == 0:
                    return before
    finally:
        signal.setitimer(signal.ITIMER_REAL, 0)
        signal.signal(signal.SIGALRM, previous)
    pytest.fail("fill() never stopped for the signal")


@pytest.mark.parametrize("name", ["KISS", "LFIB4", "SWB"])
def test_a_signal_stops_a_long_fill_and_leaves_the_generator_as_it_was(name):
    g = getattr(iterators, name)()
    out = array(iterators.WORD_TYPECODE, [0]) * (1 << 23)
    before = interrupt_inside_fill(g, out)
    assert g.getstate() == before
    reference = getattr(iterators, name)()
    reference.setstate(before)
    assert take(g, 300) == take(reference, 300)


def test_draw_checks_the_generator_before_the_count():
    with pytest.raises(TypeError) as info:
        draw(5, 2 ** 62)
    assert str(info.value) == "draw() needs an ombrix generator, not int"


@pytest.mark.parametrize("n", [2 ** 62, 2 ** 100, sys.maxsize])
def test_draw_refuses_sizes_beyond_memory(n):
    g = iterators.Cong()
    with pytest.raises(MemoryError) as info:
        draw(g, n)
    assert str(info.value) == "draw() cannot hold %d words" % n
    assert g.cong == 123456789


@pytest.mark.skipif(PY2, reason="tracemalloc is Python 3's")
def test_draw_allocates_its_result_once():
    import tracemalloc

    tracemalloc.start()
    try:
        values = draw(iterators.Cong(), 10 ** 6)
        peak = tracemalloc.get_traced_memory()[1]
    finally:
        tracemalloc.stop()
    assert len(values) == 10 ** 6
    assert peak < 1.25 * 4 * 10 ** 6


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


@pytest.mark.parametrize("n, error", [(-1, ValueError), (-2 ** 70, ValueError), (1.5, TypeError), ("3", TypeError)])
def test_draw_needs_a_count(n, error):
    g = iterators.Cong()
    with pytest.raises(error) as info:
        draw(g, n)
    assert "fill" not in str(info.value)
    if error is ValueError:
        assert str(info.value) == "draw() needs a count of 0 or more, not %d" % n
    assert g.cong == 123456789

"""ombrix.bitgenerator: every generator as a numpy bit generator, handing
numpy exactly the generator's stream (Python 3 with numpy only)."""
import copy
import pickle
import random

import pytest

from helpers import PY2
from states import random_state
from ombrix import iterators
from ombrix.iterators import GENERATORS, draw

if PY2:
    def test_python_2_gets_a_clear_import_error():
        with pytest.raises(ImportError, match="Python 3"):
            import ombrix.bitgenerator  # noqa: F401
else:
    numpy = pytest.importorskip("numpy")
    from ombrix.bitgenerator import BitGenerator

    def words(g, n):
        """The next n words of a copy of g, as numpy uint64."""
        return numpy.array(draw(copy.copy(g), n), dtype=numpy.uint64)

    def recipe_doubles(w):
        return ((w[0::2] >> 5).astype(float) * 67108864.0 + (w[1::2] >> 6).astype(float)) / 9007199254740992.0

    @pytest.fixture(params=GENERATORS)
    def start(request):
        return random_state(request.param, random.Random(request.param))

    def test_numpy_draws_exactly_the_stream(start):
        w = words(start, 40000)
        bg = BitGenerator(start)
        assert (bg.random_raw(10000) == w[:10000]).all()
        rng = numpy.random.Generator(BitGenerator(start))
        assert (rng.integers(0, 2 ** 32, 10000, dtype=numpy.uint32) == w[:10000]).all()
        assert (rng.random(5000) == recipe_doubles(w[10000:20000])).all()
        # The C interface, as numba would call it.
        bg = BitGenerator(start)
        c = bg.ctypes
        assert c.next_uint32(c.state) == w[0]
        assert c.next_uint64(c.state) == (int(w[1]) << 32) | int(w[2])
        assert c.next_double(c.state) == recipe_doubles(w[3:5])[0]
        f = bg.cffi
        assert f.next_uint32(f.state) == w[5]
        assert bg.random_raw() == w[6]
        assert c.state_address == f.state_address

    def test_the_state_follows_what_numpy_has_taken(start):
        bg = BitGenerator(start)
        rng = numpy.random.Generator(bg)
        rng.integers(0, 2 ** 32, 5001, dtype=numpy.uint32)  # into the second buffer
        expected = copy.copy(start)
        draw(expected, 5001)
        now = bg.generator()
        assert type(now) is type(start) and now.getstate() == expected.getstate()
        assert (bg.random_raw(3) == words(expected, 3)).all()
        # The generator it came from is untouched.
        assert start.getstate() == random_state(type(start).__name__, random.Random(type(start).__name__)).getstate()

    def test_raw_values_after_numpy_draws_continue_the_stream(start):
        w = words(start, 20000)
        bg = BitGenerator(start)
        rng = numpy.random.Generator(bg)
        taken = list(rng.integers(0, 2 ** 32, 7, dtype=numpy.uint32))
        taken += list(bg.random_raw(3))       # from the buffer only
        taken += list(rng.integers(0, 2 ** 32, 5, dtype=numpy.uint32))
        taken += list(bg.random_raw(19000))   # the buffer, then the engine
        taken += list(rng.integers(0, 2 ** 32, 985, dtype=numpy.uint32))
        assert taken == list(w)

    def test_state_round_trips_and_bad_states_change_nothing(start):
        bg = BitGenerator(start)
        bg.random_raw(777)
        saved = bg.state
        assert saved["bit_generator"] == type(start).__name__ and isinstance(saved["state"], dict)
        ahead = bg.random_raw(100)
        bg.state = saved
        assert (bg.random_raw(100) == ahead).all()
        before = bg.state
        fields = dict(saved["state"])
        name = sorted(fields)[0]
        bad_states = [
            (TypeError, [1, 2]),
            (ValueError, {"bit_generator": "MT19937", "state": fields}),
            (ValueError, {"bit_generator": saved["bit_generator"]}),
            (ValueError, {"bit_generator": saved["bit_generator"], "state": dict(fields, extra=1)}),
            (ValueError, {"bit_generator": saved["bit_generator"], "state": {}}),
            ((TypeError, ValueError, OverflowError),
             {"bit_generator": saved["bit_generator"], "state": dict(fields, **{name: "x"})}),
        ]
        for error, bad in bad_states:
            with pytest.raises(error):
                bg.state = bad
            assert bg.state == before

    def test_advance_jumped_and_skipping(start):
        w = words(start, 3000)
        bg = BitGenerator(start)
        assert bg.advance(1000) is bg
        assert (bg.random_raw(10) == w[1000:1010]).all()
        ahead = bg.jumped(500)
        assert (ahead.random_raw(5) == w[1510:1515]).all()
        assert (bg.random_raw(5) == w[1010:1015]).all()
        assert bg.random_raw(985, output=False) is None
        assert (bg.random_raw(2) == w[2000:2002]).all()
        assert bg.random_raw((2, 3)).shape == (2, 3)

    def test_pickles_by_its_current_state(start):
        bg = BitGenerator(start)
        bg.random_raw(12345)
        for restored in (pickle.loads(pickle.dumps(bg)),
                         pickle.loads(pickle.dumps(numpy.random.Generator(bg))).bit_generator):
            assert restored.state == bg.state
        assert (pickle.loads(pickle.dumps(bg)).random_raw(5) == bg.random_raw(5)).all()

    def test_only_ombrix_generators_whose_step_is_their_own():
        class Shifted(iterators.KISS):
            def __next__(self):
                return 0
            next = __next__

        class Tagged(iterators.KISS):
            pass

        with pytest.raises(TypeError, match="overrides"):
            BitGenerator(Shifted())
        for other in (numpy.random.PCG64(), 5, iter([1, 2])):
            with pytest.raises(TypeError, match="ombrix generator"):
                BitGenerator(other)
        tagged = Tagged()
        tagged.label = "mine"
        back = BitGenerator(tagged).generator()
        assert type(back) is Tagged and back.label == "mine"
        with pytest.raises(TypeError, match="holds a"):
            from ombrix import _bitgen
            _bitgen.store(BitGenerator(iterators.Cong())._stream, iterators.SHR3())

    def test_every_distribution_runs():
        rng = numpy.random.Generator(BitGenerator(iterators.KISS()))
        assert abs(rng.standard_normal(100000).mean()) < 0.02
        assert sorted(rng.permutation(10)) == list(range(10))
        assert rng.integers(5, 9, 1000).min() >= 5
        assert 0 <= rng.uniform(size=1000).min()
        assert repr(rng.bit_generator).startswith("<BitGenerator(KISS)")

"""ombrix.dask: distributed arrays of a generator's stream that equal the
serial stream, whatever the chunks and the workers (Python 3 with dask)."""
import copy
import random

import pytest

from helpers import PY2
from states import random_state
from ombrix import iterators
from ombrix.iterators import GENERATORS, draw

if PY2:
    def test_python_2_gets_a_clear_import_error():
        with pytest.raises(ImportError, match="Python 3"):
            import ombrix.dask  # noqa: F401
else:
    numpy = pytest.importorskip("numpy")
    dask = pytest.importorskip("dask")
    import dask.array  # noqa: E402
    from ombrix import dask as odask

    N = 5000
    CHUNKINGS = [N, 1000, (1, 998, 3001, 1000), (2500, 2500), 333]

    def serial(start, n):
        g = copy.copy(start)
        return numpy.array(draw(g, n), dtype=numpy.uint32), g

    def doubles_of(w):
        w = w.astype(numpy.uint64)
        return ((w[0::2] >> 5).astype(float) * 67108864.0 + (w[1::2] >> 6).astype(float)) / 9007199254740992.0

    @pytest.fixture(params=GENERATORS)
    def start(request):
        return random_state(request.param, random.Random(request.param + "dask"))

    def test_words_equal_draw_for_every_chunking(start):
        expected, after = serial(start, N)
        for chunks in CHUNKINGS:
            g = copy.copy(start)
            x = odask.words(g, N, chunks=chunks)
            assert g.getstate() == after.getstate()
            assert x.dtype == numpy.uint32 and x.shape == (N,)
            got = x.compute(scheduler="threads")
            assert (got == expected).all(), chunks
            assert (x.rechunk(777).compute(scheduler="threads") == expected).all()
            assert (x[1234:1240].compute(scheduler="threads") == expected[1234:1240]).all()

    def test_doubles_follow_the_53_bit_recipe(start):
        words, after = serial(start, 2 * 3001)
        g = copy.copy(start)
        x = odask.doubles(g, 3001, chunks=(1, 1000, 2000))
        assert g.getstate() == after.getstate()
        assert (x.compute(scheduler="threads") == doubles_of(words)).all()

    def test_single_value_chunks_and_empty_arrays(start):
        expected, _ = serial(start, 20)
        assert (odask.words(copy.copy(start), 20, chunks=1).compute(scheduler="threads") == expected).all()
        assert odask.words(copy.copy(start), 0, chunks=5).compute().shape == (0,)

    def test_only_swb_chains_and_bad_input_is_refused():
        assert [name for name in GENERATORS if odask.chains(getattr(iterators, name)())] == ["SWB"]

        class Overriding(iterators.Cong):
            def __next__(self):
                return 1

        for bad, error in [(Overriding(), TypeError), (iter([1]), TypeError)]:
            with pytest.raises(error):
                odask.words(bad, 10)
        g = iterators.Cong()
        with pytest.raises(ValueError):
            odask.words(g, -1)
        assert g.getstate() == iterators.Cong().getstate()

    @pytest.fixture(scope="module")
    def client():
        distributed = pytest.importorskip("distributed")
        cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                           dashboard_address=None)
        with distributed.Client(cluster) as client:
            yield client
        cluster.close()

    def test_a_cluster_of_two_worker_processes_computes_the_same_stream(client, start):
        expected, _ = serial(start, N)
        for chunks in [(1, 998, 3001, 1000), 1250]:
            x = odask.words(copy.copy(start), N, chunks=chunks)
            assert (client.compute(x).result() == expected).all(), chunks
        workers = client.run(lambda: __import__("os").getpid())
        assert len(set(workers.values())) == 2

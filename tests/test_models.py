"""The plain-Python models agree with the module, seed for seed and value for value."""
import pytest

from helpers import VECTORS, module, take
from models import MODELS
from ombrix.iterators import GENERATORS


@pytest.mark.parametrize("name", GENERATORS)
def test_model_matches_module(name):
    for seeds in MODELS[name].examples:
        g = getattr(module, name)(*seeds)
        model = MODELS[name](*seeds)
        assert model.getstate() == g.getstate()
        assert [model.next() for _ in range(600)] == take(g, 600)
        assert model.getstate() == g.getstate()


def vector_id(key):
    name, seeds = key
    return "%s(%s)" % (name, ", ".join("%d..%d" % (s[0], s[-1]) if isinstance(s, tuple) else str(s) for s in seeds))


KEYS = sorted(VECTORS, key=vector_id)


@pytest.mark.parametrize("name, seeds", KEYS, ids=[vector_id(key) for key in KEYS])
def test_reference_vectors(name, seeds):
    values = VECTORS[name, seeds]
    model = MODELS[name](*seeds)
    assert [model.next() for _ in values] == values
    assert take(getattr(module, name)(*seeds), len(values)) == values

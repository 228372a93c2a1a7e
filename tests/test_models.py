"""The plain-Python models agree with the module, seed for seed and value for value."""
import pytest

from helpers import module, take
from models import MODELS

SEEDS = {
    "Cong": [(), (0,), (4294967295,), ("99",)],
    "SHR3": [(), (0,), (1,), (0.5,)],
    "MWC1": [(), (2, 1), (0, 7), (4294967295, 4294967295)],
    "MWC2": [(), (2, 1), (0.5, 1)],
    "MWC64": [(), (1, 0), (-1, -1), (0, 5)],
    "KISS": [(), (1, 2, 3, 4), (0, 0, 0, 0)],
    "KISS2": [(), (1, 2, 3, 4), (0, 5)],
    "LFIB4": [(), (list(range(256)),), ([4294967295] * 256,)],
    "SWB": [(), (list(range(256)),), (list(range(255, -1, -1)),)],
    "LFSR113": [(), (0, 0, 0, 0), (-1, 7, "9", 2.5)],
    "LFSR88": [(), (0, 0, 0), (1, 7, 15)],
}


@pytest.mark.parametrize("name", sorted(MODELS))
def test_model_matches_module(name):
    for seeds in SEEDS[name]:
        g = getattr(module, name)(*seeds)
        model = MODELS[name](*seeds)
        assert model.getstate() == g.getstate()
        assert [model.next() for _ in range(600)] == take(g, 600)
        assert model.getstate() == g.getstate()

"""Hostile use of every entry point, against the plain-Python models.

The default run is short; `make fuzz` runs scripts/fuzz.py for the long
version (OMBRIX_FUZZ_EXAMPLES raises the number of examples here)."""
import os

import pytest
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

import fuzzing

EXAMPLES = int(os.environ.get("OMBRIX_FUZZ_EXAMPLES", "25"))


@pytest.mark.parametrize("name", fuzzing.GENERATORS)
@settings(max_examples=EXAMPLES, deadline=None,
          suppress_health_check=[HealthCheck.too_slow, HealthCheck.data_too_large, HealthCheck.filter_too_much])
@given(rng=st.randoms())
def test_hostile_operations_match_the_model(name, rng):
    fuzzing.run(rng, name, operations=15)

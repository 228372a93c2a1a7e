import pytest

from helpers import Claims, fails, module

process = module._lfsr_process_seed
QUALIFIED = "ombrix.iterators._iterators_zinthe._lfsr_process_seed"


@pytest.mark.parametrize(
    "seed, min_value, result",
    [
        (None, 2, 12345),
        (None, "anything", 12345),  # the minimum is not consulted
        (Claims(True), 2, 12345),
        (0, 2, 2),
        (1, 2, 3),
        (2, 2, 2),
        (7, 8, 15),
        ("7", 8, 15),
        (3.7, 2, 3),
        (5, 128, 133),
        (127, 128, 255),
        (128, 128, 128),
        (-1, 2, 4294967295),
        (4294967296, 2, 2),
        (4294967297, 128, 129),
        (12345, 2, 12345),
        (5, 2.5, 5),
        (1, 2.5, 3.5),  # in-place + of whatever the minimum is
    ],
)
def test_results(seed, min_value, result):
    assert process(seed, min_value) == result
    assert process(seed=seed, min_value=min_value) == result
    assert process(seed, min_value=min_value) == result


@pytest.mark.parametrize(
    "args, kwargs, message",
    [
        ((1,), {}, "_lfsr_process_seed() takes exactly 2 positional arguments (1 given)"),
        ((), {"seed": 1}, "_lfsr_process_seed() takes exactly 2 positional arguments (1 given)"),
        ((), {"min_value": 1}, "_lfsr_process_seed() takes exactly 2 positional arguments (0 given)"),
        ((1, 2, 3), {}, "_lfsr_process_seed() takes exactly 2 positional arguments (3 given)"),
        ((), {}, "_lfsr_process_seed() takes exactly 2 positional arguments (0 given)"),
        ((1, 2), {"x": 3}, "_lfsr_process_seed() got an unexpected keyword argument 'x'"),
        ((1, 2), {"seed": 3}, "_lfsr_process_seed() got multiple values for keyword argument 'seed'"),
        ((1,), {"min_value": 2, "seed": 3},
         "_lfsr_process_seed() got multiple values for keyword argument 'seed'"),
    ],
)
def test_binding_messages(args, kwargs, message):
    got, entries = fails(TypeError, process, *args, **kwargs)
    assert got == message
    assert entries == [QUALIFIED]


@pytest.mark.parametrize(
    "seed, min_value, error",
    [("x", 2, ValueError), ([], 2, TypeError), (Claims(KeyError()), 2, KeyError), (1, [], TypeError)],
)
def test_errors_propagate(seed, min_value, error):
    _, entries = fails(error, process, seed, min_value)
    assert entries == [QUALIFIED]


def test_is_a_builtin_of_the_module():
    assert process.__module__ == "ombrix.iterators._iterators_zinthe"
    assert process.__name__ == "_lfsr_process_seed"
    assert process.__doc__ is None

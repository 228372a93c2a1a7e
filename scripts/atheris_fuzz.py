"""Coverage-guided fuzzing with atheris (Python 3): the fuzzer's bytes pick
the hostile operations of tests/fuzzing.py, each checked against the
plain-Python models. Arguments are libFuzzer's, for example
    python3 scripts/atheris_fuzz.py -runs=100000 -max_len=512"""
import os
import sys

import atheris

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path[:0] = [os.getcwd(), os.path.join(ROOT, "tests")]

with atheris.instrument_imports():
    import fuzzing  # noqa: E402


class Choices(object):
    """random.Random's randint and choice, drawn from the fuzzer's bytes."""

    def __init__(self, data):
        self.data = atheris.FuzzedDataProvider(data)

    def randint(self, low, high):
        if high - low < 2 ** 63:
            return self.data.ConsumeIntInRange(low, high)
        return low + self.data.ConsumeUInt(10) % (high - low + 1)

    def choice(self, sequence):
        return sequence[self.randint(0, len(sequence) - 1)]


def test_one_input(data):
    rng = Choices(data)
    before = fuzzing.Counter.calls
    fuzzing.run(rng, rng.choice(fuzzing.GENERATORS), operations=rng.randint(1, 12))
    # libFuzzer ends the process itself: report progress as it goes.
    if before // 50000 != fuzzing.Counter.calls // 50000:
        sys.stderr.write("atheris: %d hostile calls so far, no mismatch\n" % fuzzing.Counter.calls)


if __name__ == "__main__":
    atheris.Setup(sys.argv, test_one_input)
    atheris.Fuzz()

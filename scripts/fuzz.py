"""Long hostile-input run: random operations on every generator type,
each checked against the plain-Python models (tests/fuzzing.py).

    python scripts/fuzz.py [CALLS] [SEED]

Stops after CALLS operations (default 1,000,000) and prints what it did.
A crash ends the process; a mismatch raises with the operation's details."""
from __future__ import print_function

import os
import random
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path[:0] = [os.getcwd(), os.path.join(ROOT, "tests")]  # the ombrix under test, then the helpers
import fuzzing  # noqa: E402


def main():
    calls = int(sys.argv[1]) if len(sys.argv) > 1 else 1000000
    seed = int(sys.argv[2]) if len(sys.argv) > 2 else 1
    rng = random.Random(seed)
    started = time.time()
    generators = 0
    while fuzzing.Counter.calls < calls:
        name = rng.choice(fuzzing.GENERATORS)
        fuzzing.run(rng, name, operations=rng.randint(1, 40))
        generators += 1
    print("python %s: %d hostile calls on %d generators, 0 mismatches, 0 crashes, %.0f s"
          % (sys.version.split()[0], fuzzing.Counter.calls, generators, time.time() - started))


if __name__ == "__main__":
    main()

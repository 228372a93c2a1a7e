"""python -m ombrix.iterators NAME [-n COUNT] [SEED ...]"""
import struct
import subprocess
import sys

import pytest

from helpers import PACKAGE_ROOT as ROOT


def run(*args, **options):
    process = subprocess.Popen(
        [sys.executable, "-m", "ombrix.iterators"] + list(args),
        cwd=ROOT,
        stdout=subprocess.PIPE,
        stderr=subprocess.PIPE,
    )
    out, err = process.communicate()
    if options.get("raw"):
        return process.returncode, out, err.decode()
    return process.returncode, out.decode(), err.decode()


@pytest.mark.parametrize(
    "args, lines",
    [
        (["Cong", "-n", "3"], ["1526889226", "2084976955", "1314849656"]),
        (["Cong", "-n", "2", "0"], ["12345", "852669150"]),
        (["Cong", "0", "-n", "1"], ["12345"]),
        (["KISS", "-n", "1", "1", "2", "3", "4"], ["2424001924"]),
        (["MWC64", "--count", "2", "-1", "-1"], ["3596198226", "2862645015"]),
        (["LFSR88", "-n", "0"], []),
        (["KISS", "--seed", "seed_cong=3", "--seed", "seed_shr3=4", "-n", "1", "1", "2"], ["2424001924"]),
        (["KISS", "-n", "1", "0x1", "2", "0b11", "4"], ["2424001924"]),
        (["Cong", "--seed", "seed=99", "-n", "1"], ["%d" % ((69069 * 99 + 12345) % 2 ** 32)]),
        (["LFIB4", "-n", "2", ",".join(str(i) for i in range(256))], ["359", "363"]),
        (["Cong", "-n", "1", "--format", "text", "7.5"], ["%d" % ((69069 * 7 + 12345) % 2 ** 32)]),
    ],
)
def test_prints_values(args, lines):
    code, out, err = run(*args)
    assert (code, err) == (0, "")
    assert out.splitlines() == lines


def test_default_count_is_ten():
    code, out, _ = run("LFIB4")
    assert code == 0
    assert len(out.splitlines()) == 10


@pytest.mark.parametrize(
    "args, fragment",
    [
        (["Nope"], "unknown generator 'Nope'"),
        (["Cong", "-1"], "bad seed for Cong: can't convert negative value to unsigned long"),
        (["Cong", "x"], "bad seed for Cong"),
        (["Cong", "--seed", "nope"], "--seed needs NAME=VALUE"),
        (["Cong", "--seed", "bad=1"], "unexpected keyword argument 'bad'"),
        (["Cong", "--format", "hex"], "invalid choice"),
        (["LFIB4", "1,2,3"], "seed length must be 256"),
        (["Cong", "1", "2"], "bad seed for Cong"),
        (["Cong", "-n", "-1"], "count must not be negative"),
        (["Cong", "-n", "many"], "invalid int value"),
        (["Cong", "--bad"], "unrecognized argument: --bad"),
        ([], "a generator name is needed"),
    ],
)
def test_bad_usage_is_one_line_and_status_2(args, fragment):
    code, out, err = run(*args)
    assert code == 2
    assert out == ""
    assert len(err.splitlines()) == 1
    assert fragment in err


def test_list_names_every_generator_with_its_first_doc_line():
    code, out, err = run("--list")
    assert (code, err) == (0, "")
    lines = out.splitlines()
    assert [line.split()[0] for line in lines] == [
        "Cong", "SHR3", "MWC1", "MWC2", "MWC64", "KISS", "KISS2", "LFIB4", "SWB", "LFSR113", "LFSR88"]
    assert lines[0].endswith("Congruential random number generator")


@pytest.mark.parametrize("name", ["Cong", "SWB", "LFSR113"])
@pytest.mark.parametrize("count", [3, 65536 + 7])
def test_raw_words_are_the_values(name, count):
    from ombrix import iterators

    code, out, err = run(name, "-n", str(count), "--format", "raw", raw=True)
    assert (code, err) == (0, "")
    assert len(out) == 4 * count
    assert list(struct.unpack("=%dI" % count, out)) == list(iterators.draw(getattr(iterators, name)(), count))


def test_endless_raw_output_ends_quietly_when_the_reader_goes():
    process = subprocess.Popen(
        [sys.executable, "-m", "ombrix.iterators", "KISS", "--format", "raw"],
        cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
    )
    assert len(process.stdout.read(1 << 20)) == 1 << 20
    process.stdout.close()
    err = process.stderr.read()
    assert process.wait() == 0
    assert err == b""

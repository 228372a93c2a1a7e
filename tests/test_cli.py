"""python -m ombrix.iterators NAME [-n COUNT] [SEED ...]"""
import subprocess
import sys

import pytest

from helpers import PACKAGE_ROOT as ROOT


def run(*args):
    process = subprocess.Popen(
        [sys.executable, "-m", "ombrix.iterators"] + list(args),
        cwd=ROOT,
        stdout=subprocess.PIPE,
        stderr=subprocess.PIPE,
    )
    out, err = process.communicate()
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
        (["Cong", "x"], "seed 'x' is not an integer"),
        (["Cong", "1", "2"], "bad seed for Cong"),
        (["Cong", "-n", "-1"], "count must not be negative"),
        (["Cong", "-n", "many"], "invalid int value"),
        (["Cong", "--bad"], "unrecognized argument: --bad"),
        ([], "error:"),
    ],
)
def test_bad_usage_is_one_line_and_status_2(args, fragment):
    code, out, err = run(*args)
    assert code == 2
    assert out == ""
    assert len(err.splitlines()) == 1
    assert fragment in err

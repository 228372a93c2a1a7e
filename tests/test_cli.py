"""python -m ombrix.iterators NAME [-n COUNT] [SEED ...]"""
import os
import struct
import subprocess
import sys

import pytest

from helpers import PACKAGE_ROOT as ROOT
from helpers import reference
from ombrix.iterators import GENERATORS


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


def cong(seed):
    return "%d" % ((69069 * seed + 12345) % 2 ** 32)


def lines_of(name, *seeds):
    """The reference values, as the command prints them."""
    return ["%d" % value for value in reference(name, *seeds)]


TABLE = ",".join(str(i) for i in range(256))


@pytest.mark.parametrize(
    "args, lines",
    [
        (["Cong", "-n", "3"], lines_of("Cong")),
        (["Cong", "-n", "2", "0"], lines_of("Cong", 0)[:2]),
        (["Cong", "0", "-n", "1"], lines_of("Cong", 0)[:1]),
        (["KISS", "-n", "1", "1", "2", "3", "4"], lines_of("KISS", 1, 2, 3, 4)[:1]),
        (["MWC64", "--count", "2", "-1", "-1"], lines_of("MWC64", 4294967295, 4294967295)),
        (["LFSR88", "-n", "0"], []),
        (["KISS", "--seed", "seed_cong=3", "--seed", "seed_shr3=4", "-n", "1", "1", "2"],
         lines_of("KISS", 1, 2, 3, 4)[:1]),
        (["KISS", "-n", "1", "0x1", "2", "0b11", "4"], lines_of("KISS", 1, 2, 3, 4)[:1]),
        (["Cong", "--seed", "seed=99", "-n", "1"], ["%d" % ((69069 * 99 + 12345) % 2 ** 32)]),
        (["LFIB4", "-n", "2", TABLE], lines_of("LFIB4", range(256))),
        # Leading zeros keep a seed decimal (int(text, 0) refuses 010 on
        # Python 3 and reads it as octal on Python 2), and do not count
        # towards Python 3's limit on decimal digits.
        (["Cong", "-n", "1", "010"], [cong(10)]),
        (["Cong", "-n", "1", "0" * 5000 + "7"], [cong(7)]),
        (["Cong", "-n", "1", "+7"], [cong(7)]),
        (["Cong", "-n", "1", "0X1f"], [cong(31)]),
        (["Cong", "-n", "1", "0o17"], [cong(15)]),
        (["Cong", "-n", "1", "0B101"], [cong(5)]),
        (["MWC64", "-n", "1", "--seed", "seed_upper=-0x1", "--seed", "seed_lower=-1"],
         lines_of("MWC64", 4294967295, 4294967295)[:1]),
        # Empty items of a table are skipped, signs and prefixes work inside.
        (["LFIB4", "-n", "2", TABLE + ","], lines_of("LFIB4", range(256))),
        (["LFIB4", "-n", "2", ",,".join(hex(i) for i in range(256))], lines_of("LFIB4", range(256))),
        # --skip N starts N values in.
        (["Cong", "--skip", "1", "-n", "2"], lines_of("Cong")[1:3]),
        (["KISS", "-n", "1", "--skip", "0x2"], lines_of("KISS")[2:3]),
        (["Cong", "--skip", str(2 ** 32 + 2), "-n", "1"], lines_of("Cong")[2:3]),
        (["Cong", "--skip", "0", "-n", "1"], lines_of("Cong")[:1]),
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
        (["Cong", "x"], "bad seed for Cong: 'x' is not an integer"),
        (["Cong", "--seed", "nope"], "--seed needs NAME=VALUE"),
        (["Cong", "--seed", "bad=1"], "unexpected keyword argument 'bad'"),
        (["Cong", "--format", "hex"], "invalid choice"),
        (["LFIB4", "1,2,3"], "seed length must be 256"),
        (["Cong", "1", "2"], "bad seed for Cong"),
        (["Cong", "-n", "-1"], "count must not be negative"),
        (["Cong", "-n", "many"], "invalid int value"),
        (["Cong", "--bad"], "unrecognized argument: --bad"),
        (["Cong", "-0x1"], "unrecognized argument: -0x1"),  # --seed seed=-0x1 takes it
        ([], "a generator name is needed"),
        (["Cong", "--skip", "-1"], "--skip must not be negative"),
        (["Cong", "--skip", "many"], "bad --skip: 'many' is not an integer"),
        (["SWB", "--skip", str(2 ** 64)], "bad --skip: SWB jumps by stepping"),
    ],
)
def test_bad_usage_is_one_line_and_status_2(args, fragment):
    code, out, err = run(*args)
    assert code == 2
    assert out == ""
    assert len(err.splitlines()) == 1
    assert fragment in err


# Only integers reach a generator: its seeding rules would otherwise apply %
# to the text (a format string), or float() would take fractions and "inf".
@pytest.mark.parametrize(
    "seed",
    [
        "abc", "%4000000000x", "%s", "7.5", "-7.5", "1e3", "inf", "nan", "", "1_000", "0x_1",
        " 7", "7 ", "7\n", "0x", "0x1g", "0o8", "0b2", "0b", "++1", "+-1", "0x-1", "1L", "--5",
        b"\xd9\xa1",  # ARABIC-INDIC DIGIT ONE in UTF-8, a digit to Python 3's int()
        "1,,x", "1, 2", "1, ,2", "1,7.5",
    ],
)
def test_a_seed_that_is_no_integer_is_refused(seed):
    keyword = (b"seed=" if isinstance(seed, bytes) else "seed=") + seed
    for args in (["Cong", seed], ["Cong", "--seed", keyword]):
        code, out, err = run(*args)
        assert (code, out) == (2, "")
        assert len(err.splitlines()) == 1
        assert err.startswith("python -m ombrix.iterators: error: bad seed for Cong: ")
        assert "is not an integer" in err


def test_a_long_bad_seed_is_quoted_in_part():
    code, out, err = run("MWC1", "%" + "x" * 100000)
    assert (code, out) == (2, "")
    assert err == ("python -m ombrix.iterators: error: bad seed for MWC1: '%" + "x" * 39
                   + "'... (100001 characters) is not an integer (decimal, 0x..., 0o... or 0b...)\n")


@pytest.mark.parametrize(
    "name, seed",
    [
        ("Cong", "1" * 5000),
        ("Cong", "+" + "9" * 5000),
        ("Cong", "0x" + "f" * 5000),
        ("LFIB4", ",".join(["1" * 5000] + ["0"] * 255)),
    ],
)
def test_a_huge_seed_is_too_large(name, seed):
    # Python 3 refuses over 4300 decimal digits itself, Python 2 leaves it to
    # the generator; either way it is too large, never "float infinity".
    code, out, err = run(name, seed)
    assert (code, out) == (2, "")
    assert len(err.splitlines()) == 1
    assert "bad seed for %s: " % name in err
    assert "too large" in err


def test_list_names_every_generator_with_its_first_doc_line():
    # That it names every generator, in order, is tests/test_catalogue.py's.
    from ombrix import iterators

    code, out, err = run("--list")
    assert (code, err) == (0, "")
    lines = out.splitlines()
    for line in lines:
        name = line.split()[0]
        assert line == "%-8s %s" % (name, getattr(iterators, name).__doc__.splitlines()[0])
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


def run_into(sink, *args):
    """Runs the command with standard output full, closed, or a pipe nobody reads."""
    # Buffered, as usual, so that what a failed write leaves behind meets the
    # flush at exit.
    options = {"env": dict((k, v) for k, v in os.environ.items() if k != "PYTHONUNBUFFERED")}
    if sink == "full":
        options["stdout"] = open("/dev/full", "wb")
    elif sink == "closed":
        options["preexec_fn"] = lambda: os.close(1)
    else:
        reader, options["stdout"] = os.pipe()
        os.close(reader)
    process = subprocess.Popen(
        [sys.executable, "-m", "ombrix.iterators"] + list(args),
        cwd=ROOT, stderr=subprocess.PIPE, **options
    )
    if sink == "full":
        options["stdout"].close()
    elif sink == "gone":
        os.close(options["stdout"])
    err = process.communicate()[1].decode()
    return process.returncode, err


@pytest.mark.skipif(not os.path.exists("/dev/full"), reason="needs /dev/full")
@pytest.mark.parametrize(
    "args",
    [["Cong"], ["SWB", "-n", "3", "--format", "raw"], ["KISS", "-n", str(65536 + 7), "--format", "raw"], ["--list"]],
)
@pytest.mark.parametrize(
    "sink, code, message",
    [
        ("full", 1, "cannot write the output: No space left on device"),
        ("closed", 1, "standard output is closed"),
        ("gone", 0, None),
    ],
)
def test_unwritable_output_ends_in_one_line_or_none(args, sink, code, message):
    # Nothing more at exit either: no "Exception ignored" for the flush, no
    # "close failed in file object destructor".
    got_code, err = run_into(sink, *args)
    assert got_code == code
    if message is None:
        assert err == ""
    else:
        assert err == "python -m ombrix.iterators: error: %s\n" % message


@pytest.mark.parametrize("name", GENERATORS)
def test_skip_starts_that_many_values_in(name):
    from ombrix import iterators

    code, out, err = run(name, "--skip", "100000", "-n", "3")
    assert (code, err) == (0, "")
    expected = iterators.draw(getattr(iterators, name)(), 100003)[-3:]
    assert out.splitlines() == ["%d" % value for value in expected]

"""The package as users get it: an sdist that builds a wheel which installs
into a fresh environment and draws; metadata; stubs that match the module
and pass mypy --strict. The slow ones build the extension from scratch and
run when OMBRIX_PACKAGING_TESTS is set (the test runner sets it once per
interpreter)."""
import glob
import os
import re
import subprocess
import sys
import tempfile
import zipfile

import pytest

import ombrix
from helpers import PACKAGE_ROOT, PY2

# The checkout these tests belong to (its headers, stubs' checks, the source
# an sdist is made from), and the package under test, which the sanitizer
# runs keep in a copy of their own.
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
slow = pytest.mark.skipif(not os.environ.get("OMBRIX_PACKAGING_TESTS"), reason="set OMBRIX_PACKAGING_TESTS")
TYPING = os.path.join(ROOT, "tests", "typing")


def run(command, **options):
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, **options)
    out = process.communicate()[0].decode("utf-8", "replace")
    assert process.returncode == 0, "%s failed:\n%s" % (" ".join(command), out[-4000:])
    return out


def test_one_version_everywhere():
    header = open(os.path.join(ROOT, "include", "ombrix", "version.hpp")).read()
    parts = [re.search(r"#define OMBRIX_VERSION_%s (\d+)" % part, header).group(1)
             for part in ("MAJOR", "MINOR", "PATCH")]
    assert ".".join(parts) == ombrix.__version__
    assert '#define OMBRIX_VERSION_STRING "%s"' % ombrix.__version__ in header


def test_get_include_finds_the_engine_headers():
    assert os.path.isfile(os.path.join(ombrix.get_include(), "ombrix", "ombrix.hpp"))


@pytest.fixture(scope="module")
def built(tmpdir_factory):
    """An sdist, and a wheel built from it by this interpreter's pip."""
    work = str(tmpdir_factory.mktemp("packaging"))
    # The build tool is Python 3's; the archive is the same for both. (Run
    # from elsewhere: the checkout's build/ folder would pass for the tool.)
    run(["python3" if PY2 else sys.executable, "-m", "build", "--sdist", "--outdir", work, ROOT], cwd=work)
    sdist = glob.glob(os.path.join(work, "ombrix-%s.tar.gz" % ombrix.__version__))
    assert sdist, os.listdir(work)
    run([sys.executable, "-m", "pip", "wheel", "-q", "--no-deps", "-w", work, sdist[0]], cwd=work)
    wheel = glob.glob(os.path.join(work, "ombrix-*.whl"))
    assert len(wheel) == 1, os.listdir(work)
    return work, sdist[0], wheel[0]


@slow
def test_wheel_from_the_sdist_installs_into_a_fresh_environment_and_draws(built):
    work, _, wheel = built
    env = os.path.join(work, "env")
    if PY2:
        run([sys.executable, "-m", "virtualenv", "-q", env])
    else:
        run([sys.executable, "-m", "venv", env])
    python = os.path.join(env, "bin", "python")
    run([python, "-m", "pip", "install", "-q", "--no-deps", wheel])
    script = (
        "import os, ombrix, ombrix.iterators as i\n"
        "assert ombrix.__version__ == %r\n"
        "assert not i.__file__.startswith(%r)\n"
        "assert os.path.isfile(os.path.join(ombrix.get_include(), 'ombrix', 'catalogue.hpp'))\n"
        "assert os.path.isfile(os.path.join(ombrix.get_include(), 'ombrix', 'kernels', 'lanes.hpp'))\n"
        "print(' '.join(str(v) for v in list(i.draw(i.KISS(), 3)) + list(i.draw(i.Cong(), 1))))\n"
        % (ombrix.__version__, ROOT)
    )
    out = run([python, "-c", script], cwd=work)
    assert out.strip() == "24694304 2024262834 2704855458 1526889226"


@slow
def test_wheel_carries_metadata_stubs_and_headers(built):
    _, _, wheel = built
    names = zipfile.ZipFile(wheel).namelist()
    for expected in ["ombrix/py.typed", "ombrix/iterators/__init__.pyi", "ombrix/iterators/_bulk.pyi",
                     "ombrix/iterators/_iterators_zinthe.pyi", "ombrix/include/ombrix/catalogue.hpp",
                     "ombrix/include/ombrix/bulk.hpp", "ombrix/include/ombrix/kernels/lanes.hpp",
                     "ombrix/bitgenerator.py", "ombrix/bitgenerator.pyi", "ombrix/dask.py", "ombrix/dask.pyi"]:
        assert expected in names
    metadata = zipfile.ZipFile(wheel).read(
        [n for n in names if n.endswith(".dist-info/METADATA")][0]).decode("utf-8")
    requires = re.search(r"^Requires-Python: (.*)$", metadata, re.M).group(1).split(",")
    assert ">=2.7" in requires and "!=3.6.*" in requires
    assert "License: MIT" in metadata or "License-Expression: MIT" in metadata
    assert "Classifier: Programming Language :: Python :: 2.7" in metadata
    assert "Classifier: Programming Language :: Python :: 3.13" in metadata
    assert "Provides-Extra: numpy" in metadata and "Provides-Extra: dask" in metadata
    assert "Classic 32-bit pseudo-random number generators as Python iterator types" in metadata


@slow
def test_only_the_entry_points_are_exported(built):
    work, _, wheel = built
    unpacked = os.path.join(work, "unpacked")
    zipfile.ZipFile(wheel).extractall(unpacked)
    for library in glob.glob(os.path.join(unpacked, "ombrix", "iterators", "*.so")):
        out = run(["nm", "-D", "--defined-only", library])
        exported = [line.split()[-1] for line in out.splitlines() if " T " in line]
        assert len(exported) == 1 and re.match(r"(PyInit_|init)_", exported[0]), exported


def has_mypy():
    try:
        import mypy  # noqa: F401
    except ImportError:
        return False
    return True


needs_mypy = pytest.mark.skipif(PY2 or not has_mypy(), reason="mypy runs on Python 3")


def mypy(*arguments):
    process = subprocess.Popen([sys.executable, "-m", "mypy"] + list(arguments), cwd=PACKAGE_ROOT,
                               env=dict(os.environ, PYTHONPATH=PACKAGE_ROOT), stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT)
    out = process.communicate()[0].decode()
    return process.returncode, out


@needs_mypy
def test_typed_sample_passes_mypy_strict():
    code, out = mypy("--strict", os.path.join(TYPING, "sample.py"))
    assert code == 0, out


@needs_mypy
def test_mypy_catches_misuse():
    # KISS has no __iter__, its state has three parts, draw needs a count.
    bad = os.path.join(tempfile.mkdtemp(), "bad.py")
    with open(bad, "w") as out:
        out.write("from ombrix.iterators import KISS, draw\n"
                  "iter(KISS())\n"
                  "KISS().getstate()[3]\n"
                  "draw(KISS(), 'many')\n")
    code, out = mypy("--strict", bad)
    assert code == 1
    assert [int(line.split(":")[1]) for line in out.splitlines() if ": error:" in line] == [2, 3, 4], out


def importable(name):
    try:
        __import__(name)
    except ImportError:
        return False
    return True


@needs_mypy
def test_stubs_match_the_module():
    modules = ["ombrix.iterators"]
    if importable("numpy"):
        modules += ["ombrix.bitgenerator", "ombrix._bitgen"]
    if importable("dask.array"):
        modules += ["ombrix.dask"]
    process = subprocess.Popen(
        [sys.executable, "-m", "mypy.stubtest", "--ignore-disjoint-bases",
         "--allowlist", os.path.join(TYPING, "stubtest-allowlist.txt")] + modules,
        cwd=PACKAGE_ROOT, env=dict(os.environ, PYTHONPATH=PACKAGE_ROOT), stdout=subprocess.PIPE,
        stderr=subprocess.STDOUT)
    out = process.communicate()[0].decode()
    assert process.returncode == 0, out

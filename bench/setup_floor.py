# Builds the benchmark's floor iterator: python setup_floor.py build_ext --build-lib DIR
from setuptools import Extension, setup

# -O2 as for ombrix itself (Debian's Python 2 passes no optimisation level).
setup(name="floor", ext_modules=[Extension("floor", ["floor.c"], extra_compile_args=["-O2"])])

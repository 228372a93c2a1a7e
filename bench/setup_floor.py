# Builds the benchmark's floor iterator: python setup_floor.py build_ext --build-lib DIR
from setuptools import Extension, setup

setup(name="floor", ext_modules=[Extension("floor", ["floor.c"])])

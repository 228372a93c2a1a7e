"""The generators as Python iterator types, and bulk generation.

Each type is seedable (``seed``), inspectable (its state fields are
properties), and can save and restore its whole state (``getstate`` and
``setstate``). ``fill`` and ``draw`` produce many values at once, exactly
those that as many ``next()`` calls would return.
"""
from array import array

from ombrix.iterators._bulk import (
    advance,
    draw,
    fill,
    generator_types,
    jumped,
    kernel_path,
    supported_kernel_paths,
)

# The generator types, in the order the module registers them.
GENERATORS = tuple(kind.__name__ for kind in generator_types())
globals().update(zip(GENERATORS, generator_types()))

__all__ = list(GENERATORS) + [
    "fill",
    "draw",
    "advance",
    "jumped",
    "kernel_path",
    "supported_kernel_paths",
]

# The array type code of a 32-bit unsigned word on this platform.
WORD_TYPECODE = "I" if array("I").itemsize == 4 else "L"

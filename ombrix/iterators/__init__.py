"""The generators as Python iterator types, and bulk generation.

Each type is seedable (``seed``), inspectable (its state fields are
properties), and can save and restore its whole state (``getstate`` and
``setstate``). ``fill`` and ``draw`` produce many values at once, exactly
those that as many ``next()`` calls would return.
"""
from array import array

from ombrix.iterators._bulk import draw, fill
from ombrix.iterators._iterators_zinthe import (
    KISS,
    KISS2,
    LFIB4,
    LFSR88,
    LFSR113,
    MWC1,
    MWC2,
    MWC64,
    SHR3,
    SWB,
    Cong,
)

__all__ = [
    "Cong", "SHR3", "MWC1", "MWC2", "MWC64", "KISS", "KISS2", "LFIB4", "SWB", "LFSR113", "LFSR88",
    "fill", "draw",
]

# The array type code of a 32-bit unsigned word on this platform.
WORD_TYPECODE = "I" if array("I").itemsize == 4 else "L"


"""The generators as Python iterator types.

Each type is seedable (``seed``), inspectable (its state fields are
properties), and can save and restore its whole state (``getstate`` and
``setstate``).
"""
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

__all__ = ["Cong", "SHR3", "MWC1", "MWC2", "MWC64", "KISS", "KISS2", "LFIB4", "SWB", "LFSR113", "LFSR88"]

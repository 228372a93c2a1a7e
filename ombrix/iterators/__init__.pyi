from typing import Tuple

from ombrix.iterators._bulk import (
    advance as advance,
    draw as draw,
    fill as fill,
    jumped as jumped,
    kernel_path as kernel_path,
    supported_kernel_paths as supported_kernel_paths,
)
from ombrix.iterators._iterators_zinthe import (
    KISS as KISS,
    KISS2 as KISS2,
    LFIB4 as LFIB4,
    LFSR88 as LFSR88,
    LFSR113 as LFSR113,
    MWC1 as MWC1,
    MWC2 as MWC2,
    MWC64 as MWC64,
    SHR3 as SHR3,
    SWB as SWB,
    Cong as Cong,
)

GENERATORS: Tuple[str, ...]
WORD_TYPECODE: str
__all__ = [
    "Cong", "SHR3", "MWC1", "MWC2", "MWC64", "KISS", "KISS2", "LFIB4", "SWB", "LFSR113", "LFSR88",
    "fill", "draw", "advance", "jumped", "kernel_path", "supported_kernel_paths",
]

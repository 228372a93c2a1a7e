"""Ordinary use of ombrix, checked by mypy --strict against the stubs."""
from array import array
from typing import List, Tuple

import ombrix
from ombrix.iterators import GENERATORS, KISS, LFIB4, LFSR113, MWC64, SWB, Cong, draw, fill


def first_values(count: int) -> List[int]:
    g = Cong(12345)
    return [next(g) for _ in range(count)]


def checkpoint() -> Tuple[Tuple[int, int], Tuple[int], Tuple[int]]:
    g = KISS(seed_cong=7)
    next(g)
    state = g.getstate()
    g.setstate(state)
    g.cong = 5
    return state


def tables() -> int:
    lagged = LFIB4(list(range(256)))
    swb = SWB()
    swb.setstate((lagged.getstate(), 1))
    return lagged.c + swb.borrow + len(swb.t)


def bulk() -> int:
    words: "array[int]" = draw(LFSR113(1, 2, 3, 4), 10)
    out = fill(MWC64(), bytearray(16))
    return sum(words) + len(out) + len(GENERATORS)


def loop() -> int:
    total = 0
    for value in LFSR113():
        total ^= value
        if total & 1:
            break
    return total


print(first_values(3), checkpoint(), tables(), bulk(), loop(), ombrix.__version__, ombrix.get_include())

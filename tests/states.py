"""Generators in states to start tests from: random ones over everything
the properties accept, and the edges of what each type holds."""
from models import MODELS
from ombrix import iterators

MWC16_UPPER, MWC16_LOWER = 2422800383, 1179647999
MWC64 = 3001190298811367423
LFSR113_ORDERS = [2 ** 31 - 1, 2 ** 29 - 1, 2 ** 28 - 1, 2 ** 25 - 1]

ALL_ONES = 2 ** 32 - 1


def exact(g):
    """Every field as it is (getstate() rotates LFIB4's table, and folds an
    SWB borrow to 0 or 1)."""
    return g.__getstate__()[0]


def random_state(name, rng):
    """A generator of type `name` in a state any of whose fields setstate()
    or the properties accept."""
    g = getattr(iterators, name)()
    for field in MODELS[name].field_names:
        if field in MODELS[name].table_fields:
            setattr(g, field, [rng.getrandbits(32) for _ in range(256)])
        elif field in ("c", "borrow"):
            setattr(g, field, rng.choice([0, 1, 254, 255, rng.getrandbits(8)]) if field == "c" else rng.getrandbits(1))
        else:
            setattr(g, field, rng.getrandbits(32))
    return g


def with_fields(name, **fields):
    g = getattr(iterators, name)()
    for field, value in fields.items():
        setattr(g, field, value)
    return g


def edge_states():
    """(name, generator) in states at the edges of what each type holds."""
    words = [0, 1, ALL_ONES, 2 ** 31]
    mwc16 = [MWC16_UPPER - 1, MWC16_UPPER, MWC16_UPPER + 1, MWC16_LOWER - 1, MWC16_LOWER, MWC16_LOWER + 1,
             2 * MWC16_LOWER, 3 * MWC16_LOWER]
    mwc64 = [MWC64 - 1, MWC64, MWC64 + 1, 2 * MWC64, 4 * MWC64, 2 ** 64 - 1]
    states = []
    for word in words:
        states += [("Cong", with_fields("Cong", cong=word)), ("SHR3", with_fields("SHR3", shr3=word))]
        states += [("LFSR113", with_fields("LFSR113", z1=word, z2=word ^ 5, z3=word, z4=word ^ 0x7F)),
                   ("LFSR88", with_fields("LFSR88", z1=word, z2=word | 3, z3=word))]
    for word in words + mwc16:
        for name in ("MWC1", "MWC2", "KISS"):
            states.append((name, with_fields(name, mwc_upper=word, mwc_lower=word)))
        states.append(("KISS", with_fields("KISS", mwc_upper=word, mwc_lower=ALL_ONES - word, cong=word, shr3=0)))
    for pair in mwc64:
        for name in ("MWC64", "KISS2"):
            states.append((name, with_fields(name, mwc_upper=pair >> 32, mwc_lower=pair & ALL_ONES)))
    for c in (0, 1, 254, 255):
        # All-ones and equal words make SWB's wrap rule and its long borrow
        # chains fire.
        for table in ([0] * 256, [ALL_ONES] * 256, [7] * 256, list(range(256))):
            states.append(("LFIB4", with_fields("LFIB4", t=table, c=c)))
            states.append(("SWB", with_fields("SWB", t=table, c=c, borrow=c % 2)))
    states.append(("SWB", with_fields("SWB", borrow=7)))
    return states

"""Plain-Python models of the eleven generators: the same seeding rules
(run with the interpreter's own operators, in the same order), the same
conversions and the same steps. Used as a test oracle, including for
objects that misbehave, and as the plain-Python speed reference.

Each model holds its fields in `self.fields` (a dict keyed by property
name) and offers seed(), next(), getstate(), setstate() and set_property()
that raise what the real generator raises and store what it stores. Its
class attributes describe the type for the tests that cover every type:

    field_names       the state properties, in the order getstate() gives them
    table_fields      those of them that hold a table of 256 words
    computed_fields   read-only properties computed from the state
    parameter_names   the seed keywords, in positional order
    table_parameters  those of them that take a table of 256 words
    state_form        what getstate() returns: "words" (a tuple of words),
                      "parts" (a tuple per component), "table", or
                      "table, borrow"
    iterable          whether the type has __iter__
    examples          seeds tests/test_models.py compares with the module

MODELS has every model, by the name of the type it models."""
import sys

PY2 = sys.version_info[0] == 2
MASK = 0xFFFFFFFF
if PY2:
    INTEGERS = (int, long)  # noqa: F821
else:
    INTEGERS = (int,)


# --- the shared rules ---------------------------------------------------------


def truth(result):
    if result is True:
        return True
    if result is False or result is None:
        return False
    return bool(result)


def absent(seed):
    return truth(seed == None)  # noqa: E711 -- equality, as the module tests it


def raw_value(integer):
    """The value of an int (or subclass) without calling its own methods."""
    if PY2 and isinstance(integer, long):  # noqa: F821
        return long.__long__(integer)  # noqa: F821
    return int.__int__(integer)


def coerce(value):
    kind = type(value)
    if hasattr(kind, "__int__"):
        name, result = "int", kind.__int__(value)
    elif PY2 and hasattr(kind, "__long__"):
        name, result = "long", kind.__long__(value)
    else:
        raise TypeError("an integer is required")
    if not isinstance(result, INTEGERS):
        raise TypeError("__%s__ returned non-%s (type %.200s)" % (name, name, type(result).__name__))
    return result


def to_word(value):
    if not isinstance(value, INTEGERS):
        value = coerce(value)
    v = raw_value(value)
    if v < 0:
        raise OverflowError("can't convert negative value to unsigned long")
    if v > MASK:
        raise OverflowError("word too large")
    return v


def to_word_via_int(value):
    return to_word(int(value))


def to_byte(value):
    if not isinstance(value, INTEGERS):
        value = coerce(value)
    v = raw_value(value)
    if not -2 ** 63 <= v < 2 ** 63:
        raise OverflowError("Python int too large to convert to C long")
    if v < 0:
        raise OverflowError("can't convert negative value to unsigned char")
    if v > 255:
        raise OverflowError("value too large to convert to unsigned char")
    return v


def item_at(state, index):
    return state[index]


def unpack(state, count):
    if type(state) is tuple and len(state) == count:
        return list(state)
    iterator = iter(state)
    items = []
    for item in iterator:
        items.append(item)
        if len(items) == count:
            break
    if len(items) < count:
        k = len(items)
        raise ValueError("need more than %d value%s to unpack" % (k, "" if k == 1 else "s"))
    for _ in iterator:
        raise ValueError("too many values to unpack (expected %d)" % count)
    return items


def default_if(test, seed, fallback):
    return fallback if test else seed


# --- the steps -------------------------------------------------------------------


def cong_step(x):
    return (69069 * x + 12345) & MASK


def shr3_step(y):
    y ^= (y << 13) & MASK
    y ^= y >> 17
    y ^= (y << 5) & MASK
    return y


def mwc16_step(upper, lower):
    return (36969 * (upper & 0xFFFF) + (upper >> 16)) & MASK, (18000 * (lower & 0xFFFF) + (lower >> 16)) & MASK


def mwc1_output(upper, lower):
    return ((upper << 16) + lower) & MASK


def mwc2_output(upper, lower):
    return ((((upper << 16) | (upper >> 16)) & MASK) + lower) & MASK


def mwc64_step(carry, value):
    t = 698769069 * value + carry
    return t >> 32, t & MASK


def seed_mwc16_pair(seed_upper, seed_lower):
    """Returns the list of stores, (field, value), in order."""
    seed_upper = default_if(absent(seed_upper) or truth(seed_upper % 2422800383 == 0), seed_upper, 12345)
    seed_lower = default_if(absent(seed_lower) or truth(seed_lower % 1179647999 == 0), seed_lower, 65437)
    yield "mwc_upper", to_word_via_int(seed_upper)
    yield "mwc_lower", to_word_via_int(seed_lower)


def seed_mwc64_pair(seed_upper, seed_lower):
    u = 7654321 if absent(seed_upper) else int(seed_upper) & 4294967295
    l = 521288629 if absent(seed_lower) else int(seed_lower) & 4294967295
    if truth(((u << 32) + l) % 3001190298811367423 == 0):
        u, l = 7654321, 521288629
    yield "mwc_upper", to_word(u)
    yield "mwc_lower", to_word(l)


# --- the models --------------------------------------------------------------------


class Model(object):
    table_fields = ()
    computed_fields = ()
    table_parameters = ()
    state_form = "words"
    iterable = True

    def __init__(self, *seeds):
        self.fields = dict((name, 0) for name in self.field_names)
        self.seed(*seeds)

    def seed(self, *seeds):
        seeds = seeds + (None,) * (len(self.parameter_names) - len(seeds))
        for name, value in self.seeding(*seeds):
            self.fields[name] = value

    def set_property(self, name, value):
        self.fields[name] = to_word(value)

    def getstate(self):
        return tuple(self.fields[name] for name in self.field_names)

    def setstate(self, state):
        for index, name in enumerate(self.field_names):
            self.fields[name] = to_word_via_int(item_at(state, index))


class Cong(Model):
    field_names = ("cong",)
    parameter_names = ("seed",)
    examples = [(), (0,), (4294967295,), ("99",)]

    def seeding(self, seed):
        yield "cong", to_word_via_int(default_if(absent(seed), seed, 123456789))

    def next(self):
        self.fields["cong"] = cong_step(self.fields["cong"])
        return self.fields["cong"]


class SHR3(Model):
    field_names = ("shr3",)
    parameter_names = ("seed",)
    examples = [(), (0,), (1,), (0.5,)]

    def seeding(self, seed):
        yield "shr3", to_word_via_int(default_if(absent(seed) or truth(seed == 0), seed, 362436000))

    def next(self):
        self.fields["shr3"] = shr3_step(self.fields["shr3"])
        return self.fields["shr3"]


class MWC1(Model):
    field_names = ("mwc_upper", "mwc_lower")
    computed_fields = ("mwc",)
    parameter_names = ("seed_upper", "seed_lower")
    examples = [(), (2, 1), (0, 7), (4294967295, 4294967295)]
    output = staticmethod(mwc1_output)

    def seeding(self, seed_upper, seed_lower):
        return seed_mwc16_pair(seed_upper, seed_lower)

    def next(self):
        f = self.fields
        f["mwc_upper"], f["mwc_lower"] = mwc16_step(f["mwc_upper"], f["mwc_lower"])
        return self.mwc()

    def mwc(self):
        return self.output(self.fields["mwc_upper"], self.fields["mwc_lower"])


class MWC2(MWC1):
    examples = [(), (2, 1), (0.5, 1)]
    output = staticmethod(mwc2_output)


class MWC64(MWC1):
    examples = [(), (1, 0), (-1, -1), (0, 5)]

    def seeding(self, seed_upper, seed_lower):
        return seed_mwc64_pair(seed_upper, seed_lower)

    def next(self):
        f = self.fields
        f["mwc_upper"], f["mwc_lower"] = mwc64_step(f["mwc_upper"], f["mwc_lower"])
        return f["mwc_lower"]

    def mwc(self):
        return self.fields["mwc_lower"]


class KISS(Model):
    field_names = ("cong", "shr3", "mwc_upper", "mwc_lower")
    computed_fields = ("mwc",)
    parameter_names = ("seed_mwc_upper", "seed_mwc_lower", "seed_cong", "seed_shr3")
    state_form = "parts"
    iterable = False
    examples = [(), (1, 2, 3, 4), (0, 0, 0, 0)]
    pair = staticmethod(seed_mwc16_pair)

    def seeding(self, seed_mwc_upper, seed_mwc_lower, seed_cong, seed_shr3):
        for store in self.pair(seed_mwc_upper, seed_mwc_lower):
            yield store
        yield "cong", to_word_via_int(default_if(absent(seed_cong), seed_cong, 123456789))
        yield "shr3", to_word_via_int(default_if(absent(seed_shr3) or truth(seed_shr3 == 0), seed_shr3, 362436000))

    def step_mwc(self):
        f = self.fields
        f["mwc_upper"], f["mwc_lower"] = mwc16_step(f["mwc_upper"], f["mwc_lower"])

    def mwc(self):
        return mwc2_output(self.fields["mwc_upper"], self.fields["mwc_lower"])

    def combine(self):
        return ((self.mwc() ^ self.fields["cong"]) + self.fields["shr3"]) & MASK

    def next(self):
        f = self.fields
        self.step_mwc()
        f["cong"] = cong_step(f["cong"])
        f["shr3"] = shr3_step(f["shr3"])
        return self.combine()

    def getstate(self):
        f = self.fields
        return ((f["mwc_upper"], f["mwc_lower"]), (f["cong"],), (f["shr3"],))

    def setstate(self, state):
        a, b, c = unpack(state, 3)
        for part, index, name in ((a, 0, "mwc_upper"), (a, 1, "mwc_lower"), (b, 0, "cong"), (c, 0, "shr3")):
            self.fields[name] = to_word_via_int(item_at(part, index))


class KISS2(KISS):
    examples = [(), (1, 2, 3, 4), (0, 5)]
    pair = staticmethod(seed_mwc64_pair)

    def step_mwc(self):
        f = self.fields
        f["mwc_upper"], f["mwc_lower"] = mwc64_step(f["mwc_upper"], f["mwc_lower"])

    def mwc(self):
        return self.fields["mwc_lower"]

    def combine(self):
        return (self.mwc() + self.fields["cong"] + self.fields["shr3"]) & MASK


def kiss_table():
    kiss = KISS(12345, 65435, 12345, 34221)
    return [kiss.next() for _ in range(256)]


class LFIB4(Model):
    field_names = ("t", "c")
    table_fields = ("t",)
    parameter_names = ("seed",)
    table_parameters = ("seed",)
    state_form = "table"
    examples = [(), (list(range(256)),), ([4294967295] * 256,)]

    def __init__(self, seed=None):
        self.t = [0] * 256
        self.c = 0
        self.seed(seed)

    def seed(self, seed=None):
        if not truth(seed):
            self.t[:] = kiss_table()
        else:
            if len(seed) != 256:
                raise Exception("seed length must be 256")
            iterator = iter(seed)
            for i in range(256):
                try:
                    item = next(iterator)
                except StopIteration:
                    raise StopIteration()
                self.t[i] = to_word(item)
        self.c = 0

    def next(self):
        t = self.t
        c = self.c = (self.c + 1) & 255
        t[c] = (t[c] + t[(c + 58) & 255] + t[(c + 119) & 255] + t[(c + 178) & 255]) & MASK
        return t[c]

    def getstate(self):
        return tuple(self.t[(k + self.c) & 255] for k in range(256))

    def setstate(self, state):
        if len(state) != 256:
            raise Exception("state length must be 256")
        self.set_table(state)
        self.c = 0

    def set_table(self, value):
        for i in range(256):
            self.t[i] = to_word(item_at(value, i))

    def set_property(self, name, value):
        if name == "t":
            self.set_table(value)
        else:
            setattr(self, name, to_byte(value))

    @property
    def fields(self):
        return {"t": tuple(self.t), "c": self.c}


class SWB(LFIB4):
    field_names = ("t", "c", "borrow")
    state_form = "table, borrow"
    examples = [(), (list(range(256)),), (list(range(255, -1, -1)),)]

    def __init__(self, seed=None):
        self.borrow = 0
        LFIB4.__init__(self, seed)

    def seed(self, seed=None):
        LFIB4.seed(self, seed)
        self.borrow = 0

    def next(self):
        t = self.t
        c = self.c = (self.c + 1) & 255
        x = t[(c + 34) & 255]
        y = (t[(c + 19) & 255] + self.borrow) & MASK
        t[c] = (x - y) & MASK
        self.borrow = int(x < y)
        return t[c]

    def getstate(self):
        return (LFIB4.getstate(self), self.borrow)

    def setstate(self, state):
        a, b = unpack(state, 2)
        LFIB4.setstate(self, a)
        self.borrow = int(truth(b))

    @property
    def fields(self):
        return {"t": tuple(self.t), "c": self.c, "borrow": self.borrow}


def lfsr_process_seed(seed, min_value):
    if absent(seed):
        return 12345
    v = int(seed) & 4294967295
    if truth(v < min_value):
        v += min_value
    return v


LFSR113_COMPONENTS = ((6, 13, 18, 0xFFFFFFFE), (2, 27, 2, 0xFFFFFFF8), (13, 21, 7, 0xFFFFFFF0), (3, 12, 13, 0xFFFFFF80))
LFSR88_COMPONENTS = ((13, 19, 12, 0xFFFFFFFE), (2, 25, 4, 0xFFFFFFF8), (3, 11, 17, 0xFFFFFFF0))


class LFSR113(Model):
    components = LFSR113_COMPONENTS
    field_names = ("z1", "z2", "z3", "z4")
    parameter_names = ("seed_z1", "seed_z2", "seed_z3", "seed_z4")
    examples = [(), (0, 0, 0, 0), (-1, 7, "9", 2.5)]
    process_seed = staticmethod(lfsr_process_seed)

    def seeding(self, *seeds):
        for i, (seed, (_, _, _, mask)) in enumerate(zip(seeds, self.components)):
            yield "z%d" % (i + 1), to_word(self.process_seed(seed, (~mask & MASK) + 1))

    def next(self):
        out = 0
        for i, (s1, s2, s3, mask) in enumerate(self.components):
            name = "z%d" % (i + 1)
            z = self.fields[name]
            b = (((z << s1) & MASK) ^ z) >> s2
            z = self.fields[name] = (((z & mask) << s3) & MASK) ^ b
            out ^= z
        return out


class LFSR88(LFSR113):
    components = LFSR88_COMPONENTS
    field_names = ("z1", "z2", "z3")
    parameter_names = ("seed_z1", "seed_z2", "seed_z3")
    examples = [(), (0, 0, 0), (1, 7, 15)]


def models(base=Model):
    for model in base.__subclasses__():
        yield model
        for subclass in models(model):
            yield subclass


MODELS = dict((model.__name__, model) for model in models())

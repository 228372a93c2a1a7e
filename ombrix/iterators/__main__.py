"""Prints or streams the values of a generator.

    python -m ombrix.iterators NAME [-n COUNT] [SEED ...] [--seed NAME=VALUE ...]
                               [--skip N] [--format text|raw]
    python -m ombrix.iterators --list

Seeds go to the generator as its constructor takes them, by position or by
keyword. Each is an integer, optionally signed: decimal (leading zeros allowed,
still decimal) or 0x..., 0o..., 0b...; or a comma-separated list of them (an
LFIB4 or SWB table; empty items are skipped). Anything else, fractions and
underscores and spaces included, is refused before any generator is made, with
a one-line message and exit status 2; the type's own seeding rules then judge
the integers. A negative seed among the positionals must be decimal (-0x1
looks like an option); --seed NAME=-0x1 takes any form. Text output prints
COUNT values (default 10), one decimal per line; raw output writes native
32-bit words, without end when no count is given, for example into
`dieharder -g 200`. --skip N starts N values in (a jump, not N steps, for
every type but SWB). A closed pipe ends the output quietly; any other failure
to write (a full disk, a closed standard output) gives a one-line message and
exit status 1."""
from __future__ import print_function

import argparse
import errno
import os
import re
import sys

from ombrix import iterators

GENERATORS = iterators.GENERATORS
CHUNK = 65536
# Integer literals as both interpreters read them alike: ASCII digits only, no
# underscores, no spaces, one sign at most.
INTEGER = re.compile(r"[-+]?(?:[0-9]+|0[xX][0-9a-fA-F]+|0[oO][0-7]+|0[bB][01]+)\Z")
BASES = {"x": 16, "o": 8, "b": 2}
SHOWN = 40  # characters of a bad seed quoted in a message


class UsageError(Exception):
    pass


class Parser(argparse.ArgumentParser):
    """Reports bad usage as a one-line message, exit status 2."""

    def error(self, message):
        raise UsageError(message)


class SeedError(Exception):
    pass


def quoted(text):
    if len(text) > SHOWN:
        return "%r... (%d characters)" % (text[:SHOWN], len(text))
    return repr(text)


def parse_integer(text):
    if not INTEGER.match(text):
        raise SeedError("%s is not an integer (decimal, 0x..., 0o... or 0b...)" % quoted(text))
    digits = text.lstrip("+-")
    base = BASES.get(digits[1:2].lower(), 10)
    if base == 10:
        # int(text, 0) would refuse 010 on Python 3 and read it as octal on
        # Python 2; and leading zeros must not count towards the digit limit.
        digits = digits.lstrip("0") or "0"
    try:
        value = int(digits, base)
    except ValueError:  # Python 3's limit on decimal digits (4300 by default)
        raise SeedError("%s is too large" % quoted(text))
    return -value if text.startswith("-") else value


def parse_value(text):
    if "," in text:
        return [parse_integer(item) for item in text.split(",") if item]
    return parse_integer(text)


def parse_keyword(text):
    name, sep, value = text.partition("=")
    if not sep or not name:
        raise UsageError("--seed needs NAME=VALUE, not %s" % quoted(text))
    return name, parse_value(value)


def build_parser():
    parser = Parser(
        prog="python -m ombrix.iterators",
        description="Print or stream the values of one of the ombrix generators.",
    )
    parser.add_argument("name", nargs="?", help="generator name: " + ", ".join(GENERATORS))
    parser.add_argument("seeds", nargs="*", help="seeds, passed to the generator in order")
    parser.add_argument("-n", "--count", type=int, help="how many values (text: default 10; raw: no end)")
    parser.add_argument("--seed", action="append", default=[], metavar="NAME=VALUE",
                        help="a seed by keyword, such as --seed seed_cong=7")
    parser.add_argument("--skip", default="0", metavar="N",
                        help="start N values in (an integer as seeds are written)")
    parser.add_argument("--format", choices=["text", "raw"], default="text",
                        help="one decimal per line (default), or native 32-bit words")
    parser.add_argument("--list", action="store_true", help="name the generators and stop")
    return parser


def parse(argv):
    parser = build_parser()
    # Seeds may stand on either side of the options, and may be negative.
    options, rest = parser.parse_known_args(argv)
    for text in rest:
        if text.startswith("-") and not text.lstrip("-").isdigit():
            raise UsageError("unrecognized argument: %s" % text)
    options.seeds += rest
    if options.list:
        return options
    if options.name is None:
        raise UsageError("a generator name is needed (or --list)")
    if options.name not in GENERATORS:
        raise UsageError("unknown generator %r (known: %s)" % (options.name, ", ".join(GENERATORS)))
    if options.count is not None and options.count < 0:
        raise UsageError("count must not be negative")
    try:
        options.seeds = [parse_value(text) for text in options.seeds]
        options.keywords = dict(parse_keyword(text) for text in options.seed)
    except SeedError as error:
        raise UsageError("bad seed for %s: %s" % (options.name, error))
    try:
        options.skip = parse_integer(options.skip)
    except SeedError as error:
        raise UsageError("bad --skip: %s" % error)
    if options.skip < 0:
        raise UsageError("--skip must not be negative")
    return options


def make_generator(options):
    try:
        generator = getattr(iterators, options.name)(*options.seeds, **options.keywords)
    except Exception as error:  # the generator's own message says what is wrong
        raise UsageError("bad seed for %s: %s" % (options.name, error))
    try:
        return iterators.advance(generator, options.skip)
    except ValueError as error:  # SWB cannot step 2**64 values
        raise UsageError("bad --skip: %s" % error)


def output_stream():
    if sys.stdout is None:  # Python 3 started with fd 1 closed
        raise IOError(errno.EBADF, "standard output is closed")
    return getattr(sys.stdout, "buffer", sys.stdout)


def discard_output():
    """Points standard output at /dev/null, so that what is still buffered
    goes nowhere at exit instead of failing a second time."""
    if sys.stdout is None:
        return  # nothing to flush, and fd 1 may belong to someone else
    target = sys.stdout.fileno()
    fd = os.open(os.devnull, os.O_WRONLY)
    # With fd 1 closed (Python 2 keeps its stdout object), /dev/null lands on
    # it directly and must stay open.
    if fd != target:
        os.dup2(fd, target)
        os.close(fd)


def write_list(stream):
    lines = []
    for name in GENERATORS:
        doc = getattr(iterators, name).__doc__ or ""
        lines.append("%-8s %s\n" % (name, doc.splitlines()[0] if doc else ""))
    stream.write("".join(lines).encode("ascii"))


def write_text(generator, count, stream):
    if count is None:
        count = 10
    while count > 0:
        values = iterators.draw(generator, min(count, CHUNK))
        stream.write(("\n".join(map(str, values)) + "\n").encode("ascii"))
        count -= len(values)


def write_raw(generator, count, stream):
    # Byte arrays: both interpreters' files write them as they are.
    if count is None or count >= CHUNK:
        chunk = iterators.fill(generator, bytearray(4 * CHUNK))
        while True:
            stream.write(chunk)
            if count is not None:
                count -= CHUNK
                if count < CHUNK:
                    break
            iterators.fill(generator, chunk)
    if count:
        stream.write(iterators.fill(generator, bytearray(4 * count)))


def main(argv=None):
    try:
        options = parse(argv)
        generator = None if options.list else make_generator(options)
    except UsageError as error:
        sys.stderr.write("python -m ombrix.iterators: error: %s\n" % error)
        return 2
    except KeyboardInterrupt:  # a long --skip of SWB
        return 130
    try:
        stream = output_stream()
        if options.list:
            write_list(stream)
        else:
            (write_raw if options.format == "raw" else write_text)(generator, options.count, stream)
        stream.flush()
    except (IOError, OSError) as error:
        discard_output()
        if error.errno == errno.EPIPE:
            return 0  # the reader has gone: nothing more to say
        if error.errno == errno.EBADF:
            reason = "standard output is closed"
        else:
            reason = "cannot write the output: %s" % (os.strerror(error.errno) if error.errno else error)
        sys.stderr.write("python -m ombrix.iterators: error: %s\n" % reason)
        return 1
    except KeyboardInterrupt:
        return 130
    return 0


if __name__ == "__main__":
    sys.exit(main())

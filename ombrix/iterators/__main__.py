"""Prints or streams the values of a generator.

    python -m ombrix.iterators NAME [-n COUNT] [SEED ...] [--seed NAME=VALUE ...]
                               [--format text|raw]
    python -m ombrix.iterators --list

Seeds go to the generator as its constructor takes them, by position or by
keyword; an integer literal (decimal, 0x..., 0o..., 0b...) is passed as an
integer, a decimal fraction as a float, a comma-separated list as a list (an
LFIB4 or SWB table), anything else as the text itself, so the type's own
seeding rules apply. Text output
prints COUNT values (default 10), one decimal per line; raw output writes
native 32-bit words, without end when no count is given, for example into
`dieharder -g 200`. A closed pipe ends the output quietly."""
from __future__ import print_function

import argparse
import errno
import os
import sys

from ombrix import iterators

GENERATORS = [name for name in iterators.__all__ if name[0].isupper()]
CHUNK = 65536


class UsageError(Exception):
    pass


class Parser(argparse.ArgumentParser):
    """Reports bad usage as a one-line message, exit status 2."""

    def error(self, message):
        raise UsageError(message)


def parse_value(text):
    if "," in text:
        return [parse_value(item) for item in text.split(",") if item.strip()]
    for parse in (lambda t: int(t, 0), float):
        try:
            return parse(text)
        except ValueError:
            pass
    return text


def parse_keyword(text):
    name, sep, value = text.partition("=")
    if not sep or not name:
        raise UsageError("--seed needs NAME=VALUE, not %r" % text)
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
    return options


def make_generator(options):
    seeds = [parse_value(text) for text in options.seeds]
    keywords = dict(parse_keyword(text) for text in options.seed)
    try:
        return getattr(iterators, options.name)(*seeds, **keywords)
    except Exception as error:  # the generator's own message says what is wrong
        raise UsageError("bad seed for %s: %s" % (options.name, error))


def output_stream():
    return getattr(sys.stdout, "buffer", sys.stdout)


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
        if options.list:
            for name in GENERATORS:
                doc = getattr(iterators, name).__doc__ or ""
                print("%-8s %s" % (name, doc.splitlines()[0] if doc else ""))
            return 0
        generator = make_generator(options)
    except UsageError as error:
        sys.stderr.write("python -m ombrix.iterators: error: %s\n" % error)
        return 2
    stream = output_stream()
    try:
        (write_raw if options.format == "raw" else write_text)(generator, options.count, stream)
        stream.flush()
    except (IOError, OSError) as error:
        if error.errno != errno.EPIPE:
            raise
        # The reader has gone: nothing more to say, and nothing to flush at exit.
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
        return 0
    except KeyboardInterrupt:
        return 130
    return 0


if __name__ == "__main__":
    sys.exit(main())

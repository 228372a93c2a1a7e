"""Prints values of a generator: python -m ombrix.iterators NAME [-n COUNT] [SEED ...]"""
from __future__ import print_function

import argparse
import sys

import ombrix.iterators as iterators


class UsageError(Exception):
    pass


class Parser(argparse.ArgumentParser):
    """Reports bad usage as a one-line message, exit status 2."""

    def error(self, message):
        raise UsageError(message)


def parse_seed(text):
    try:
        return int(text, 0)
    except ValueError:
        raise UsageError("seed %r is not an integer" % text)


def build_parser():
    parser = Parser(
        prog="python -m ombrix.iterators",
        description="Print the next values of one of the ombrix generators.",
    )
    parser.add_argument("name", help="generator name: " + ", ".join(iterators.__all__))
    parser.add_argument("-n", "--count", type=int, default=10, help="how many values (default 10)")
    parser.add_argument("seeds", nargs="*", help="seeds, passed to the generator in order")
    return parser


def main(argv=None):
    parser = build_parser()
    try:
        # Seeds may stand on either side of the options.
        options, rest = parser.parse_known_args(argv)
        for text in rest:
            if text.startswith("-") and not text.lstrip("-").isdigit():
                raise UsageError("unrecognized argument: %s" % text)
        options.seeds += rest
        if options.name not in iterators.__all__:
            raise UsageError(
                "unknown generator %r (known: %s)" % (options.name, ", ".join(iterators.__all__))
            )
        if options.count < 0:
            raise UsageError("count must not be negative")
        seeds = [parse_seed(text) for text in options.seeds]
        kind = getattr(iterators, options.name)
        try:
            generator = kind(*seeds)
        except (TypeError, ValueError, OverflowError, Exception) as error:
            raise UsageError("bad seed for %s: %s" % (options.name, error))
    except UsageError as error:
        print("%s: error: %s" % (parser.prog, error), file=sys.stderr)
        return 2
    out = sys.stdout
    for _ in range(options.count):
        out.write("%d\n" % next(generator))
    return 0


if __name__ == "__main__":
    sys.exit(main())

"""ombrix: classic 32-bit pseudo-random number generators."""
import os

__version__ = "0.2.0"


def get_include():
    # type: () -> str
    """The folder that holds the C++ engine headers (``<ombrix/...>``), for
    building C++ extensions against them."""
    here = os.path.dirname(os.path.abspath(__file__))
    installed = os.path.join(here, "include")
    if os.path.isdir(installed):
        return installed
    # A source checkout: the headers sit beside the package.
    return os.path.join(os.path.dirname(here), "include")

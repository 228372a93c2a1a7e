"""The generators as Python iterator types.

Each type is seedable (``seed``), inspectable (its state fields are
properties), and can save and restore its whole state (``getstate`` and
``setstate``).
"""
from ombrix.iterators._iterators_zinthe import Cong

__all__ = ["Cong"]

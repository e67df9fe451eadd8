# SPDX-License-Identifier: MIT
"""Sort records by similarity, and find the records most similar to a query.

The scores and the order are exactly those of the vexaro program, from the
same C++ library. Every text is a str, encoded as UTF-8, or bytes, taken as
they are. See help(vexaro._vexaro) for the whole module, and each name's
own help.
"""

from ._vexaro import (
    Index,
    Match,
    Options,
    Ordering,
    Scorer,
    Statistics,
    __version__,
    extract,
    extract_one,
    order,
    score,
)

__all__ = [
    "Index",
    "Match",
    "Options",
    "Ordering",
    "Scorer",
    "Statistics",
    "extract",
    "extract_one",
    "order",
    "score",
]

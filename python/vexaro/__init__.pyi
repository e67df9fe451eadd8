# SPDX-License-Identifier: MIT
# Types of the package vexaro. Text is str (encoded as UTF-8) or bytes
# (taken as they are).
from typing import Iterable, NamedTuple, Optional, Tuple, Union

Text = Union[str, bytes]

__version__: str

class Match(NamedTuple):
    index: int
    score: int
    choice: Text
    substring: Optional[Text]

class Ordering(NamedTuple):
    order: list[int]
    scores: list[int]
    substrings: list[Text]
    mean: int

class Options:
    def __init__(
        self,
        *,
        case_sensitive: bool = ...,
        digits: bool = ...,
        phonetic: bool = ...,
        position_weighting: bool = ...,
        length_weighting: int = ...,
        length_correlation: bool = ...,
        byte_difference: bool = ...,
        longest_substrings: bool = ...,
        skip: int = ...,
        start_byte: Union[int, Text] = ...,
        omit: Iterable[Text] = ...,
        operating_range: Tuple[int, int] = ...,
    ) -> None: ...
    @staticmethod
    def from_arguments(
        arguments: Iterable[Text],
        *,
        case_sensitive: bool = ...,
        digits: bool = ...,
        phonetic: bool = ...,
        position_weighting: bool = ...,
        length_weighting: int = ...,
        length_correlation: bool = ...,
        byte_difference: bool = ...,
        longest_substrings: bool = ...,
        skip: int = ...,
        start_byte: Union[int, Text] = ...,
        omit: Iterable[Text] = ...,
        operating_range: Tuple[int, int] = ...,
    ) -> Options: ...
    @property
    def longest_substrings(self) -> bool: ...
    def __eq__(self, other: object) -> bool: ...

class Statistics:
    def __init__(
        self, *, min_byte: int = 255, max_byte: int = 0, records: int = 0, stored_bytes: int = 0
    ) -> None: ...
    @staticmethod
    def of(records: Iterable[Text], options: Optional[Options] = None) -> Statistics: ...
    @property
    def min_byte(self) -> int: ...
    @property
    def max_byte(self) -> int: ...
    @property
    def records(self) -> int: ...
    @property
    def stored_bytes(self) -> int: ...
    def __eq__(self, other: object) -> bool: ...

class Scorer:
    def __init__(
        self,
        reference: Text,
        options: Optional[Options] = None,
        statistics: Optional[Statistics] = None,
    ) -> None: ...
    def score(self, candidate: Text, cutoff: Optional[int] = None) -> int: ...

class Index:
    def __init__(
        self,
        choices: Iterable[Text],
        options: Optional[Options] = None,
        statistics: Optional[Statistics] = None,
        threads: Optional[int] = None,
    ) -> None: ...
    def best_match(self, query: Text) -> Optional[Match]: ...
    def extract(self, query: Text, limit: int = 5) -> list[Match]: ...
    def matches(self, query: Text, min_score: int) -> list[Match]: ...
    def best_matches(self, queries: Iterable[Text]) -> list[Optional[Match]]: ...
    @property
    def choices(self) -> Tuple[Text, ...]: ...
    @property
    def options(self) -> Options: ...
    @property
    def statistics(self) -> Statistics: ...
    @property
    def threads(self) -> int: ...
    def __len__(self) -> int: ...

def score(reference: Text, candidate: Text, options: Optional[Options] = None) -> int: ...
def extract_one(
    query: Text,
    choices: Iterable[Text],
    *,
    options: Optional[Options] = None,
    statistics: Optional[Statistics] = None,
) -> Optional[Match]: ...
def extract(
    query: Text,
    choices: Iterable[Text],
    limit: int = 5,
    *,
    options: Optional[Options] = None,
    statistics: Optional[Statistics] = None,
) -> list[Match]: ...
def order(records: Iterable[Text], options: Optional[Options] = None) -> Ordering: ...

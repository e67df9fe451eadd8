// SPDX-License-Identifier: MIT
// The docstrings of the calls and the index, each opening with its
// signature, as help() shows it.
#pragma once

namespace vexaro::python::docs {

inline constexpr const char* module =
    R"(Sort records by similarity, and find the records most similar to a query.

The scores and the order are exactly those of the vexaro program: the same
measures, options and rules, from the same C++ library.

Text: every text is a str, encoded as UTF-8, or bytes, taken as they are.
A record (a choice, a query...) must hold at least one byte and no zero
byte; only its first 2000 bytes are compared. A bad item raises TypeError
(not str or bytes) or ValueError (empty, a zero byte) naming its position,
as in "choice 17 is empty".

Threads: the engine works without the interpreter's lock, so other Python
threads run while it does. Index and Options may be shared between
threads; a Scorer serves one call at a time.

  score(reference, candidate)      one pair
  Scorer(reference)                one reference against many candidates
  extract_one(query, choices)      the best choice, once
  extract(query, choices, limit)   the best few choices, once
  Index(choices)                   many queries against one list
  order(records)                   the program's order of records
)";

inline constexpr const char* score = R"(score(reference, candidate, options=None) -> int

The score of `candidate` against `reference`, as the program finds it
when these two records are its whole input, `reference` first. Both are
str (encoded as UTF-8) or bytes (taken as they are). The statistics that
byte_difference, length_correlation and longest_substrings read come from
these two records. To score many candidates against one reference, use a
Scorer.)";

inline constexpr const char* scorer = R"(Scorer(reference, options=None, statistics=None)

One reference scored against many candidates: the reference is prepared
once, and the scorer's tables are kept from one candidate to the next.
`reference` is a str (encoded as UTF-8) or bytes (taken as they are).
Without `statistics`, those of the reference alone (Statistics.of
([reference])). A Scorer holds working memory that each call changes:
calls from several threads take turns; give each thread its own Scorer to
score side by side.)";

inline constexpr const char* scorer_score = R"(score(candidate, cutoff=None) -> int

The exact score of `candidate` (str, encoded as UTF-8, or bytes, taken as
they are) against the reference. With a cutoff: the exact score when it is
greater than `cutoff`, else a value no greater than `cutoff`; the scorer
then stops as soon as bounds show that the candidate cannot pass it, which
costs a small part of an exact score.)";

inline constexpr const char* extract_one =
    R"(extract_one(query, choices, *, options=None, statistics=None) -> Match | None

The choice with the highest score against `query`, the earliest of those
tied, as a Match (index, score, choice, substring); None when there are no
choices. The query is a str (encoded as UTF-8) or bytes (taken as they
are); `choices` any iterable of them. Without `statistics`, those of the
query and the choices together, as the program would gather them from an
input of the query followed by the choices: the best match is then the
record the program writes right after the query. For many queries against
one list, an Index is much faster.)";

inline constexpr const char* extract =
    R"(extract(query, choices, limit=5, *, options=None, statistics=None) -> list[Match]

The best `limit` choices against `query`, the highest score first and
equal scores in the order of the choices, as Match tuples. Texts and
statistics as for extract_one: the query a str (encoded as UTF-8) or
bytes (taken as they are), `choices` any iterable of them.)";

inline constexpr const char* order = R"(order(records, options=None) -> Ordering

Orders the records by similarity, as the program does: the first stays
first, each next one is the most similar of those left to the one before
it, ties going to the earlier in the current order. Records are str
(encoded as UTF-8) or bytes (taken as they are), from any iterable, with
no line end removed: give the lines of a file without their newlines, and
without empty lines, which the program skips and order() refuses. Gives
an Ordering (order, scores, substrings, mean).)";

inline constexpr const char* index = R"(Index(choices, options=None, statistics=None, threads=None)

Many queries against one list of choices. The index copies the choices,
prepares each once and indexes their q-grams; a query then scores exactly
only the few choices that this index lets through. Building one costs
about what a dozen extract_one calls over the same list do.

`choices` is any iterable of str (encoded as UTF-8) or bytes (taken as
they are); matches show each choice as it was given. Without `statistics`
the index takes those of its choices (Statistics.of(choices)), not those
of the query and the choices as extract_one does: the scores differ only
under byte_difference, length_correlation and longest_substrings.

threads: the threads of the index's pool, the caller's own included;
None takes VEXARO_THREADS or the machine's cores. An Index is immutable:
any number of Python threads may query one at once, and the engine works
without the interpreter's lock. It pickles as its choices, options and
statistics and is built again where it is unpickled, with that machine's
threads.)";

inline constexpr const char* best_match = R"(best_match(query) -> Match | None

The choice with the highest score against `query` (a str, encoded as
UTF-8, or bytes, taken as they are), the earliest of those tied, as a
Match (index, score, choice, substring); None when the index is empty.)";

inline constexpr const char* index_extract = R"(extract(query, limit=5) -> list[Match]

The best `limit` choices against `query` (a str, encoded as UTF-8, or
bytes, taken as they are), the highest score first and equal scores in
the order of the choices.)";

inline constexpr const char* matches = R"(matches(query, min_score) -> list[Match]

Every choice that scores above `min_score` against `query` (a str,
encoded as UTF-8, or bytes, taken as they are), the highest score first
and equal scores in the order of the choices.)";

inline constexpr const char* best_matches = R"(best_matches(queries) -> list[Match | None]

best_match of each query, in the order of the queries, spread over the
index's threads. `queries` is any iterable of str (encoded as UTF-8) or
bytes (taken as they are); an error names the query's position.)";

}  // namespace vexaro::python::docs

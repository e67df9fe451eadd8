# SPDX-License-Identifier: MIT
# Every call against the program's output and against the library's literal
# per-pair scores, on random and near-duplicate records under option sets
# that reach each measure.
import pytest
import vexaro
from conftest import near_duplicates, run_program, shown

SEEDS = [1, 2, 3]


@pytest.mark.parametrize("seed", SEEDS)
def test_order_writes_what_the_program_writes(arguments, seed):
    records = near_duplicates(seed)
    options = vexaro.Options.from_arguments(arguments)
    ordering = vexaro.order(records, options)
    lines, headers, mean = run_program(records, arguments)
    if options.longest_substrings:
        assert ordering.substrings == [line.decode(errors="replace") for line in lines]
    else:
        assert [shown(records[k]) for k in ordering.order] == lines
    assert ordering.scores == headers
    assert ordering.mean == mean
    assert sorted(ordering.order) == list(range(len(records)))


@pytest.mark.parametrize("seed", SEEDS)
def test_one_off_calls_find_what_the_program_puts_second(arguments, seed):
    records = near_duplicates(seed)
    query, choices = records[0], records[1:]
    options = vexaro.Options.from_arguments(arguments)
    lines, headers, _ = run_program(records, arguments)
    best = vexaro.extract_one(query, choices, options=options)
    assert best.score == headers[1] or headers[1] == -1
    if options.longest_substrings:
        assert best.substring == lines[1].decode(errors="replace")
    elif headers[1] != -1:
        assert shown(best.choice) == lines[1]
    assert vexaro.extract(query, choices, 1, options=options) == [best]
    pair_lines, pair_headers, _ = run_program([query, best.choice], arguments)
    if pair_headers[1] != -1:
        assert vexaro.score(query, best.choice, options) == pair_headers[1]


def literal_ranking(query, choices, options, statistics):
    """Every choice scored on its own by a Scorer, the best first, ties in choice order."""
    scorer = vexaro.Scorer(query, options, statistics)
    scored = [(scorer.score(choice), i) for i, choice in enumerate(choices)]
    return sorted(scored, key=lambda pair: (-pair[0], pair[1]))


@pytest.mark.parametrize("seed", SEEDS)
def test_index_against_the_literal_scores(arguments, seed):
    records = near_duplicates(seed, count=120)
    queries, choices = records[:8], records[8:]
    options = vexaro.Options.from_arguments(arguments)
    index = vexaro.Index(choices, options, threads=2)
    assert index.statistics == vexaro.Statistics.of(choices, options)
    for query in queries:
        expected = literal_ranking(query, choices, options, index.statistics)
        found = [(match.score, match.index) for match in index.extract(query, len(choices))]
        assert found == expected
        assert [(m.score, m.index) for m in index.extract(query, 3)] == expected[:3]
        assert index.best_match(query) == index.extract(query, 1)[0]
        threshold = expected[len(expected) // 2][0]
        assert [(m.score, m.index) for m in index.matches(query, threshold)] == [
            pair for pair in expected if pair[0] > threshold]
    assert index.best_matches(queries) == [index.best_match(query) for query in queries]


def test_one_off_extract_reads_the_statistics_of_query_and_choices(arguments):
    records = near_duplicates(7)
    query, choices = records[0], records[1:]
    options = vexaro.Options.from_arguments(arguments)
    statistics = vexaro.Statistics.of(records, options)
    expected = literal_ranking(query, choices, options, statistics)
    found = vexaro.extract(query, iter(choices), limit=len(choices), options=options)
    assert [(m.score, m.index) for m in found] == expected
    assert [m.choice for m in found] == [choices[i] for _, i in expected]


def test_scorer_cutoff_is_exact_above_it_and_a_bound_below(arguments):
    records = near_duplicates(11)
    options = vexaro.Options.from_arguments(arguments)
    scorer = vexaro.Scorer(records[0], options, vexaro.Statistics.of(records, options))
    for candidate in records[1:]:
        exact = scorer.score(candidate)
        for cutoff in (exact - 1, exact, exact + 50):
            bounded = scorer.score(candidate, cutoff)
            assert bounded == exact if exact > cutoff else bounded <= cutoff


def test_scorer_without_statistics_takes_the_reference_alone():
    options = vexaro.Options(length_correlation=True)
    alone = vexaro.Statistics.of(["bookkeeper"], options)
    assert vexaro.Scorer("bookkeeper", options).score("bookkeepers") == vexaro.Scorer(
        "bookkeeper", options, alone).score("bookkeepers")


@pytest.mark.parametrize("settings, arguments", [
    (dict(case_sensitive=True, digits=True), ["-v", "-n"]),
    (dict(phonetic=True), ["-m"]),
    (dict(position_weighting=True, length_weighting=9), ["-p", "-a"]),
    (dict(length_weighting=3, length_correlation=True), ["-a3", "-f"]),
    (dict(longest_substrings=True), ["-a9999"]),
    (dict(byte_difference=True, longest_substrings=True), ["-b", "-a9999"]),
    (dict(skip=3, start_byte=":", omit=["oo", b"ab"]), ["-s3", "-c:", "-ooo;ab"]),
    (dict(start_byte=58, operating_range=(32, 122)), ["-c:", "-w32,122"]),
])
def test_keywords_give_what_the_arguments_give(settings, arguments):
    records = near_duplicates(5)
    by_keywords = vexaro.order(records, vexaro.Options(**settings))
    assert by_keywords == vexaro.order(records, vexaro.Options.from_arguments(arguments))
    assert vexaro.Options(**settings).longest_substrings == ("-a9999" in arguments)

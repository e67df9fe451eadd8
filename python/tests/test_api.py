# SPDX-License-Identifier: MIT
# What Python adds around the library: text types, errors naming the bad
# item, values that pickle, threads, and memory over many calls.
import pickle
import resource
import threading
import time

import pytest
import vexaro
from conftest import near_duplicates

CHOICES = ["Jonathan Smith", "Margaret Thompson", "Jon Smyth", "Katherine Johnson"]


def test_str_is_its_utf8_and_bytes_are_taken_as_they_are():
    choices = ["crème brûlée", "creme brulee", "Crème Brûlée!"]
    as_bytes = [choice.encode() for choice in choices]
    options = vexaro.Options(longest_substrings=True)
    by_str = vexaro.Index(choices, options).extract("crème", 3)
    by_bytes = vexaro.Index(as_bytes, options).extract(b"cr\xc3\xa8me", 3)
    assert [(m.index, m.score) for m in by_str] == [(m.index, m.score) for m in by_bytes]
    assert [m.choice for m in by_bytes] == [as_bytes[m.index] for m in by_bytes]
    assert isinstance(by_str[0].substring, str) and isinstance(by_bytes[0].substring, bytes)
    assert vexaro.score(b"\xff\xfe abc", "abc") == vexaro.score(b"\xff\xfe abc", b"abc")
    assert vexaro.order([b"\xff", "ab", b"ab"]).order == [0, 1, 2]


@pytest.mark.parametrize("choices", [
    CHOICES, tuple(CHOICES), (c for c in CHOICES), map(str, CHOICES), {c: 1 for c in CHOICES}])
def test_any_iterable_of_texts_is_choices(choices):
    assert vexaro.Index(choices).best_match("Jon Smith") == vexaro.extract_one(
        "Jon Smith", CHOICES, statistics=vexaro.Statistics.of(CHOICES))


@pytest.mark.parametrize("call, error, message", [
    (lambda: vexaro.Index(["a", "b", ""]), ValueError, "choice 2 is empty"),
    (lambda: vexaro.Index(["a", None]), TypeError, "choice 1: expected str or bytes, not NoneType"),
    (lambda: vexaro.Index("abc"), TypeError, "choices must be an iterable of str or bytes"),
    (lambda: vexaro.Index(5), TypeError, "not iterable"),
    (lambda: vexaro.extract_one("q", ["a", "b\0c"]), ValueError, "choice 1 holds a zero byte"),
    (lambda: vexaro.extract("q", ["a"], -1), ValueError, "limit must be 0 or more"),
    (lambda: vexaro.Index(["a"]).best_matches(["a", "b", 7]), TypeError, "query 2:"),
    (lambda: vexaro.Index(["a"]).best_match(""), ValueError, "query"),
    (lambda: vexaro.Index(["a"], threads=0), ValueError, "threads must be 1 or more"),
    (lambda: vexaro.Index(["a"], options="-p"), TypeError, "options must be a vexaro.Options"),
    (lambda: vexaro.score("", "a"), ValueError, "reference is empty"),
    (lambda: vexaro.Scorer("a").score(b"\0"), ValueError, "candidate holds a zero byte"),
    (lambda: vexaro.order(["a", "\ud800"]), ValueError, "record 1: the str has no UTF-8 form"),
    (lambda: vexaro.Options(colour=True), TypeError, "unexpected keyword argument 'colour'"),
    (lambda: vexaro.Options(digits=1), TypeError, "digits must be a bool"),
    (lambda: vexaro.Options(start_byte=256), ValueError, "start_byte must lie from 0 to 255"),
    (lambda: vexaro.Options(start_byte="ab"), ValueError, "start_byte must be one byte"),
    (lambda: vexaro.Options(omit=["a;b"]), ValueError, ";"),
    (lambda: vexaro.Options(operating_range=(1, 2, 3)), ValueError, "(low, high) pair"),
    (lambda: vexaro.Options(length_weighting=9, longest_substrings=True), ValueError, "not both"),
])
def test_errors_name_the_bad_item(call, error, message):
    with pytest.raises(error, match=message.replace("(", r"\(").replace(")", r"\)")):
        call()


def test_options_statistics_and_index_travel_by_pickle():
    options = vexaro.Options.from_arguments(["-p"], omit=[b"Mr"], operating_range=(32, 255))
    assert pickle.loads(pickle.dumps(options)) == options
    assert repr(options) == ("vexaro.Options.from_arguments(['-p'], omit=(b'Mr',), "
                             "operating_range=(32, 255))")
    statistics = vexaro.Statistics(min_byte=32, max_byte=200, records=9, stored_bytes=90)
    assert pickle.loads(pickle.dumps(statistics)) == statistics
    index = vexaro.Index(CHOICES, options, statistics, threads=1)
    landed = pickle.loads(pickle.dumps(index))
    assert (landed.choices, landed.options, landed.statistics) == (
        tuple(CHOICES), options, statistics)
    assert landed.extract("Jon Smith", 4) == index.extract("Jon Smith", 4)


def test_two_threads_on_one_index_get_what_one_after_another_gets():
    records = near_duplicates(3, count=400)
    index = vexaro.Index(records, threads=2)
    queries = records[::7]
    expected = [index.extract(query, 3) for query in queries]
    results = {}

    def ask(name, order):
        results[name] = [(q, index.extract(queries[q], 3)) for q in order]

    threads = [threading.Thread(target=ask, args=(name, order)) for name, order in
               (("forward", range(len(queries))), ("backward", reversed(range(len(queries)))))]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for found in results.values():
        assert all(matches == expected[q] for q, matches in found)


def test_python_runs_while_the_engine_works():
    records = [f"{i % 97} record {i * 7919 % 10007} of a long list" for i in range(3000)]
    done = threading.Event()
    ticks = []

    def count():
        while not done.is_set():
            ticks.append(time.monotonic())

    counter = threading.Thread(target=count)
    counter.start()
    try:
        start = time.monotonic()
        ordering = vexaro.order(records)
        end = time.monotonic()
    finally:
        done.set()
        counter.join()
    assert len(ordering.order) == len(records)
    # With the lock held all along, the counter could only run at the ends.
    middle = (start + (end - start) / 4, end - (end - start) / 4)
    assert any(middle[0] < tick < middle[1] for tick in ticks)


def test_no_memory_growth_over_many_calls():
    index = vexaro.Index(CHOICES * 50, vexaro.Options(longest_substrings=True), threads=1)
    scorer = vexaro.Scorer("Jon Smith")

    def calls(count):
        for i in range(count):
            index.extract("Jon Smith", 3)
            index.best_matches(["Kate", b"Jonathan"])
            scorer.score("Jonathan Smith", i % 500)
            vexaro.extract_one("Margret", CHOICES)
            vexaro.score("Margret", b"Margaret")

    calls(200)  # warm up: pools, caches and the allocator's arenas
    before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
    calls(2000)  # 10000 calls
    growth_kib = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss - before
    assert growth_kib < 4096

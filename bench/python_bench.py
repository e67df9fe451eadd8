#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Times the Python package beside what a Python user runs today, in one run.

  PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py DATA_DIR [BUILD_DIR]

DATA_DIR holds queries_1k.txt, pkgdesc_all.txt and pkgdesc.txt. Prints a
Markdown table of wall seconds (the best of the repeats, as the machine's
other load only adds):
- lookups of the queries in pkgdesc_all.txt: vexaro.Index.best_match one
  query at a time and Index.best_matches all at once, against
  thefuzz.process.extractOne (with python-Levenshtein) and
  difflib.get_close_matches(n=1), which take seconds a query: they run on
  the first PEER_QUERIES (10) queries, and the table scales their time to
  the whole set;
- vexaro.order of pkgdesc.txt against the program (BUILD_DIR/vexaro) on the
  same input and threads (VEXARO_THREADS, as for both);
- the import of the package, in a fresh interpreter, against one that
  imports nothing.
"""
import difflib
import os
import subprocess
import sys
import time

import vexaro

REPEATS = int(os.environ.get("REPEATS", "3"))
PEER_QUERIES = int(os.environ.get("PEER_QUERIES", "10"))


def best_time(work, repeats=REPEATS):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        result = work()
        times.append(time.perf_counter() - start)
    return min(times), result


def lines_of(path):
    with open(path, "rb") as file:
        return [line for line in file.read().split(b"\n") if line]


def lookups(data_dir, rows):
    queries = [q.decode() for q in lines_of(os.path.join(data_dir, "queries_1k.txt"))]
    choices = [c.decode() for c in lines_of(os.path.join(data_dir, "pkgdesc_all.txt"))]
    label = f"{len(queries)} lookups in {len(choices)} lines"
    build, index = best_time(lambda: vexaro.Index(choices))
    rows.append((label, f"vexaro.Index() build, {index.threads} threads", build, 1))
    one_by_one, found = best_time(lambda: [index.best_match(q) for q in queries])
    rows.append((label, "vexaro Index.best_match per query", one_by_one, len(queries)))
    batch, batch_found = best_time(lambda: index.best_matches(queries))
    assert batch_found == found
    rows.append((label, "vexaro Index.best_matches (all queries)", batch, len(queries)))

    from thefuzz import process  # the peer a Python user runs today
    sample = queries[:PEER_QUERIES]
    fuzz, _ = best_time(lambda: [process.extractOne(q, choices) for q in sample], 1)
    rows.append((label, f"thefuzz.process.extractOne (first {len(sample)})", fuzz, len(sample)))
    close, _ = best_time(
        lambda: [difflib.get_close_matches(q, choices, n=1) for q in sample], 1)
    rows.append((label, f"difflib.get_close_matches n=1 (first {len(sample)})", close,
                 len(sample)))


def ordering(data_dir, build_dir, rows):
    path = os.path.join(data_dir, "pkgdesc.txt")
    records = lines_of(path)
    label = f"order of pkgdesc.txt ({len(records)} lines), VEXARO_THREADS=" + os.environ.get(
        "VEXARO_THREADS", "all")
    in_python, result = best_time(lambda: vexaro.order(records))

    def program():
        with open(path, "rb") as stdin:
            return subprocess.run([os.path.join(build_dir, "vexaro"), "-d"], stdin=stdin,
                                  capture_output=True, check=False).stdout

    by_program, written = best_time(program)
    body = written.rpartition(b"\n*** Mean")[0].split(b"\n")[:-1]
    assert [line.lstrip(b" ").split(b" ", 1)[1] for line in body] == [
        records[k] for k in result.order]
    rows.append((label, "vexaro.order (Python)", in_python, 1))
    rows.append((label, "vexaro -d (the program)", by_program, 1))


def import_time(rows):
    def fresh(code):
        command = [sys.executable, "-c", code]
        return float(subprocess.run(command, capture_output=True, check=True, text=True).stdout)

    clock = "import time; t = time.perf_counter(); {}; print(time.perf_counter() - t)"
    package, _ = min((fresh(clock.format("import vexaro")), None) for _ in range(10))
    rows.append(("import", "import vexaro (in a fresh interpreter)", package, 1))
    total, _ = best_time(lambda: subprocess.run([sys.executable, "-c", "import vexaro"],
                                                check=True), 10)
    bare, _ = best_time(lambda: subprocess.run([sys.executable, "-c", "pass"], check=True), 10)
    rows.append(("import", "python3 -c 'import vexaro' minus python3 -c pass", total - bare, 1))


def main():
    data_dir = sys.argv[1]
    build_dir = sys.argv[2] if len(sys.argv) > 2 else "build"
    rows = []
    import_time(rows)
    ordering(data_dir, build_dir, rows)
    lookups(data_dir, rows)
    print("| task | run | seconds | per item (ms) |")
    print("|---|---|---|---|")
    for task, run, seconds, items in rows:
        print(f"| {task} | {run} | {seconds:.3f} | {1000 * seconds / items:.2f} |")


if __name__ == "__main__":
    main()

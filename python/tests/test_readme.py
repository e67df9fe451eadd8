# SPDX-License-Identifier: MIT
# The README's Python examples run as written: the sessions show their
# output, and the recipes run on data of their own.
import contextlib
import doctest
import io
import os
import re

import pytest
import vexaro
from conftest import SOURCE_DIR

README = open(os.path.join(SOURCE_DIR, "README.md"), encoding="utf-8").read()


def blocks(language):
    return re.findall(rf"^```{language}\n(.*?)^```$", README, re.MULTILINE | re.DOTALL)


def run_recipe(code, directory, monkeypatch):
    monkeypatch.chdir(directory)
    shown = io.StringIO()
    namespace = {"__name__": "__main__"}
    with contextlib.redirect_stdout(shown):
        exec(compile(code, "README.md", "exec"), namespace)
    return namespace, shown.getvalue()


def test_sessions_show_what_they_print(monkeypatch):
    monkeypatch.chdir(SOURCE_DIR)
    sessions = blocks("pycon")
    assert sessions
    parser, runner = doctest.DocTestParser(), doctest.DocTestRunner()
    for number, session in enumerate(sessions):
        runner.run(parser.get_doctest(session, {}, f"README session {number}", "README.md", 0))
    assert runner.summarize(verbose=False).failed == 0


def test_csv_recipe_finds_the_near_duplicate_rows(tmp_path, monkeypatch):
    (tmp_path / "customers.csv").write_text(
        "id,name\n1,Jonathan Smith\n2,Katherine Johnson\n3,\n4,Jonathon Smith\n"
        "5,Catherine Johnson\n6,Stefan Miller\n")
    recipe = next(code for code in blocks("python") if "csv" in code)
    _, shown = run_recipe(recipe, tmp_path, monkeypatch)
    pairs = [line.split(maxsplit=1)[1] for line in shown.splitlines()]
    assert pairs == ["Jonathan Smith ~ Jonathon Smith", "Katherine Johnson ~ Catherine Johnson"]


def test_cluster_recipe_gives_the_local_results(monkeypatch):
    pytest.importorskip("dask.distributed")
    recipe = next(code for code in blocks("python") if "LocalCluster" in code)
    namespace, _ = run_recipe(recipe, SOURCE_DIR, monkeypatch)
    local = vexaro.Index(namespace["choices"]).best_matches(namespace["queries"])
    assert namespace["best"] == local

"""Fixtures of the end-to-end tests: each test gets a fresh copy of the
program in a folder of its own, starts it when it has arranged the files,
and the program is always ended and reaped afterwards. A failed test's
folder is kept with a screenshot and the windows that were open."""
import re
import shutil
import tempfile
from pathlib import Path

import pytest

import harness

_kept_folders = []


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    # Lets the fixtures see, while tearing down, whether their test failed.
    outcome = yield
    report = outcome.get_result()
    setattr(item, f"report_{report.when}", report)


def _failed(node):
    reports = (getattr(node, f"report_{when}", None) for when in ("setup", "call"))
    return any(report is not None and report.failed for report in reports)


def pytest_terminal_summary(terminalreporter):
    for folder in _kept_folders:
        terminalreporter.write_line(f"kept for a failed test: {folder}")


@pytest.fixture(scope="session")
def run_dir():
    problem = harness.environment_problem()
    if problem:
        pytest.fail(problem, pytrace=False)
    harness.WORK_ROOT.mkdir(parents=True, exist_ok=True)
    path = Path(tempfile.mkdtemp(prefix="run-", dir=harness.WORK_ROOT))
    yield path
    if not any(path.iterdir()):
        path.rmdir()


@pytest.fixture
def test_dir(run_dir, request):
    """A folder for this test's files, removed unless the test failed."""
    path = run_dir / re.sub(r"[^\w.-]+", "_", request.node.name)
    path.mkdir()
    yield path
    if _failed(request.node):
        _kept_folders.append(path)
    else:
        # rmtree removes links without following them.
        shutil.rmtree(path)


@pytest.fixture
def tovi_folder(test_dir):
    """A fresh copy of tovi.exe and its pictures, free to change."""
    return harness.copy_program(test_dir / harness.FOLDER_NAME)


@pytest.fixture
def tovi(tovi_folder, test_dir, request):
    """The program in tovi_folder, not started yet."""
    program = harness.ToviProgram(tovi_folder, test_dir / "wine.log")
    yield program
    failed = _failed(request.node)
    if failed:
        try:
            harness.screenshot().save(test_dir / "failure.png")
            (test_dir / "state.txt").write_text(program.describe() + "\n", encoding="utf-8")
        except Exception as error:  # evidence is a help; its absence must not hide the failure
            (test_dir / "state.txt").write_text(f"no evidence: {error}\n", encoding="utf-8")
    program.stop()
    # Wine's crash reporter outlives the program it reports on; a crash while
    # ending is a fault too, unless the test has already failed.
    crash_reporters = harness.end_crash_reporters()
    assert failed or not crash_reporters, \
        f"{crash_reporters} crash reporter(s) (winedbg) were running: a program crashed"

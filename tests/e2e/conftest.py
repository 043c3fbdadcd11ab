"""Each test gets a fresh copy of the program in a folder of its own; the
program is always ended afterwards. A failed test's folder is kept with a
screenshot and the windows that were open."""
import re
import shutil
import tempfile
from pathlib import Path

import pytest

import harness

_kept_folders = []


def pytest_configure(config):
    config.addinivalue_line("markers", "scales(*dpi): the case runs at these display scales too, besides 96 DPI")


def pytest_collection_modifyitems(config, items):
    # A run at another scale takes only the cases marked for it.
    if harness.DPI == 96:
        return
    chosen = [i for i in items if any(harness.DPI in m.args for m in i.iter_markers("scales"))]
    config.hook.pytest_deselected(items=[i for i in items if i not in chosen])
    items[:] = chosen


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    # Lets the fixtures see, while tearing down, whether their test failed.
    report = (yield).get_result()
    if report.failed:
        item.failed = True


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
    # Wine closes its desktop a second after the last program of a test has
    # ended; the next test's program, started while it closes, would not show.
    with harness.Winprobe("hold", 6 * 3600 * 1000) as holder:
        holder.wait_record("hold")
        yield path
    if not any(path.iterdir()):
        path.rmdir()


@pytest.fixture
def test_dir(run_dir, request):
    path = run_dir / re.sub(r"[^\w.-]+", "_", request.node.name)
    path.mkdir()
    yield path
    if getattr(request.node, "failed", False):
        _kept_folders.append(path)
    else:
        shutil.rmtree(path)


@pytest.fixture
def tovi_folder(test_dir):
    """A fresh copy of tovi.exe and its pictures, without settings a run of the build folder left."""
    return shutil.copytree(harness.DIST_DIR, test_dir / harness.FOLDER_NAME, symlinks=True,
                           ignore=lambda _, names: [n for n in names if n.lower() == "tovi.ini"])


@pytest.fixture
def tovi(tovi_folder, test_dir, request):
    """The program in tovi_folder, not started yet."""
    program = harness.ToviProgram(tovi_folder, test_dir / "wine.log")
    yield program
    failed = getattr(request.node, "failed", False)
    if failed:
        try:
            harness.screenshot().save(test_dir / "failure.png")
            (test_dir / "state.txt").write_text(program.describe() + "\n", encoding="utf-8")
        except Exception as error:  # evidence helps; its absence must not hide the failure
            (test_dir / "state.txt").write_text(f"no evidence: {error}\n", encoding="utf-8")
    program.stop()
    # Wine's crash reporter outlives the program it reports on; a crash while ending is a fault too.
    crash_reporters = len(harness.probe("kill", "winedbg.exe"))
    assert failed or not crash_reporters, f"{crash_reporters} crash reporter(s) were running: a program crashed"

"""Each test gets a fresh copy of the program in a folder of its own; the program is always ended
afterwards. A failed test's folder is kept with a screenshot and the windows that were open."""
import os
import re
import shutil
import tempfile
from pathlib import Path

import pytest

import harness


def pytest_configure(config):
    config.addinivalue_line("markers", "scales(*dpi): the case runs at these display scales too, besides 96 DPI")


def pytest_collection_modifyitems(config, items):
    # A run at another scale takes only the cases marked for it.
    chosen = [i for i in items if harness.DPI == 96 or any(harness.DPI in m.args for m in i.iter_markers("scales"))]
    config.hook.pytest_deselected(items=[i for i in items if i not in chosen])
    items[:] = chosen


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    # Lets the fixtures see, while tearing down, whether their test failed.
    report = (yield).get_result()
    item.failed = getattr(item, "failed", False) or report.failed


@pytest.fixture(scope="session")
def run_dir():
    if not harness.WINPROBE.is_file() or "TOVI_WINEPREFIX" not in os.environ:
        pytest.fail("run the e2e tests through test.sh, which builds, starts Xvfb and prepares a Wine prefix")
    harness.WORK_ROOT.mkdir(parents=True, exist_ok=True)
    return Path(tempfile.mkdtemp(prefix="run-", dir=harness.WORK_ROOT))


@pytest.fixture
def test_dir(run_dir, request):
    path = run_dir / re.sub(r"[^\w.-]+", "_", request.node.name)
    path.mkdir()
    yield path
    if not request.node.failed:
        shutil.rmtree(path)


@pytest.fixture
def tovi(test_dir, request):
    """A fresh copy of tovi.exe and its pictures, without settings a run of the build folder left; not started."""
    folder = shutil.copytree(harness.DIST_DIR, test_dir / harness.FOLDER_NAME, ignore=shutil.ignore_patterns("tovi.ini"))
    program = harness.ToviProgram(folder)
    yield program
    if request.node.failed:
        print(f"kept for the failed test: {test_dir}")
        harness.screenshot().save(test_dir / "failure.png")
        (test_dir / "windows.txt").write_text("\n".join(map(str, harness.windows())) + "\n", encoding="utf-8")
    program.stop()
    # Wine's crash reporter writes to the console of the program it reports on; a crash while ending is a fault too.
    log = program.log_path.read_bytes() if program.log_path.exists() else b""
    assert request.node.failed or b"Unhandled" not in log, f"tovi.exe crashed; see {program.log_path}"

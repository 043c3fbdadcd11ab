"""Each test gets a fresh copy of the program in a folder of its own, which pytest keeps for the last runs
with a picture of the screen at the test's end; the program is always ended afterwards."""
import os
import shutil

import pytest

import harness


def pytest_configure(config):
    config.addinivalue_line("markers", "scales(*dpi): the case runs at these display scales too, besides 96 DPI")


def pytest_collection_modifyitems(config, items):
    # A run at another scale takes only the cases marked for it.
    chosen = [i for i in items if harness.DPI == 96 or any(harness.DPI in m.args for m in i.iter_markers("scales"))]
    config.hook.pytest_deselected(items=[i for i in items if i not in chosen])
    items[:] = chosen


@pytest.fixture
def tovi(tmp_path):
    """A fresh copy of tovi.exe and its pictures, without settings a run of the build folder left; not started.
    Its folder's name holds a space and Japanese: the program must work from any folder."""
    if not harness.WINPROBE.is_file() or "TOVI_WINEPREFIX" not in os.environ:
        pytest.fail("run the e2e tests through test.sh, which builds, starts Xvfb and prepares a Wine prefix")
    program = harness.ToviProgram(shutil.copytree(harness.DIST_DIR, tmp_path / "目 テスト",
                                                  ignore=shutil.ignore_patterns("tovi.ini")))
    print(f"the test's folder, shown should it fail: {tmp_path}")
    yield program
    harness.screenshot().save(tmp_path / "end.png")
    program.stop()
    # Wine's crash reporter writes to the console of the program it reports on; a crash while ending is a fault too.
    log = program.log_path.read_bytes() if program.log_path.exists() else b""
    assert b"Unhandled" not in log, f"tovi.exe crashed; see {program.log_path}"

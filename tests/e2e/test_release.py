"""The release zip as a Windows user gets it: unpacked into a folder whose
path holds spaces and Japanese, tovi.exe starts there, shows both eyes and
keeps its settings beside it."""
import hashlib
import re
import zipfile

import pytest

import harness
from harness import Dialog, settings
from test_dialogs import click_ok, wait_ini
from test_eyes import Tray

# Named with the version of project() in the top CMakeLists.txt, where the program takes it from.
VERSION = re.search(r"project\(\w+ VERSION ([0-9.]+)", (harness.REPO_ROOT / "CMakeLists.txt").read_text())[1]
PACKAGE = harness.BUILD_DIR / f"tovi-{VERSION}-win64.zip"
# One folder, its entries sorted by name: the pictures drawn for 20 and 24 pixels in folders of their own.
PICTURES = ["base.bmp", "cap1.bmp", "cap2.bmp", "cap3.bmp", "cap4.bmp",
            "eye1.bmp", "eye2.bmp", "eye3.bmp", "eye4.bmp", "eye5.bmp", "eye6.bmp"]
CONTENTS = (["tovi/"] + [f"tovi/20/{p}" for p in [""] + PICTURES] + [f"tovi/24/{p}" for p in [""] + PICTURES]
            + [f"tovi/{p}" for p in PICTURES] + ["tovi/readme.txt", "tovi/tovi.exe"])


@pytest.fixture
def tovi_folder(test_dir):
    """The release unpacked as Explorer would, instead of a copy of the build's folder."""
    assert PACKAGE.is_file(), f"no {PACKAGE}: build it with cmake --build build/windows --target package"
    place = test_dir / "ダウンロード した ファイル"
    with zipfile.ZipFile(PACKAGE) as package:
        package.extractall(place)
    return place / "tovi"


def test_the_unpacked_release_runs_and_keeps_its_settings_beside_it(tovi):
    with zipfile.ZipFile(PACKAGE) as package:
        assert package.namelist() == CONTENTS
    checksum = PACKAGE.with_name(PACKAGE.name + ".sha256").read_text(encoding="ascii")
    assert checksum == f"{hashlib.sha256(PACKAGE.read_bytes()).hexdigest()}  {PACKAGE.name}\n"
    # What Notepad shows right on any Windows: UTF-8 with its byte order mark, CRLF line ends only.
    readme = (tovi.folder / "readme.txt").read_bytes()
    assert readme.startswith("\ufeffTovi ".encode()) and readme.count(b"\n") == readme.count(b"\r\n") > 40, \
        f"readme.txt begins {readme[:40]!r}"
    assert not tovi.ini.exists()
    tray = Tray(tovi)
    dialog = Dialog(tovi, "settings", tray.eye_centre(0))
    click_ok(dialog)
    dialog.wait_closed()
    wait_ini(tovi, settings())

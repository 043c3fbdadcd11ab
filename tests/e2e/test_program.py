"""The program as a whole: the release as a user unpacks it, its start and end, and what it says about
files it cannot use or write."""
import hashlib
import os
import re
import shutil
import zipfile

import pytest

from harness import (BUILD_DIR, MAIN_CLASS, REPO_ROOT, SETTINGS_OK, ToviProgram, Tray, answer_message, choose, click_in,
                     menus, open_dialog, probe, settings, wait_closed, wait_until, windows)

# Named with the version of project() in the top CMakeLists.txt, where the program takes it from.
PACKAGE = BUILD_DIR / "tovi-{}-win64.zip".format(
    re.search(r"project\(\w+ VERSION ([0-9.]+)", (REPO_ROOT / "CMakeLists.txt").read_text())[1])
# One folder, its entries sorted by name: the pictures drawn for 20 and 24 pixels in folders of their own.
PICTURES = ["base.bmp", "cap1.bmp", "cap2.bmp", "cap3.bmp", "cap4.bmp", "eye1.bmp", "eye2.bmp", "eye3.bmp",
            "eye4.bmp", "eye5.bmp", "eye6.bmp"]
CONTENTS = (["tovi/"] + [f"tovi/20/{p}" for p in [""] + PICTURES] + [f"tovi/24/{p}" for p in [""] + PICTURES]
            + [f"tovi/{p}" for p in PICTURES] + ["tovi/readme.txt", "tovi/tovi.exe"])


@pytest.mark.scales(144)
def test_the_unpacked_release_starts_hidden_and_its_menu_ends_it_with_the_settings_beside_it(tovi, tmp_path):
    checksum = PACKAGE.with_name(PACKAGE.name + ".sha256").read_text(encoding="ascii")
    assert checksum == f"{hashlib.sha256(PACKAGE.read_bytes()).hexdigest()}  {PACKAGE.name}\n"
    # Unpacked as Explorer would, in place of the copy of the build, into a folder whose path holds spaces and Japanese.
    shutil.rmtree(tovi.folder)
    with zipfile.ZipFile(PACKAGE) as package:
        assert package.namelist() == CONTENTS
        package.extractall(tmp_path)
    (tmp_path / "tovi").rename(tovi.folder)
    # What Notepad shows right on any Windows: UTF-8 with its byte order mark, CRLF line ends only.
    readme = (tovi.folder / "readme.txt").read_bytes()
    assert readme.startswith("\ufeffTovi ".encode()) and readme.count(b"\n") == readme.count(b"\r\n") > 40, readme[:40]
    tovi.start()

    def placed(menu):
        # Above the cursor, across it and whole on the screen.
        left, top, right, bottom = menu["rect"]
        assert 0 <= left <= x < right <= 800 and 0 <= top and bottom <= y, f"the menu is at {menu['rect']}"

    tray = Tray()
    shown = [w for w in windows(visible=True) if w["class"] in (MAIN_CLASS, "#32770")]
    assert not shown and tovi.running(), f"tovi.exe showed {shown} or ended"
    assert not tovi.ini.exists()
    # A second start from the folder ends at once and quietly (a box would hold it), leaving the first copy's eyes
    # and the temporary of a save it might be making alone.
    temporary = tovi.folder / "tovi.ini.tmp"
    temporary.write_bytes(b"a save being made")
    second = ToviProgram(tovi.folder)
    try:
        second.start()
        assert second.wait_exit() == 0 and temporary.read_bytes() == b"a save being made"
        assert tray.find_eyes() == tray.eyes, "the eyes moved, went or came twice"
    finally:
        second.stop()
    x, y = tray.eye_centre(1)
    choose((x, y), "exit", placed)
    assert tovi.wait_exit() == 0
    wait_until(lambda: not tray.find_eyes(), "the eyes to leave the task bar")
    assert tovi.ini.read_bytes() == settings()


def test_a_missing_picture_ends_the_program_with_one_message_naming_it(tovi):
    (tovi.folder / "base.bmp").unlink()
    tovi.start()
    assert answer_message() == f"{tovi.windows_folder}base.bmp が見つかりません"
    # The main form never came into being: the program says so in its exit code.
    assert tovi.wait_exit() == 1


# The eyes' callback message (WM_USER + 100), and the report of a right-click it carries.
TRAY_CALLBACK, WM_RBUTTONDOWN = 0x464, 0x204
# Not as the program writes it, so that a save shows.
OLD = "; 目の設定\r\n[Eye]\r\nType = 1\r\nBlink = 0\r\nBlinkInterval = 700\r\n\r\n[Other]\r\nKept=yes\r\n".encode()


def test_a_refused_save_is_reported_with_the_path_and_the_program_runs_on_until_it_ends(tovi):
    def refused():
        assert answer_message() == f"{tovi.windows_folder}tovi.ini に書き込めません"
        assert tovi.ini.read_bytes() == OLD and not (tovi.folder / "tovi.ini.tmp").exists(), "the old file changed"

    tovi.ini.write_bytes(OLD)
    # Wine shows a file without write permission as read-only, as "attrib +r" makes it.
    os.chmod(tovi.ini, 0o444)
    tovi.start()
    tray = Tray()
    dialog = open_dialog("TDlgSetting", tray.eye_centre(0))
    click_in(dialog, SETTINGS_OK)
    refused()
    wait_closed(dialog)
    assert Tray().eyes == tray.eyes and tovi.running(), "the eyes moved or went"
    # At close, posted as at log-off, the save is refused once more; shutting down goes on after the report.
    assert probe("close", MAIN_CLASS), "no main window to close"
    wait_until(lambda: windows("#32770", visible=True), "the report")
    # The dialogs are gone by now, and while the report is open a right-click on an eye opens no menu. Sent as
    # the shell sends it: the answer comes once the eye has handled it, and an open menu would hold it back.
    sent = probe("send", "ToviTrayIconWindow", TRAY_CALLBACK, 1, WM_RBUTTONDOWN)[0]["to"]
    assert sent == 2 and not menus(), "the eyes' menu opened while the program was ending"
    refused()
    assert tovi.wait_exit() == 0


"""The program as a whole: the release as a user unpacks it, its start and
end, what it says about files it cannot use, saving cut short, and what the
system tells it (a locked session, a restarted shell)."""
import hashlib
import os
import re
import time
import zipfile

import pytest

import harness
from harness import LEFT, RIGHT, STILL, Dialog, Tray, Winprobe, choose, describe_windows, find_eyes, probe, screenshot, wait_until

# Named with the version of project() in the top CMakeLists.txt, where the program takes it from.
VERSION = re.search(r"project\(\w+ VERSION ([0-9.]+)", (harness.REPO_ROOT / "CMakeLists.txt").read_text())[1]
PACKAGE = harness.BUILD_DIR / f"tovi-{VERSION}-win64.zip"
# One folder, its entries sorted by name: the pictures drawn for 20 and 24 pixels in folders of their own.
PICTURES = ["base.bmp", "cap1.bmp", "cap2.bmp", "cap3.bmp", "cap4.bmp",
            "eye1.bmp", "eye2.bmp", "eye3.bmp", "eye4.bmp", "eye5.bmp", "eye6.bmp"]
CONTENTS = (["tovi/"] + [f"tovi/20/{p}" for p in [""] + PICTURES] + [f"tovi/24/{p}" for p in [""] + PICTURES]
            + [f"tovi/{p}" for p in PICTURES] + ["tovi/readme.txt", "tovi/tovi.exe"])


@pytest.fixture
def release_folder(test_dir):
    """The release unpacked as Explorer would, into a folder whose path holds spaces and Japanese."""
    with zipfile.ZipFile(PACKAGE) as package:
        assert package.namelist() == CONTENTS
        package.extractall(test_dir / "ダウンロード した ファイル")
    return test_dir / "ダウンロード した ファイル" / "tovi"


@pytest.mark.scales(144)
@pytest.mark.parametrize("tovi_folder", ["release_folder"], indirect=True)
def test_the_unpacked_release_starts_hidden_and_its_menu_ends_it_with_the_settings_beside_it(tovi):
    checksum = PACKAGE.with_name(PACKAGE.name + ".sha256").read_text(encoding="ascii")
    assert checksum == f"{hashlib.sha256(PACKAGE.read_bytes()).hexdigest()}  {PACKAGE.name}\n"
    # What Notepad shows right on any Windows: UTF-8 with its byte order mark, CRLF line ends only.
    readme = (tovi.folder / "readme.txt").read_bytes()
    assert readme.startswith("\ufeffTovi ".encode()) and readme.count(b"\n") == readme.count(b"\r\n") > 40, \
        f"readme.txt begins {readme[:40]!r}"
    tovi.start()
    taskbar = harness.taskbar()

    def hidden_until_the_eyes_show():
        shown = tovi.own_windows(visible=True)
        assert not shown and tovi.running(), "a window of tovi.exe showed:\n" + describe_windows(shown)
        return len(find_eyes(screenshot(), taskbar)) == 2

    wait_until(hidden_until_the_eyes_show, "both eyes", tovi.describe)
    tray = Tray(tovi)
    assert not tovi.own_windows(visible=True) and not tovi.ini.exists()
    x, y = tray.eye_centre(1)
    harness.x_click(x, y, 3)
    left, top, right, bottom = wait_until(tovi.menus, "the eyes' menu", tovi.describe)[0]["rect"]
    # Above the cursor, across it and whole on the screen; 終了 is its last item, the bottom border 3 pixels.
    assert 0 <= left <= x < right <= 800 and 0 <= top and bottom <= y, f"menu at {left, top, right, bottom}"
    harness.x_click((left + right) // 2, bottom - 3 - 8)
    assert tovi.wait_exit() == 0
    wait_until(lambda: not find_eyes(screenshot(), taskbar), "the eyes to leave the task bar")
    assert tovi.ini.read_bytes() == harness.settings()


def test_a_picture_that_is_no_picture_ends_the_program_with_one_message_naming_it(tovi):
    (tovi.folder / "cap1.bmp").write_bytes(b"This is not a picture.\r\n")
    tovi.start()
    expected = f"{tovi.windows_folder}cap1.bmp はビットマップとして読み込めません"
    assert tovi.one_message() == [expected], f"the message should read {expected!r}"
    tovi.answer_message()
    # The main form never came into being: the program says so in its exit code.
    assert tovi.wait_exit() == 1


# Not as the program writes it, so that a save shows.
OLD = "; 目の設定\r\n[Eye]\r\nType = 1\r\nBlink = 0\r\nBlinkInterval = 700\r\n\r\n[Other]\r\nKept=yes\r\n".encode()
NEW = "; 目の設定\r\n[Eye]\r\nType=1\r\nBlink=0\r\nBlinkInterval=700\r\n\r\n[Other]\r\nKept=yes\r\n".encode()


def test_a_refused_save_is_reported_with_the_path_and_the_program_runs_on_until_it_ends(tovi):
    # Wine shows a file without write permission as read-only, as "attrib +r" makes it.
    tovi.ini.write_bytes(OLD)
    os.chmod(tovi.ini, 0o444)

    def refused():
        expected = f"{tovi.windows_folder}tovi.ini に書き込めません"
        assert tovi.one_message() == [expected], f"the message should read {expected!r}"
        assert tovi.ini.read_bytes() == OLD and not (tovi.folder / "tovi.ini.tmp").exists(), "the old file changed"
        tovi.answer_message()

    try:
        tovi.start()
        tray = Tray(tovi)
        dialog = Dialog(tovi, "settings", tray.eye_centre(0))
        dialog.click((180, 12, 89, 25))  # OK
        refused()
        dialog.wait_closed()
        assert Tray(tovi).eyes == tray.eyes and tovi.running(), "the eyes moved or went"
        # At close the save is refused once more; shutting down goes on after the report.
        tovi.close()
        tovi.one_message()
        # The dialogs are gone by now, and while the report is open the eyes offer no menu.
        harness.x_click(*tray.eye_centre(1), 3)
        time.sleep(2)
        assert not tovi.menus(), "the eyes' menu opened while the program was ending"
        refused()
        assert tovi.wait_exit() == 0
    finally:
        os.chmod(tovi.ini, 0o644)


# A long file makes the save long enough to be seen and cut short.
FILLER = b"".join(b"; filler line %07d, kept as it is by every save\r\n" % i for i in range(150000))


def test_a_save_cut_short_leaves_the_old_or_the_new_file_and_its_temporary_goes_at_the_next_start(tovi):
    temporary = tovi.folder / "tovi.ini.tmp"
    temporary.write_bytes((NEW + FILLER)[:len(FILLER) // 2])
    tovi.ini.write_bytes(OLD + FILLER)
    for run in ("killed while saving", "ended"):
        tovi.start()
        wait_until(lambda: tovi.own_windows(harness.MAIN_CLASS) and not temporary.exists(),
                   "the main window and the temporary gone", tovi.describe)
        left = tovi.ini.read_bytes()
        assert left in (OLD + FILLER, NEW + FILLER), f"after the start, tovi.ini holds {len(left)} bytes"
        tovi.close()
        if run == "ended":
            assert tovi.wait_exit() == 0
            break
        while tovi.running() and not temporary.exists():
            time.sleep(0.001)
        tovi.process.kill()
        tovi.process.wait(60)
    assert tovi.ini.read_bytes() == NEW + FILLER, "the close did not save"


NIM_ADD, NIM_MODIFY, NIM_DELETE = 0, 1, 2


def test_a_locked_session_stills_the_eyes_and_a_restarted_shell_gets_each_eye_once(tovi):
    tovi.start(STILL)
    tray = Tray(tovi)
    x, y = tray.centre
    looking = tray.look_towards((x - 200, y), LEFT)
    assert [r["sent"] for r in probe("session", harness.MAIN_CLASS, "lock")] == [True], "the lock was not heard"
    labels = tray.watch(looking, 1500, lambda: harness.x_move(x + 200, y))
    assert all(set(eye) <= {"open", "drawing"} for eye in labels), f"the eyes showed {labels} while locked"
    assert [r["sent"] for r in probe("session", harness.MAIN_CLASS, "unlock")] == [True], "the unlock went unheard"
    tray.look_towards((x + 200, y), RIGHT)
    # Wine's explorer cannot be restarted under a running program: winprobe stands in for the
    # shell as the first window of class Shell_TrayWnd, where Wine's Shell_NotifyIcon sends its requests.
    windows = sorted(w["hwnd"] for w in tovi.own_windows("ToviTrayIconWindow"))
    assert len(windows) == 2, f"expected two icon windows, found {windows}"
    with Winprobe("fake-shell", 600000) as shell:
        assert shell.wait_record("fake-shell")["first"], "the stand-in is not the first Shell_TrayWnd"
        # Sent, not posted: once the broadcast returns, every window has answered it. A shell that holds
        # an icon refuses to add it again; the program then changes it.
        for expected in ([(NIM_ADD, True)], [(NIM_ADD, False), (NIM_MODIFY, True)]):
            before = len(shell.records("tray-request"))
            assert [r["sent"] for r in probe("taskbar-created")] == [True], "the broadcast failed"
            later = shell.records("tray-request")[before:]
            heard = [[(r["message"], r["answer"]) for r in later if r["window"] == w][:len(expected)] for w in windows]
            assert heard == [expected, expected] and later[-1]["held"] == 2, f"the shell heard {later}"
        assert not [r for r in shell.records("tray-request") if r["message"] == NIM_DELETE], "an icon was deleted"
        probe("close", "Shell_TrayWnd", "winprobe fake shell")
    assert tovi.running()

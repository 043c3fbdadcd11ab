"""Saving tovi.ini where it cannot be written, and saving cut short: a
refused save is reported with the file's full path and leaves the old file
whole; a killed save leaves the whole old or the whole new file, and the
temporary it may leave goes at the next start."""
import os
import random
import time

import pytest

import harness
from fault_driving import (ReadOnlyFolder, answer_message, click_settings_ok, open_settings, wait_for_eyes,
                           wait_for_one_message, windows_folder)
from harness import wait_until

# Not as the program writes it, so that a save shows.
OLD = "; 目の設定\r\n[Eye]\r\nType = 1\r\nBlink = 0\r\nBlinkInterval = 700\r\n\r\n[Other]\r\nKept=yes\r\n".encode()
NEW = "; 目の設定\r\n[Eye]\r\nType=1\r\nBlink=0\r\nBlinkInterval=700\r\n\r\n[Other]\r\nKept=yes\r\n".encode()


@pytest.fixture(params=["read-only-file", "read-only-folder"])
def refusing_tovi(tovi, request):
    """The program beside the old tovi.ini, where saving is refused."""
    tovi.ini.write_bytes(OLD)
    if request.param == "read-only-file":
        # Wine shows a file without write permission as FILE_ATTRIBUTE_READONLY, as "wine attrib +r" makes it.
        os.chmod(tovi.ini, 0o444)
        try:
            yield tovi
        finally:
            tovi.stop()
            os.chmod(tovi.ini, 0o644)
        return
    with ReadOnlyFolder(tovi.folder) as folder:
        if folder.why_not:
            pytest.skip(f"cannot make a folder read-only here: {folder.why_not}")
        assert folder.refuses_writing(), "the read-only folder takes new files"
        try:
            yield tovi
        finally:
            # The program first: it may have the folder as its current one.
            tovi.stop()


def refusal(tovi):
    return f"{windows_folder(tovi)}tovi.ini に書き込めません"


def check_refusal(tovi):
    """One message box names the file it could not write; the old file is
    whole and no temporary is left. Answers the box."""
    box = wait_for_one_message(tovi)
    assert box["texts"] == [refusal(tovi)], f"the message should read {refusal(tovi)!r}"
    assert tovi.ini.read_bytes() == OLD, "the old tovi.ini changed"
    assert not (tovi.folder / "tovi.ini.tmp").exists(), "a temporary file was left"
    answer_message(tovi, box)


def find_eyes(tovi):
    return wait_for_eyes(tovi, wait_until(harness.taskbar_rect, "Wine's task bar"), 2)


def test_a_refused_save_at_close_is_reported_then_the_program_ends(refusing_tovi):
    tovi = refusing_tovi
    tovi.start()
    find_eyes(tovi)
    assert tovi.close(), "no main window to close"
    check_refusal(tovi)
    # Shutting down goes on after the report.
    assert tovi.wait_exit() == 0
    assert tovi.ini.read_bytes() == OLD


def test_a_refused_save_from_the_settings_dialog_is_reported_and_the_program_runs_on(refusing_tovi):
    tovi = refusing_tovi
    tovi.start()
    eyes = find_eyes(tovi)
    dialog = open_settings(tovi, eyes[0])
    click_settings_ok(dialog)
    check_refusal(tovi)
    assert tovi.running(), "the program ended after the refused save"
    assert not [w for w in tovi.own_windows() if w["class"] == dialog["class"] and w["visible"]], \
        "the settings dialog is still open"
    assert find_eyes(tovi) == eyes, "the eyes moved or went"
    # And at close the save is refused once more.
    assert tovi.close(), "no main window to close"
    check_refusal(tovi)
    assert tovi.wait_exit() == 0


def test_a_stray_temporary_goes_at_start_and_the_file_stays(tovi):
    tovi.ini.write_bytes(OLD)
    stray = tovi.folder / "tovi.ini.tmp"
    stray.write_bytes(NEW[:len(NEW) // 2])
    tovi.start()
    wait_until(lambda: not stray.exists(), "the stray temporary to go", details=tovi.describe)
    assert tovi.ini.read_bytes() == OLD
    assert tovi.close(), "no main window to close"
    assert tovi.wait_exit() == 0
    assert tovi.ini.read_bytes() == NEW


# A long file makes the save long enough for a kill to land in it now and then.
FILLER = b"".join(b"; filler line %07d, kept as it is by every save\r\n" % i for i in range(150000))
BIG_OLD, BIG_NEW = OLD + FILLER, NEW + FILLER
KILLS = 8


def close_unhurried(program, stray):
    """Closes the program and waits for its end; returns the seconds from
    the close to the temporary's first sight and to the end."""
    started = time.monotonic()
    assert program.close(), "no main window to close"
    seen = None
    while program.running():
        if seen is None and stray.exists():
            seen = time.monotonic() - started
        time.sleep(0.001)
    assert program.wait_exit() == 0
    ended = time.monotonic() - started
    return (ended if seen is None else seen), ended


def test_killing_the_program_while_it_saves_leaves_the_old_or_the_new_file(tovi_folder, test_dir):
    """The program is started on the old file and closed, and killed at a
    random moment around its save, again and again. The first close is not
    cut short: it tells when the save happens."""
    stray = tovi_folder / "tovi.ini.tmp"
    seed = random.randrange(1 << 32)
    chance = random.Random(seed)
    outcomes = []
    window = None
    for run in range(KILLS + 2):
        (tovi_folder / "tovi.ini").write_bytes(BIG_OLD)
        program = harness.ToviProgram(tovi_folder, test_dir / f"wine-{run}.log")
        kill_after = None
        try:
            program.start()
            program.wait_main_window()
            wait_until(lambda: not stray.exists(), "the stray temporary to go at start", details=program.describe)
            if window is None or run == KILLS + 1:
                saving, ended = close_unhurried(program, stray)
                window = window or (max(0.0, saving - 0.1), ended)
            else:
                kill_after = chance.uniform(*window)
                started = time.monotonic()
                assert program.close(), "no main window to close"
                time.sleep(max(0.0, started + kill_after - time.monotonic()))
                program.process.kill()
                program.process.wait(60)
        finally:
            program.stop()
        left = (tovi_folder / "tovi.ini").read_bytes()
        where = f"run {run}, killed {kill_after and round(kill_after, 3)} s after the close (seed {seed})"
        assert left in (BIG_OLD, BIG_NEW), f"{where}: tovi.ini holds {len(left)} bytes, neither the old nor the new"
        if kill_after is None:
            assert left == BIG_NEW, f"{where}: the close did not save"
        outcomes.append(("new" if left == BIG_NEW else "old") + (" and a temporary" if stray.exists() else ""))
    print(f"seed {seed}, kills from {window[0]:.3f} to {window[1]:.3f} s after the close: {outcomes}")
    assert harness.end_crash_reporters() == 0, "a crash reporter was running"

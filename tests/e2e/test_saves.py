"""Saving tovi.ini where it cannot be written, and saving cut short: a
refused save is reported with the file's full path and leaves the old file
whole; a killed save leaves the whole old or the whole new file, and the
temporary it may leave goes at the next start."""
import os
import random
import time

import harness
from harness import Dialog, wait_until

# Not as the program writes it, so that a save shows.
OLD = "; 目の設定\r\n[Eye]\r\nType = 1\r\nBlink = 0\r\nBlinkInterval = 700\r\n\r\n[Other]\r\nKept=yes\r\n".encode()
NEW = "; 目の設定\r\n[Eye]\r\nType=1\r\nBlink=0\r\nBlinkInterval=700\r\n\r\n[Other]\r\nKept=yes\r\n".encode()
SETTINGS_OK = (180, 12, 89, 25)  # in the settings dialog's client area


def check_refusal(tovi):
    """One message box names the file; the old file is whole, no temporary left. Answers the box."""
    expected = f"{tovi.windows_folder}tovi.ini に書き込めません"
    assert tovi.one_message()["texts"] == [expected], f"the message should read {expected!r}"
    assert tovi.ini.read_bytes() == OLD, "the old tovi.ini changed"
    assert not (tovi.folder / "tovi.ini.tmp").exists(), "a temporary file was left"
    tovi.answer_message()


def test_a_refused_save_is_reported_and_the_program_runs_on(tovi):
    tovi.ini.write_bytes(OLD)
    # Wine shows a file without write permission as read-only, as "attrib +r" makes it.
    os.chmod(tovi.ini, 0o444)
    try:
        tovi.start()
        taskbar = harness.wait_taskbar()
        eyes = harness.wait_two_eyes(tovi, taskbar)
        dialog = Dialog(tovi, "settings", (eyes[0][0] + 8, eyes[0][1] + 8))
        dialog.click(SETTINGS_OK)
        check_refusal(tovi)
        dialog.wait_closed()
        assert tovi.running(), "the program ended after the refused save"
        assert harness.wait_two_eyes(tovi, taskbar) == eyes, "the eyes moved or went"
        # At close the save is refused once more; shutting down goes on after the report.
        tovi.close()
        tovi.one_message()
        # The dialogs are gone by now: while the report is open the eyes offer no menu.
        harness.x_click(eyes[1][0] + 8, eyes[1][1] + 8, 3)
        time.sleep(2)
        assert not tovi.menus(), "the eyes' menu opened while the program was ending"
        check_refusal(tovi)
        assert tovi.wait_exit() == 0
    finally:
        os.chmod(tovi.ini, 0o644)


# A long file makes the save long enough for a kill to land in it now and then.
FILLER = b"".join(b"; filler line %07d, kept as it is by every save\r\n" % i for i in range(150000))
BIG_OLD, BIG_NEW = OLD + FILLER, NEW + FILLER
KILLS = 8


def test_killing_the_program_while_it_saves_leaves_the_old_or_the_new_file(tovi_folder, test_dir):
    """Started on the old file and closed, then killed at a random moment
    around its save, again and again. The first close is not cut short: it
    tells when the save happens. A half-written temporary from before goes at the first start."""
    ini, stray = tovi_folder / "tovi.ini", tovi_folder / "tovi.ini.tmp"
    stray.write_bytes(BIG_NEW[:len(BIG_NEW) // 2])
    seed = random.randrange(1 << 32)
    chance = random.Random(seed)
    outcomes, window = [], None
    for number in range(KILLS + 2):
        ini.write_bytes(BIG_OLD)
        program = harness.ToviProgram(tovi_folder, test_dir / f"wine-{number}.log")
        kill_after = None
        try:
            program.start()
            program.wait_main_window()
            wait_until(lambda: not stray.exists(), "the stray temporary to go at start", details=program.describe)
            assert ini.read_bytes() == BIG_OLD, "the start took the temporary for the settings"
            started = time.monotonic()
            program.close()
            if window is None or number == KILLS + 1:
                seen = None
                while program.running():
                    if seen is None and stray.exists():
                        seen = time.monotonic() - started
                    time.sleep(0.001)
                assert program.wait_exit() == 0
                ended = time.monotonic() - started
                window = window or (max(0.0, (ended if seen is None else seen) - 0.1), ended)
            else:
                kill_after = chance.uniform(*window)
                time.sleep(max(0.0, started + kill_after - time.monotonic()))
                program.process.kill()
                program.process.wait(60)
        finally:
            program.stop()
        left = ini.read_bytes()
        where = f"run {number}, killed {kill_after and round(kill_after, 3)} s after the close (seed {seed})"
        assert left in (BIG_OLD, BIG_NEW), f"{where}: tovi.ini holds {len(left)} bytes, neither the old nor the new"
        assert kill_after is not None or left == BIG_NEW, f"{where}: the close did not save"
        outcomes.append(("new" if left == BIG_NEW else "old") + (" and a temporary" if stray.exists() else ""))
    print(f"seed {seed}, kills from {window[0]:.3f} to {window[1]:.3f} s after the close: {outcomes}")
    assert not harness.probe("kill", "winedbg.exe"), "a crash reporter was running"

"""The eyes and the shell that shows them: a restarted shell announces
itself with the registered "TaskbarCreated" message and the eyes come back,
once each; a shell that refuses the eyes at start is asked again, at most
once a second, until it takes them.

Wine's explorer cannot be restarted under a running program (the program
ends with it) and makes its task bar together with the desktop, before any
program can make a window. So the shell's side is staged: the eyes are
taken out of Wine's notification area behind the program's back, as a
restarted shell has forgotten them; and winprobe stands in for a shell that
is not ready, or one just restarted, as the first window of class
Shell_TrayWnd, where Wine's Shell_NotifyIcon sends its requests."""
import time

import harness
from fault_driving import (NIM_ADD, NIM_DELETE, NIM_MODIFY, FakeShell, broadcast_taskbar_created, by_window,
                           forget_icons, icon_windows, wait_for_eyes)
from harness import wait_until

STILL = b"[Eye]\r\nType=0\r\nBlink=0\r\nBlinkInterval=5000\r\n"
# The program offers a refused icon again after a second; a timer may come a little early.
RETRY_SECONDS = 1.0
EARLY = 0.05
# Long enough for a second offer, had the program kept on offering what the shell took.
SETTLE_SECONDS = 2.5


def start(tovi):
    tovi.ini.write_bytes(STILL)
    tovi.start()
    taskbar = wait_until(harness.taskbar_rect, "Wine's task bar", details=tovi.describe)
    return taskbar, wait_for_eyes(tovi, taskbar, 2)


def test_taskbar_created_brings_back_forgotten_eyes_and_loses_none(tovi):
    taskbar, eyes = start(tovi)
    # The shell still holds both eyes: the message must neither lose nor double them.
    broadcast_taskbar_created()
    # The shell repaints what it was sent again; wait for that before looking.
    assert wait_for_eyes(tovi, taskbar, 2) == eyes, "the eyes moved on a TaskbarCreated while the shell held them"
    assert forget_icons() == 2, "the shell did not hold both eyes"
    wait_for_eyes(tovi, taskbar, 0)
    broadcast_taskbar_created()
    assert wait_for_eyes(tovi, taskbar, 2) == eyes, "the eyes came back elsewhere"
    broadcast_taskbar_created()
    assert wait_for_eyes(tovi, taskbar, 2) == eyes, "a second TaskbarCreated moved the eyes"
    assert tovi.running()
    assert tovi.close(), "no main window to close"
    assert tovi.wait_exit() == 0


def test_a_restarted_shell_gets_each_eye_once_and_a_second_announcement_loses_none(tovi):
    start(tovi)
    windows = icon_windows(tovi)
    assert len(windows) == 2, f"expected two icon windows, found {windows}"
    with FakeShell("accept") as shell:
        broadcast_taskbar_created()
        time.sleep(SETTLE_SECONDS)
        adds = by_window(shell.requests(NIM_ADD))
        assert sorted(adds) == windows, f"icons were added for the windows {sorted(adds)}, not {windows}"
        for window, requests in adds.items():
            assert [r["answer"] for r in requests] == [True], f"window {window} asked to add {requests}"
        before = len(shell.requests())

        broadcast_taskbar_created()
        later = shell.requests()[before:]
        for window in windows:
            own = [(r["message"], r["answer"]) for r in later if r["window"] == window]
            # The shell refuses an icon it holds; the program then changes it, and deletes nothing.
            assert own[:2] == [(NIM_ADD, False), (NIM_MODIFY, True)], \
                f"window {window} answered a second TaskbarCreated with {own}"
        assert not shell.requests(NIM_DELETE), f"icons were deleted: {shell.requests(NIM_DELETE)}"
        assert later[-1]["held"] == 2, f"the shell holds {later[-1]['held']} icons"
    assert tovi.running()


def test_eyes_refused_at_start_are_offered_again_each_second_until_the_shell_takes_them(tovi):
    tovi.ini.write_bytes(STILL)
    taskbar = wait_until(harness.taskbar_rect, "Wine's task bar")
    with FakeShell("refuse") as shell:
        tovi.start()

        def three_offers_each():
            adds = by_window(shell.requests(NIM_ADD))
            return adds if len(adds) == 2 and all(len(r) >= 3 for r in adds.values()) else None

        adds = wait_until(three_offers_each, "three offers of each eye", details=tovi.describe)
        assert sorted(adds) == icon_windows(tovi), "the offers came from other windows than the eyes'"
        for window, requests in adds.items():
            times = [r["t"] / 1000 for r in requests]
            gaps = [later - earlier for earlier, later in zip(times, times[1:])]
            assert min(gaps) >= RETRY_SECONDS - EARLY, f"window {window} offered its eye again after {gaps} s"
        assert not harness.find_eyes(harness.desktop_screenshot(), taskbar), "eyes showed while the shell refused them"
    # The stand-in has gone: Wine's own task bar is the shell now, and the next offer is taken.
    wait_for_eyes(tovi, taskbar, 2)
    assert tovi.running()
    assert tovi.close(), "no main window to close"
    assert tovi.wait_exit() == 0

"""The eyes and the shell: a restarted shell announces itself with the
registered "TaskbarCreated" message and gets each eye once.

Wine's explorer cannot be restarted under a running program, so winprobe
stands in for the shell as the first window of class Shell_TrayWnd, where
Wine's Shell_NotifyIcon sends its requests, and holds icons as a shell just
restarted."""
import time

import harness
from harness import STILL

NIM_ADD, NIM_MODIFY, NIM_DELETE = 0, 1, 2
# Long enough for a second offer, had the program kept on offering what the shell took.
SETTLE_SECONDS = 2.5


class FakeShell(harness.Winprobe):
    def __init__(self):
        super().__init__("fake-shell", int(harness.TIMEOUT * 8000),
                         close_args=["Shell_TrayWnd", "winprobe fake shell"])
        assert self.wait_record("fake-shell")["first"], "the stand-in is not the first Shell_TrayWnd"

    def requests(self, message=None):
        return [r for r in self.records("tray-request") if message is None or r["message"] == message]

    def adds(self):
        """The NIM_ADD requests by icon window."""
        grouped = {}
        for r in self.requests(NIM_ADD):
            grouped.setdefault(r["window"], []).append(r)
        return grouped


def icon_windows(tovi):
    return sorted(w["hwnd"] for w in tovi.own_windows("ToviTrayIconWindow"))


def broadcast_taskbar_created():
    """Tells every window that the task bar was made anew; returns once all have handled it."""
    records = harness.probe("taskbar-created")
    assert records and records[0]["sent"], f"the broadcast failed: {records}"


def test_a_restarted_shell_gets_each_eye_once_and_a_second_announcement_loses_none(tovi):
    tovi.ini.write_bytes(STILL)
    tovi.start()
    harness.wait_two_eyes(tovi, harness.wait_taskbar())
    windows = icon_windows(tovi)
    assert len(windows) == 2, f"expected two icon windows, found {windows}"
    with FakeShell() as shell:
        broadcast_taskbar_created()
        time.sleep(SETTLE_SECONDS)
        adds = shell.adds()
        assert sorted(adds) == windows, f"icons were added for the windows {sorted(adds)}, not {windows}"
        assert all([r["answer"] for r in requests] == [True] for requests in adds.values()), f"added {adds}"
        before = len(shell.requests())
        broadcast_taskbar_created()
        later = shell.requests()[before:]
        for window in windows:
            own = [(r["message"], r["answer"]) for r in later if r["window"] == window]
            # The shell refuses an icon it holds; the program then changes it, and deletes nothing.
            assert own[:2] == [(NIM_ADD, False), (NIM_MODIFY, True)], f"window {window} answered with {own}"
        assert not shell.requests(NIM_DELETE), f"icons were deleted: {shell.requests(NIM_DELETE)}"
        assert later[-1]["held"] == 2, f"the shell holds {later[-1]['held']} icons"
    assert tovi.running()

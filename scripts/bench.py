"""Measures tovi.exe against the floor program (one hidden window, one 10-ms
timer) on the same Wine and display, and prints the figures that
docs/performance.md reports. Run through scripts/bench.sh, which builds the
programs and provides the X display (DISPLAY) and a fresh Wine prefix
(WINEPREFIX) whose programs share one virtual desktop with a task bar.

How each figure is taken:
- CPU time: the scheduler's nanoseconds of every thread of the program's Unix
  process (/proc/PID/task/*/schedstat) over a fixed window after it has
  settled; "wake/s" there is the threads' voluntary context switches, of
  which Wine makes one for every wait on its server, several for one wake-up.
  The Wine server works for every program (timers, messages) and explorer
  draws the tray, so their CPU over the same window is reported beside it.
- Wake-ups as a program's leaving its wait ("wakeups", "still"): every few
  milliseconds (--sample-ms) the CPU ns, voluntary switches and states of
  each program's threads are read; a sample in which any of them moved after
  one in which none did begins a wake-up. "wakeups" checks the count on
  programs whose wake-ups are known: tick_probe wait (none), tick_probe
  second (one a second) and the floor (a hundred).
- Publications: explorer runs with Wine's "systray" trace channel on, which
  logs one line per icon change it receives; Tovi's two icons make two lines
  per picture published.
- With --baseline REVISION, Tovi as it was at that commit is built in
  build/bench-baseline and measured in the same runs, interleaved, so that the
  new build is held against it under the same load.
- Peak working set: VmHWM of the Unix process at the end of its idle window.
- Start-up: bench_probe, inside the desktop, starts each program with
  CreateProcess and watches for the floor's first tick (its own time stamp)
  or for the task bar to show both eyes.
- Still cursor ("still"): Tovi beside a program that only waits in
  GetMessage (tick_probe wait) and a floor, all three measured over the same
  window: blinking off beside the floor, blinking on beside the floor that
  asks for the cursor on each tick (tick_probe cursor); switches and sampled
  wake-ups of each.
- Waking ("wake"): after a few seconds of stillness, xdotool moves the pointer
  (so Wine makes the raw input a user's mouse makes) and the time from the
  end of that move to the first icon change in explorer's log is taken.
- Share of our own code: compose_bench times each part of one change with
  QueryPerformanceCounter, with the real shell calls and with none.
"""
import argparse
import json
import math
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path, PureWindowsPath

ROOT = Path(__file__).resolve().parents[1]
SETTLE_SECONDS = 5.0
# The message the system sends the windows registered for the session's changes, and its lock and unlock.
WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, WTS_SESSION_UNLOCK = 0x2B1, 7, 8
PARTS = ("idle", "pairs", "variants", "moving", "startup", "compose", "resting", "wakeups", "still", "wake")
GOALS = {"idle_cpu": 1.15, "moving": 0.25, "own_share": 0.25, "startup": 1.25, "working_set": 1.15, "size": 1 << 20,
         "resting_cpu": 1.0, "resting_wakeups": 2.0, "still_wakeups": 2.0, "still_cpu": 0.05, "still_blink_cpu": 0.15,
         "wake_ms": 10.0, "not_worse": 1.0}
NO_BLINK_INI = b"[Eye]\r\nType=0\r\nBlink=0\r\nBlinkInterval=5000\r\n"
# Where "wake" moves the pointer in turn, in the desktop: far apart, far from the eyes and, the first, from where
# the pointer is parked, so that each move turns the pupils.
WAKE_SPOTS = ((700, 100), (100, 100))


def windows_path(path):
    return str(PureWindowsPath("Z:" + str(Path(path).resolve()).replace("/", "\\")))


class Wine:
    """The prefix of this run: its server, its explorer and helper programs."""

    def __init__(self, build):
        self.prefix = Path(os.environ["WINEPREFIX"]).resolve()
        self.tools = build / "tools"
        self.env = dict(os.environ, WINEDEBUG="-all")

    def start(self, *args, env=None, **kwargs):
        return subprocess.Popen(["wine", *map(str, args)], env=env or self.env, stdin=subprocess.DEVNULL, **kwargs)

    def run(self, *args, timeout=600):
        with tempfile.TemporaryFile() as out:
            # A file, not a pipe: a Wine process started meanwhile would inherit and hold it.
            code = subprocess.run(["wine", *map(str, args)], env=self.env, stdin=subprocess.DEVNULL, stdout=out,
                                  stderr=subprocess.STDOUT, timeout=timeout).returncode
            out.seek(0)
            text = out.read().decode("utf-8", "replace")
        if code != 0:
            raise RuntimeError(f"{' '.join(map(str, args))} failed with {code}:\n{text}")
        return text

    def close(self, window_class, title=None):
        self.run(self.tools / "winprobe.exe", "close", window_class, *([title] if title else []))

    def server_pid(self):
        """The wineserver of this prefix works in a folder named after the prefix's device and inode."""
        st = self.prefix.stat()
        name = f"server-{st.st_dev:x}-{st.st_ino:x}"
        for pid in all_pids():
            try:
                if read_text(f"/proc/{pid}/comm").startswith("wineserver") and \
                        os.readlink(f"/proc/{pid}/cwd").endswith("/" + name):
                    return pid
            except OSError:
                continue
        raise RuntimeError("the prefix's wineserver is not running")

    def explorer_pid(self):
        for pid in all_pids():
            try:
                command = Path(f"/proc/{pid}/cmdline").read_bytes().replace(b"\0", b" ").decode("utf-8", "replace")
                environ = Path(f"/proc/{pid}/environ").read_bytes().split(b"\0")
            except OSError:
                continue
            if "explorer.exe" in command.lower() and f"WINEPREFIX={self.prefix}".encode() in environ:
                return pid
        raise RuntimeError("the prefix's explorer (the desktop and its task bar) is not running")


def all_pids():
    return [int(name) for name in os.listdir("/proc") if name.isdigit()]


def read_text(path):
    return Path(path).read_text(errors="replace")


def sum_over_threads(pid, read):
    total = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            total += read(f"/proc/{pid}/task/{tid}")
        except (OSError, ValueError, IndexError):
            continue  # the thread ended meanwhile
    return total


def cpu_seconds(pid):
    """In nanoseconds from the scheduler: the clock ticks of /proc/PID/stat are 10 ms, too coarse for an idle program."""
    return sum_over_threads(pid, lambda task: int(read_text(f"{task}/schedstat").split()[0])) / 1e9


def wakeups(pid):
    def voluntary(task):
        return next(int(line.split()[1]) for line in read_text(f"{task}/status").splitlines()
                    if line.startswith("voluntary_ctxt_switches:"))
    return sum_over_threads(pid, voluntary)


class ThreadFigures:
    """The scheduler's figures of one process's threads, read through files held open (a read from the start of
    a /proc file makes it anew), so that reading them every few milliseconds costs a few microseconds a thread."""

    def __init__(self, pid):
        self.pid, self.files = pid, {}

    def close(self):
        for files in self.files.values():
            for fd in files:
                os.close(fd)
        self.files.clear()

    def read(self):
        """(CPU ns, voluntary switches, whether a thread is running or waits for a CPU), summed over the threads
        there are now."""
        try:
            tids = set(os.listdir(f"/proc/{self.pid}/task"))
        except OSError:
            tids = set()
        for tid in self.files.keys() - tids:
            for fd in self.files.pop(tid):
                os.close(fd)
        ns = switches = 0
        runnable = False
        for tid in tids:
            try:
                if tid not in self.files:
                    task = f"/proc/{self.pid}/task/{tid}"
                    self.files[tid] = (os.open(f"{task}/schedstat", os.O_RDONLY), os.open(f"{task}/status", os.O_RDONLY))
                schedstat, status = (os.pread(fd, 4096, 0) for fd in self.files[tid])
                ns += int(schedstat.split()[0])
                at = status.index(b"voluntary_ctxt_switches:")
                switches += int(status[at + 24:status.index(b"\n", at)])
                runnable |= b"State:\tR" in status
            except (OSError, ValueError):
                continue  # the thread ended meanwhile
        return ns, switches, runnable


def sample_activity(pids, seconds, period):
    """Counts each program's wake-ups over `seconds` as its stretches of activity: every `period` seconds the
    figures of all its threads are read, and a sample in which its CPU ns or voluntary switches grew, or in which a
    thread was running, after one in which none of that was so begins a wake-up. The round trips to the Wine
    server inside one wake-up fall within one stretch unless the server keeps one waiting longer than a period.
    Two wake-ups less than a period apart count as one, so no count can exceed one in two periods: the ceiling.
    Returns the counts by name and what the sampling achieved."""
    figures = {name: ThreadFigures(pid) for name, pid in pids.items()}
    try:
        last = {name: each.read() for name, each in figures.items()}
        active = {name: False for name in pids}
        woken = dict.fromkeys(pids, 0)
        start = previous = time.monotonic()
        own_cpu = time.process_time()
        intervals, due = [], start + period
        while previous < start + seconds:
            time.sleep(max(0.0, due - time.monotonic()))
            now = time.monotonic()
            for name, each in figures.items():
                ns, switches, runnable = now_figures = each.read()
                busy = runnable or (ns, switches) != last[name][:2]
                woken[name] += busy and not active[name]
                active[name], last[name] = busy, now_figures
            intervals.append(now - previous)
            previous = now
            # A sampler that fell behind takes up the beat from now, not the samples it missed.
            due = max(due + period, now + period / 2)
    finally:
        for each in figures.values():
            each.close()
    own_cpu = time.process_time() - own_cpu
    intervals.sort()
    return woken, {"samples": len(intervals), "median_ms": statistics.median(intervals) * 1e3,
                   "own_cpu": own_cpu / (previous - start),
                   "p99_ms": intervals[int(len(intervals) * 0.99)] * 1e3,
                   "late": sum(i > 2 * period for i in intervals) / len(intervals)}


def build_baseline(revision, jobs):
    """Tovi as it was at `revision`, built from a copy of that commit; returns the folder of its tovi.exe."""
    full = subprocess.run(["git", "-C", str(ROOT), "rev-parse", "--verify", revision + "^{commit}"],
                          capture_output=True, text=True, check=True).stdout.strip()
    where = ROOT / "build" / "bench-baseline"
    source, stamp, build = where / "source", where / "revision", where / "build"
    if not stamp.exists() or stamp.read_text() != full:
        shutil.rmtree(where, ignore_errors=True)
        source.mkdir(parents=True)
        archive = subprocess.Popen(["git", "-C", str(ROOT), "archive", full], stdout=subprocess.PIPE)
        subprocess.run(["tar", "-x", "-C", str(source)], stdin=archive.stdout, check=True)
        if archive.wait() != 0:
            raise RuntimeError(f"git archive {full} failed")
        stamp.write_text(full)
    subprocess.run(["cmake", "-S", str(source), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                    f"-DCMAKE_TOOLCHAIN_FILE={source / 'cmake' / 'mingw-w64.cmake'}"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", str(build), "-j", str(jobs), "--target", "tovi"], check=True,
                   stdout=subprocess.DEVNULL)
    return build / "tovi"


def resident_by_mapping(pid):
    """Resident bytes of each mapped file (anonymous memory and the heap by their kind)."""
    sizes, name = {}, "[anonymous]"
    for line in read_text(f"/proc/{pid}/smaps").splitlines():
        head = line.split()
        if head and "-" in head[0] and len(head) >= 5 and not head[0].endswith(":"):
            name = Path(head[5]).name if len(head) > 5 else "[anonymous]"
        elif line.startswith("Rss:"):
            sizes[name] = sizes.get(name, 0) + int(head[1]) * 1024
    return sizes


def peak_working_set(pid):
    for line in read_text(f"/proc/{pid}/status").splitlines():
        if line.startswith("VmHWM:"):
            return int(line.split()[1]) * 1024
    raise RuntimeError(f"no VmHWM for {pid}")


class Tray:
    """Counts the icon changes explorer logs (Wine's systray trace channel)."""

    def __init__(self, log):
        self.log = log

    def mark(self):
        return self.log.stat().st_size

    def changes_between(self, start, end):
        with open(self.log, "rb") as f:
            f.seek(start)
            return f.read(end - start).count(b":systray:modify_icon")

    def first_change_after(self, start, deadline):
        """The monotonic time at which an icon change after `start` is first seen (polled every half
        millisecond; explorer writes each line whole), or None by the deadline."""
        while time.monotonic() < deadline:
            end = self.mark()
            if end > start and self.changes_between(start, end):
                return time.monotonic()
            time.sleep(0.0005)
        return None


class Program:
    def __init__(self, name, exe, window_class, title, *args):
        self.name, self.exe, self.window_class, self.title, self.args = name, exe, window_class, title, args


def window_sample(tray, pid, others):
    return {"time": time.monotonic(), "cpu": cpu_seconds(pid), "wakeups": wakeups(pid), "tray": tray.mark(),
            **{name: cpu_seconds(other) for name, other in others.items()}}


def stop_program(wine, program, process):
    """Closes the program's window and waits for it to end; kills it when that fails."""
    try:
        wine.close(program.window_class, program.title)
        process.wait(30)
    except (RuntimeError, subprocess.TimeoutExpired):
        process.kill()
        process.wait(30)


def measure_window(wine, tray, program, others, seconds, during=None, beside=(), sample_period=None):
    """Starts the program, lets it settle, measures it over `seconds`, ends it. The programs `beside` run
    along from start to end, each one's CPU and voluntary switches taken over the same window (under its name,
    and its name with " wakeups"). With `sample_period` (seconds), the window's wake-ups of each are counted
    by sample_activity ("woken", and the name with " woken")."""
    started = [(each, wine.start(each.exe, *each.args)) for each in (program, *beside)]
    process = started[0][1]
    try:
        time.sleep(SETTLE_SECONDS)
        for each, running in started:
            if running.poll() is not None:
                raise RuntimeError(f"{each.name} ended early with {running.returncode}")
        mover = during() if during else None
        pids = dict(others, **{each.name: running.pid for each, running in started[1:]})

        def sample():
            return dict(window_sample(tray, process.pid, pids),
                        **{f"{each.name} wakeups": wakeups(running.pid) for each, running in started[1:]})
        before = sample()
        if sample_period:
            woken, sampling = sample_activity({each.name: running.pid for each, running in started}, seconds,
                                              sample_period)
        else:
            time.sleep(seconds)
        after = sample()
        if mover:
            mover.kill()
            mover.wait()
        peak = peak_working_set(process.pid)
        mappings = resident_by_mapping(process.pid)
    finally:
        for each, running in started:
            stop_program(wine, each, running)
    wall = after["time"] - before["time"]
    result = {"program": program.name, "wall": wall, "peak_working_set": peak, "mappings": mappings,
              "changes": tray.changes_between(before["tray"], after["tray"])}
    for key in before.keys() - {"time", "tray"}:
        result[key] = after[key] - before[key]
    if sample_period:
        result.update(woken=woken.pop(program.name), sampling=sampling,
                      **{f"{name} woken": count for name, count in woken.items()})
    return result


def task_totals(pid):
    """CPU nanoseconds and wake-ups over all its threads."""
    return round(cpu_seconds(pid) * 1e9), wakeups(pid)


def measure_resting(wine, program, seconds, lock):
    """Starts the program, lets it settle, locks its session (as the system
    tells its main window) if asked, and measures CPU and wake-ups over `seconds`."""
    winprobe = wine.tools / "winprobe.exe"
    process = wine.start(program.exe, *program.args)
    try:
        time.sleep(SETTLE_SECONDS)
        if process.poll() is not None:
            raise RuntimeError(f"{program.name} ended early with {process.returncode}")
        if lock:
            wine.run(winprobe, "send", program.window_class, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK)
            time.sleep(1)
        start, (ns, switches) = time.monotonic(), task_totals(process.pid)
        time.sleep(seconds)
        end, (ns_after, switches_after) = time.monotonic(), task_totals(process.pid)
        if lock:
            wine.run(winprobe, "send", program.window_class, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK)
    finally:
        stop_program(wine, program, process)
    return {"program": program.name + (", locked" if lock else ""), "wall": end - start,
            "cpu_ns": ns_after - ns, "wakeups": switches_after - switches}


def measure_wake(wine, tray, program, origin, moves, still_seconds):
    """Starts the program, lets it settle, then `moves` times leaves the pointer still for `still_seconds` and
    moves it with xdotool to the other of two spots; each move's latency runs from xdotool's end (the X server
    has the move by then) to explorer's first icon change. A move whose stillness saw an icon change is kept
    apart as disturbed: it did not come after stillness."""
    process = wine.start(program.exe, *program.args)
    records = []
    try:
        time.sleep(SETTLE_SECONDS)
        if process.poll() is not None:
            raise RuntimeError(f"{program.name} ended early with {process.returncode}")
        for move in range(moves):
            calm = tray.mark()
            time.sleep(still_seconds)
            mark = tray.mark()
            x, y = WAKE_SPOTS[move % 2]
            before = time.monotonic()
            subprocess.run(["xdotool", "mousemove", str(origin[0] + x), str(origin[1] + y)], check=True, timeout=60)
            moved = time.monotonic()
            changed = tray.first_change_after(mark, moved + 2.5)
            records.append({"program": program.name, "xdotool_ms": (moved - before) * 1e3,
                            "ms": None if changed is None else (changed - moved) * 1e3,
                            "disturbed": tray.changes_between(calm, mark) > 0})
            time.sleep(0.2)  # the second icon's change, before the next stillness
    finally:
        stop_program(wine, program, process)
    return records


def desktop_origin():
    out = subprocess.run(["xdotool", "search", "--name", "^shell - Wine desktop$", "getwindowgeometry", "--shell"],
                         capture_output=True, text=True, timeout=60).stdout
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return int(values.get("X", 0)), int(values.get("Y", 0))


def park_cursor(origin):
    subprocess.run(["xdotool", "mousemove", str(origin[0] + 200), str(origin[1] + 150)], check=True, timeout=60)


def start_mover(origin, seconds, work):
    """xdotool moving the pointer round a circle in the desktop, a step every 10 ms."""
    steps = int(seconds * 100) + 500
    cx, cy, radius = origin[0] + 400, origin[1] + 250, 150
    lines = []
    for i in range(steps):
        angle = 2 * math.pi * i / 97
        lines.append(f"mousemove {cx + round(radius * math.cos(angle))} {cy + round(radius * math.sin(angle))}")
        lines.append("sleep 0.01")
    script = work / "mover.xdo"
    script.write_text("\n".join(lines) + "\n")
    return subprocess.Popen(["xdotool", str(script)], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)


def median(values):
    return statistics.median(values) if values else float("nan")


def ratio(a, b):
    return a / b if b else float("inf")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", type=Path, required=True)
    parser.add_argument("--work", type=Path, required=True)
    parser.add_argument("--runs", type=int, default=5, help="runs of each program for the CPU figures")
    parser.add_argument("--idle-seconds", type=float, default=30.0)
    parser.add_argument("--move-seconds", type=float, default=20.0)
    parser.add_argument("--startup-runs", type=int, default=15)
    parser.add_argument("--compose-runs", type=int, default=3)
    parser.add_argument("--variant-runs", type=int, default=3, help="runs of each tick_probe way")
    parser.add_argument("--wake-moves", type=int, default=10, help="moves after stillness in each run of \"wake\"")
    parser.add_argument("--still-seconds", type=float, default=3.0, help="stillness before each of those moves")
    parser.add_argument("--sample-ms", type=float, default=5.0,
                        help="how often \"wakeups\" and \"still\" read the programs' figures to count wake-ups")
    parser.add_argument("--xvfb-pid", type=int, help="the X server, whose CPU is reported too")
    parser.add_argument("--baseline", metavar="REVISION",
                        help="also build Tovi at this commit and measure it in the same runs (e.g. c7ea8cd)")
    parser.add_argument("--parts", default=",".join(PARTS),
                        help=f"which measurements to take, of {','.join(PARTS)} (all by default)")
    args = parser.parse_args()
    parts = set(args.parts.split(","))
    if not parts <= set(PARTS):
        parser.error(f"unknown parts: {', '.join(sorted(parts - set(PARTS)))}")

    build, work = args.build.resolve(), args.work.resolve()
    baseline_build = None
    if args.baseline:
        print(f"building the baseline, {args.baseline}", file=sys.stderr, flush=True)
        baseline_build = build_baseline(args.baseline, os.cpu_count() or 1)
    if work.exists():
        shutil.rmtree(work)
    work.mkdir(parents=True)
    wine = Wine(build)
    tovi_dir = work / "tovi"
    shutil.copytree(build / "tovi", tovi_dir)
    quiet_dir = work / "tovi-no-blink"
    shutil.copytree(build / "tovi", quiet_dir)
    (quiet_dir / "tovi.ini").write_bytes(NO_BLINK_INI)
    floor = Program("floor", build / "tools" / "floor.exe", "ToviFloor", "Floor")
    tovi = Program("tovi", tovi_dir / "tovi.exe", "TFrmMain", "Tovi")
    tovi_quiet = Program("tovi, no blinking", quiet_dir / "tovi.exe", "TFrmMain", "Tovi")
    probe = build / "tools" / "tick_probe.exe"
    search, tick_tovi, cursor_floor, waiting, second = [Program(f"tick_probe {mode}", probe, "ToviTickProbe",
                                                                f"Tick probe {mode}", mode)
                                                        for mode in ("search", "tovi", "cursor", "wait", "second")]
    variants = [search, tick_tovi]
    baseline, baseline_quiet = [], []
    if baseline_build:
        shutil.copytree(baseline_build, work / "baseline")
        baseline = [Program("baseline", work / "baseline" / "tovi.exe", "TFrmMain", "Tovi")]
        shutil.copytree(baseline_build, work / "baseline-no-blink")
        (work / "baseline-no-blink" / "tovi.ini").write_bytes(NO_BLINK_INI)
        baseline_quiet = [Program("baseline, no blinking", work / "baseline-no-blink" / "tovi.exe", "TFrmMain",
                                  "Tovi")]

    # The holder keeps the desktop up between programs; explorer inherits its
    # trace settings and its standard error, the log of icon changes.
    tray_log = work / "explorer.log"
    with open(tray_log, "wb") as log:
        holder = wine.start(build / "tools" / "bench_probe.exe", "hold",
                            env=dict(wine.env, WINEDEBUG="-all,trace+systray"), stdout=log, stderr=log)
    tray = Tray(tray_log)
    results = {"idle": [], "pairs": [], "variants": [], "moving": [], "startup": [], "compose": [], "resting": [],
               "wakeups": [], "still": [], "wake": []}
    try:
        deadline = time.monotonic() + 60
        while True:
            try:
                others = {"wineserver": wine.server_pid(), "explorer": wine.explorer_pid(),
                          **({"xvfb": args.xvfb_pid} if args.xvfb_pid else {})}
                break
            except RuntimeError:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.5)
        time.sleep(SETTLE_SECONDS)
        origin = desktop_origin()
        park_cursor(origin)

        def progress(text):
            print(text, file=sys.stderr, flush=True)

        def in_turns(part, order, label, measure):
            """Each program once a run, the order turning from run to run, so that a drift of the machine's load
            falls on each alike; `measure` gives a program's records."""
            for run in range(args.runs if part in parts else 0):
                for program in order[run % len(order):] + order[:run % len(order)]:
                    progress(f"{label} {run + 1}/{args.runs}: {program.name}")
                    park_cursor(origin)
                    results[part] += [dict(record, run=run) for record in measure(program)]

        in_turns("idle", [floor, tovi, tovi_quiet] + baseline, "idle",
                 lambda program: [measure_window(wine, tray, program, others, args.idle_seconds)])
        # Each beside a floor of its own, both under the same load.
        in_turns("pairs", [tovi, tovi_quiet] + baseline, "idle beside a floor",
                 lambda program: [measure_window(wine, tray, program, others, args.idle_seconds, beside=[floor])])
        for run in range(args.variant_runs if "variants" in parts else 0):
            for program in [floor] + variants:
                progress(f"idle {run + 1}/{args.variant_runs}: {program.name}")
                park_cursor(origin)
                results["variants"].append(measure_window(wine, tray, program, others, args.idle_seconds))
        in_turns("moving", [floor, tovi] + baseline, "moving cursor", lambda program: [measure_window(
            wine, tray, program, others, args.move_seconds,
            during=lambda: start_mover(origin, args.move_seconds + 2, work))])
        for run in range(args.runs if "resting" in parts else 0):
            order = [(floor, False), (tovi, False), (tovi, True)]
            for program, lock in order[run % 3:] + order[:run % 3]:
                progress(f"resting {run + 1}/{args.runs}: {program.name}{', locked' if lock else ''}")
                park_cursor(origin)
                results["resting"].append(measure_resting(wine, program, args.idle_seconds, lock))
        sample_period = args.sample_ms / 1e3
        # The wake-up count on programs whose wake-ups are known: none, one a second, a hundred a second.
        in_turns("wakeups", [second], "wake-ups of programs that wake never, each second, every 10 ms",
                 lambda program: [measure_window(wine, tray, program, others, args.idle_seconds,
                                                 beside=[waiting, floor], sample_period=sample_period)])
        # Each beside a program that only waits and the floor it is held against, all under the same load.
        held_against = {tovi_quiet.name: floor}
        in_turns("still", [tovi, tovi_quiet] + baseline, "still beside a waiting program and a floor",
                 lambda program: [measure_window(wine, tray, program, others, args.idle_seconds,
                                                 beside=[waiting, held_against.get(program.name, cursor_floor)],
                                                 sample_period=sample_period)])
        in_turns("wake", [tovi_quiet] + baseline_quiet, f"waking after stillness ({args.wake_moves} moves)",
                 lambda program: measure_wake(wine, tray, program, origin, args.wake_moves, args.still_seconds))
        park_cursor(origin)

        if "startup" in parts:
            progress(f"start-up: {args.startup_runs} starts of each")
            lines = wine.run(build / "tools" / "bench_probe.exe", "startup", windows_path(floor.exe),
                             windows_path(tovi.exe), args.startup_runs, windows_path(work / "first-tick.txt"),
                             *[windows_path(program.exe) for program in baseline])
            results["startup"] = [json.loads(line) for line in lines.splitlines() if line.startswith("{")]

        for run in range(args.compose_runs if "compose" in parts else 0):
            for mode, rounds in (("shell", 2000), ("no-shell", 10000), ("ticks", 20000)):
                progress(f"compose_bench {run + 1}/{args.compose_runs}: {mode}")
                before = {name: cpu_seconds(pid) for name, pid in others.items()}
                text = wine.run(build / "tools" / "compose_bench.exe", mode, rounds)
                spent = {name: cpu_seconds(pid) - before[name] for name, pid in others.items()}
                for line in text.splitlines():
                    if line.startswith("{"):
                        record = json.loads(line)
                        record.update(run=run, **{f"{k}_us_per_round": v * 1e6 / rounds for k, v in spent.items()})
                        results["compose"].append(record)
    finally:
        try:
            wine.close("ToviBenchHold")
            holder.wait(30)
        except (RuntimeError, subprocess.TimeoutExpired):
            holder.kill()
            holder.wait(30)

    results["size"] = (tovi_dir / "tovi.exe").stat().st_size
    if baseline:
        results["baseline_size"] = baseline[0].exe.stat().st_size
    (work / "results.json").write_text(json.dumps(results, indent=1))
    report(results, args)


def report(results, args):
    measured = results["idle"] + results["pairs"] + results["variants"] + results["moving"] + results["still"]
    helpers = [name for name in ("wineserver", "explorer", "xvfb")
               if any(name in r for r in measured) or any(f"{name}_us_per_round" in r for r in results["compose"])]
    has_baseline = any(r["program"] == "baseline" for r in measured) or \
        any(r.get("program") == "baseline" for r in results["startup"])
    verdicts = []

    def rate(records, name, key):
        return median([r[key] / r["wall"] for r in records if r["program"] == name])

    def with_server(records, name):
        return median([(r["cpu"] + r["wineserver"]) / r["wall"] for r in records if r["program"] == name])

    def everything(record):
        return (record["cpu"] + sum(record[h] for h in helpers)) / record["wall"]

    def per_run_ratios(records, name, other, value):
        by_run = {}
        for r in records:
            by_run.setdefault(r["run"], {})[r["program"]] = value(r)
        return [run[name] / run[other] for run in by_run.values() if name in run and run.get(other)]

    def cpu_table(records, names):
        floor_cpu, floor_both = rate(records, "floor", "cpu"), with_server(records, "floor")
        print(f"  {'':22} {'own CPU':>9} {'ratio':>6} {'wake/s':>7} {'+server':>9} {'ratio':>6}" +
              "".join(f" {h:>10}" for h in helpers[1:]) + f" {'all':>8} {'pub/s':>7}")
        for name in names:
            cpu, both = rate(records, name, "cpu"), with_server(records, name)
            print(f"  {name:22} {cpu * 1e3:9.2f} {ratio(cpu, floor_cpu):6.3f} {rate(records, name, 'wakeups'):7.1f} "
                  f"{both * 1e3:9.2f} {ratio(both, floor_both):6.3f}" +
                  "".join(f" {rate(records, name, h) * 1e3:10.2f}" for h in helpers[1:]) +
                  f" {median([everything(r) for r in records if r['program'] == name]) * 1e3:8.2f}"
                  f" {rate(records, name, 'changes') / 2:7.2f}")
        return floor_cpu

    def programs(records, names):
        return [name for name in names if any(r["program"] == name for r in records)]

    idle = results["idle"]
    if idle:
        print(f"\n== Idle, cursor still: CPU in ms per second over {args.idle_seconds:g} s, "
              f"median of {args.runs} runs")
        print("   (own: the program's Unix process; wake/s: its voluntary context switches; +server: with the")
        print("    wineserver's CPU in the same window; all: with explorer's and Xvfb's too; pub/s: pictures")
        print("    published per second, from explorer's log)")
        floor_cpu = cpu_table(idle, programs(idle, ["floor", "tovi", "tovi, no blinking", "baseline"]))
        own = per_run_ratios(idle, "tovi", "floor", lambda r: r["cpu"] / r["wall"])
        print(f"  tovi / floor in each run: {', '.join(f'{v:.3f}' for v in own)}")
        verdicts.append(("idle CPU, tovi / floor in turn", ratio(rate(idle, "tovi", "cpu"), floor_cpu), GOALS["idle_cpu"]))

    pairs = results["pairs"]
    if pairs:
        print(f"\n== Idle, cursor still, each program beside a floor started with it and measured in the same window:")
        print(f"   CPU in ms per second over {args.idle_seconds:g} s, median of {args.runs} runs")
        print(f"  {'':22} {'own CPU':>9} {'floor':>9} {'ratio':>6} {'wake/s':>7} {'floor':>7}  ratio in each run")
        for name in programs(pairs, ["tovi", "tovi, no blinking", "baseline"]):
            records = [r for r in pairs if r["program"] == name]
            each = [r["cpu"] / r["floor"] for r in records]
            print(f"  {name:22} {rate(pairs, name, 'cpu') * 1e3:9.2f} {rate(pairs, name, 'floor') * 1e3:9.2f} "
                  f"{median(each):6.3f} {rate(pairs, name, 'wakeups'):7.1f} {rate(pairs, name, 'floor wakeups'):7.1f}"
                  f"  {', '.join(f'{v:.3f}' for v in each)}")
            if name == "tovi":
                verdicts.append(("idle CPU, tovi / floor beside it", median(each), GOALS["idle_cpu"]))

    if results["variants"]:
        print(f"\n== Idle, the tick's inputs alone (tick_probe), median of {args.variant_runs} runs")
        cpu_table(results["variants"], ["floor"] + sorted({r["program"] for r in results["variants"]} - {"floor"}))

    moving = results["moving"]
    tovi_moving = [r for r in moving if r["program"] == "tovi" and r["changes"]]
    if any(r["program"] == "tovi" for r in moving):
        print(f"\n== Moving cursor (xdotool, a step every 10 ms): {args.move_seconds:g} s, "
              f"median of {args.runs} runs")
        cpu_table(moving, programs(moving, ["floor", "tovi", "baseline"]))
    if tovi_moving:
        per = median([r["cpu"] / (r["changes"] / 2) for r in tovi_moving])
        print(f"  tovi's CPU per publication {per * 1e6:.0f} us; elsewhere: " + ", ".join(
            f"{h} {median([r[h] / (r['changes'] / 2) for r in tovi_moving]) * 1e6:.0f} us" for h in helpers))
    if has_baseline and moving:
        for what, value in (("publications", lambda r: r["changes"] / r["wall"]), ("CPU of all processes", everything),
                            ("own CPU", lambda r: r["cpu"] / r["wall"])):
            overall = ratio(median([value(r) for r in moving if r["program"] == "tovi"]),
                            median([value(r) for r in moving if r["program"] == "baseline"]))
            runs = per_run_ratios(moving, "tovi", "baseline", value)
            print(f"  {what}, new / baseline: {overall:.3f} (in each run: {', '.join(f'{v:.3f}' for v in runs)}; "
                  f"their median {median(runs):.3f})")
            if what != "own CPU":
                verdicts.append((f"moving: {what}, new / baseline", overall, GOALS["moving"]))
            if what != "publications":
                verdicts.append((f"no worse, moving: {what}, new / baseline (runs' ratios)", median(runs),
                                 GOALS["not_worse"]))

    compose = results["compose"]
    if compose:
        def part(mode, name, key="median_us"):
            return median([r[key] for r in compose
                           if r["kind"] == "part" and r["mode"] == mode and r["part"] == name])

        def per_round(mode, key):
            return median([r[key] for r in compose if r["kind"] == "rounds" and r["mode"] == mode])

        print(f"\n== One change part by part (compose_bench, {args.compose_runs} runs; wall time in us, median)")
        names = ("compose", "icon", "publish1", "publish2", "change")
        print(f"  {'':9}" + "".join(f" {n:>9}" for n in names) + f" {'CPU/round':>10}" +
              "".join(f" {h:>10}" for h in helpers))
        for mode in ("shell", "no-shell"):
            print(f"  {mode:9}" + "".join(f" {part(mode, n):9.1f}" for n in names) +
                  f" {per_round(mode, 'cpu_us_per_round'):10.1f}" +
                  "".join(f" {per_round(mode, h + '_us_per_round'):10.1f}" for h in helpers))
        own = part("no-shell", "change")
        shell = sum(part("shell", n) - part("no-shell", n) for n in ("publish1", "publish2"))
        share = ratio(own, own + shell)
        own_cpu = per_round("no-shell", "cpu_us_per_round")
        all_cpu = per_round("shell", "cpu_us_per_round") + sum(per_round("shell", h + "_us_per_round")
                                                               for h in helpers if h != "xvfb")
        print(f"  own code {own:.1f} us (compose {part('no-shell', 'compose'):.1f}, icon "
              f"{part('no-shell', 'icon'):.1f}, the old icon's end {part('no-shell', 'publish2'):.1f}); "
              f"two shell calls {shell:.1f} us")
        print(f"  own share of one change: {share:.3f} of the wall time; by CPU, {own_cpu:.0f} of {all_cpu:.0f} us "
              f"({ratio(own_cpu, all_cpu):.3f}) counting the process, wineserver and explorer")
        verdicts.append(("own code / one change", share, GOALS["own_share"]))
        print("  every tick before anything changes: " + ", ".join(
            f"{label} {part('ticks', name):.1f} us" for name, label in
            (("tick-cursor", "cursor"), ("tick-tray-rect", "task bar rectangle"), ("tick-gaze", "gaze test"),
             ("tick-inputs", "together"))))

    resting = results["resting"]
    if resting:
        print(f"\n== Resting (session locked), cursor still: {args.idle_seconds:g} s, median of {args.runs} runs")
        print("   (CPU from /proc/PID/task/*/schedstat; wake-ups: voluntary context switches, /proc/PID/task/*/status)")
        floor_cpu, floor_wakeups = rate(resting, "floor", "cpu_ns"), rate(resting, "floor", "wakeups")
        print(f"  {'':22} {'CPU ms/s':>9} {'ratio':>6} {'wake-ups/s':>11} {'ratio':>6}")
        for name in ("floor", "tovi", "tovi, locked"):
            cpu, wakeups = rate(resting, name, "cpu_ns"), rate(resting, name, "wakeups")
            print(f"  {name:22} {cpu / 1e6:9.3f} {ratio(cpu, floor_cpu):6.3f} {wakeups:11.2f} "
                  f"{ratio(wakeups, floor_wakeups):6.3f}")
        verdicts.append(("resting CPU, tovi / floor", ratio(rate(resting, "tovi, locked", "cpu_ns"), floor_cpu),
                         GOALS["resting_cpu"]))
        verdicts.append(("resting wake-ups per second", rate(resting, "tovi, locked", "wakeups"),
                         GOALS["resting_wakeups"]))

    def of(record, name, key):
        """A figure of the program `name` in a window's record, whether it was the window's own or beside it."""
        if record["program"] == name:
            return record[key]
        return record[name if key == "cpu" else f"{name} {key}"]

    def per_second(records, name, key, minus=None):
        return median([(of(r, name, key) - (of(r, minus, key) if minus else 0)) / r["wall"] for r in records])

    def sampling_line(records):
        achieved = median([r["sampling"]["median_ms"] for r in records])
        print(f"  sampled every {args.sample_ms:g} ms: achieved {achieved:.2f} ms between samples (median of the "
              f"windows' medians), 99th percentile {median([r['sampling']['p99_ms'] for r in records]):.2f} ms, "
              f"{median([r['sampling']['late'] for r in records]) * 100:.1f} % of the gaps over two periods;")
        print(f"  the count's ceiling, one wake-up in two samples: {1e3 / (2 * achieved):.0f} a second; the sampler "
              f"took {median([r['sampling']['own_cpu'] for r in records]) * 1e3:.2f} ms of CPU a second")

    references = results["wakeups"]
    if references:
        print(f"\n== Wake-ups counted from outside (stretches of activity seen by sampling every "
              f"{args.sample_ms:g} ms) on programs")
        print(f"   whose wake-ups are known, all three in the same window: {args.idle_seconds:g} s, median of "
              f"{len(references)} runs")
        print("   (switch/s: voluntary context switches; wake/s: the sampled wake-ups; CPU/wake: CPU per wake-up)")
        print(f"  {'':22} {'known':>8} {'CPU ms/s':>9} {'switch/s':>9} {'wake/s':>8} {'CPU/wake us':>12}  "
              "wake/s in each run")
        for name, known in (("tick_probe wait", "never"), ("tick_probe second", "1/s"), ("floor", "100/s")):
            per_wake = median([of(r, name, "cpu") / of(r, name, "woken") for r in references if of(r, name, "woken")])
            runs = [of(r, name, "woken") / r["wall"] for r in references]
            print(f"  {name:22} {known:>8} {per_second(references, name, 'cpu') * 1e3:9.3f} "
                  f"{per_second(references, name, 'wakeups'):9.2f} {median(runs):8.2f} {per_wake * 1e6:12.1f}  "
                  f"{', '.join(f'{v:.2f}' for v in runs)}")
        sampling_line(references)

    still = results["still"]
    if still:
        waiting = "tick_probe wait"
        print(f"\n== Still cursor, each program beside one that only waits in GetMessage ({waiting}) and a floor,")
        print(f"   all three measured in the same window: {args.idle_seconds:g} s, median of {args.runs} runs; "
              "CPU in ms per second")
        print("   (above: own minus the waiting program's; beside: the floor (bare 10-ms timer) beside blinking off,")
        print("    the cursor floor (tick_probe cursor, GetCursorPos on each tick) beside the others; ratio: own CPU")
        print("    to the floor's beside, for blinking off the CPU above the waiting program to it, in each window;")
        print("    switch/s: voluntary context switches, every wait for the Wine server one)")
        print(f"  {'':22} {'own CPU':>8} {'waiting':>8} {'above':>8} {'switch/s':>8} {'waiting':>7} {'above':>7} "
              f"{'beside':>7} {'its CPU':>8} {'switch/s':>8} {'ratio':>6} {'pub/s':>5}  ratio in each window")
        floors = {}
        for name in programs(still, ["tovi", "tovi, no blinking", "baseline"]):
            records = [r for r in still if r["program"] == name]
            quiet = name == "tovi, no blinking"
            floor = floors[name] = "floor" if quiet else "tick_probe cursor"
            each = [(r["cpu"] - r[waiting] if quiet else r["cpu"]) / r[floor] for r in records]
            print(f"  {name:22} {rate(still, name, 'cpu') * 1e3:8.3f} {rate(still, name, waiting) * 1e3:8.3f} "
                  f"{per_second(records, name, 'cpu', waiting) * 1e3:8.3f} "
                  f"{rate(still, name, 'wakeups'):8.1f} {rate(still, name, f'{waiting} wakeups'):7.1f} "
                  f"{per_second(records, name, 'wakeups', waiting):7.1f} {floor.split()[-1]:>7} "
                  f"{rate(still, name, floor) * 1e3:8.3f} "
                  f"{rate(still, name, f'{floor} wakeups'):8.1f} {median(each):6.3f} "
                  f"{rate(still, name, 'changes') / 2:5.2f}  "
                  f"{', '.join(f'{v:.3f}' for v in each)}")
            if quiet:
                verdicts.append(("still, no blinking: CPU above waiting / floor", median(each), GOALS["still_cpu"]))
            elif name == "tovi":
                verdicts.append(("still, blinking: CPU / cursor floor", median(each), GOALS["still_blink_cpu"]))
        blinking = rate(still, "tovi", "cpu") - rate(still, "tovi, no blinking", "cpu")
        print(f"  blinking costs tovi {blinking * 1e3:.2f} ms/s more than blinking off (the medians of their own "
              f"windows), {ratio(blinking, rate(still, 'tovi', 'tick_probe cursor')):.3f} of the cursor floor")
        if all("sampling" in r for r in still):
            print("  wake-ups a second, sampled (as in \"Wake-ups counted from outside\"), in the same windows; CPU/wake:")
            print("  the CPU above the waiting program per wake-up above it")
            print(f"  {'':22} {'own':>7} {'waiting':>8} {'above':>7} {'beside':>7} {'its':>7} {'CPU/wake us':>12}"
                  "  above in each window")
            for name in programs(still, ["tovi", "tovi, no blinking", "baseline"]):
                records = [r for r in still if r["program"] == name]
                above = [(r["woken"] - r[f"{waiting} woken"]) / r["wall"] for r in records]
                per_wake = median([(r["cpu"] - r[waiting]) / (r["woken"] - r[f"{waiting} woken"])
                                   for r in records if r["woken"] > r[f"{waiting} woken"]])
                print(f"  {name:22} {per_second(records, name, 'woken'):7.2f} "
                      f"{per_second(records, waiting, 'woken'):8.2f} {median(above):7.2f} "
                      f"{floors[name].split()[-1]:>7} {per_second(records, floors[name], 'woken'):7.2f} "
                      f"{per_wake * 1e6:12.1f}  {', '.join(f'{v:.2f}' for v in above)}")
                if name == "tovi, no blinking":
                    switches = per_second(records, name, "wakeups", waiting)
                    verdicts.append((f"still, no blinking: wake-ups/s above waiting (switches {switches:.1f}/s)",
                                     median(above), GOALS["still_wakeups"]))
            sampling_line(still)

    wake = results["wake"]
    if wake:
        print(f"\n== Waking: {args.wake_moves} moves (xdotool) in each of {args.runs} runs, each after "
              f"{args.still_seconds:g} s of stillness, blinking off;")
        print("   ms from the end of xdotool's move to the first icon change in explorer's log")
        print(f"  {'':22} {'median':>7} {'fastest':>8} {'slowest':>8} {'none':>5} {'disturbed':>9}  median in each run")

        def latencies(name, run=None):
            # A move the eyes never showed counts as endless.
            return [math.inf if r["ms"] is None else r["ms"] for r in wake
                    if r["program"] == name and not r["disturbed"] and run in (None, r["run"])]

        for name in programs(wake, ["tovi, no blinking", "baseline, no blinking"]):
            ms = latencies(name)
            mine = [r for r in wake if r["program"] == name]
            runs = sorted({r["run"] for r in mine})
            print(f"  {name:22} {median(ms):7.1f} {min(ms, default=math.nan):8.1f} {max(ms, default=math.nan):8.1f} "
                  f"{sum(r['ms'] is None for r in mine):5} {sum(r['disturbed'] for r in mine):9}  " +
                  ", ".join(f"{median(latencies(name, run)):.1f}" for run in runs))
        print(f"  (xdotool took {median([r['xdotool_ms'] for r in wake]):.1f} ms, the median, most of it starting; it "
              "sends the move just before it ends)")
        if any(r["program"] == "baseline, no blinking" for r in wake):
            late = median(latencies("tovi, no blinking")) - median(latencies("baseline, no blinking"))
            print(f"  new minus baseline: {late:.1f} ms")
            verdicts.append(("wake: new minus baseline latency, ms", late, GOALS["wake_ms"]))

    starts = results["startup"]
    if starts:
        def start_times(name):
            return {r["run"]: r["ms"] for r in starts if r.get("program") == name}

        floor_ms = start_times("floor")
        print(f"\n== Start-up (ms): floor to its first tick, tovi to both eyes on the task bar, {len(floor_ms)} runs")
        print(f"  {'floor':8} median {median(list(floor_ms.values())):7.1f}, fastest {min(floor_ms.values()):7.1f}"
              f"  (runs {', '.join(f'{v:.0f}' for v in floor_ms.values())})")
        for name in ("tovi", "baseline"):
            times = start_times(name)
            if not times:
                continue
            # Each start follows the floor's of the same run at once: the pair saw the same load.
            own = median([ms / floor_ms[run] for run, ms in times.items()])
            print(f"  {name:8} median {median(list(times.values())):7.1f}, fastest {min(times.values()):7.1f}"
                  f"  (runs {', '.join(f'{v:.0f}' for v in times.values())}); median of the runs' own ratios "
                  f"{own:.3f}")
            if name == "tovi":
                verdicts.append(("start-up, tovi / floor (runs' ratios)", own, GOALS["startup"]))
        tovi_ms, baseline_ms = start_times("tovi"), start_times("baseline")
        if baseline_ms:
            # Each run starts the floor, tovi and the baseline one after the other.
            runs = [tovi_ms[run] / baseline_ms[run] for run in tovi_ms if run in baseline_ms]
            print(f"  new / baseline in each run: median {median(runs):.3f}, the middle half "
                  f"{statistics.quantiles(runs, n=4)[0]:.3f} to {statistics.quantiles(runs, n=4)[2]:.3f}")
            verdicts.append(("no worse, start-up: new / baseline (runs' ratios)", median(runs), GOALS["not_worse"]))

    if idle:
        def peak(name):
            return median([r["peak_working_set"] for r in idle if r["program"] == name])

        print(f"\n== Peak working set (VmHWM): " + ", ".join(
            f"{name} {peak(name) / 2**20:.2f} MiB ({ratio(peak(name), peak('floor')):.3f})"
            for name in programs(idle, ["floor", "tovi", "baseline"])))
        floor_map = next(r["mappings"] for r in idle if r["program"] == "floor")
        tovi_map = next(r["mappings"] for r in idle if r["program"] == "tovi")
        growth = sorted(((tovi_map.get(k, 0) - floor_map.get(k, 0), k) for k in set(floor_map) | set(tovi_map)),
                        reverse=True)
        print("  where tovi holds more than the floor (resident, first idle run): " +
              ", ".join(f"{name} {size / 2**10:.0f} KiB" for size, name in growth[:8] if size > 0))
        verdicts.append(("peak working set, tovi / floor", ratio(peak("tovi"), peak("floor")), GOALS["working_set"]))
        if any(r["program"] == "baseline" for r in idle):
            print(f"  new minus baseline: {(peak('tovi') - peak('baseline')) / 2**10:+.0f} KiB")
            verdicts.append(("no worse, peak working set: new / baseline", ratio(peak("tovi"), peak("baseline")),
                             GOALS["not_worse"]))
    print(f"== tovi.exe: {results['size']} bytes" +
          (f" (baseline {results['baseline_size']})" if "baseline_size" in results else ""))
    verdicts.append(("tovi.exe, MiB", results["size"] / 2**20, GOALS["size"] / 2**20))

    print("\n== Goals")
    for name, value, goal in verdicts:
        print(f"  {name:62} {value:7.3f}  goal <= {goal:g}  {'met' if value <= goal else 'MISSED'}")


if __name__ == "__main__":
    main()

# Running am4play.exe under Wine and judging its trace; shared by damage_run
# and soak. Expects the Wine session of scripts/session.sh to be up.
import os
import re
import signal
import subprocess
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
AM4PLAY = os.path.join(ROOT, "build", "win", "bin", "am4play.exe")

SUMMARY = re.compile(r"^am4play: (\d+) pictures shown in (\d+) ms$", re.M)
REFUSED = "am4play: the file is not a playable backup file"
CRASH = re.compile(r"Unhandled (page fault|exception|illegal|stack overflow)|starting debugger|"
                   r"err:seh|Assertion failed|terminate called|abnormal program termination")


def windows_path(path):
    return "Z:" + os.path.abspath(path)


def script_commands(script):
    return [c.strip() for c in script.split(";") if c.strip()]


def exe_stamp(exe=AM4PLAY):
    try:
        st = os.stat(exe)
        return (st.st_mtime_ns, st.st_size)
    except OSError:
        return None


def wait_exe_settled(exe=AM4PLAY, quiet_s=5.0, limit_s=600.0):
    """Waits until the program exists and has not changed for quiet_s."""
    end = time.monotonic() + limit_s
    last = exe_stamp(exe)
    since = time.monotonic()
    while time.monotonic() < end:
        time.sleep(1.0)
        now = exe_stamp(exe)
        if now != last:
            last, since = now, time.monotonic()
        elif now is not None and time.monotonic() - since >= quiet_s:
            return now
    return exe_stamp(exe)


def rss_kib(pid, field="VmRSS"):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def find_windows_process(popen, marker):
    """The Linux process of the Windows program: the wine launcher execs into
    the loader, so normally it is the child itself; otherwise the process
    whose command line holds marker."""
    try:
        with open(f"/proc/{popen.pid}/cmdline", "rb") as f:
            if b"am4play.exe" in f.read():
                return popen.pid
    except OSError:
        return None
    out = subprocess.run(["pgrep", "-f", marker], capture_output=True, text=True).stdout.split()
    for pid in out:
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                if b"am4play.exe" in f.read():
                    return int(pid)
        except OSError:
            continue
    return None


def run_am4play(file, script, timeout_s, trace_path, err_path, exe=AM4PLAY, rss_limit_kib=3 << 20,
                sampler=None, sample_every_s=0.5):
    """Runs one playback; kills the process group on timeout or when its
    resident size passes rss_limit_kib. sampler(pid, elapsed_s, trace_path)
    is called every sample_every_s while it runs. Returns a dict."""
    stamp = exe_stamp(exe)
    start = time.monotonic()
    with open(trace_path, "wb") as out, open(err_path, "wb") as err:
        p = subprocess.Popen(["wine", exe, windows_path(file), "--script", script], stdout=out, stderr=err,
                             stdin=subprocess.DEVNULL, start_new_session=True)
        pid, timed_out, rss_max, over = None, False, 0, False
        while True:
            try:
                p.wait(timeout=sample_every_s)
                break
            except subprocess.TimeoutExpired:
                pass
            elapsed = time.monotonic() - start
            if pid is None:
                pid = find_windows_process(p, os.path.abspath(file))
            if pid is not None:
                rss = rss_kib(pid)
                if rss:
                    rss_max = max(rss_max, rss)
                    if rss > rss_limit_kib:
                        over = True
                if sampler:
                    sampler(pid, elapsed, trace_path)
            if elapsed > timeout_s or over:
                timed_out = not over
                try:
                    os.killpg(p.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                p.wait()
                break
    seconds = time.monotonic() - start
    with open(err_path, "rb") as f:
        stderr = f.read().decode("utf-8", "replace").replace("\r\n", "\n")
    return {"rc": p.returncode, "timed_out": timed_out, "rss_over": over, "rss_max_kib": rss_max,
            "seconds": seconds, "stderr": stderr, "exe_changed": exe_stamp(exe) != stamp or stamp is None}


def parse_trace(text):
    """P, M and C lines as tuples: ('P', tick, mode, date, time, timestamp,
    mark or None), ('M', tick, mode), ('C', tick, command)."""
    events = []
    for line in text.splitlines():
        w = line.split()
        try:
            if len(w) == 7 and w[0] == "P":
                events.append(("P", int(w[1]), int(w[2]), w[3], w[4], int(w[5]), None if w[6] == "-" else int(w[6])))
            elif len(w) == 3 and w[0] == "M":
                events.append(("M", int(w[1]), int(w[2])))
            elif len(w) >= 3 and w[0] == "C":
                events.append(("C", int(w[1]), " ".join(w[2:])))
        except ValueError:
            continue
    return events


def last_trace_line(text):
    for line in reversed(text.splitlines()):
        if line[:2] in ("P ", "M ", "C "):
            return line
    return ""


SEEK_JUMP_MS = 4000  # ten pictures at the slowest delay, and the seek's own pause


def order_faults(events, fps=None, seek_jumps=False):
    """Forward stretches (mode 2 or 4 between two M lines) must show rising
    marks and timestamps, reverse stretches (3 or 5) strictly falling ones.
    With fps, a mark break between pictures whose marks disagree with their
    timestamps (picture = timestamp * fps / 90000) while the timestamps keep
    their order is put as "mark only": a picture decoded without its
    references. With seek_jumps, the first break within SEEK_JUMP_MS of a
    seek command is put as "seek jump": a seek while playing or running
    lets the group on screen play out first. Returns (kind, detail)
    pairs, the first break of each kind per stretch."""
    faults = []
    stretch = 0
    last = {}  # (stretch, mode) -> (mark, mark tick, mark's timestamp, timestamp, timestamp tick)
    reported = set()

    def agrees(mark, ts):
        return fps is None or mark == (ts * fps // 90000) & 0xFFFF

    seek_at = None  # tick of a seek whose jump has not been seen
    for e in events:
        if e[0] == "M":
            stretch += 1
            continue
        if e[0] == "C":
            if seek_jumps and e[2].startswith("seek"):
                seek_at = e[1]
            continue
        if e[0] != "P" or e[2] not in (2, 3, 4, 5):
            continue
        _, tick, mode, _, _, ts, mark = e
        forward = mode in (2, 4)
        key = (stretch, mode)
        pm, pmt, pmts, pts, ptst = last.get(key, (None, None, None, None, None))
        ts_broken = pts is not None and (ts <= pts if forward else ts >= pts)
        mark_broken = mark is not None and pm is not None and (mark <= pm if forward else mark >= pm)
        if seek_at is not None and tick - seek_at <= SEEK_JUMP_MS and (ts_broken or mark_broken):
            seek_at = None
            faults.append(("seek jump", f"mode {mode}: timestamp {ts} (mark {mark}) at {tick} ms after {pts} "
                                        f"(mark {pm}) at {ptst} ms"))
            last[key] = (mark if mark is not None else pm, tick, ts, ts, tick)
            continue
        if mark is not None:
            if pm is not None and (mark <= pm if forward else mark >= pm):
                kind = "forward order" if forward else "reverse order"
                if not ts_broken and not (agrees(mark, ts) and agrees(pm, pmts)):
                    kind = "mark only"
                if (key, kind) not in reported:
                    reported.add((key, kind))
                    what = "repeats" if mark == pm else ("goes back" if forward else "rises")
                    faults.append((kind, f"mode {mode}: mark {mark} (timestamp {ts}) at {tick} ms after "
                                         f"{pm} (timestamp {pmts}) at {pmt} ms ({what})"))
            pm, pmt, pmts = mark, tick, ts
        if ts_broken and (key, "timestamp order") not in reported:
            reported.add((key, "timestamp order"))
            faults.append(("timestamp order", f"mode {mode}: timestamp {ts} at {tick} ms after {pts} at {ptst} ms"))
        pts, ptst = ts, tick
        last[key] = (pm, pmt, pmts, pts, ptst)
    return faults


def judge(result, trace_text, script, fps=None):
    """Faults of one run as (kind, detail) pairs; [] for a clean run and
    [('refused', ...)] when the program refused the file."""
    faults = []
    err = result["stderr"]
    events = parse_trace(trace_text)
    if result["timed_out"]:
        faults.append(("timeout", f"killed after {result['seconds']:.1f} s; last line '{last_trace_line(trace_text)}'"))
    elif result["rss_over"]:
        faults.append(("memory", f"killed at {result['rss_max_kib'] // 1024} MiB resident"))
    else:
        rc = result["rc"]
        if rc == 1 and REFUSED in err and not SUMMARY.search(err):
            return [("refused", "not a playable backup file")]
        problems = []
        crash = CRASH.search(err)
        if crash:
            problems.append(f"crash: {err[max(0, crash.start() - 40):crash.end() + 80].strip()!r}")
        if rc != 0:
            problems.append(f"exit status {rc}")
        if not SUMMARY.search(err):
            problems.append("no summary line")
        ran = [e[2] for e in events if e[0] == "C" and e[2] != "open"]
        wanted = len(script_commands(script))
        if len(ran) < wanted:
            problems.append(f"script stopped after {len(ran)} of {wanted} commands")
        modes = [e for e in events if e[0] == "M"]
        if not modes or modes[-1][2] != 0:
            problems.append("no final 'M t 0' line")
        if problems:
            faults.append(("crash/exit", "; ".join(problems)))
    faults.extend(order_faults(events, fps))
    return faults

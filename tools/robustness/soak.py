# The logic of tools/robustness/soak (see its header for usage).
import argparse
import os
import random
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import am4run  # noqa: E402

FILE_SECONDS = 60
FPS = 30


class ScriptMaker:
    """Random commands with a rough model of the position, so that a script's
    length in seconds can be estimated and 'wait paused' kept short enough."""

    def __init__(self, r, length_s=FILE_SECONDS):
        self.r, self.length = r, length_s
        self.pos, self.mode = 0.0, 1  # fraction of the file; mode the last command set
        self.delay = 0

    def _speed(self):
        """Seconds of the file played per second: a delay adds 50 ms per picture shown
        (30 a second in play, one key picture of 20 in the fast modes)."""
        if self.mode in (2, 3):
            return 1 / (1 + 1.5 * self.delay)
        if self.mode in (4, 5):
            return 1 / (1 / 6 + 0.075 * self.delay)
        return 0

    def _run_for(self, t):
        rate = self._speed() * (1 if self.mode in (2, 4) else -1) / self.length
        self.pos = min(1.0, max(0.0, self.pos + rate * t))
        if self.pos in (0.0, 1.0) and self.mode in (2, 3, 4, 5):
            self.mode = 1

    def _until_paused(self):
        if self.mode in (2, 4):
            return (1 - self.pos) * self.length / self._speed() + 1.5
        if self.mode in (3, 5):
            return self.pos * self.length / self._speed() + 1.5
        return 1.5

    def command(self, budget):
        """One command and its estimated seconds, fitting budget when it is a wait."""
        r = self.r
        x = r.random()
        if x < 0.30:
            m = r.choices(range(1, 10), weights=[2, 4, 2, 2, 2, 1, 1, 1, 1])[0]
            self.mode = m
            if m == 6:
                self.pos = 0.0
            elif m == 7:
                self.pos = 1.0
            return f"mode {m}", 0.05
        if x < 0.40:
            f = round(r.random(), 3)
            # A running mode goes on from the target; otherwise one picture, then pause.
            self.pos, self.mode = f, self.mode if self.mode in (2, 3, 4, 5) else 1
            return f"seek {f}", 0.2
        if x < 0.46:
            self.delay = r.randint(0, 5)
            return f"delay {self.delay}", 0.0
        if x < 0.52:
            return f"speed {r.randint(0, 1)}", 0.0
        if x < 0.58:
            return f"audio {r.choice(['on', 'off'])}", 0.0
        if x < 0.78:
            t = self._until_paused()
            if t <= budget:
                self._run_for(t)
                self.mode = 1
                return "wait paused", t
        ms = r.randint(100, 5000)
        ms = max(100, min(ms, int(budget * 1000)))
        self._run_for(ms / 1000)
        return f"wait {ms}", ms / 1000

    def script(self, seconds):
        cmds, total = [], 0.0
        while total < seconds:
            c, t = self.command(seconds - total)
            cmds.append(c)
            total += t
        return "; ".join(cmds), total


class Watch:
    """Samples the program's resident size while it runs: the first sample
    3 s after the first picture, and the last one before the final 'M t 0'."""

    def __init__(self, timeline_every_s=60.0):
        self.offset, self.partial = 0, b""
        self.first_picture_at = None  # elapsed seconds when the first P line was seen
        self.stopped = False
        self.start = self.end = None  # (elapsed, kib)
        self.peak = 0
        self.timeline, self.every, self.next_point = [], timeline_every_s, 0.0

    def __call__(self, pid, elapsed, trace_path):
        if not self.stopped:
            with open(trace_path, "rb") as f:
                f.seek(self.offset)
                chunk = f.read()
            self.offset += len(chunk)
            lines = (self.partial + chunk).split(b"\n")
            self.partial = lines.pop()
            for line in lines:
                w = line.split()
                if self.first_picture_at is None and w[:1] == [b"P"]:
                    self.first_picture_at = elapsed
                if len(w) == 3 and w[0] == b"M" and w[2] == b"0":
                    self.stopped = True
        if self.stopped:
            return
        kib = am4run.rss_kib(pid)
        if kib is None:
            return
        self.peak = max(self.peak, kib)
        if self.first_picture_at is not None and elapsed >= self.first_picture_at + 3:
            if self.start is None:
                self.start = (elapsed, kib)
            self.end = (elapsed, kib)
            if elapsed >= self.next_point:
                self.timeline.append((elapsed, kib))
                self.next_point = elapsed + self.every


def mib(kib):
    return "-" if kib is None else f"{kib / 1024:.1f}"


def make_file(path):
    if os.path.exists(path):
        return
    os.makedirs(os.path.dirname(path), exist_ok=True)
    env = dict(os.environ, BUILD_DIR=os.path.join(am4run.ROOT, "build"))
    subprocess.run([os.path.join(am4run.ROOT, "tools/make_am4"), "--seconds", str(FILE_SECONDS), "--fps", str(FPS),
                    "--size", "720x480", "--group", "10", "-o", path + ".part"], check=True, env=env)
    os.replace(path + ".part", path)


def play(file, script, estimate, out, name, every_s):
    trace, err = os.path.join(out, name + ".trace"), os.path.join(out, name + ".err")
    watch = Watch(every_s)
    res = am4run.run_am4play(file, script, estimate * 1.5 + 120, trace, err, sampler=watch)
    with open(trace, "rb") as f:
        text = f.read().decode("utf-8", "replace")
    summary = am4run.SUMMARY.search(res["stderr"])
    breaks = am4run.order_faults(am4run.parse_trace(text), FPS, seek_jumps=True)
    order = [b for b in breaks if b[0] != "seek jump"]
    jumps = len(breaks) - len(order)
    return res, watch, summary, am4run.last_trace_line(text), order, jumps, trace, err


def main():
    ap = argparse.ArgumentParser(description="Random command scripts through am4play for a while; memory figures.")
    ap.add_argument("--minutes", type=float, default=30)
    ap.add_argument("--round-seconds", type=float, default=90)
    ap.add_argument("--long", action="store_true", help="one process, one script of the whole duration")
    ap.add_argument("--seed", default="1")
    ap.add_argument("--file", help="file to play (default: a 60 s one made in the output folder)")
    ap.add_argument("--out", default=os.path.join(am4run.ROOT, "build/robustness/soak"))
    a = ap.parse_args()
    os.makedirs(a.out, exist_ok=True)
    file = a.file or os.path.join(a.out, "soak60.am4")
    make_file(file)
    r = random.Random(a.seed)
    log = open(os.path.join(a.out, "rounds.tsv"), "w")
    log.write("# round\texit\tsummary\tseconds\tscript seconds\trss start MiB\trss end MiB\tpeak MiB\t"
              "order breaks\tlast line\tscript\n")
    print(f"soak: {file}, {'one run' if a.long else f'rounds of {a.round_seconds:.0f} s'} for {a.minutes:g} min, "
          f"seed {a.seed}; output {a.out}", flush=True)

    rounds = []
    started = time.monotonic()
    total = a.minutes * 60
    while True:
        left = total - (time.monotonic() - started)
        if a.long:
            if rounds:
                break
            length = total
        else:
            if left < 10:
                break
            length = min(a.round_seconds, max(10, left - 15))
        script, estimate = ScriptMaker(r).script(length)
        name = f"round{len(rounds) + 1:03d}"
        res, watch, summary, last, order, jumps, trace, err = play(file, script, estimate, a.out, name,
                                                            60.0 if a.long else 30.0)
        ok = res["rc"] == 0 and summary and not res["timed_out"]
        rec = {"name": name, "rc": res["rc"], "timed_out": res["timed_out"], "summary": bool(summary),
               "seconds": res["seconds"], "estimate": estimate, "watch": watch, "last": last, "order": order,
               "jumps": jumps}
        rounds.append(rec)
        start_kib = watch.start[1] if watch.start else None
        end_kib = watch.end[1] if watch.end else None
        log.write(f"{name}\t{res['rc']}{' (timeout)' if res['timed_out'] else ''}\t{'yes' if summary else 'no'}\t"
                  f"{res['seconds']:.1f}\t{estimate:.0f}\t{mib(start_kib)}\t{mib(end_kib)}\t{mib(watch.peak)}\t"
                  f"{len(order)}\t{last}\t{script}\n")
        log.flush()
        print(f"{name}: exit {res['rc']}{' TIMEOUT' if res['timed_out'] else ''}, "
              f"summary {'yes' if summary else 'NO'}, {res['seconds']:.0f} s (script ~{estimate:.0f} s), "
              f"RSS {mib(start_kib)} -> {mib(end_kib)} MiB (peak {mib(watch.peak)}), "
              f"order breaks {len(order)} (and {jumps} seek jumps), last '{last}'", flush=True)
        for k, detail in order[:3]:
            print(f"    {k}: {detail}")
        if ok and not order:
            os.remove(trace)
            os.remove(err)
        if a.long:
            for t, kib in watch.timeline:
                print(f"    at {t:6.0f} s: RSS {mib(kib)} MiB")

    no_summary = sum(1 for x in rounds if not x["summary"])
    nonzero = sum(1 for x in rounds if x["rc"] != 0)
    timeouts = sum(1 for x in rounds if x["timed_out"])
    starts = [x["watch"].start[1] for x in rounds if x["watch"].start]
    ends = [x["watch"].end[1] for x in rounds if x["watch"].end]
    grow = [x["watch"].end[1] - x["watch"].start[1] for x in rounds if x["watch"].start and x["watch"].end]
    print(f"soak: {len(rounds)} run(s) in {time.monotonic() - started:.0f} s; without summary {no_summary}; "
          f"nonzero exits {nonzero} (timeouts {timeouts}); with order breaks "
          f"{sum(1 for x in rounds if x['order'])}; seek jumps (group played out after a seek) "
          f"{sum(x['jumps'] for x in rounds)}")
    if starts and ends:
        print(f"soak: RSS 3 s after the first picture: first {mib(starts[0])}, min {mib(min(starts))}, "
              f"max {mib(max(starts))} MiB; at the end: min {mib(min(ends))}, max {mib(max(ends))} MiB; "
              f"growth within a run: min {mib(min(grow))}, mean {mib(sum(grow) / len(grow))}, "
              f"max {mib(max(grow))} MiB; peak {mib(max(x['watch'].peak for x in rounds))} MiB")
    print(f"soak: per-run lines in {a.out}/rounds.tsv; traces kept only for runs that failed")
    return 1 if no_summary or nonzero else 0


if __name__ == "__main__":
    sys.exit(main())

# Tests of the trace judge and the damage maker: python3 tools/robustness/check_test.py
import os
import sys
import unittest

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import am4run  # noqa: E402
import damage_run  # noqa: E402

FIXTURE = os.path.join(am4run.ROOT, "tests/fixtures/cams4_30fps_480.am4")
SUMMARY = "am4play: 3 pictures shown in 900 ms\n"


def trace(*pictures, modes=(2,)):
    """A command, M line and wait per mode, then P lines (mode, timestamp, mark) for each."""
    lines, tick = ["C 0 open", "M 10 6", "P 20 6 2006-12-31 23:59:58 0 0", "M 30 1"], 100
    for mode, shown in zip(modes, pictures):
        lines += [f"C {tick} mode {mode}", f"M {tick} {mode}", f"C {tick} wait paused"]
        for ts, mark in shown:
            tick += 33
            lines.append(f"P {tick} {mode} 2006-12-31 23:59:58 {ts} {'-' if mark is None else mark}")
    lines.append(f"M {tick + 5} 0")
    return "\r\n".join(lines) + "\r\n"


def result(rc=0, stderr=SUMMARY, timed_out=False):
    return {"rc": rc, "timed_out": timed_out, "rss_over": False, "rss_max_kib": 0, "seconds": 1.0, "stderr": stderr}


class OrderTest(unittest.TestCase):
    CASES = [
        # name, pictures per stretch, modes, kinds expected
        ("forward rising", [[(3000, 1), (6000, 2), (12000, 4)]], (2,), []),
        ("forward unreadable ignored", [[(3000, 1), (6000, None), (9000, 3)]], (2,), []),
        ("forward repeat", [[(3000, 1), (6000, 2), (6000, 2)]], (2,), ["forward order", "timestamp order"]),
        ("fast forward back", [[(30000, 10), (0, 0)]], (4,), ["forward order", "timestamp order"]),
        ("reverse falling", [[(9000, 3), (6000, 2), (3000, 1)]], (3,), []),
        ("reverse repeat", [[(9000, 3), (9000, 3)]], (5,), ["reverse order", "timestamp order"]),
        ("reverse rises", [[(3000, 1), (9000, 3)]], (3,), ["reverse order", "timestamp order"]),
        ("new stretch starts again", [[(3000, 1), (6000, 2)], [(3000, 1), (6000, 2)]], (2, 2), []),
        ("play then reverse", [[(3000, 1), (6000, 2)], [(6000, 2), (3000, 1)]], (2, 3), []),
        ("misread in play", [[(12000, 4), (15000, 4)]], (2,), ["mark only"]),
        ("misread in reverse", [[(15000, 4), (12000, 4)]], (3,), ["mark only"]),
        ("timestamp only", [[(3000, 1), (3000, None)]], (2,), ["timestamp order"]),
    ]

    def test_cases(self):
        for name, pictures, modes, kinds in self.CASES:
            with self.subTest(name):
                events = am4run.parse_trace(trace(*pictures, modes=modes))
                self.assertEqual(sorted(k for k, _ in am4run.order_faults(events, 30)), sorted(kinds))

    def test_break_names_both_pictures(self):
        events = am4run.parse_trace(trace([(3000, 1), (6000, 2), (3000, 1)]))
        (kind, detail), _ = am4run.order_faults(events, 30)
        self.assertEqual(kind, "forward order")
        self.assertIn("mark 1 (timestamp 3000)", detail)
        self.assertIn("after 2 (timestamp 6000)", detail)


class SeekJumpTest(unittest.TestCase):
    def events(self, second_seek, late=False):
        # play 10..12, seek, the group plays out (13, 14), the target (2, 3), maybe a seek, then 1
        lines = ["M 0 2", "P 1 2 d t 30000 10", "P 2 2 d t 33000 11", "P 3 2 d t 36000 12", "C 4 seek 0.1",
                 "M 4 1", "M 5 2", "P 6 2 d t 39000 13", "P 7 2 d t 42000 14", "P 8 2 d t 6000 2",
                 "P 9 2 d t 9000 3"]
        if second_seek:
            lines.append("C 10 seek 0.0")
        lines.append(f"P {11 + 5000 * late} 2 d t 3000 1")
        return am4run.parse_trace("\n".join(lines))

    def test_cases(self):
        cases = [
            # name, second seek, last picture 5 s later, jumps allowed, kinds
            ("one seek, one jump", False, False, True, ["forward order", "seek jump", "timestamp order"]),
            ("two seeks, two jumps", True, False, True, ["seek jump", "seek jump"]),
            ("second jump too late", True, True, True, ["forward order", "seek jump", "timestamp order"]),
            ("not allowed", True, False, False, ["forward order", "timestamp order"]),
        ]
        for name, second_seek, late, allowed, kinds in cases:
            with self.subTest(name):
                faults = am4run.order_faults(self.events(second_seek, late), 30, seek_jumps=allowed)
                self.assertEqual(sorted(k for k, _ in faults), kinds)


class JudgeTest(unittest.TestCase):
    SCRIPT = "mode 2; wait paused"
    GOOD = trace([(3000, 1), (6000, 2)])

    def test_runs(self):
        cut_script = "\r\n".join(self.GOOD.splitlines()[:-1])  # no final M 0
        cases = [
            ("clean", result(), self.GOOD, []),
            ("refused", result(1, am4run.REFUSED + "\n"), "C 0 open\n", ["refused"]),
            ("nonzero", result(3), self.GOOD, ["crash/exit"]),
            ("no summary", result(0, ""), self.GOOD, ["crash/exit"]),
            ("crash", result(5, "wine: Unhandled page fault on read access\n"), self.GOOD, ["crash/exit"]),
            ("no final stop line", result(), cut_script, ["crash/exit"]),
            ("timeout", result(-9, "", True), self.GOOD, ["timeout"]),
        ]
        for name, res, text, kinds in cases:
            with self.subTest(name):
                res["stderr"] = res["stderr"].replace("\r\n", "\n")
                self.assertEqual([k for k, _ in am4run.judge(res, text, self.SCRIPT, 30)], kinds)

    def test_script_not_run_to_its_end(self):
        faults = am4run.judge(result(), self.GOOD, self.SCRIPT + "; seek 0.5; wait paused", 30)
        self.assertEqual(faults[0][0], "crash/exit")
        self.assertIn("after 2 of 4 commands", faults[0][1])


class DamageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(FIXTURE, "rb") as f:
            cls.data = f.read()
        cls.segs = damage_run.walk(cls.data)

    def test_layout(self):
        self.assertEqual(len(self.segs), 12)
        self.assertEqual(self.segs[-1].end, len(self.data))
        self.assertAlmostEqual(damage_run.duration_s(self.data, self.segs), 4.0)

    def test_same_seed_same_copy_and_every_copy_damaged(self):
        for i in range(60):
            a = damage_run.make_damage("7", i, self.data, self.segs)[:3]
            self.assertEqual(a, damage_run.make_damage("7", i, self.data, self.segs)[:3])
            damaged = damage_run.apply_edits(self.data, a[1])
            self.assertNotEqual(damaged, self.data, a[0])
            edits = damage_run.edits_parse(damage_run.edits_text(a[1]))
            self.assertEqual(damage_run.apply_edits(self.data, edits), damaged)

    def test_edits(self):
        cases = [
            ("patch", [(4, b"\x01\x02")], lambda out: out[4:6] == b"\x01\x02" and len(out) == len(self.data)),
            ("cut", [("cut", 1000)], lambda out: out == self.data[:1000]),
            ("patch then cut", [(10, b"\xff"), ("cut", 20)], lambda out: len(out) == 20 and out[10] == 0xFF),
        ]
        for name, edits, ok in cases:
            with self.subTest(name):
                self.assertTrue(ok(damage_run.apply_edits(self.data, edits)))

    def test_slow_frame_rate_lengthens_the_limit(self):
        seg = self.segs[3]
        pictures = sum(1 for b in seg.boxes if b[2] == 2)

        class Draw:  # picks seg 3, then the value
            def __init__(self, value):
                self.value = value

            def random(self):
                return 0.5

            def choice(self, options):
                return seg if options is self_segs else self.value

        self_segs = self.segs
        for value, extra in [(1, 2.0 * pictures), (7, 2.0 * pictures / 7), (0, 0.0), (1000, 0.0)]:
            with self.subTest(value):
                desc, _, slower = damage_run.damage_frame_rate(Draw(value), self.data, self.segs)
                self.assertIn(f"seg 3 (at {seg.offset}) frame_rate 30 -> {value}", desc)
                self.assertAlmostEqual(slower, extra)

    def test_time_limit_grows_with_the_script(self):
        plain = damage_run.time_limit("mode 2; wait paused", 4.0)
        self.assertEqual(plain, 30.0)
        self.assertGreater(damage_run.time_limit("mode 7; wait paused; mode 3; wait paused", 4.0), plain)
        self.assertLess(damage_run.time_limit("mode 5; wait paused", 4.0), plain)


if __name__ == "__main__":
    unittest.main()

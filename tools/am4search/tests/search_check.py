#!/usr/bin/env python3
"""am4search end to end, under Wine, on recordings made for the run.

  search_check.py AM4SEARCH.exe MAKE_AM4 NATIVE_BUILD_DIR FIXTURE_DIR

A 12 s 720 x 576 recording (motion_scene.py) where a square crosses the
search region three times, while noise runs over the whole picture, other
squares move outside the region (one just beside it) and at picture 200 the
whole picture turns brighter. Every crossing must be found within two
pictures of its first and last picture in the region, and nothing else.
The committed fixtures, damaged ones among them, are searched whole."""
import os
import re
import shutil
import subprocess
import sys
import tempfile

import motion_scene

exe, make_am4, native_dir, fixtures = sys.argv[1:5]
work = tempfile.mkdtemp(prefix="am4search_check.")
failures = []
ENTRIES, JUMP, SECONDS = (40, 120, 250), 200, 12
START = "2026-01-01 12:00:00"  # make_am4's first picture
INTERVAL = re.compile(r'interval (\d+) (\d+) "([0-9-]+ [0-9:.]+)" "([0-9-]+ [0-9:.]+)" (\d+)$')


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def search(source, *args):
    """(exit status, [(first, last, first time, last time, peak)], stdout, stderr)."""
    r = subprocess.run(["wine", exe, "Z:" + source] + list(args), capture_output=True, text=True)
    out, err = r.stdout.replace("\r", ""), r.stderr.replace("\r", "")
    lines = out.splitlines()
    found = [INTERVAL.match(line) for line in lines]
    intervals = [(int(m[1]), int(m[2]), m[3], m[4], int(m[5])) for m in found if m]
    check(len(intervals) == len(lines), "every line of standard output is an interval: %r" % lines[:3])
    return r.returncode, intervals, out, err


def picture_time(n):
    ms = n * 1000 // motion_scene.FPS
    return "2026-01-01 12:00:%02d.%03d" % (ms // 1000, ms % 1000)


def region_text(region):
    return ",".join(map(str, region))


try:
    source = os.path.join(work, "scene.am4")
    env = dict(os.environ, BUILD_DIR=os.path.dirname(native_dir))
    subprocess.run([make_am4, "--seconds", str(SECONDS), "--size", "%dx%d" % motion_scene.SIZE, "--fps",
                    str(motion_scene.FPS), "--group", "10", "--start", START, "--lavfi",
                    motion_scene.graph(ENTRIES, JUMP), "-o", source], check=True, env=env)
    pictures = SECONDS * motion_scene.FPS
    truth = [motion_scene.entry_pictures(start)[:2] for start in ENTRIES]
    # The search looks at blocks of 16 x 16 pixels.
    region_blocks = (motion_scene.REGION[2] // 16) * (motion_scene.REGION[3] // 16)
    share = 100 * (motion_scene.SHAPE // 16) ** 2 // region_blocks
    touched = -(-100 * (motion_scene.SHAPE // 16 + 1) ** 2 // region_blocks)

    # Every crossing, nothing for the noise, the squares beside it or the brightness jump.
    status, intervals, _, err = search(source, "--region", region_text(motion_scene.REGION))
    check(status == 0, "the search ran")
    summary = re.search(r"(\d+) pictures searched \((\d+) decoded\)", err)
    check(summary and int(summary[1]) == pictures, "the summary counts every picture: %r" % err.strip())
    check(summary and int(summary[2]) < pictures, "key pictures and the groups around motion alone are decoded")
    check(len(intervals) == len(truth), "one interval per crossing: %s for %s" % (intervals, truth))
    for (first, last), found in zip(truth, intervals):
        check(abs(found[0] - first) <= 2 and abs(found[1] - last) <= 2,
              "crossing %d-%d found as %d-%d" % (first, last, found[0], found[1]))
        check(found[2] == picture_time(found[0]) and found[3] == picture_time(found[1]),
              "capture times of pictures %d and %d: %s, %s" % (found[0], found[1], found[2], found[3]))
        check(share <= found[4] <= touched, "peak %d: from the square's share of the region, %d, to that of the "
              "blocks it touches, %d" % (found[4], share, touched))

    # The same at every sensitivity; a time range decodes only its segments and numbers pictures alike.
    for sensitivity in ("1", "10"):
        status, same, _, _ = search(source, "--region", region_text(motion_scene.REGION), "--sensitivity", sensitivity)
        check(status == 0 and [i[:2] for i in same] == [i[:2] for i in intervals],
              "sensitivity %s finds the same: %s" % (sensitivity, same))
    status, ranged, _, err = search(source, "--region", region_text(motion_scene.REGION), "--from",
                                    "2026-01-01 12:00:03", "--to", "2026-01-01 12:00:08")
    check(status == 0 and ranged == intervals[1:2], "3 s to 8 s holds the second crossing alone: %s" % ranged)
    check("125 pictures searched" in err, "pictures captured from 3 s to 8 s searched: %r" % err.strip())

    # Regions with noise and the jump only, and camera 2's whole picture: nothing.
    quiet = (20, 240, 140, 40)
    for args in (["--region", region_text(quiet)], ["--camera", "2"]):
        status, found, _, _ = search(source, *args)
        check(status == 0 and found == [], "%s: nothing found: %s" % (" ".join(args), found))
    # Camera 4's square moves all the time: one interval over the whole recording.
    status, found, _, _ = search(source, "--camera", "4")
    check(status == 0 and len(found) == 1 and found[0][0] <= 2 and found[0][1] == pictures - 1,
          "camera 4: one interval to the end: %s" % found)

    # The fixtures: the mosaic's moving bar and numbers are motion all the time; a cut segment is skipped.
    for name, count in (("cams4_25fps.am4", 250), ("filler_truncated.am4", 70), ("multi_group.am4", 50)):
        status, found, _, err = search(os.path.join(fixtures, name))
        check(status == 0 and "%d pictures searched" % count in err and len(found) == 1,
              "%s: %d pictures searched, one interval: %s %r" % (name, count, found, err.strip()))

    # Refused: a file that is not a backup file, one that is not there, a region beyond the camera's picture.
    text = os.path.join(work, "notes.am4")
    with open(text, "w") as f:
        f.write("not a recording\n" * 100)
    for what, args in (("a text file", [text]), ("a missing file", [os.path.join(work, "none.am4")]),
                       ("a region beyond camera 1's 360 x 288", [source, "--region", "300,200,61,10"])):
        r = subprocess.run(["wine", exe, "Z:" + args[0]] + args[1:], capture_output=True, text=True)
        check(r.returncode == 1 and r.stdout == "" and "am4search:" in r.stderr, "%s is refused" % what)

    # Usage.
    for args in ([], ["--camera", "5"], ["--camera"], ["--region", "1,2,3"], ["--region", "0,0,0,10"],
                 ["--region", "-1,0,8,8"], ["--region", "0,0,8,8,"], ["--sensitivity", "11"],
                 ["--sensitivity", "0"], ["--from", "2026-01-01"], ["--from", "2026-01-01 12:00:05", "--to",
                 "2026-01-01 12:00:05"], ["--bogus"]):
        r = subprocess.run(["wine", exe] + ([] if not args else ["Z:" + source] + args), capture_output=True,
                           text=True)
        check(r.returncode == 2 and r.stdout == "" and ("usage:" in r.stderr or "--to must come after" in r.stderr),
              "usage for %s" % (args or "no file"))
finally:
    shutil.rmtree(work, ignore_errors=True)

print("%d failed" % len(failures) if failures else "all passed")
sys.exit(1 if failures else 0)

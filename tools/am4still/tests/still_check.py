#!/usr/bin/env python3
"""am4still end to end, under Wine, against ffmpeg's decode of the same
pictures, sha256sum and the export's ledger.

  still_check.py AM4STILL.exe AM4EXPORT.exe MAKE_AM4 NATIVE_BUILD_DIR

Makes a 4 s 720 x 576 recording with make_am4 --keep-streams and takes
stills of it by picture number and by time, whole and by camera."""
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

exe, export_exe, make_am4, native_dir = sys.argv[1:5]
work = tempfile.mkdtemp(prefix="am4still_check.")
failures = []
# The player's decoder and ffmpeg convert YUV to RGB each their own way.
# Measured: at most 3 levels apart in any channel, 0.8 to 1.3 on average;
# the picture before or after differs by up to 255 levels, 7 to 10 on average.
MAX_LEVELS, MEAN_LEVELS = 4, 1.5


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def wine(program, *args):
    argv = ["wine", program] + ["Z:" + a if a.startswith("/") else a for a in args]
    r = subprocess.run(argv, capture_output=True, text=True)
    return r.returncode, r.stdout.replace("\r", ""), r.stderr.replace("\r", "")


def read_png(path):
    """(width, height, RGB bytes, texts) of an 8-bit RGB PNG, every chunk's CRC checked."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "PNG signature"
    at, idat, texts = 8, b"", {}
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        assert struct.unpack(">I", data[at + 8 + length:at + 12 + length])[0] == zlib.crc32(kind + body), kind
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert (depth, colour) == (8, 2), "8-bit RGB"
        elif kind == b"IDAT":
            idat += body
        elif kind == b"tEXt":
            key, text = body.split(b"\0", 1)
            texts[key.decode("latin-1")] = text.decode("latin-1")
        elif kind == b"iTXt":
            key, rest = body.split(b"\0", 1)
            texts[key.decode()] = rest[2:].split(b"\0", 2)[2].decode()
        at += 12 + length
    raw = zlib.decompress(idat)
    stride = 1 + 3 * width
    assert all(raw[y * stride] == 0 for y in range(height)), "filter type 0"
    return width, height, b"".join(raw[y * stride + 1:(y + 1) * stride] for y in range(height)), texts


def ffmpeg_rgb(stream, picture, crop):
    """ffmpeg's decode of one picture of the H.264 stream as RGB, cropped to (x, y, w, h)."""
    x, y, w, h = crop
    return subprocess.run(["ffmpeg", "-v", "error", "-i", stream, "-vf",
                           "select=eq(n\\,%d),crop=%d:%d:%d:%d" % (picture, w, h, x, y), "-frames:v", "1",
                           "-f", "rawvideo", "-pix_fmt", "rgb24", "-"], capture_output=True, check=True).stdout


def differences(a, b):
    d = [abs(p - q) for p, q in zip(a, b)]
    return max(d), sum(d) / len(d)


source = os.path.join(work, "rec.am4")
env = dict(os.environ, BUILD_DIR=os.path.dirname(native_dir))
subprocess.run(["bash", make_am4, "--seconds", "4", "--fps", "25", "--group", "5",
                "--start", "2026-03-14 09:26:55", "--keep-streams", "-o", source], check=True, env=env)
stream = source[:-4] + ".h264"
movie = os.path.join(work, "rec.mp4")
subprocess.run(["wine", export_exe, "Z:" + source, "-o", "Z:" + movie], check=True, capture_output=True)
with open(movie + ".frames.csv") as f:
    ledger = [line.split(",") for line in f.read().splitlines()[1:]]

quarters = {1: (0, 0, 360, 288), 2: (360, 0, 360, 288), 3: (0, 288, 360, 288), 4: (360, 288, 360, 288)}
for args, picture, camera, time in [
    (("--picture", "37", "--camera", "2"), 37, 2, "2026-03-14 09:26:56.480"),
    (("--picture", "0"), 0, None, "2026-03-14 09:26:55.000"),
    (("--at", "2026-03-14 09:26:57.130", "--camera", "3"), 53, 3, "2026-03-14 09:26:57.120"),
    (("--at", "2026-03-14 09:26:58", "--camera", "4"), 75, 4, "2026-03-14 09:26:58.000"),
]:
    out = os.path.join(work, "still_%d_%s.png" % (picture, camera))
    status, text, err = wine(exe, source, *args, "-o", out)
    what = " ".join(args)
    check(status == 0, what + ": " + text + err)
    width, height, rgb, texts = read_png(out)
    crop = quarters[camera] if camera else (0, 0, 720, 576)
    check((width, height) == crop[2:], "%s: the still is %d x %d, the recorded size" % (what, width, height))
    worst, mean = differences(rgb, ffmpeg_rgb(stream, picture, crop))
    check(worst <= MAX_LEVELS and mean <= MEAN_LEVELS,
          "%s: pixels match ffmpeg's decode of picture %d (at most %d levels apart, %.3f on average)"
          % (what, picture, worst, mean))
    check(texts == {"Source File": "rec.am4", "Capture Time": time, "Picture": str(picture),
                    "Camera": str(camera) if camera else "all", "Sample SHA-256": ledger[picture][7]},
          "%s: the text chunks name source, time, picture, camera and the ledger's sample hash: %s" % (what, texts))
    check(subprocess.run(["sha256sum", "-c", os.path.basename(out) + ".sha256"], cwd=work,
                         capture_output=True).returncode == 0, what + ": sha256sum -c accepts its .sha256")

# Refusals: an existing still stays as it was; a time or picture not in the recording.
kept = os.path.join(work, "still_37_2.png")
before = open(kept, "rb").read()
for args, what in [
    ((source, "--picture", "1", "-o", kept), "an existing still"),
    ((source, "--picture", "100", "-o", os.path.join(work, "none.png")), "a picture past the end"),
    ((source, "--at", "2026-03-14 10:00:00", "-o", os.path.join(work, "none.png")), "a time after the recording"),
]:
    status, _, err = wine(exe, *args)
    check(status == 1 and err.startswith("am4still: ") and not os.path.exists(os.path.join(work, "none.png"))
          and open(kept, "rb").read() == before, what + " is refused: " + err.strip())
status, _, _ = wine(exe, source, "--picture", "1", "--at", "2026-03-14 09:26:58", "-o", os.path.join(work, "x.png"))
check(status == 2, "--picture and --at together are a usage error")

if failures:
    print("%d checks failed; files kept in %s" % (len(failures), work))
    sys.exit(1)
shutil.rmtree(work)
print("all checks passed")

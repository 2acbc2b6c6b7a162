#!/usr/bin/env python3
"""am4export end to end, under Wine, checked with Debian's ffmpeg, ffprobe
and sha256sum.

  export_check.py AM4EXPORT.exe MAKE_AM4 NATIVE_BUILD_DIR FIXTURE_DIR

Makes a 6 s recording with make_am4 --keep-streams (so the H.264 and mu-law
streams it was made from are at hand), exports it whole, as a 4 s range and
damaged, exports a committed fixture whose clock passes a new year, and
checks what ffmpeg makes of every export against the streams."""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile

exe, make_am4, native_dir, fixtures = sys.argv[1:5]
work = tempfile.mkdtemp(prefix="am4export_check.")
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def win(path):
    return "Z:" + os.path.abspath(path)


def am4export(*args):
    """Runs the exporter; paths are given as Unix paths and passed as Z:."""
    argv = ["wine", exe] + [win(a) if a.startswith("/") else a for a in args]
    r = subprocess.run(argv, capture_output=True, text=True)
    return r.returncode, r.stdout.replace("\r", ""), r.stderr.replace("\r", "")


def run(*argv, text=True):
    return subprocess.run(argv, capture_output=True, check=True, text=text).stdout


def ffmpeg_out(*args, text=True):
    return run("ffmpeg", "-v", "error", *args, text=text)


def frame_hashes(*input_args):
    """MD5 of every decoded picture, in order."""
    lines = ffmpeg_out(*input_args, "-map", "0:v", "-f", "framemd5", "-").splitlines()
    return [l.rsplit(",", 1)[1].strip() for l in lines if l and not l.startswith("#")]


def streams(path):
    out = run("ffprobe", "-v", "error", "-show_entries",
              "stream=codec_type,codec_name,r_frame_rate,avg_frame_rate,sample_rate,channels,nb_frames",
              "-of", "compact=p=0:nk=0", path)
    return [dict(kv.split("=", 1) for kv in line.split("|")) for line in out.splitlines()]


def cues(path):
    """(start in ms, text) of every timed-text cue, through ffmpeg's SRT output."""
    srt = ffmpeg_out("-i", path, "-map", "0:s", "-f", "srt", "-")
    found = []
    for block in srt.strip().split("\n\n"):
        lines = block.splitlines()
        h, m, s, ms = map(int, re.match(r"(\d+):(\d+):(\d+),(\d+)", lines[1]).groups())
        found.append((((h * 60 + m) * 60 + s) * 1000 + ms, re.sub(r"<[^>]*>", "", " ".join(lines[2:]))))
    return found


def provenance(path):
    with open(path + ".txt") as f:
        return dict(l.split("=", 1) for l in f.read().splitlines() if "=" in l)


def pcm(path):
    return ffmpeg_out("-i", path, "-map", "0:a", "-f", "s16le", "-", text=False)


# A recording whose streams are kept: 6 s from 09:26:55, 25 pictures/s, groups of 5.
source = os.path.join(work, "rec.am4")
env = dict(os.environ, BUILD_DIR=os.path.dirname(native_dir))
subprocess.run(["bash", make_am4, "--seconds", "6", "--fps", "25", "--group", "5",
                "--start", "2026-03-14 09:26:55", "--keep-streams", "-o", source], check=True, env=env)
stream_hashes = frame_hashes("-i", source[:-4] + ".h264")
check(len(stream_hashes) == 150, "the kept H.264 stream decodes to 150 pictures")

# The whole recording.
whole = os.path.join(work, "whole.mp4")
status, out, err = am4export(source, "-o", whole)
check(status == 0, "the whole recording exports: " + out + err)
kinds = {s["codec_type"]: s for s in streams(whole)}
check(kinds.get("video", {}).get("codec_name") == "h264", "the export holds H.264 video")
check(kinds.get("audio", {}).get("codec_name") == "pcm_s16le" and kinds["audio"].get("sample_rate") == "32000"
      and kinds["audio"].get("channels") == "1", "the export holds 16-bit PCM, 32000 samples/s, mono")
check(kinds.get("subtitle", {}).get("codec_name") == "mov_text", "the export holds a timed-text track")
check(kinds["video"]["r_frame_rate"] == "25/1" and kinds["video"]["avg_frame_rate"] == "25/1",
      "the video runs at the recording's 25 pictures/s")
check(frame_hashes("-i", whole) == stream_hashes, "the export decodes to the pictures of the recorded stream")
reference_pcm = ffmpeg_out("-f", "mulaw", "-ar", "32000", "-ac", "1", "-i", source[:-4] + ".ulaw",
                           "-f", "s16le", "-", text=False)
sound = pcm(whole)
# The writer puts whole boxes of 1152 samples that start within the pictures' time.
check(len(sound) == 166 * 1152 * 2 and sound == reference_pcm[:len(sound)],
      "the sound is the recording's mu-law expanded sample for sample (%d bytes)" % len(sound))
seconds = ["2026-03-14 09:26:%02d" % s for s in range(55, 60)] + ["2026-03-14 09:27:00"]
check(cues(whole) == [(i * 1000, t) for i, t in enumerate(seconds)], "one cue a second with its capture time")
check(subprocess.run(["sha256sum", "-c", "whole.mp4.sha256"], cwd=work, capture_output=True).returncode == 0,
      "sha256sum -c accepts the manifest")
p = provenance(whole)
check(p["source_file"] == "rec.am4" and p["source_size"] == str(os.path.getsize(source))
      and p["pictures"] == "150" and p["groups"] == "30" and p["damaged_segments_skipped"] == "0"
      and p["source_range_offset"] == "0" and p["source_range_bytes"] == str(os.path.getsize(source)),
      "the provenance text names the source, its bytes and what was exported")
with open(source, "rb") as f:
    check(p["source_range_sha256"] == hashlib.sha256(f.read()).hexdigest(), "the source range hash is its SHA-256")

# Verification.
status, out, _ = am4export("--verify", whole)
check(status == 0 and "whole.mp4: OK" in out and "SKIPPED" in out, "--verify accepts the export, skips the source")
status, out, _ = am4export("--verify", whole, source)
check(status == 0 and out.count(": OK") == 2, "--verify with the source checks its range: " + out.strip())
altered = os.path.join(work, "altered.mp4")
for suffix in ("", ".sha256", ".txt"):
    shutil.copy(whole + suffix, altered + suffix)
with open(altered + ".sha256") as f:
    manifest = f.read().replace("whole.mp4", "altered.mp4")
with open(altered + ".sha256", "w") as f:
    f.write(manifest)
with open(altered, "r+b") as f:
    f.seek(os.path.getsize(altered) // 2)
    byte = f.read(1)
    f.seek(-1, 1)
    f.write(bytes([byte[0] ^ 1]))
status, out, _ = am4export("--verify", altered)
check(status == 1 and "altered.mp4: FAILED" in out, "--verify refuses the export after one byte changed")
changed_source = os.path.join(work, "changed.am4")
shutil.copy(source, changed_source)
with open(changed_source, "r+b") as f:
    f.seek(100000)
    byte = f.read(1)
    f.seek(-1, 1)
    f.write(bytes([byte[0] ^ 1]))
status, out, _ = am4export("--verify", whole, changed_source)
check(status == 1 and "whole.mp4: OK" in out and "changed.am4: FAILED" in out,
      "--verify refuses a source whose exported bytes changed")

# A 4-second range: the groups that cover 09:26:57 up to 09:27:01.
part = os.path.join(work, "part.mp4")
status, out, err = am4export(source, "-o", part, "--from", "2026-03-14 09:26:57", "--to", "2026-03-14 09:27:01")
check(status == 0, "a 4-second range exports: " + out + err)
check(frame_hashes("-i", part) == stream_hashes[50:150], "the range holds pictures 50 to 149 of the stream")
check([t for _, t in cues(part)] == seconds[2:], "the range's cues are its four seconds")
p = provenance(part)
check(p["groups"] == "20" and p["asked_from"] == "2026-03-14 09:26:57" and p["asked_to"] == "2026-03-14 09:27:01",
      "the provenance text gives the range asked for and the groups exported")
status, out, _ = am4export("--verify", part, source)
check(status == 0 and out.count(": OK") == 2, "--verify checks the range's source bytes")
sound = pcm(part)
# Picture 50 is at 2 s = sample 64000; the first box after it, box 56, starts at sample 64512.
check(sound[:1024] == bytes(1024) and sound[1024:] == reference_pcm[64512 * 2:64512 * 2 + len(sound) - 1024],
      "the range's sound starts at its own time, silence before the first box")

# Refusals: nothing is written.
for args, what in [
    ((source, "-o", os.path.join(work, "none.mp4"), "--from", "2026-03-14 10:00:00"), "a range after the recording"),
    ((source, "-o", os.path.join(work, "none.mp4"), "--to", "2026-03-14 09:00:00"), "a range before the recording"),
    ((os.path.join(fixtures, "rvde_first.am4"), "-o", os.path.join(work, "none.mp4")), "a file that is not played"),
]:
    status, _, err = am4export(*args)
    check(status == 1 and err.startswith("am4export: ") and not any(n.startswith("none") for n in os.listdir(work)),
          what + " is refused with a message, nothing written: " + err.strip())

# A damaged segment (pictures 20 to 24, the end of 09:26:55) is skipped and counted.
damaged = os.path.join(work, "damaged.am4")
shutil.copy(source, damaged)
with open(damaged, "r+b") as f:
    data = f.read()
    headers = [i for i in range(0, len(data), 512) if data[i:i + 4] == b"rvdx"]
    f.seek(headers[4] + 512 + 4)
    f.write(b"junk")  # the first box's type
damaged_mp4 = os.path.join(work, "damaged.mp4")
status, out, err = am4export(damaged, "-o", damaged_mp4)
p = provenance(damaged_mp4)
check(status == 0 and p["damaged_segments_skipped"] == "1" and p["pictures"] == "145",
      "a damaged segment is skipped and counted: " + out + err)
check(frame_hashes("-i", damaged_mp4) == stream_hashes[:20] + stream_hashes[25:],
      "the damaged file's export decodes to its good segments' pictures")
check(cues(damaged_mp4)[:2] == [(0, seconds[0]), (800, seconds[1])], "the cues show the jump over the skipped pictures")

# A committed fixture: 30 pictures/s, its clock passes a new day and year.
year = os.path.join(work, "year.mp4")
status, out, err = am4export(os.path.join(fixtures, "cams4_30fps_480.am4"), "-o", year)
check(status == 0 and streams(year)[0]["r_frame_rate"] == "30/1", "the 30 pictures/s fixture exports at 30/1")
check([t for _, t in cues(year)] == ["2006-12-31 23:59:58", "2006-12-31 23:59:59", "2007-01-01 00:00:00",
                                      "2007-01-01 00:00:01"], "the cues pass a new day and year")

if failures:
    print("%d checks failed; files kept in %s" % (len(failures), work))
    sys.exit(1)
shutil.rmtree(work)
print("all checks passed")

#!/usr/bin/env python3
"""am4export end to end, under Wine, checked with Debian's ffmpeg, ffprobe
and sha256sum.

  export_check.py AM4EXPORT.exe MAKE_AM4 NATIVE_BUILD_DIR FIXTURE_DIR

Makes a 6 s recording with make_am4 --keep-streams (so the H.264 and mu-law
streams it was made from are at hand), exports it whole, as a 4 s range and
damaged, exports a committed fixture whose clock passes a new year, and
checks what ffmpeg makes of every export against the streams; the picture
ledger against ffprobe's packets, the manifest with sha256sum, the signature
with openssl; forged and changed exports against --verify; and that failed
exports leave an earlier export as it was."""
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


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


SUFFIXES = ("", ".txt", ".frames.csv", ".sha256", ".sha256.sig", ".pub.pem")


def export_files(path):
    """The bytes of every file of an export, by suffix."""
    return {s: read(path + s) for s in SUFFIXES if os.path.exists(path + s)}


def ledger(path):
    with open(path + ".frames.csv") as f:
        lines = f.read().splitlines()
    return lines[0], [dict(zip(lines[0].split(","), l.split(","))) for l in lines[1:]]


def packets(path):
    """ffprobe's video packets: pts and duration in seconds, size, key flag, SHA-256 of the data."""
    out = run("ffprobe", "-v", "error", "-select_streams", "v", "-show_packets", "-show_data_hash", "sha256",
              "-show_entries", "packet=pts_time,duration_time,size,flags,data_hash", "-of", "compact=p=0:nk=0", path)
    return [dict(kv.split("=", 1) for kv in line.split("|")) for line in out.splitlines()]


def sha256sum_accepts(path):
    return subprocess.run(["sha256sum", "-c", os.path.basename(path) + ".sha256"], cwd=os.path.dirname(path),
                          capture_output=True).returncode == 0


def openssl_verifies(path):
    r = subprocess.run(["openssl", "dgst", "-sha256", "-verify", path + ".pub.pem", "-signature",
                        path + ".sha256.sig", path + ".sha256"], capture_output=True, text=True)
    return r.returncode == 0 and r.stdout.strip() == "Verified OK"


def key_fingerprint(path):
    der = run("openssl", "pkey", "-pubin", "-in", path + ".pub.pem", "-outform", "DER", text=False)
    return hashlib.sha256(der).hexdigest()


def flip_byte(path, at):
    data = bytearray(read(path))
    data[at] ^= 1
    write(path, bytes(data))


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
with open(whole + ".sha256") as f:
    named = sorted(line.split("  ", 1)[1] for line in f.read().splitlines())
check(named == ["whole.mp4", "whole.mp4.frames.csv", "whole.mp4.txt"] and sha256sum_accepts(whole),
      "sha256sum -c accepts the manifest, which names the movie, the ledger and the provenance")
p = provenance(whole)
check(p["source_file"] == "rec.am4" and p["source_size"] == str(os.path.getsize(source))
      and p["pictures"] == "150" and p["first_group"] == "0" and p["groups"] == "30"
      and p["damaged_segments_skipped"] == "0"
      and p["source_range_offset"] == "0" and p["source_range_bytes"] == str(os.path.getsize(source)),
      "the provenance text names the source, its bytes and what was exported")
with open(source, "rb") as f:
    check(p["source_range_sha256"] == hashlib.sha256(f.read()).hexdigest(), "the source range hash is its SHA-256")

# The same export again is the same file, byte for byte.
again = os.path.join(work, "again.mp4")
am4export(source, "-o", again)
first, second = export_files(whole), export_files(again)
check(first[""] == second[""] and first[".frames.csv"] == second[".frames.csv"],
      "two exports of one recording give the same movie and ledger")

# The ledger against ffprobe, row by row.
header, rows = ledger(whole)
check(header == "picture,segment_offset,capture_time,pts_s,duration_s,key,size,sha256,flags",
      "the ledger's header line")
found = packets(whole)
mismatches = [r["picture"] for r, k in zip(rows, found)
              if (r["pts_s"], r["duration_s"], r["size"], r["key"] == "1", "SHA256:" + r["sha256"])
              != (k["pts_time"], k["duration_time"], k["size"], k["flags"].startswith("K"), k["data_hash"])]
check(len(rows) == 150 and len(found) == 150 and not mismatches,
      "every ledger row agrees with ffprobe's packet: time, duration, size, key, SHA-256 (differ: %s)" % mismatches[:5])
check(rows[0]["capture_time"] == "2026-03-14 09:26:55.000" and rows[26]["capture_time"] == "2026-03-14 09:26:56.040"
      and all(r["flags"] == "" for r in rows), "capture times to the millisecond, no flags on a clean recording")

# The signature, checked with openssl alone.
check(openssl_verifies(whole), "openssl verifies the manifest's signature")
check(p["signing_key_sha256"] == key_fingerprint(whole) == key_fingerprint(again),
      "the provenance names the key's fingerprint, the same for every export of this user")

# Verification.
status, out, _ = am4export("--verify", whole)
check(status == 0 and out.count(": OK") == 5 and "SKIPPED" in out,
      "--verify checks every file and the signature, skips the source: " + out.strip())
status, out, _ = am4export("--verify", whole, source)
check(status == 0 and out.count(": OK") == 8 and "FAILED" not in out,
      "--verify with the source also rebuilds the export and compares: " + out.strip())


def copy_export(name):
    """A copy of the whole export under another name, its manifest naming the new files."""
    path = os.path.join(work, name)
    for suffix in SUFFIXES:
        shutil.copy(whole + suffix, path + suffix)
    with open(path + ".sha256") as f:
        manifest = f.read().replace("whole.mp4", name)
    with open(path + ".sha256", "w") as f:
        f.write(manifest)
    return path


def rehash(path):
    """Recomputes the manifest and signs it with a key of the forger's own."""
    base = os.path.basename(path)
    lines = ["%s  %s\n" % (hashlib.sha256(read(path + s)).hexdigest(), base + s) for s in ("", ".txt", ".frames.csv")]
    write(path + ".sha256", "".join(lines).encode())
    key = os.path.join(work, "forger.key")
    if not os.path.exists(key):
        run("openssl", "ecparam", "-genkey", "-name", "prime256v1", "-noout", "-out", key)
    run("openssl", "ec", "-in", key, "-pubout", "-out", path + ".pub.pem")
    run("openssl", "dgst", "-sha256", "-sign", key, "-out", path + ".sha256.sig", path + ".sha256")


# The manifest changed (the copy's names its own files): the signature no longer holds.
renamed = copy_export("renamed.mp4")
status, out, _ = am4export("--verify", renamed)
check(not openssl_verifies(renamed) and status == 1 and re.search(r"signature by key \w+: FAILED", out),
      "openssl and --verify refuse the signature once the manifest changed")

# One byte of the movie changed, the manifest recomputed and signed anew.
altered = copy_export("altered.mp4")
flip_byte(altered, os.path.getsize(altered) // 2)
status, out, _ = am4export("--verify", altered)
check(status == 1 and "altered.mp4: FAILED" in out, "--verify refuses the export after one byte changed")
rehash(altered)
check(sha256sum_accepts(altered) and openssl_verifies(altered), "the altered copy's own manifest and signature hold")
status, out, _ = am4export("--verify", altered, source)
check(status == 1 and "altered.mp4 rebuilt from the source: FAILED" in out and "provenance's signing key: FAILED" in out,
      "--verify with the source refuses it all the same: " + out.strip())

# The forged pair: a changed movie and a provenance that names no source
# bytes (with the hash of nothing); and provenances naming ranges that are
# not of an export.
forged = copy_export("forged.mp4")
flip_byte(forged, os.path.getsize(forged) // 2)
original = open(forged + ".txt").read()
original = re.sub(r"signing_key_sha256=\w+", "signing_key_sha256=" + key_fingerprint(altered), original)
for changes, why in [
    ({"source_range_bytes": "0", "source_range_sha256": hashlib.sha256(b"").hexdigest()}, "the range is empty"),
    ({"source_range_offset": "512", "source_range_bytes": "512"}, "the range does not start on a segment header"),
    ({"source_range_bytes": "999999999"}, "the range lies outside the source"),
]:
    text = original
    for field, value in changes.items():
        text = re.sub(field + r"=\w+", field + "=" + value, text)
    write(forged + ".txt", text.encode())
    rehash(forged)
    status, out, _ = am4export("--verify", forged, source)
    check(status == 1 and why in out and out.count("FAILED") == 1,
          "--verify refuses a forged pair where " + why + ": " + out.strip())

changed_source = os.path.join(work, "changed.am4")
shutil.copy(source, changed_source)
flip_byte(changed_source, 100000)
status, out, _ = am4export("--verify", whole, changed_source)
check(status == 1 and "whole.mp4: OK" in out and "changed.am4: FAILED" in out,
      "--verify refuses a source whose exported bytes changed")

# An existing export is refused without --overwrite and replaced with it.
before = export_files(whole)
status, _, err = am4export(source, "-o", whole, "--from", "2026-03-14 09:26:57")
check(status == 1 and "--overwrite" in err and export_files(whole) == before,
      "an export onto an existing one is refused without --overwrite, nothing changed: " + err.strip())
status, _, err = am4export(source, "-o", again, "--from", "2026-03-14 09:26:57", "--overwrite")
status_v, out, _ = am4export("--verify", again, source)
check(status == 0 and status_v == 0 and provenance(again)["first_group"] == "10",
      "with --overwrite the export is replaced and verifies: " + err + out)

# Failures leave the earlier export as it was, and nothing of their own.
for args, what in [
    ((source, "-o", whole, "--from", "2026-03-14 10:00:00", "--overwrite"), "an empty range"),
    ((source, "-o", os.path.join(work, "missing", "whole.mp4")), "a folder that does not exist"),
]:
    status, _, err = am4export(*args)
    check(status == 1 and export_files(whole) == before and sha256sum_accepts(whole),
          "a failed export (%s) leaves the earlier export intact: %s" % (what, err.strip()))
# An export of a name whose files fit in a file name (255 bytes here) but
# whose temporary names from the provenance's on do not: a new export there
# fails after its movie was written.
long_name = copy_export("x" * 236 + ".mp4")
kept = export_files(long_name)
status, _, err = am4export(source, "-o", long_name, "--from", "2026-03-14 09:26:57", "--overwrite")
check(status == 1 and export_files(long_name) == kept and sha256sum_accepts(long_name),
      "an export that cannot be written leaves the earlier export intact: " + err.strip())
check(not [n for n in os.listdir(work) if ".partial" in n], "no temporary file is left behind")

# A 4-second range: the groups that cover 09:26:57 up to 09:27:01.
part = os.path.join(work, "part.mp4")
status, out, err = am4export(source, "-o", part, "--from", "2026-03-14 09:26:57", "--to", "2026-03-14 09:27:01")
check(status == 0, "a 4-second range exports: " + out + err)
check(frame_hashes("-i", part) == stream_hashes[50:150], "the range holds pictures 50 to 149 of the stream")
check([t for _, t in cues(part)] == seconds[2:], "the range's cues are its four seconds")
p = provenance(part)
check(p["first_group"] == "10" and p["groups"] == "20" and p["asked_from"] == "2026-03-14 09:26:57" and p["asked_to"] == "2026-03-14 09:27:01",
      "the provenance text gives the range asked for and the groups exported")
status, out, _ = am4export("--verify", part, source)
check(status == 0 and "part.mp4 rebuilt from the source: OK" in out, "--verify rebuilds the range's export")
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

# The recorder's clock repeats a second from picture 50 and jumps 10 s ahead
# at picture 100, and segment 4 is damaged: the ledger flags the pictures
# where the stamps show it.
clock = os.path.join(work, "clock.am4")
data = bytearray(read(damaged))
headers = [i for i in range(0, len(data), 512) if data[i:i + 4] == b"rvdx"]
for k, h in enumerate(headers):
    shift = (-1 if k >= 10 else 0) + (10 if k >= 20 else 0)
    t = data[h + 46] * 3600 + data[h + 45] * 60 + data[h + 44] + shift
    data[h + 44:h + 47] = bytes([t % 60, t // 60 % 60, t // 3600])
write(clock, bytes(data))
clock_mp4 = os.path.join(work, "clock.mp4")
status, out, err = am4export(clock, "-o", clock_mp4)
_, rows = ledger(clock_mp4)
flagged = {int(r["picture"]): r["flags"] for r in rows if r["flags"]}
p = provenance(clock_mp4)
# Row 50: counted on into :57, the stamp goes back to :56 at the next key
# frame; row 70 catches up with :57; row 95 is the jump.
check(status == 0 and flagged == {20: "gap|after_damage", 50: "back", 70: "gap", 95: "gap"},
      "the ledger flags the skipped segment, the repeated second and the jump: %s" % flagged)
check((p["pictures_flagged_gap"], p["pictures_flagged_repeat"], p["pictures_flagged_back"],
       p["pictures_flagged_after_damage"]) == ("3", "0", "1", "1"), "the provenance counts each flag")

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

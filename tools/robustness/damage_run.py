# The logic of tools/robustness/damage_run (see its header for usage).
import argparse
import os
import random
import shutil
import struct
import sys
import threading
import time
from concurrent.futures import ThreadPoolExecutor

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import am4run  # noqa: E402

SECTOR = 512
PARAM_LEN_AT = 400
BOX_HEADER = 24
PAYLOAD_BUFFER = 1 << 20

SCRIPTS = [
    "mode 2; wait paused",
    "mode 7; wait paused; mode 3; wait paused",
    "seek 0.6; wait paused; mode 2; wait paused",
    "mode 5; wait paused",
    "mode 7; wait paused; mode 2; wait paused",
    "seek 0.3; wait paused; mode 3; wait paused",
    "mode 4; wait paused",
    "seek 0.5; wait paused; mode 4; wait paused; mode 5; wait paused",
    "audio on; mode 2; wait paused",
    "seek 0.9; wait paused; mode 8; wait paused; mode 8; wait paused; mode 9; wait paused; mode 9; wait paused",
    "mode 7; wait paused; mode 5; wait paused; mode 4; wait paused",
    "seek 0.2; wait paused; mode 2; wait 500; mode 3; wait 500; mode 2; wait paused",
]

FAULT_KINDS = ["timeout", "crash/exit", "memory", "forward order", "reverse order", "timestamp order"]
NOTE_KINDS = ["mark only"]  # listed, not counted as faults


# ---- the source file's layout ----

class Segment:
    def __init__(self, index, offset, d):
        self.index, self.offset = index, offset
        self.prev, self.own, self.next = (struct.unpack_from("<I", d, offset + o)[0] for o in (8, 16, 24))
        self.data_sectors, self.payload = struct.unpack_from("<II", d, offset + 32)
        self.fps = struct.unpack_from("<I", d, offset + 52)[0]
        self.param_len = d[offset + PARAM_LEN_AT]
        self.boxes = []  # (absolute offset, size, stream type)
        at, end = offset + SECTOR, offset + SECTOR + self.payload
        while at + BOX_HEADER <= end:
            size = struct.unpack_from(">I", d, at)[0]
            if size < BOX_HEADER or at + size > end or d[at + 4:at + 8] != b"qbox":
                break
            self.boxes.append((at, size, struct.unpack_from(">H", d, at + 12)[0]))
            at += size

    @property
    def end(self):
        return self.offset + SECTOR + self.data_sectors * SECTOR

    def name(self):
        return f"seg {self.index} (at {self.offset})"


def walk(d):
    segs, at = [], 0
    while at + SECTOR <= len(d) and d[at:at + 4] != b"rvdx":
        at += SECTOR
    while at + SECTOR <= len(d) and d[at:at + 4] == b"rvdx":
        s = Segment(len(segs), at, d)
        if s.end > len(d):
            break
        segs.append(s)
        at = s.end
    return segs


def duration_s(d, segs):
    videos = sum(1 for s in segs for b in s.boxes if b[2] in (2, 5))
    fps = segs[0].fps if segs and segs[0].fps else 25
    return videos / fps


# ---- damages: each returns (description, edits); an edit is (offset, bytes) or ('cut', offset) ----

def pick_segment(r, segs):
    x = r.random()
    if x < 0.25:
        return segs[0]
    if x < 0.45:
        return segs[-1]
    return r.choice(segs)


def u32_edit(offset, value, big=False):
    return (offset, struct.pack(">I" if big else "<I", value & 0xFFFFFFFF))


def choose(r, options):
    """options: (label, value) pairs; a random 32-bit value is always one of them."""
    options = options + [("random", r.getrandbits(32))]
    return r.choice(options)


def link_options(r, s, segs, file_sectors, field):
    own = s.own
    base = segs[0].own - segs[0].offset // SECTOR  # sector number of file offset 0
    prev_seg = segs[s.index - 1] if s.index > 0 else None
    next_seg = segs[s.index + 1] if s.index + 1 < len(segs) else None
    k = r.randint(2, 40)
    opts = [("0", 0), ("1", 1), ("0x7FFFFF", 0x7FFFFF), ("0xFFFFFFFF", 0xFFFFFFFF), ("0x80000000", 0x80000000),
            ("own (itself)", own), ("own+1 (inside its data)", own + 1), ("own-1", own - 1),
            (f"own-{k} (backward)", own - k), (f"own+{k}", own + k),
            ("first header", segs[0].own), ("last header", segs[-1].own),
            ("one sector before the file", base - 1), ("past the end of the file", base + file_sectors),
            (f"{k} sectors past the end", base + file_sectors + k), ("far beyond the end", base + file_sectors + 0x100000)]
    if prev_seg:
        opts.append(("previous header", prev_seg.own))
        if prev_seg.index > 0:
            opts.append(("header before the previous one", segs[prev_seg.index - 1].own))
    if next_seg:
        opts.append(("next header", next_seg.own))
        if next_seg.index + 1 < len(segs):
            opts.append(("header after the next one", segs[next_seg.index + 1].own))
    current = {"previous_sector": s.prev, "own_sector": s.own, "next_sector": s.next}[field]
    for delta in (-1, 1, -r.randint(2, 9), r.randint(2, 9)):
        opts.append((f"{delta:+d}", current + delta))
    return opts


def damage_link(r, d, segs, field):
    s = pick_segment(r, segs)
    at = {"previous_sector": 8, "own_sector": 16, "next_sector": 24}[field]
    old = struct.unpack_from("<I", d, s.offset + at)[0]
    label, value = choose(r, link_options(r, s, segs, len(d) // SECTOR, field))
    return f"{s.name()} {field} {old} -> {value & 0xFFFFFFFF} ({label})", [u32_edit(s.offset + at, value)]


def damage_data_sectors(r, d, segs):
    s = pick_segment(r, segs)
    old = s.data_sectors
    to_end = (len(d) - s.offset) // SECTOR - 1
    k = r.randint(2, 12)
    label, value = choose(r, [("0", 0), ("1", 1), ("-1", old - 1), ("+1", old + 1), (f"-{k}", old - k), (f"+{k}", old + k),
                              ("0x7FFFFF", 0x7FFFFF), ("0xFFFFFFFF", 0xFFFFFFFF), ("0x80000000", 0x80000000),
                              ("0x7FFFFFFF", 0x7FFFFFFF), ("up to the end of the file", to_end),
                              ("one past the end of the file", to_end + 1), ("twice", old * 2),
                              ("too few for the payload", s.payload // SECTOR)])
    return f"{s.name()} data_sectors {old} -> {value & 0xFFFFFFFF} ({label})", [u32_edit(s.offset + 32, value)]


def damage_payload_length(r, d, segs):
    s = pick_segment(r, segs)
    old = s.payload
    k = r.randint(2, 600)
    room = s.data_sectors * SECTOR
    label, value = choose(r, [("0", 0), ("1", 1), ("23", 23), ("24", 24), ("25", 25), ("-1", old - 1), ("+1", old + 1),
                              (f"-{k}", old - k), (f"+{k}", old + k), ("its data sectors' bytes", room),
                              ("one past its data sectors", room + 1), ("0x7FFFFF", 0x7FFFFF),
                              ("0xFFFFFFFF", 0xFFFFFFFF), ("payload buffer size", PAYLOAD_BUFFER),
                              ("payload buffer size + 1", PAYLOAD_BUFFER + 1),
                              ("payload buffer size - 1", PAYLOAD_BUFFER - 1), ("past the end of the file", len(d))])
    return f"{s.name()} payload_length {old} -> {value & 0xFFFFFFFF} ({label})", [u32_edit(s.offset + 36, value)]


def damage_parameter_length(r, d, segs):
    s = pick_segment(r, segs)
    old = s.param_len
    label, value = r.choice([("0", 0), ("1", 1), ("23", 23), ("24", 24), ("-1", old - 1), ("+1", old + 1),
                             ("-4", old - 4), ("+4", old + 4), ("111 (largest)", 111), ("112", 112), ("113", 113),
                             ("255", 255), ("random", r.randint(0, 255))])
    value &= 0xFF
    return f"{s.name()} parameter length byte {old} -> {value} ({label})", [(s.offset + PARAM_LEN_AT, bytes([value]))]


def damage_parameter_area(r, d, segs):
    s = pick_segment(r, segs)
    n = s.param_len
    area = s.offset + SECTOR - n
    if n < BOX_HEADER + 5:
        return damage_parameter_length(r, d, segs)
    box_size = struct.unpack_from(">I", d, area)[0]
    nal1 = struct.unpack_from(">I", d, area + BOX_HEADER)[0]
    nal2_at = area + BOX_HEADER + 4 + nal1
    what = r.choice(["box size", "box tag", "box flags", "stream type", "first NAL length", "second NAL length",
                     "bytes", "whole area"])
    base = f"{s.name()} parameter area"
    if what == "box size":
        label, v = choose(r, [("0", 0), ("23", 23), ("24", 24), ("-1", box_size - 1), ("+1", box_size + 1),
                              ("area + 1", n + 1), ("0xFFFFFFFF", 0xFFFFFFFF), ("0x7FFFFF", 0x7FFFFF)])
        return f"{base} box size {box_size} -> {v & 0xFFFFFFFF} ({label})", [u32_edit(area, v, big=True)]
    if what == "box tag":
        tag = r.choice([b"qbo\0", b"xbox", b"QBOX", bytes(r.getrandbits(8) for _ in range(4))])
        return f"{base} box tag -> {tag.hex()}", [(area + 4, tag)]
    if what == "box flags":
        v = r.choice([0, 2, 0xFFFFFFFF, r.getrandbits(32)])
        return f"{base} box flags 1 -> {v}", [u32_edit(area + 8, v, big=True)]
    if what == "stream type":
        v = r.choice([0, 1, 5, 6, 0xFFFF, r.getrandbits(16)])
        return f"{base} stream type -> {v}", [(area + 12, struct.pack(">H", v))]
    if what in ("first NAL length", "second NAL length"):
        at = area + BOX_HEADER if what == "first NAL length" else nal2_at
        if at + 4 > s.offset + SECTOR:
            at = area + BOX_HEADER
        old = struct.unpack_from(">I", d, at)[0]
        label, v = choose(r, [("0", 0), ("1", 1), ("-1", old - 1), ("+1", old + 1), ("+30", old + 30),
                              ("0xFFFF", 0xFFFF), ("0xFFFFFFFF", 0xFFFFFFFF), ("100 (store size)", 100),
                              ("97", 97)])
        return f"{base} {what} {old} -> {v & 0xFFFFFFFF} ({label})", [u32_edit(at, v, big=True)]
    if what == "bytes":
        edits, said = [], []
        for _ in range(r.randint(1, 4)):
            at = r.randrange(area, s.offset + SECTOR)
            b = r.getrandbits(8)
            edits.append((at, bytes([b])))
            said.append(f"+{at - area}={b:02x}")
        return f"{base} bytes {' '.join(said)}", edits
    return f"{base} all {n} bytes random", [(area, bytes(r.getrandbits(8) for _ in range(n)))]


def pick_box(r, s):
    x = r.random()
    if x < 0.3:
        return 0, s.boxes[0]
    if x < 0.45:
        return len(s.boxes) - 1, s.boxes[-1]
    i = r.randrange(len(s.boxes))
    return i, s.boxes[i]


def damage_box_size(r, d, segs):
    s = pick_segment(r, segs)
    i, (at, size, _) = pick_box(r, s)
    rest = s.offset + SECTOR + s.payload - at
    k = r.randint(2, 300)
    label, v = choose(r, [("0", 0), ("1", 1), ("23", 23), ("24", 24), ("-1", size - 1), ("+1", size + 1),
                          (f"-{k}", size - k), (f"+{k}", size + k), ("rest of the payload", rest),
                          ("rest of the payload + 1", rest + 1), ("0x7FFFFF", 0x7FFFFF),
                          ("0x7FFFFFFF", 0x7FFFFFFF), ("0xFFFFFFFF", 0xFFFFFFFF)])
    return f"{s.name()} box {i} (at {at}) size {size} -> {v & 0xFFFFFFFF} ({label})", [u32_edit(at, v, big=True)]


def damage_box_type(r, d, segs):
    s = pick_segment(r, segs)
    i, (at, size, st) = pick_box(r, s)
    what = r.choice(["tag", "stream type", "stream type", "key flag", "flags"])
    base = f"{s.name()} box {i} (at {at}, type {st})"
    if what == "tag":
        tag = r.choice([b"qbo\0", b"xbox", b"rvdx", bytes(r.getrandbits(8) for _ in range(4))])
        return f"{base} tag -> {tag.hex()}", [(at + 4, tag)]
    if what == "stream type":
        v = r.choice([0, 1, 2, 3, 5, 6, 0xFFFF, r.getrandbits(16)])
        return f"{base} stream type -> {v}", [(at + 12, struct.pack(">H", v))]
    if what == "key flag":
        b = d[at + 19] ^ 4
        return f"{base} key flag flipped (byte 19 {d[at + 19]:02x} -> {b:02x})", [(at + 19, bytes([b]))]
    v = r.choice([0, 2, 0xFFFFFFFF, r.getrandbits(32)])
    return f"{base} flags -> {v}", [u32_edit(at + 8, v, big=True)]


def damage_cut(r, d, segs):
    s = r.choice(segs)
    x = r.random()
    if x < 0.4:
        at, label = r.randrange(0, len(d)), "anywhere"
    elif x < 0.55:
        at, label = s.offset + r.choice([0, 1, 4, 256, 511]), f"in the header of {s.name()}"
    elif x < 0.7:
        at, label = s.offset + SECTOR + r.choice([0, 1, 23, 24]), f"at the payload start of {s.name()}"
    elif x < 0.85 and s.boxes:
        b = r.choice(s.boxes)
        at, label = b[0] + r.choice([0, 1, 12, b[1] // 2, b[1] - 1]), f"in a box of {s.name()}"
    else:
        at, label = s.end - r.choice([1, 24, SECTOR]), f"near the end of {s.name()}"
    at = max(0, min(at, len(d) - 1))
    return f"cut at {at} of {len(d)} ({label})", [("cut", at)]


def damage_header_tag(r, d, segs):
    s = pick_segment(r, segs)
    tag = r.choice([b"rvdX", b"\0\0\0\0", b"RVDE", b"\xfa\xff\xff\xff"])
    return f"{s.name()} header tag -> {tag.hex()}", [(s.offset, tag)]


def damage_frame_rate(r, d, segs):
    s = pick_segment(r, segs)
    v = r.choice([0, 1, 7, 255, 1000, 0xFFFFFFFF])
    pictures = sum(1 for b in s.boxes if b[2] in (2, 5))
    slower = 2 * pictures / v if 0 < v < s.fps else 0.0  # its pictures paced at v a second, twice at most
    return f"{s.name()} frame_rate {s.fps} -> {v}", [u32_edit(s.offset + 52, v)], slower


DAMAGES = [
    (12, "data sectors", damage_data_sectors),
    (8, "previous link", lambda r, d, s: damage_link(r, d, s, "previous_sector")),
    (6, "own link", lambda r, d, s: damage_link(r, d, s, "own_sector")),
    (12, "next link", lambda r, d, s: damage_link(r, d, s, "next_sector")),
    (12, "payload length", damage_payload_length),
    (7, "parameter length", damage_parameter_length),
    (8, "parameter area", damage_parameter_area),
    (12, "box size", damage_box_size),
    (10, "box type", damage_box_type),
    (10, "cut", damage_cut),
    (3, "header tag", damage_header_tag),
    (3, "frame rate", damage_frame_rate),
]


def make_damage(seed, index, d, segs):
    """The damages of file number index (one, or two one time in five), its
    script, and seconds the damage may rightly add to the run."""
    r = random.Random(f"{seed}:{index}")
    n = 2 if r.random() < 0.2 else 1
    descs, edits, extra = [], [], 0.0
    for _ in range(n):
        for _ in range(20):  # a damage that changes nothing is drawn again
            _, _, f = r.choices(DAMAGES, weights=[w for w, _, _ in DAMAGES])[0]
            desc, e, *more = f(r, d, segs)
            if apply_edits(d, edits + e) != apply_edits(d, edits):
                break
        descs.append(desc)
        edits.extend(e)
        extra += sum(more)
    script = r.choice(SCRIPTS)
    return " & ".join(descs), edits, script, extra


def apply_edits(d, edits):
    out = bytearray(d)
    cut = None
    for e in edits:
        if e[0] == "cut":
            cut = e[1] if cut is None else min(cut, e[1])
        else:
            off, b = e
            out[off:off + len(b)] = b
    return bytes(out[:cut] if cut is not None else out)


def edits_text(edits):
    return ",".join(f"cut@{e[1]}" if e[0] == "cut" else f"p@{e[0]}={e[1].hex()}" for e in edits)


def edits_parse(text):
    edits = []
    for part in filter(None, text.split(",")):
        if part.startswith("cut@"):
            edits.append(("cut", int(part[4:])))
        else:
            off, hexed = part[2:].split("=")
            edits.append((int(off), bytes.fromhex(hexed)))
    return edits


def time_limit(script, dur):
    """Seconds a run may take: start-up and opening, then each command's share."""
    t = 15.0
    for c in am4run.script_commands(script):
        w = c.split()
        if w[0] == "mode" and len(w) > 1:
            t += {2: 2.5 * dur + 5, 3: 2.5 * dur + 5, 4: dur + 5, 5: dur + 5}.get(int(w[1]), 4)
        elif w[0] == "seek":
            t += 4
        elif w[0] == "wait" and len(w) > 1 and w[1] != "paused":
            t += int(w[1]) / 1000
    return t


# ---- running ----

def run_one(path, script, limit, keep_dir, name, fps=None):
    trace, err = os.path.join(keep_dir, name + ".trace"), os.path.join(keep_dir, name + ".err")
    for attempt in range(2):
        res = am4run.run_am4play(path, script, limit, trace, err)
        if not res["exe_changed"]:
            break
        am4run.wait_exe_settled()  # rebuilt under the run: once more on the new binary
    with open(trace, "rb") as f:
        text = f.read().decode("utf-8", "replace")
    faults = am4run.judge(res, text, script, fps)
    return res, faults, trace, err


def result_word(faults):
    kinds = list(dict.fromkeys(k for k, _ in faults))
    bad = [k for k in kinds if k in FAULT_KINDS]
    if bad:
        return "FAULT " + "|".join(bad)
    if "refused" in kinds:
        return "refused"
    if kinds:
        return "note " + "|".join(kinds)
    return "ok"


def build_time(stamp):
    return time.strftime("%Y-%m-%d %H:%M:%S", time.localtime(stamp[0] / 1e9)) if stamp else "-"


def print_report(records, out, started, source, jobs, baseline):
    faults_by = {k: [] for k in FAULT_KINDS + NOTE_KINDS}
    refused, ok = [], 0
    for rec in records:
        if rec["result"] == "ok":
            ok += 1
        elif rec["result"] == "refused":
            refused.append(rec)
        for k, detail in rec["faults"]:
            if k in faults_by:
                faults_by[k].append((rec, detail))
    faulty = sum(1 for rec in records if rec["result"].startswith("FAULT"))
    noted = sum(1 for rec in records if rec["result"].startswith("note"))
    secs = [rec["seconds"] for rec in records]
    lines = [f"source {source}; {len(records)} files run, {jobs} at a time, in {time.monotonic() - started:.0f} s "
             f"(run time mean {sum(secs) / max(1, len(secs)):.1f} s, max {max(secs, default=0):.1f} s)",
             f"clean {ok}, refused {len(refused)}, with faults {faulty}, with notes only {noted}"]
    for script, word, _, shown, _ in baseline:
        lines.append(f"  undamaged source: {word}, {shown} pictures | {script}")
    for k in FAULT_KINDS:
        lines.append(f"  {k}: {len(faults_by[k])}")
    for k in NOTE_KINDS:
        lines.append(f"  {k} (not counted as a fault): {len(faults_by[k])}")
    for k in FAULT_KINDS + NOTE_KINDS:
        if not faults_by[k]:
            continue
        lines.append(f"== {k}")
        for rec, detail in faults_by[k]:
            lines.append(f"  {rec['name']}: {rec['damage']}\n      script: {rec['script']}\n      {detail}")
    if refused:
        lines.append("== refused (not counted as faults)")
        for rec in refused:
            lines.append(f"  {rec['name']}: {rec['damage']}")
    builds = sorted({rec["exe"] for rec in records if rec["exe"]})
    lines.append(f"am4play.exe builds used (mtime): "
                 + ", ".join(build_time(b) for b in builds))
    lines.append(f"kept: {out}/faults (damaged file, .trace, .err per fault); manifest: {out}/manifest.tsv")
    text = "\n".join(lines)
    print(text)
    with open(os.path.join(out, "summary.txt"), "w") as f:
        f.write(text + "\n")


def main():
    ap = argparse.ArgumentParser(description="Plays damaged copies of a backup file through am4play.")
    ap.add_argument("--source", default=os.path.join(am4run.ROOT, "tests/fixtures/cams4_30fps_480.am4"))
    ap.add_argument("--count", type=int, default=300)
    ap.add_argument("--first", type=int, default=0, help="index of the first damaged file")
    ap.add_argument("--seed", default="1")
    ap.add_argument("--out", help="output folder (default build/robustness; with --manifest, its folder's recheck/)")
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--only", help="comma-separated indices to remake from the seed and run")
    ap.add_argument("--manifest", help="remake and rerun the faults of a manifest (--all: every line)")
    ap.add_argument("--all", action="store_true")
    ap.add_argument("--one", help="run this file only (with --script)")
    ap.add_argument("--script", default="mode 2; wait paused")
    ap.add_argument("--limit", type=float, help="time limit in seconds (default: from the script)")
    ap.add_argument("--no-baseline", action="store_true", help="skip playing the undamaged source with each script")
    a = ap.parse_args()

    if a.one:
        d = open(a.one, "rb").read()
        segs = walk(d)
        dur = duration_s(d, segs) if segs else 4.0
        limit = a.limit or time_limit(a.script, max(dur, 4.0))
        keep = os.path.dirname(os.path.abspath(a.one))
        name = os.path.basename(a.one) + ".one"
        fps = segs[0].fps if segs else None
        res, faults, trace, _ = run_one(a.one, a.script, limit, keep, name, fps)
        print(f"{a.one}: {result_word(faults)} exit {res['rc']} in {res['seconds']:.1f} s (limit {limit:.0f} s)")
        for k, detail in faults:
            print(f"  {k}: {detail}")
        print(f"  trace {trace}")
        return 1 if result_word(faults).startswith("FAULT") else 0

    if not a.out:
        a.out = (os.path.join(os.path.dirname(os.path.abspath(a.manifest)), "recheck") if a.manifest
                 else os.path.join(am4run.ROOT, "build/robustness"))
    os.makedirs(a.out, exist_ok=True)
    jobs_list = []  # (index, damage, edits, script, time limit)
    source = a.source
    if a.manifest:
        with open(a.manifest) as f:
            for line in f:
                if line.startswith("# source="):
                    source = line.split("=", 1)[1].split("\t")[0].strip()
                if line.startswith("#") or not line.strip():
                    continue
                name, damage, script, result, edits, _, limit = line.rstrip("\n").split("\t")[:7]
                if a.all or result.startswith(("FAULT", "note")):
                    jobs_list.append((int(name[1:]), damage, edits_parse(edits), script, float(limit)))
    d = open(source, "rb").read()
    segs = walk(d)
    if not segs:
        print(f"{source}: no segments", file=sys.stderr)
        return 2
    dur = duration_s(d, segs)
    if not a.manifest:
        indices = [int(x) for x in a.only.split(",")] if a.only else range(a.first, a.first + a.count)
        for i in indices:
            damage, edits, script, extra = make_damage(a.seed, i, d, segs)
            jobs_list.append((i, damage, edits, script, time_limit(script, dur) + extra))

    work, keep = os.path.join(a.out, "work"), os.path.join(a.out, "faults")
    os.makedirs(work, exist_ok=True)
    os.makedirs(keep, exist_ok=True)
    manifest = os.path.join(a.out, "manifest.tsv")
    print(f"{len(jobs_list)} damaged copies of {source} ({len(segs)} segments, {dur:.1f} s), seed {a.seed}, "
          f"{a.jobs} at a time; output {a.out}", flush=True)
    lock = threading.Lock()
    records = []
    started = time.monotonic()
    baseline = []
    if not a.no_baseline:
        def clean_run(script):
            res, faults, trace, err = run_one(source, script, time_limit(script, dur), work, "source", segs[0].fps)
            shown = am4run.SUMMARY.search(res["stderr"])
            for p in (trace, err):
                os.remove(p)
            return script, result_word(faults), faults, shown.group(1) if shown else "-", res["seconds"]
        with ThreadPoolExecutor(max_workers=1) as pool:  # one at a time: they share the trace names
            baseline = list(pool.map(clean_run, sorted({job[3] for job in jobs_list})))
        for script, word, faults, shown, secs in baseline:
            print(f"undamaged: {word}, {shown} pictures, {secs:.1f} s | {script}", flush=True)
            for k, detail in faults:
                print(f"    {k}: {detail}")

    def task(job):
        i, damage, edits, script, limit = job
        name = f"d{i:04d}"
        path = os.path.join(work, name + ".am4")
        with open(path, "wb") as f:
            f.write(apply_edits(d, edits))
        stamp = am4run.exe_stamp()
        res, faults, trace, err = run_one(path, script, limit, work, name, segs[0].fps)
        word = result_word(faults)
        if word.startswith(("FAULT", "note")):
            for p in (path, trace, err):
                shutil.move(p, os.path.join(keep, os.path.basename(p)))
        else:
            for p in (path, trace, err):
                os.remove(p)
        shown = am4run.SUMMARY.search(res["stderr"])
        rec = {"index": i, "name": name, "damage": damage, "script": script, "edits": edits_text(edits),
               "pictures": shown.group(1) if shown else "-",
               "faults": faults, "result": word, "seconds": res["seconds"], "limit": limit, "exe": stamp}
        with lock:
            records.append(rec)
            n = len(records)
            if word.startswith(("FAULT", "note")) or n % 20 == 0 or n == len(jobs_list):
                print(f"[{n}/{len(jobs_list)} {time.monotonic() - started:.0f} s] {name} {word} "
                      f"({res['seconds']:.1f} s) {damage} | {script}", flush=True)
        return rec

    with ThreadPoolExecutor(max_workers=max(1, a.jobs)) as pool:
        list(pool.map(task, jobs_list))
    records.sort(key=lambda rec: rec["index"])
    with open(manifest, "w") as f:
        f.write(f"# source={os.path.abspath(source)}\tseed={a.seed}\tjobs={a.jobs}\n")
        f.write("# name\tdamage\tscript\tresult\tedits\tseconds\tlimit\tpictures shown\tam4play.exe time\n")
        for rec in records:
            f.write(f"{rec['name']}\t{rec['damage']}\t{rec['script']}\t{rec['result']}\t{rec['edits']}\t"
                    f"{rec['seconds']:.1f}\t{rec['limit']:.0f}\t{rec['pictures']}\t{build_time(rec['exe'])}\n")
    try:
        os.rmdir(work)
    except OSError:
        pass
    print_report(records, a.out, started, source, a.jobs, baseline)
    return 1 if any(rec["result"].startswith("FAULT") for rec in records) else 0


if __name__ == "__main__":
    sys.exit(main())

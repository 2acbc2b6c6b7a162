"""Scenes for motion searches, as ffmpeg filter graphs for make_am4 --lavfi:
720 x 576 at 25 pictures/s, camera 1 in the top-left quarter (360 x 288).
Noise runs over the whole picture all the time; a light square circles in
camera 1's top-left corner, a dark one moves up and down just right of the
search region, another crosses camera 4; a dark square crosses the search
region from left to right in each of the given entries; from picture
`jump` on (if given) the whole picture is brighter."""

SIZE, FPS = (720, 576), 25
REGION = (160, 112, 96, 96)  # X, Y, W, H in camera 1's pixels
SHAPE, STEP = 48, 8          # the entering square's side and its pixels per picture
N = "floor(t*%d+0.5)" % FPS   # the picture number in ffmpeg's expressions (its n runs one ahead in overlays)
BESIDE = REGION[0] + REGION[2] + 16  # left edge of the square that moves beside the region


def entry_pictures(start):
    """(first, last) picture in which the square that starts left of the
    region at picture `start` overlaps the region, and the picture it is gone."""
    x0 = REGION[0] - SHAPE - 2 * STEP
    inside = [n for n in range(start, start + 60) if x0 + (n - start) * STEP + SHAPE > REGION[0]
              and x0 + (n - start) * STEP < REGION[0] + REGION[2]]
    return inside[0], inside[-1], inside[-1] + 3


def graph(entries=(), jump=None):
    """The filter graph; `entries` are the pictures at which a square sets
    off towards the region (from 2 pictures left of it)."""
    w, h = SIZE
    parts = ["color=c=0x707070:s=%dx%d:r=%d,drawbox=x=20:y=200:w=100:h=60:c=0x505050:t=fill,"
             "drawbox=x=400:y=340:w=150:h=90:c=0x909090:t=fill[s0]" % (w, h, FPS),
             "color=c=0xd0d0d0:s=40x40:r=%d[light]" % FPS,
             "color=c=0x303030:s=32x32:r=%d[beside]" % FPS,
             "color=c=0xc0c0c0:s=60x40:r=%d[far]" % FPS]
    layers = [("light", "60+40*cos(%s/10)" % N, "40+30*sin(%s/10)" % N, None),
              ("beside", str(BESIDE), "%d+abs(mod(%s*6,240)-120)" % (REGION[1] - 40, N), None),
              ("far", "360+mod(%s*5,300)" % N, "400", None)]
    x0 = REGION[0] - SHAPE - 2 * STEP
    for i, start in enumerate(entries):
        parts.append("color=c=0x202020:s=%dx%d:r=%d[e%d]" % (SHAPE, SHAPE, FPS, i))
        end = entry_pictures(start)[2]
        layers.append(("e%d" % i, "%d+(%s-%d)*%d" % (x0, N, start, STEP), str(REGION[1] + 24),
                       "between(%s,%d,%d)" % (N, start, end)))
    for i, (name, x, y, enable) in enumerate(layers):
        option = ":enable='%s'" % enable if enable else ""
        parts.append("[s%d][%s]overlay=x='%s':y='%s'%s[s%d]" % (i, name, x, y, option, i + 1))
    last = "s%d" % len(layers)
    brighten = ",eq=brightness=0.15:enable='gte(%s,%d)'" % (N, jump) if jump is not None else ""
    parts.append("[%s]noise=alls=12:allf=t%s,format=yuv420p" % (last, brighten))
    return ";".join(parts)

#!/usr/bin/env bash
# Runs the export tests under Wine, then reads what they left as other
# programs would: the recording with ffprobe and its frames' marks, the still
# with ImageMagick, the printed page with poppler. Copies for a person to
# look at go beside the build: export_frame.png, export_page.png.
#   export_check.sh EXPORT_TEST.exe FRAME_MARKS OUT_DIR
set -euo pipefail
test_exe=$1 frame_marks=$2 out=$3
folder=$WINEPREFIX/drive_c/WEB_BACKUP
fail() { echo "export_check: $*"; exit 1; }

rm -f "$PRINT_DIR"/*.pdf
wine "$test_exe"

avi=$folder/CAM01_20260314_092655.avi
[ -f "$avi" ] || fail "no recording $avi"
IFS=, read -r width height rate frames < <(ffprobe -v error -select_streams v:0 -count_frames \
  -show_entries stream=width,height,r_frame_rate,nb_read_frames -of csv=p=0 "$avi")
echo "recording: ${width}x$height at $rate, $frames frames"
[ "$width" = 360 ] && [ "$height" = 288 ] || fail "recording is ${width}x$height"
[ "$rate" = 10/1 ] || fail "recording's rate is $rate"
# One frame of the paused first picture, then one per picture shown to the end.
mapfile -t marks < <(ffmpeg -v error -i "$avi" -f rawvideo -pix_fmt bgr24 - | "$frame_marks" 360 288)
[ "${#marks[@]}" = "$frames" ] || fail "${#marks[@]} frames decoded of $frames"
[ "${marks[0]}" = 0 ] || fail "the first frame shows picture ${marks[0]}"
# Play drops a picture that comes too late to be shown on time (a busy
# machine), and the recording holds what was shown: frames go forward, and
# only a few pictures may be missing.
skipped=0
for ((i = 1; i < ${#marks[@]}; i++)); do
  step=$(( ${marks[i]} - ${marks[i - 1]} ))
  [ "$step" -ge 1 ] || fail "frame $i shows picture ${marks[i]} after ${marks[i - 1]}"
  skipped=$(( skipped + step - 1 ))
done
[ "$skipped" -le 10 ] || fail "$skipped pictures missing from the recording"
[ "${marks[-1]}" = 249 ] || fail "the last frame shows picture ${marks[-1]}, not the last picture"
echo "recording: frames show pictures ${marks[0]} to ${marks[-1]}, $skipped dropped as late"
ffmpeg -v error -y -i "$avi" -vf "select=eq(n\,100)" -frames:v 1 "$out/export_frame.png"

jpeg=$folder/CAM01_20260314_092655.jpg
[ "$(identify -format '%m %w %h' "$jpeg")" = "JPEG 360 288" ] || fail "still: $(identify "$jpeg")"
echo "still: $(identify -format '%m %wx%h' "$jpeg")"
# The lossless still: camera 1's quarter at its decoded size, brightened as shown.
png=$folder/CAM01_20260314_092655.png
[ "$(identify -format '%m %w %h %[Camera]' "$png")" = "PNG 360 288 1" ] || fail "lossless still: $(identify "$png")"
echo "lossless still: $(identify -format '%m %wx%h, camera %[Camera], captured %[Capture Time]' "$png")"

pdfs=("$PRINT_DIR"/*.pdf)
[ "${#pdfs[@]}" = 1 ] && [ -f "${pdfs[0]}" ] || fail "printed: ${pdfs[*]}"
pages=$(pdfinfo "${pdfs[0]}" | sed -n 's/^Pages: *//p')
[ "$pages" = 1 ] || fail "$pages pages printed"
# (The printer's fonts name "-" the hyphen glyph, which poppler reads as a soft hyphen.)
text=$(pdftotext -layout "${pdfs[0]}" - | sed 's/\xC2\xAD/-/g')
for line in "Picture time +2026-03-14 09:26:55" "Recording start +2026-03-14 09:26:55" \
            "Recording end +2026-03-14 09:27:0[0-9]" "WEB PLAYER"; do
  grep -Eq "$line" <<<"$text" || fail "the page has no \"$line\""
done
pdftoppm -png -r 60 -singlefile "${pdfs[0]}" "$out/export_page"
echo "printed: one page with the picture's, the start's and the end's times"

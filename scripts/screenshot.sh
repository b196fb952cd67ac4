#!/usr/bin/env bash
# Makes docs/screenshot.png: builds the program if needed, starts it under Xvfb on a folder of
# generated photographs (through velmora.ini beside a copy of the program), selects the first
# photograph so that the preview pane shows it, and saves the main window as a PNG: the list
# with its EXIF date column and marked rows, and the status line.
# Environment: VELMORA_BUILD = build folder to use (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${VELMORA_BUILD:-build}
out=$root/docs/screenshot.png

bash scripts/install-deps.sh
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target velmora

# A fixed place, so that the folder label in the picture reads the same every time.
work=${TMPDIR:-/tmp}/velmora-screenshot
rm -rf "$work"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/Photos 2006"
cp "$build/bin/velmora" "$build/bin/Velmora.html" "$work/bin/"

# A handful of photographs with their own pictures, EXIF dates and times: most file times are
# the camera's, three are the time they were copied (their rows are marked), and the last
# photograph carries no EXIF data.
colours=(steelblue darkorange seagreen firebrick goldenrod slateblue teal sienna)
for i in "${!colours[@]}"; do
  n=$((i + 1))
  name=$(printf 'IMG_%04d.JPG' $((4810 + n * 3)))
  convert -size 640x480 "gradient:${colours[$i]}-white" -fill white \
    -draw "circle $((160 + n * 40)),240 $((160 + n * 40)),$((150 + n * 10))" "$work/Photos 2006/$name"
  taken=$(printf '%02d:%02d:%02d' $((9 + n)) $((n * 7 % 60)) $((n * 13 % 60)))
  if [ "$n" -lt "${#colours[@]}" ]; then
    exiftool -q -overwrite_original "-AllDates=2006:12:24 $taken" "$work/Photos 2006/$name"
  fi
  case $n in
    3|5|6) touch -d "2026-12-09 01:4$n:50" "$work/Photos 2006/$name" ;;
    *) touch -d "2006-12-24 $taken" "$work/Photos 2006/$name" ;;
  esac
done

cat >"$work/bin/velmora.ini" <<INI
[Form]
Left=0
Top=0
Width=800
Height=439
[Settings]
Mask=*.jpg
Folder=$work/Photos 2006
INI

mkdir -p "$(dirname "$out")"
export LC_ALL=cs_CZ.UTF-8
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -e
  "$1/bin/velmora" &
  pid=$!
  # The screen is black until the window has painted itself; its list is filled by then.
  for _ in $(seq 60); do
    sleep 0.5
    pixel=$(import -window root -crop 1x1+400+60 +repage txt:- 2>/dev/null | tail -1)
    case "$pixel" in *black*|*"#000000"*|"") ;; *) break ;; esac
  done
  # Select the first photograph (a click on its row, below the list header), so that the preview
  # pane shows it; the decode runs in the background, so give it a moment.
  xdotool mousemove 420 116 click 1
  sleep 2
  xdotool mousemove 790 430
  sleep 0.5
  import -window root -crop 800x439+0+0 +repage "$2"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
' _ "$work" "$out"
echo "Wrote $out"

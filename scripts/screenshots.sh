#!/usr/bin/env bash
# Takes the screenshots in docs/screenshots/ from the real program on a virtual X display.
# Needs (not installed by deps.sh; CI does not take screenshots):
#   apt-get install xvfb xauth xdotool imagemagick poppler-utils
# The program runs from a copy in a temporary folder with its own settings file (first start
# over) and a temporary home, so neither the build nor the user's settings are touched.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
for tool in xvfb-run xdotool import pdftoppm; do
  command -v "$tool" >/dev/null || { echo "screenshots.sh needs $tool (see the comment at the top)" >&2; exit 1; }
done
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target daxara daxara-cli

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp build/src/gui/daxara "$work/daxara"
printf '[IS_APP_FIRST_TIME]\nIsAppFirstTime=0\n[LENGTH_UNIT]\nLengthUnit=0\n' > "$work/VEL_DAX.ini"
build/src/cli/daxara-cli demo "$work/demo" >/dev/null
# The meeting room with its surfaces, NR 35 noise and an STI map, for the room acoustics shots.
cli=build/src/cli/daxara-cli
cp "$work/demo/meeting-room.tdax" "$work/demo/meeting-sti.tdax"
$cli acoustics "$work/demo/meeting-sti.tdax" --surface "floor=Carpet on concrete" \
  --surface "ceiling=Acoustic ceiling tiles, 25 mm glass fibre" \
  --surface "wall-x0=Plasterboard on studs" --surface "wall-xL=Plasterboard on studs" \
  --surface "wall-y0=Glass, window" --surface "wall-yW=Plasterboard on studs" --noise NR35 >/dev/null
$cli map "$work/demo/meeting-sti.tdax" --quantity sti --save >/dev/null
mkdir -p docs/screenshots "$work/home"

cat > "$work/shoot.sh" <<'INNER'
#!/usr/bin/env bash
# Runs inside the virtual display: one program start per picture.
set -euo pipefail
work=$1 out=$2
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" QT_QPA_PLATFORM=xcb
# Without a window manager the main window takes the whole 1600 x 1000 screen, as a maximised
# window on a planner's display would; every project opens maximised inside it.
start() {
  "$work/daxara" "$@" >/dev/null 2>&1 &
  pid=$!
  win=$(timeout 30 xdotool search --sync --onlyvisible --name "VEL Daxara" | head -1)
  [ -n "$win" ] || { echo "the program did not open its window" >&2; exit 1; }
  xdotool windowsize "$win" 1600 1000 windowmove "$win" 0 0
  sleep 2
}
stop() { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
shot() { import -window root -crop "${2:-1600x1000+0+0}" +repage "$out/$1"; }

# The map fills most of the window; the pointer rests over the plane: the level under it in the
# annotation line, its spectrum in the response view, and the tooltip.
start "$work/demo/meeting-room.tdax"
xdotool mousemove 900 420 sleep 0.3 mousemove 904 424
sleep 2.5
shot project-window.png
shot map-tooltips.png 900x560+500+200
stop

start "$work/demo/meeting-room.tdax" "$work/demo/hall.tdax"
xdotool windowfocus --sync "$win" key --clearmodifiers alt+w
sleep 0.5
xdotool key t # Window > Tile
sleep 1.5
shot two-projects.png
stop

start "$work/demo/meeting-room.tdax"
xdotool windowfocus --sync "$win" key --clearmodifiers alt+i
sleep 1
shot installation-menu.png
stop

# The line array of the hall dragged across the room: the map follows before the drop.
start "$work/demo/hall.tdax"
read -r sx sy < "$work/hall-speaker.txt"
xdotool mousemove "$sx" "$sy" sleep 0.5 mousedown 1
for step in $(seq 1 12); do
  xdotool mousemove $((sx + step * 20)) $((sy + step * 5)) sleep 0.05
done
sleep 3
shot drag-preview.png
stop

# Speaker > Module Arrangement: the boxes' aiming lines down to the plane, scale, total angle.
start "$work/demo/hall.tdax"
xdotool windowfocus --sync "$win" key --clearmodifiers alt+s
sleep 0.5
xdotool key m
sleep 2
shot module-arrangement.png
stop

start "$work/demo/hall.tdax"
xdotool windowfocus --sync "$win" key --clearmodifiers alt+f
sleep 0.5
xdotool key v # File > Print Preview
sleep 3
shot print-preview.png
stop

# An STI map: the pointer over the plane gives the octave table of the index in the response view.
start "$work/demo/meeting-sti.tdax"
xdotool mousemove 900 420 sleep 0.3 mousemove 904 424
sleep 3
shot sti-map.png
stop
# Room > Surfaces and Air: the faces' materials, the air, the noise and the reverberation times.
start "$work/demo/meeting-sti.tdax"
xdotool windowfocus --sync "$win" key --clearmodifiers alt+r
sleep 0.5
xdotool key s
sleep 2
shot surfaces-and-air.png
stop
# F1: the user guide inside the program.
start "$work/demo/meeting-room.tdax"
xdotool windowfocus --sync "$win" key --clearmodifiers F1
sleep 2
shot user-guide.png
stop
INNER
chmod +x "$work/shoot.sh"
# Where the hall's line array stands on the maximised, fitted map (read off a screenshot).
echo "640 330" > "$work/hall-speaker.txt"
xvfb-run -a -s "-screen 0 1600x1000x24" "$work/shoot.sh" "$work" "$root/docs/screenshots"
# The first page of the demo hall's report, as a client sees it.
build/src/cli/daxara-cli report "$work/demo/hall.tdax" --pdf "$work/report.pdf" \
  --planner "A. Planner" --company "Example Acoustics" >/dev/null
pdftoppm -png -r 70 -f 1 -l 2 "$work/report.pdf" "$work/report"
convert "$work/report-1.png" "$work/report-2.png" +append docs/screenshots/report-page.png
echo "Screenshots written to docs/screenshots/"

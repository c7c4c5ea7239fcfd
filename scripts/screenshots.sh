#!/usr/bin/env bash
# Takes the screenshots in docs/screenshots/ from the real program on a virtual X display.
# Needs (not installed by deps.sh; CI does not take screenshots):
#   apt-get install xvfb xauth xdotool imagemagick
# The program runs from a copy in a temporary folder with its own settings file (first start
# over) and a temporary home, so neither the build nor the user's settings are touched.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshots.sh needs $tool (see the comment at the top)" >&2; exit 1; }
done
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target daxara daxara-cli

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp build/src/gui/daxara "$work/daxara"
printf '[IS_APP_FIRST_TIME]\nIsAppFirstTime=0\n[LENGTH_UNIT]\nLengthUnit=0\n' > "$work/VEL_DAX.ini"
build/src/cli/daxara-cli demo "$work/demo" >/dev/null
mkdir -p docs/screenshots "$work/home"

cat > "$work/shoot.sh" <<'INNER'
#!/usr/bin/env bash
# Runs inside the virtual display: one program start per picture.
set -euo pipefail
work=$1 out=$2
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" QT_QPA_PLATFORM=xcb
# The window manager-less display gives every top-level window the whole screen's origin.
start() {
  "$work/daxara" "$@" >/dev/null 2>&1 &
  pid=$!
  win=$(timeout 30 xdotool search --sync --onlyvisible --name "VEL Daxara" | head -1)
  [ -n "$win" ] || { echo "the program did not open its window" >&2; exit 1; }
  xdotool windowsize "$win" 1180 760 windowmove "$win" 0 0
  sleep 2
}
stop() { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
shot() { import -window root -crop 1180x760+0+0 +repage "$out/$1"; }

# Positions below are those of the default project window (785 x 500) at the top left of a
# 1180 x 760 main window; the demo projects are fitted to that pane when they are made.
start "$work/demo/meeting-room.tdax"
# The pointer over the map: the level under it and its spectrum in the response view.
xdotool mousemove 470 215 sleep 0.3 mousemove 472 217
sleep 1.5
shot project-window.png
stop

start "$work/demo/meeting-room.tdax" "$work/demo/hall.tdax"
xdotool windowfocus --sync "$win" key --clearmodifiers alt+w
sleep 0.5
xdotool key t # Window > Tile
sleep 1
shot two-projects.png
stop

start "$work/demo/meeting-room.tdax"
xdotool windowfocus --sync "$win" key --clearmodifiers alt+i
sleep 1
shot installation-menu.png
stop

# The line array of the hall dragged across the room: the map follows before the drop.
start "$work/demo/hall.tdax"
xdotool mousemove 390 156 sleep 0.5 mousedown 1
for step in $(seq 1 12); do
  xdotool mousemove $((390 + step * 12)) $((156 + step * 3)) sleep 0.05
done
sleep 3
shot drag-preview.png
stop

start "$work/demo/hall.tdax"
xdotool mousemove 198 8 click 1 sleep 0.7 mousemove 240 52 click 1 # Speaker > Module Arrangement
sleep 1.5
shot module-arrangement.png
stop

start "$work/demo/hall.tdax"
xdotool mousemove 19 8 click 1 sleep 0.7 mousemove 73 163 click 1 # File > Print Preview
sleep 3
shot print-preview.png
stop
INNER
chmod +x "$work/shoot.sh"
xvfb-run -a -s "-screen 0 1280x800x24" "$work/shoot.sh" "$work" "$root/docs/screenshots"
echo "Screenshots written to docs/screenshots/"

#!/usr/bin/env bash
# Makes the README's pictures in docs/images/: examples drawn by ramulet-render, and the
# window, grown to depth 10 from an example, as a screenshot under a virtual X server.
#
# Usage: make-pictures.sh BUILD_DIR   (a build with both programs, e.g. build/release)
set -euo pipefail

build=${1:?usage: make-pictures.sh BUILD_DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
render="$build/src/cli/ramulet-render"
program="$build/src/app/ramulet"
out="$root/docs/images"
mkdir -p "$out"

# The examples the README shows, fitted into squares at the deepest depth their buttons
# offer up to 10, smooth, as a thumbnail shows them.
for name in spring-tree fern weeping-willow autumn-maple snowflake sierpinski-triangle \
            dragon-curve levy-c-curve; do
  "$render" "$root/data/examples/$name.rm2" --size 300x300 --fit --depth auto --smooth -o "$out/$name.png"
done

# The window. A free display number, a server of our own, the program with the weeping
# willow from the command line; then depth button 10 is clicked, the picture made smooth
# (Ctrl+Shift+A) and the window is taken.
display=20
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
  display=$((display + 1))
  [ "$display" -le 99 ] || { echo "make-pictures: no free X display" >&2; exit 1; }
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
server=$!
app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  kill "$server" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

LANGUAGE=ja "$program" "$root/data/examples/weeping-willow.rm2" >/dev/null 2>&1 &
app=$!
geometry=
for _ in $(seq 100); do
  geometry=$(xwininfo -root -tree 2>/dev/null |
             sed -n 's/.*"Ramulet 2.3 : [^"]*": ([^)]*)  \([0-9]*x[0-9]*+[0-9]*+[0-9]*\).*/\1/p' |
             head -1)
  [ -n "$geometry" ] && break
  sleep 0.1
done
[ -n "$geometry" ] || { echo "make-pictures: the window did not appear" >&2; exit 1; }
left=$(sed 's/.*x[0-9]*+\([0-9]*\)+.*/\1/' <<<"$geometry")
top=$(sed 's/.*+\([0-9]*\)$/\1/' <<<"$geometry")
width=$(sed 's/x.*//' <<<"$geometry")
height=$(sed 's/[0-9]*x\([0-9]*\)+.*/\1/' <<<"$geometry")
# The menu bar lies over the client area, which keeps its 672 pixels of height (on a screen
# higher than 600): the side bar's offsets count from the client area's top.
client_top=$((top + height - 672))

# Depth button 10: the right column of the side bar (146 wide), 20 pixels a button from 16
# at y 38 down, each 42 x 20 at x 60 of the bar.
xdotool mousemove $((left + width - 146 + 60 + 21)) $((client_top + 38 + 6 * 20 + 10)) click 1
sleep 0.5
xdotool key ctrl+shift+a
# Away from the window, so that no button is shown hovered.
xdotool mousemove 1270 1010
sleep 1
import -window root -crop "$geometry" +repage "$out/window.png"
echo "make-pictures: wrote $(ls "$out" | wc -l) pictures to docs/images"

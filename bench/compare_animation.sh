#!/usr/bin/env bash
# Times the whole process `ramulet-render --animate grow --depth 12 --seconds 4 --fps 30
# --smooth -o a.EXT` (120 frames of 636 x 634) against the way without it: 120 PNG pictures by
# ramulet-render, one process each, then `ffmpeg -framerate 30 -i %04d.png a.EXT`; for GIF,
# WebP and APNG. A still render costs what a frame of the growth would, so the 120 processes
# draw the still picture; ffmpeg is given the growth's own 120 frames (written once, before
# the timing, by --animate into a folder) so that both files hold the same animation.
# Prints the medians, their ratio and the file sizes.
#
#   bench/compare_animation.sh [path/to/ramulet-render] [runs]
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
render="${1:-$here/../build/release/src/cli/ramulet-render}"
runs="${2:-3}"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

command -v ffmpeg >/dev/null || { echo "ffmpeg not found" >&2; exit 1; }
[ -x "$render" ] || { echo "ramulet-render not found at $render" >&2; exit 1; }

ours() { # ours EXT
  "$render" --animate grow --depth 12 --seconds 4 --fps 30 --smooth -o "$out/ours.$1"
}

theirs() { # theirs EXT: 120 pictures, then ffmpeg on the growth's frames
  rm -rf "$out/frames" && mkdir "$out/frames"
  for ((i = 1; i <= 120; i++)); do
    "$render" --depth 12 --smooth -o "$(printf '%s/frames/%04d.png' "$out" "$i")"
  done
  ffmpeg -v error -y -framerate 30 -i "$out/growth/%04d.png" "$out/theirs.$1"
}

"$render" --animate grow --depth 12 --seconds 4 --fps 30 --smooth -o "$out/growth/"

# Median wall time of a command in milliseconds.
median_ms() {
  local times=()
  for ((r = 0; r < runs; r++)); do
    local t0 t1
    t0=$(date +%s%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s%N)
    times+=($(((t1 - t0) / 1000000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$((runs / 2 + 1))p"
}

printf '%-5s %12s %12s %7s %12s %12s\n' format "ours ms" "theirs ms" ratio "ours bytes" "theirs bytes"
for ext in gif webp apng; do
  oext=$ext
  [ "$ext" = apng ] && oext=png # ours writes APNG to .png
  a=$(median_ms ours "$oext")
  b=$(median_ms theirs "$ext")
  printf '%-5s %12s %12s %7s %12s %12s\n' "$ext" "$a" "$b" \
    "$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.3f", a / b }')" \
    "$(stat -c %s "$out/ours.$oext")" "$(stat -c %s "$out/theirs.$ext")"
done

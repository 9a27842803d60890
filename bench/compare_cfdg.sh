#!/usr/bin/env bash
# Times the whole process `ramulet-render --depth 16 -o tree.png`, classic and --smooth,
# against `cfdg` drawing the same 131,071 strokes (tree_depth16.cfdg) to a PNG of the same
# size, and prints the medians and their ratios. Uses hyperfine when it is installed, else a plain loop.
#
#   bench/compare_cfdg.sh [path/to/ramulet-render] [runs]
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
render="${1:-$here/../build/release/src/cli/ramulet-render}"
runs="${2:-11}"
grammar="$here/tree_depth16.cfdg"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

command -v cfdg >/dev/null || { echo "cfdg not found (Debian package contextfree)" >&2; exit 1; }
[ -x "$render" ] || { echo "ramulet-render not found at $render" >&2; exit 1; }

ours=("$render" --depth 16 -o "$out/ramulet.png")
smooth=("$render" --depth 16 --smooth -o "$out/smooth.png")
theirs=(cfdg -q -s 636x634 -x 0 -m 1000000 -b 0 -v AAA "$grammar" "$out/cfdg.png")

if command -v hyperfine >/dev/null; then
  hyperfine -N -w 2 -r "$runs" "${ours[*]}" "${smooth[*]}" "${theirs[*]}"
  exit 0
fi

# Median wall time of a command in milliseconds.
median_ms() {
  local times=()
  "$@" >/dev/null 2>&1 # warm-up
  for ((i = 0; i < runs; i++)); do
    local t0 t1
    t0=$(date +%s%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s%N)
    times+=($(((t1 - t0) / 1000)))
  done
  local sorted
  sorted=($(printf '%s\n' "${times[@]}" | sort -n))
  local m=${sorted[$((runs / 2))]}
  printf '%d.%03d' $((m / 1000)) $((m % 1000))
}

a=$(median_ms "${ours[@]}")
c=$(median_ms "${smooth[@]}")
b=$(median_ms "${theirs[@]}")
echo "ramulet-render --depth 16 -o tree.png          : median $a ms over $runs runs"
echo "ramulet-render --depth 16 --smooth -o tree.png : median $c ms over $runs runs"
echo "cfdg, the same 131,071 strokes                : median $b ms over $runs runs"
awk -v a="$a" -v b="$b" -v c="$c" 'BEGIN { printf "ramulet-render / cfdg = %.3f classic, %.3f smooth\n", a / b, c / b }'

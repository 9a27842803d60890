#!/usr/bin/env bash
# Writes the example templates of data/examples/. Each one is written down here by hand, its
# values computed to 30 digits by bc from exact ratios and angles, and then saved by
# ramulet-render itself, so that every file holds exactly what the window would write
# (15 significant digits, CR LF lines).
#
# Usage: make-examples.sh RAMULET_RENDER [OUTPUT_DIR]   (default OUTPUT_DIR: data/examples)
#
# Every row below is "P.y V.x V.y kind" in the trunk's frame, for a trunk from (0, 0) to
# (0, 1): P.y is where the branch starts along the trunk (in trunk lengths), V.x its reach to
# the right of the trunk and V.y its reach along it; kind 1 is an upright copy, -1 a mirrored
# copy, 0 a plain segment. Colours are given as RRGGBB and stored as 0x00BBGGRR.
set -euo pipefail

render=${1:?usage: make-examples.sh RAMULET_RENDER [OUTPUT_DIR]}
out=${2:-$(dirname "$0")/../data/examples}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A real to 30 digits. bc writes ".5" and "-.5", which the reader takes as they are.
num() { BC_LINE_LENGTH=0 bc -l <<<"scale=30; pi = 4 * a(1); $1"; }

# A branch of `ratio` trunk lengths leaving the trunk `degrees` to its right (negative: to
# its left), starting at `start` along the trunk: "P.y V.x V.y kind".
polar() {
  local start=$1 ratio=$2 degrees=$3 kind=$4
  echo "$(num "$start") $(num "($ratio) * s(($degrees) * pi / 180)")" \
       "$(num "($ratio) * c(($degrees) * pi / 180)") $kind"
}

# A branch given by its vector: "P.y V.x V.y kind", each an expression for bc.
vector() { echo "$(num "$1") $(num "$2") $(num "$3") $4"; }

bgr() { echo $(( (0x$1 & 0xFF) << 16 | (0x$1 & 0xFF00) | (0x$1 >> 16 & 0xFF) )); }

# example NAME BACKGROUND TIP TRUNK PEN_INDEX, the rows on standard input.
example() {
  local name=$1 back=$2 tip=$3 trunk=$4 pen=$5 rows
  rows=$(cat)
  {
    printf 'Ramulet 2.3\r\nCount of Data\r\n%d\r\nData\r\n' "$(grep -c . <<<"$rows")"
    printf '0 0 0 1 0\r\n' # the trunk
    while read -r row; do printf '0 %s\r\n' "$row"; done <<<"$rows"
    printf '%d\r\n' "$(bgr "$back")" "$(bgr "$tip")" "$(bgr "$trunk")" $((pen * 20))
  } >"$work/$name.rm2"
  "$render" "$work/$name.rm2" --save "$out/$name.rm2"
}

# A young tree: an upright leader and two mirrored side branches from its upper part.
example spring-tree FBF8EC 5DB82E 5A3A1E 4 <<EOF
$(polar 1 0.62 0 1)
$(polar 0.62 0.56 -38 -1)
$(polar 0.62 0.56 38 -1)
EOF

# The H tree: at the end of every segment a bar across it, each half 1/sqrt(2) as long.
example h-tree 0D2B4E 8FE8FF FFFFFF 3 <<EOF
$(vector 1 "sqrt(0.5)" 0 1)
$(vector 1 "-sqrt(0.5)" 0 1)
EOF

# A fern: the stem goes on, bending a little to the left, with a leaflet on either side.
example fern F1F6EE 3E9B2F 1F4A1A 2 <<EOF
$(polar 1 0.69 -4 1)
$(polar 1 0.36 58 1)
$(polar 1 0.36 -62 1)
EOF

# A bush of seven branches: three mirrored pairs along the stem and a leader on top.
example flowering-bush FFF6F9 E85A9B 4A2A1A 3 <<EOF
$(polar 0.3 0.5 -50 -1)
$(polar 0.3 0.5 50 -1)
$(polar 0.55 0.52 -35 -1)
$(polar 0.55 0.52 35 -1)
$(polar 0.8 0.52 -20 -1)
$(polar 0.8 0.52 20 -1)
$(polar 1 0.56 0 1)
EOF

# A weeping tree: the right branch an upright copy and the left one a mirrored copy, so
# that both sides keep turning outwards until their twigs hang down.
example weeping-willow EAF2F5 9BC53D 4B3B2A 3 <<EOF
$(polar 1 0.64 40 1)
$(polar 1 0.64 -40 -1)
EOF

# A spiral: the stem turns 40 degrees to the left at every step and shrinks to 3/4; a small
# shoot from its middle curls up the same way.
example spiral 0F3B3A F2C14E C4572F 5 <<EOF
$(polar 1 0.75 -40 1)
$(polar 0.5 0.3 50 1)
EOF

# The Koch curve: four thirds, the middle two raised into a tent; the third one runs back
# from 2/3 to the tip of the tent, so it is a mirrored copy. The construction lines fade
# into the background.
example koch-curve FCFCF7 1B3A8C D8E0F0 0 <<EOF
$(vector 0 0 "1/3" 1)
$(vector "1/3" "sqrt(3)/6" "1/6" 1)
$(vector "2/3" "sqrt(3)/6" "-1/6" -1)
$(vector "2/3" 0 "1/3" 1)
EOF

# The dragon curve: two upright copies at right angles, 1/sqrt(2) as long, the second one
# running back. Starting them at 1/2 and 2 trunk lengths stands the dragon up beside the
# trunk, inside the view.
example dragon-curve 161A33 FF6A3D 3A3F66 0 <<EOF
$(vector "1/2" "-1/2" "1/2" 1)
$(vector 2 "-1/2" "-1/2" 1)
EOF

# The Levy C curve as an arch: two upright copies at 45 degrees from 3/4 of the trunk.
example levy-c-curve FFFDF5 6A2C91 E3D6EE 0 <<EOF
$(vector "3/4" "-1/2" "1/2" 1)
$(vector "3/4" "1/2" "1/2" 1)
EOF

# A snowflake: six arms a third as long from the trunk's end, 60 degrees apart. The trunk has
# the background's colour, so only the crystal shows.
example snowflake 0E1E3A FFFFFF 0E1E3A 0 <<EOF
$(polar 1 "1/3" 0 1)
$(polar 1 "1/3" 60 1)
$(polar 1 "1/3" -60 1)
$(polar 1 "1/3" 120 1)
$(polar 1 "1/3" -120 1)
$(polar 1 "1/3" 180 1)
EOF

# The Sierpinski triangle, drawn by its medians: the trunk runs from a corner to the middle
# of the far side, and the three half-size triangles each get a median that starts on it.
example sierpinski-triangle FAF3E3 C8553D F0D9B5 0 <<EOF
$(vector 0 0 "1/2" 1)
$(vector 1 "sqrt(3)/4" "-1/4" 1)
$(vector 1 "-sqrt(3)/4" "-1/4" 1)
EOF

# An autumn tree with a wide pen: two mirrored limbs and a leader from 0.7 of the trunk.
example autumn-maple FFF8E7 D9381E 3B2314 8 <<EOF
$(polar 1 0.6 -42 -1)
$(polar 1 0.6 42 -1)
$(polar 0.7 0.5 0 1)
EOF

# A cypress: a long leader and short mirrored branches close to it.
example cypress EEF4FA 2F5D3A 5B4636 3 <<EOF
$(polar 1 0.66 0 1)
$(polar 0.45 0.42 -22 -1)
$(polar 0.45 0.42 22 -1)
EOF

# A coral: uneven mirrored branches and one upright side branch, on deep water.
example coral 0B3954 FF7F66 FFD6C9 6 <<EOF
$(polar 0.55 0.62 -28 -1)
$(polar 1 0.6 24 -1)
$(polar 0.8 0.5 -60 1)
EOF

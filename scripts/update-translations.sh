#!/usr/bin/env bash
# Brings translations/*.ts up to date with the texts in the code (new texts are added as
# unfinished, texts no longer in the code are marked obsolete). The window's texts are written
# in Japanese in src/app and src/editor and translated into English; the messages of the file
# and picture code are written in English in src/io and src/view and translated into Japanese.
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)
"$lupdate" -silent -I src -locations none -no-obsolete src/app src/editor -ts translations/ramulet_en.ts
"$lupdate" -silent -I src -locations none -no-obsolete src/io src/view src/anim -ts translations/ramulet_ja.ts

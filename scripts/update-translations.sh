#!/usr/bin/env bash
# Brings translations/*.ts up to date with the texts in the code (new texts are added as
# unfinished, texts no longer in the code are marked obsolete). The texts of the window and of
# the file code are written in Japanese in src/app, src/editor and src/io and translated into
# English; the messages of the picture code are written in English in src/view and translated
# into Japanese.
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)
"$lupdate" -silent -I src -locations none -no-obsolete src/app src/editor src/io -ts translations/ramulet_en.ts
"$lupdate" -silent -I src -locations none -no-obsolete src/view src/anim -ts translations/ramulet_ja.ts

#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the desktop integration files.
# Usage: test_install.sh BUILD_DIR
set -u
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
passed=0
failed=0
check() {
  local what=$1
  shift
  if "$@" >/dev/null 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $what"
  fi
}

if ! cmake --install "$build" --prefix "$prefix" >/dev/null; then
  echo "FAIL: cmake --install"
  echo "0 passed, 1 failed"
  exit 1
fi

for f in bin/ramulet-render \
         share/applications/ramulet.desktop \
         share/mime/packages/ramulet.xml \
         share/icons/hicolor/scalable/apps/ramulet.svg \
         share/icons/hicolor/16x16/apps/ramulet.png \
         share/icons/hicolor/48x48/apps/ramulet.png \
         share/icons/hicolor/256x256/apps/ramulet.png \
         share/man/man1/ramulet-render.1 \
         share/man/man1/ramulet.1 \
         share/man/ja/man1/ramulet.1; do
  check "installed $f" test -s "$prefix/$f"
done
if [ -n "${RAMULET_EXPECT_GUI:-}" ]; then
  check "installed bin/ramulet" test -x "$prefix/bin/ramulet"
fi
check "bin/ramulet-render runs" "$prefix/bin/ramulet-render" --version
check "desktop-file-validate" desktop-file-validate "$prefix/share/applications/ramulet.desktop"
check "desktop file opens templates" grep -qx 'MimeType=application/x-ramulet-template;' \
  "$prefix/share/applications/ramulet.desktop"
check "desktop file passes the file" grep -qx 'Exec=ramulet %f' "$prefix/share/applications/ramulet.desktop"
check "MIME XML well-formed" xmllint --noout "$prefix/share/mime/packages/ramulet.xml"
check "icon SVG well-formed" xmllint --noout "$prefix/share/icons/hicolor/scalable/apps/ramulet.svg"
check "English manual pages are ASCII, for LANG=C" bash -c \
  "! LC_ALL=C grep -qP '[^\\x00-\\x7F]' \"\$1\"/share/man/man1/ramulet.1 \"\$1\"/share/man/man1/ramulet-render.1" _ "$prefix"
for page in man1/ramulet-render.1 man1/ramulet.1 ja/man1/ramulet.1; do
  check "manual page $page formats" man -l -Tutf8 "$prefix/share/man/$page"
done
check "launcher in Japanese too" grep -q '^Comment\[ja\]=' "$prefix/share/applications/ramulet.desktop"

# The examples, where an installed program looks for them (../share beside its bin).
examples=("$prefix"/share/ramulet/examples/*.rm2)
check "at least 12 examples installed" test "${#examples[@]}" -ge 12
for f in "${examples[@]}"; do
  check "example $(basename "$f") reads back as written" bash -c \
    '"$1" "$2" --save "$3" && cmp -s "$2" "$3"' _ "$prefix/bin/ramulet-render" "$f" "$prefix/saved.rm2"
done
rm -f "$prefix/saved.rm2"

# AppStream metadata.
metainfo=("$prefix"/share/metainfo/*.metainfo.xml)
check "one AppStream file installed" test "${#metainfo[@]}" -eq 1 -a -s "${metainfo[0]}"
check "AppStream metadata valid" appstreamcli validate --no-net "${metainfo[0]}"
check "AppStream launches the desktop file" \
  grep -q '<launchable type="desktop-id">ramulet.desktop</launchable>' "${metainfo[0]}"

# The thumbnailer, run as a file manager runs it: the Exec line split at blanks, %s the size,
# %i the template and %o the picture to write, the program found on the path (TryExec).
thumbnailer="$prefix/share/thumbnailers/ramulet.thumbnailer"
check "thumbnailer installed" test -s "$thumbnailer"
check "thumbnailer for templates" grep -qx 'MimeType=application/x-ramulet-template;' "$thumbnailer"
run_thumbnailer() {
  local exec word args=()
  exec=$(sed -n 's/^Exec=//p' "$thumbnailer")
  PATH="$prefix/bin:$PATH" command -v "$(sed -n 's/^TryExec=//p' "$thumbnailer")" >/dev/null || return 1
  for word in $exec; do
    word=${word//%s/128}
    word=${word//%i/$1}
    word=${word//%o/$2}
    args+=("$word")
  done
  PATH="$prefix/bin:$PATH" "${args[@]}" && [ "$(identify -format '%[fx:max(w,h)] %m' "$2")" = "128 PNG" ]
}
check "thumbnailer writes a 128-pixel PNG" run_thumbnailer "${examples[0]}" "$prefix/thumbnail-out"
rm -f "$prefix/thumbnail-out"

# The MIME database built from the definition recognises a template by name and by content.
if command -v update-mime-database >/dev/null; then
  update-mime-database "$prefix/share/mime" >/dev/null 2>&1
  check "MIME glob registered" grep -q 'application/x-ramulet-template:\*.rm2' "$prefix/share/mime/globs"
  check "MIME magic registered" grep -q 'Ramulet 2' "$prefix/share/mime/magic"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

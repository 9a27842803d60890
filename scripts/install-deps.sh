#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Ramulet need.
# Does nothing when every package is already present.
set -euo pipefail

packages=(
  g++ make cmake pkgconf
  qt6-base-dev qt6-svg-dev libgl-dev libxkbcommon-dev
  qt6-l10n-tools qt6-translations-l10n
  fonts-noto-cjk fonts-liberation2
  libbenchmark-dev clang libclang-rt-14-dev
  xvfb xauth x11-utils imagemagick
  contextfree
  desktop-file-utils shared-mime-info libxml2-utils man-db appstream
  bc xdotool
  libpng-dev libgif-dev libwebp-dev zlib1g-dev ffmpeg librsvg2-bin
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "install-deps: these packages are missing and this user cannot install them (not root, no sudo):" >&2
  echo "  ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if ! "${sudo[@]}" apt-get update -qq; then
  echo "install-deps: 'apt-get update' failed; check the network and the package sources." >&2
  exit 1
fi
if ! "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
  echo "install-deps: could not install: ${missing[*]}" >&2
  exit 1
fi

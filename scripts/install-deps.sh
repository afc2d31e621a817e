#!/usr/bin/env bash
# Installs the Debian packages that building, playing and testing need,
# only those that are missing. Runs as root (or through sudo when present).
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev libgif-dev libjpeg-dev
  googletest libgtest-dev
  fonts-comic-neue fonts-dejavu-core
  xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "Installing packages needs root, and this system has no sudo: run" >&2
    echo "  su -c 'bash $(realpath "$0")'" >&2
    echo "once, then this command again as yourself." >&2
    exit 1
  fi
  as_root=(sudo)
fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build build --target quorvane-concentration

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "quorvane-concentration: no display available; set DISPLAY or run: xvfb-run -a build/startup/quorvane-concentration" >&2
  exit 1
fi
exec build/startup/quorvane-concentration

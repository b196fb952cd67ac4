#!/usr/bin/env bash
# Builds Velmora and starts it, from a fresh machine: installs what is missing, builds, and runs
# build/bin/velmora (its help page Velmora.html and settings file velmora.ini lie beside it).
# Without a display it runs under Xvfb. Arguments are passed on to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc 2>/dev/null || echo 2)" --target velmora
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" build/bin/velmora "$@"
fi
exec build/bin/velmora "$@"

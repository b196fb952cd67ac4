#!/usr/bin/env bash
# Builds the EXIF benchmark (Release) and runs it: 1,000 generated camera-like files, the
# engine beside exiftool and exiv2, and the memory one Open holds.
#   bench/exif/run.sh [--files N] [--image-mb M] [--dir FOLDER]   (BENCH_BUILD_DIR may be set)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${BENCH_BUILD_DIR:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_GUI=OFF >/dev/null
cmake --build "$build" -j2 --target bench_exif velmora-cli
exec "$build/bin/bench_exif" "$@"

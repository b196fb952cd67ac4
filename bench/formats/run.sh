#!/usr/bin/env bash
# Builds the benchmark of raw files and videos (Release) and runs it:
#   bench/formats/run.sh [--raws N] [--videos N] [--raw-mb M] [--video-mb M] [--dir FOLDER]
# The files are sparse: they take little disk until exiftool rewrites some of them.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${BENCH_BUILD_DIR:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_GUI=OFF >/dev/null
cmake --build "$build" -j2 --target bench_formats
exec "$build/bin/bench_formats" "$@"

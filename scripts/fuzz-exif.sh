#!/usr/bin/env bash
# Builds the EXIF engine's fuzz target with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and fuzzes it for SECONDS (default 60), starting from the seed
# corpus in fuzz/corpus. New inputs land in a scratch corpus (kept in the build folder);
# a crashing input is written to the build folder's fuzz-artifacts/ and the script fails.
#   scripts/fuzz-exif.sh [SECONDS]      (FUZZ_BUILD_DIR and FUZZ_JOBS may be set)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_GUI=OFF -DVELMORA_FUZZ=ON \
  -DVELMORA_SANITIZE=address,undefined -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2 --target exif_fuzz

corpus="$build/fuzz-corpus"
artifacts="$build/fuzz-artifacts/"
mkdir -p "$corpus" "$artifacts"
cp -n "$root"/fuzz/corpus/* "$corpus"/ 2>/dev/null || true

ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  "$build/bin/exif_fuzz" -max_total_time="$seconds" -max_len=70000 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$artifacts" "$corpus" "$root/fuzz/corpus"

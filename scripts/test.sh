#!/usr/bin/env bash
# Builds Velmora and passes every test, from a fresh machine: installs what is missing, builds
# the program with its tests, runs them (windows offscreen), makes the Debian package and checks
# it (installed, validated, started offscreen: scripts/check-package.sh), then builds the layers without Qt
# under AddressSanitizer + UndefinedBehaviorSanitizer and under ThreadSanitizer and runs their
# tests again, and fuzzes the EXIF engine for a minute.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc 2>/dev/null || echo 2)

bash scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
export LC_ALL=C.UTF-8
unset DISPLAY || true

stage() { printf '\n==== %s\n' "$*"; }

stage "build (RelWithDebInfo)"
cmake -S "$root" -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
stage "tests"
ctest --test-dir build --output-on-failure -j"$jobs"

stage "Debian package: installed, checked by the desktop's validators, started offscreen"
bash scripts/check-package.sh build

stage "build without Qt under address and undefined-behaviour sanitizers"
cmake -S "$root" -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELMORA_GUI=OFF \
  -DVELMORA_SANITIZE=address,undefined -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-asan -j"$jobs"
stage "tests under address and undefined-behaviour sanitizers"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

stage "fuzzing the EXIF engine for a minute (libFuzzer, address and undefined-behaviour sanitizers)"
fuzz_log=$(mktemp)
if ! FUZZ_BUILD_DIR="$root/build-fuzz" bash scripts/fuzz-exif.sh 60 >"$fuzz_log" 2>&1; then
  tail -n 80 "$fuzz_log"
  echo "fuzzing found a fault (the input is in build-fuzz/fuzz-artifacts/)"
  exit 1
fi
grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' "$fuzz_log" || true
rm -f "$fuzz_log"
echo "fuzzing: no fault found"

stage "build without Qt under thread sanitizer"
cmake -S "$root" -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DVELMORA_GUI=OFF \
  -DVELMORA_SANITIZE=thread -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-tsan -j"$jobs"
stage "threaded tests under thread sanitizer"
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -L threads -j"$jobs"

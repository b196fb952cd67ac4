#!/bin/sh
# Starts the log receiver program on a private runtime folder, runs a program that logs, and
# checks that the record arrived; then checks that without a receiver nothing is formatted.
# Usage: logreceiver_integration.sh <velmora-logreceiver> <log probe>
set -u
receiver=$1
probe=$2
dir=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
export XDG_RUNTIME_DIR="$dir"
socket="$dir/TFormQzLog-Orvane Log Receiver.sock"

"$receiver" >"$dir/out" 2>"$dir/err" &
pid=$!
i=0
while [ ! -S "$socket" ] && [ $i -lt 100 ]; do sleep 0.05; i=$((i + 1)); done
[ -S "$socket" ] || { echo "receiver did not start"; cat "$dir/err"; exit 1; }

result=$("$probe")
[ "$result" = "active=1 evaluated=1" ] || { echo "probe with receiver: $result"; exit 1; }
grep -Eq '^Morvessain [0-9a-f]{8}       Found file IMG_1\.JPG$' "$dir/out" ||
    { echo "record not received:"; cat "$dir/out"; exit 1; }

kill -TERM "$pid"
wait "$pid"
status=$?
[ $status -eq 0 ] || { echo "receiver ended with $status"; exit 1; }
[ ! -e "$socket" ] || { echo "socket left behind"; exit 1; }

result=$("$probe")
[ "$result" = "active=0 evaluated=0" ] || { echo "probe without receiver: $result"; exit 1; }
echo "ok"

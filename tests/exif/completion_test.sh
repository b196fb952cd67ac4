#!/usr/bin/env bash
# The bash completion of velmora-cli: commands, each command's options, and files (an offset
# such as -1:00 is completed as a file, not as an option).
set -u
source "$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
touch "$dir/IMG_0001.JPG"
failed=0
expect() {
    local want=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    _velmora_cli
    if [[ "${COMPREPLY[*]}" != "$want" ]]; then
        echo "completing '$*': got '${COMPREPLY[*]}', want '$want'"
        failed=1
    fi
}
expect "shift" velmora-cli sh
expect "date dates" velmora-cli dat
expect "--zone" velmora-cli shift --z
expect "--datetime --digitized --dry-run" velmora-cli shift --d
expect "" velmora-cli shift --zone ""
expect "$dir/IMG_0001.JPG" velmora-cli shift -1:00 "$dir/IMG"
expect "--record" velmora-cli undo --r
expect "--prune" velmora-cli history --p
expect "--recursive" velmora-cli file-time --rec
exit $failed

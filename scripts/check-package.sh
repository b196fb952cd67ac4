#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and checks it as a user would meet
# it: its dependencies resolve on this machine, it installs (into a scratch root, or with apt
# when VELMORA_INSTALL_PACKAGE=1 or on CI's throwaway machine), the desktop's validators accept
# its desktop entry, AppStream metadata and manual page, every icon size is there, and the
# installed program starts offscreen on a folder of pictures and gets through its start-up.
# Usage: check-package.sh [BUILD_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

fail() { echo "package check: $*" >&2; exit 1; }

rm -f "$build"/velmora_*.deb
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log"; fail "CPack failed"; }
debs=("$build"/velmora_*.deb)
deb=$(realpath "${debs[0]}")
[ -f "$deb" ] || fail "no package was made"
echo "package: $deb"
dpkg-deb --field "$deb" Package Version Depends
depends=$(dpkg-deb --field "$deb" Depends)
for library in libturbojpeg libpng16 libwebp libheif; do
  grep -q "$library" <<<"$depends" || fail "its dependencies do not name $library (the preview decoder)"
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

apt-get install --simulate -qq "$deb" >"$work/simulate" 2>&1 ||
  { cat "$work/simulate"; fail "its dependencies do not resolve"; }

if [ "${VELMORA_INSTALL_PACKAGE:-}" = 1 ] || [ -n "${CI:-}" ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "$deb" >/dev/null
  root=""
  echo "installed with apt"
else
  dpkg-deb -x "$deb" "$work/root"
  root="$work/root"
  echo "unpacked into a scratch root"
fi
share="$root/usr/share"

desktop-file-validate "$share/applications/velmora.desktop" || fail "desktop entry"
metainfo=("$share"/metainfo/*.metainfo.xml)
appstreamcli validate --no-net "${metainfo[@]}" >"$work/appstream" ||
  { cat "$work/appstream"; fail "AppStream metadata"; }
zcat "$share/man/man1/velmora-cli.1.gz" >"$work/velmora-cli.1"
LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$work/velmora-cli.1" \
  2>"$work/man" >/dev/null
[ ! -s "$work/man" ] || { cat "$work/man"; fail "manual page"; }
for size in 16 22 24 32 48 64 128 256 512; do
  png="$share/icons/hicolor/${size}x${size}/apps/velmora.png"
  [ "$(identify -format '%wx%h' "$png")" = "${size}x${size}" ] || fail "icon $png"
done
[ -f "$share/icons/hicolor/scalable/apps/velmora.svg" ] || fail "scalable icon"
[ -f "$share/velmora/Velmora.html" ] || fail "help page"
for program in velmora velmora-cli velmora-logreceiver; do
  [ -x "$root/usr/bin/$program" ] || fail "$program not installed"
done
"$root/usr/bin/velmora-cli" --help >/dev/null || fail "velmora-cli does not run"
echo "validators: desktop entry, AppStream metadata and manual page clean"

# Start-up: the installed program lists a folder of pictures (the debug log receiver sees the
# files found), ignores a closed standard output, and is still running afterwards.
mkdir -p "$work/run" "$work/home" "$work/Photos"
chmod 700 "$work/run"
: >"$work/Photos/IMG_0001.JPG"
export XDG_RUNTIME_DIR="$work/run" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
"$root/usr/bin/velmora-logreceiver" >"$work/log" 2>&1 &
pids+=($!)
socket="$work/run/TFormQzLog-Orvane Log Receiver.sock"
for _ in $(seq 100); do [ -S "$socket" ] && break; sleep 0.1; done
[ -S "$socket" ] || fail "the log receiver did not start"
# Its standard output is a pipe whose reader has already gone.
(QT_QPA_PLATFORM=offscreen exec "$root/usr/bin/velmora" "$work/Photos") > >(exit 0) 2>"$work/stderr" &
velmora=$!
pids+=("$velmora")
for _ in $(seq 200); do grep -q 'Found file IMG_0001.JPG' "$work/log" && break; sleep 0.1; done
grep -q 'Found file IMG_0001.JPG' "$work/log" || { cat "$work/stderr" "$work/log"; fail "the program did not list its folder"; }
kill -0 "$velmora" 2>/dev/null || { cat "$work/stderr"; fail "the program ended"; }
ignored=$(awk '/^SigIgn:/ {print $2}' "/proc/$velmora/status")
(( (16#$ignored >> 12) & 1 )) || fail "the program does not ignore SIGPIPE"
echo "the installed program started offscreen and listed its folder"

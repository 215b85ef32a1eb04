#!/usr/bin/env bash
# Screenshots of the dialog in each state a user sees, from runs of the real
# Setup.exe under Wine (tests/wine/e2e.sh with uidriver's --shots), as PNG files:
#   setup-ready.png                 the dialog as it opens
#   setup-installing-question.png   Installing, with the question about an earlier installation
#   setup-restart-offered.png       Reboot Now / Reboot Later
#   setup-completed.png             a first installation
#   setup-failed.png                a package file missing from the medium
#
# Usage: tests/wine/screenshots.sh [WIN32_BIN] [SETUP_SIM] [OUT_DIR]
#   defaults: build/win32/bin, build/native/bin/setup-sim, docs/
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=$(cd "${1:-$root/build/win32/bin}" && pwd)
sim=${2:-$root/build/native/bin/setup-sim}
out=$(mkdir -p "${3:-$root/docs}" && cd "${3:-$root/docs}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A screen of the time: the boxes without owner are centred on it.
export WINE_SCREEN=800x600x24
desktop=$("$root/tests/wine/e2e.sh" --desktop)
machine() {  # NAME OS [setup-sim init options]
  local name=$1 os=$2
  shift 2
  "$sim" init "$work/$name" --os "$os" --layout wine --desktop "$desktop" "$@" >/dev/null
  cp "$bin/Setup.exe" "$work/$name/drives/E/Setup.exe"
}
shoot() {  # NAME ANSWER THEN
  mkdir -p "$work/shots-$1"
  E2E_SHOTS="$work/shots-$1" "$root/tests/wine/e2e.sh" "$bin" "$work/$1" "$work/run-$1" "$2" "$3" >/dev/null
}

machine reinstall xp --earlier-installation
shoot reinstall ok reboot-later
machine clean xp
shoot clean ok exit
machine failed xp
rm "$work/failed/drives/E/win2k&xp/vyxuport.sys"
shoot failed ok exit

png() {  # BMP PNG
  python3 "$root/tools/wineprefix/bmp2png.py" "$1" "$2"
  echo "$2 ($(stat -c %s "$2") bytes)"
}
png "$work/shots-reinstall/ready.bmp" "$out/setup-ready.png"
png "$work/shots-reinstall/installing-question.bmp" "$out/setup-installing-question.png"
png "$work/shots-reinstall/restart-offered.bmp" "$out/setup-restart-offered.png"
png "$work/shots-clean/completed.bmp" "$out/setup-completed.png"
png "$work/shots-failed/failed.bmp" "$out/setup-failed.png"

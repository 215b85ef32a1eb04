#!/usr/bin/env bash
# One run of the real Setup.exe under Wine on a simulated machine, clicked by
# uidriver as a user would, with the machine's end state exported back.
#
# Usage: tests/wine/e2e.sh WIN32_BIN MACHINE OUT ANSWER THEN
#        tests/wine/e2e.sh --desktop   prints the Desktop folder of Wine's user
#                                      (HKCU Shell Folders of the template prefix)
#   WIN32_BIN  folder with uidriver.exe and regvolatile.exe
#   MACHINE    a machine folder for Wine's layout (setup-sim init --layout wine)
#              whose medium E:\ holds the Setup.exe to run; it is not changed
#   OUT        receives machine/ (the copy the run used: its E: is the medium),
#              wine.json (what the driver saw, in setup-sim's JSON shape),
#              driver.txt (its event log), relay.log (the program's relay
#              trace of ExitWindowsEx), after/ (the end state as a machine
#              folder: tools/wineprefix/wineprefix.py export) and seconds
#   ANSWER     ok or cancel: the answer to the question about an earlier installation
#   THEN       reboot-now, reboot-later, exit or default: the button after the run
# Environment: WINE_TEMPLATE, the booted prefix to copy (made when missing;
# default build/wine-template); E2E_SHOTS, a folder for uidriver's screenshots;
# WINE_SCREEN, the size of the Xvfb screen (default 1024x768x24).
# Exit status: 0 the run went through, 1 it failed, 77 Wine could not be installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
template=${WINE_TEMPLATE:-$root/build/wine-template}
if [ "${1-}" = "--desktop" ]; then
  . "$root/tests/wine/wine-env.sh"
  wine_env_need
  wine_template "$template" || exit 1
  # user.reg: "Desktop"="C:\\users\\root\\Desktop" in the Shell Folders section.
  awk '/^\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders\]/ { on = 1; next }
       /^\[/ { on = 0 }
       on && /^"Desktop"=/ { sub(/^"Desktop"="/, ""); sub(/"$/, ""); gsub(/\\\\/, "\\"); print; exit }' \
    "$template/prefix/user.reg"
  exit 0
fi
[ $# -eq 5 ] || { sed -n '2,24p' "$0" >&2; exit 2; }
bin=$(cd "$1" && pwd)
machine=$(cd "$2" && pwd)
out=$3
answer=$4
then=$5
for f in uidriver.exe regvolatile.exe; do
  [ -f "$bin/$f" ] || { echo "e2e: $bin/$f missing (cmake --build --preset win32)" >&2; exit 1; }
done
[ -f "$machine/drives/E/Setup.exe" ] || { echo "e2e: $machine has no E:\\Setup.exe" >&2; exit 1; }
start=$(date +%s.%N)

. "$root/tests/wine/wine-env.sh"
wine_env_work
wine_env_start_from "$template" "$work"

rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
cp -a "$machine" "$out/machine"
loader=(env WINEPREFIX_HELPERS="$bin" python3 "$root/tools/wineprefix/wineprefix.py")
roots="$root/tests/e2e/roots.txt"
"${loader[@]}" load "$out/machine" "$roots"

# Xvfb has no window manager: for pictures, Wine draws the caption and frame itself.
if [ -n "${E2E_SHOTS-}" ]; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
fi
# The relay trace of the one call that a restart is.
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d "user32.ExitWindowsEx;user32.SetDlgItemTextA" /f >/dev/null 2>&1
cp "$bin/uidriver.exe" "$work/"

# The program runs from the medium, E:\ its current folder.
(cd "$out/machine/drives/E" &&
  WINEDEBUG=-all,+relay timeout 300 wine 'E:\Setup.exe' >"$work/setup.out" 2>"$out/relay.log"
  echo $? >"$work/setup-exit") &
setup=$!

shots=()
if [ -n "${E2E_SHOTS-}" ]; then
  mkdir -p "$E2E_SHOTS"
  shots=(--shots "$(winepath -w "$E2E_SHOTS")")
fi
status=0
wine "$work/uidriver.exe" --timeout 60000 --transcript "$(winepath -w "$out/driver.txt")" \
  --json "$(winepath -w "$out/wine.json")" --relay-log "$(winepath -w "$out/relay.log")" \
  "${shots[@]}" play "$answer" "$then" >"$work/uidriver.log" 2>&1 || status=$?
if [ "$status" -ne 0 ] || [ ! -s "$out/wine.json" ]; then
  # The program may still be up: the prefix's end on exit ends it.
  echo "e2e: uidriver failed ($status)" >&2
  cat "$work/uidriver.log" >&2
  exit 1
fi
wait "$setup" 2>/dev/null || true

"${loader[@]}" export "$out/machine" "$roots" "$out/after"
end=$(date +%s.%N)
echo "$start $end" | awk '{printf "%.1f\n", $2 - $1}' >"$out/seconds"

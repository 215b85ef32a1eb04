#!/usr/bin/env bash
# Smoke run of the real Setup.exe under Wine: from a medium folder it shows
# dialog 102 with string 1 and ends when control 1001 (Exit) is pressed. Then
# uidriver answers the message boxes of uidriverdemo, to show what it reads of
# boxes.
#
# Usage: tests/wine/smoke.sh [WIN32_BIN] [OUTPUT_DIR]
#   WIN32_BIN   folder with Setup.exe and uidriver.exe (default build/win32/bin)
#   OUTPUT_DIR  receives transcript.txt (what uidriver saw of Setup.exe),
#               setup-exit (the exit status of Setup.exe), boxes.txt (what it
#               saw of uidriverdemo's boxes) and demo.txt (the answers the demo
#               got); default a new temporary folder
# Exit status: 0 passed, 1 failed, 77 Wine could not be installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=$(cd "${1:-$root/build/win32/bin}" && pwd)
out=${2:-$(mktemp -d)}
mkdir -p "$out"
out=$(cd "$out" && pwd)
for f in Setup.exe uidriver.exe uidriverdemo.exe; do
  [ -f "$bin/$f" ] || { echo "smoke: $bin/$f missing (cmake --build --preset win32)" >&2; exit 1; }
done

. "$root/tests/wine/wine-env.sh"
wine_env_work
WINE_VERSION=${WINE_VERSION-winxp} wine_env_start "$work"

# The installation medium: the program beside the two flavour folders.
medium="$work/medium"
mkdir -p "$medium/win2k&xp" "$medium/win98&me"
cp "$bin/Setup.exe" "$medium/"
cp "$bin/uidriver.exe" "$bin/uidriverdemo.exe" "$work/"

rm -f "$out/transcript.txt" "$out/setup-exit" "$out/boxes.txt" "$out/demo.txt"
(cd "$medium" && wine Setup.exe >"$work/setup.log" 2>&1; echo $? >"$out/setup-exit") &
setup=$!

status=0
wine "$work/uidriver.exe" --timeout 60000 --transcript "$(winepath -w "$out/transcript.txt")" \
  wait-dialog snapshot press 1001 wait-closed >"$work/uidriver.log" 2>&1 || status=$?

# Setup.exe must end by itself once the dialog is closed.
for i in $(seq 1 100); do
  kill -0 "$setup" 2>/dev/null || break
  sleep 0.2
done
if kill -0 "$setup" 2>/dev/null; then
  echo "smoke: Setup.exe did not end after the dialog closed" >&2
  status=1
fi
wait "$setup" 2>/dev/null || true

cat "$out/transcript.txt" 2>/dev/null || cat "$work/uidriver.log"
if [ "$status" -ne 0 ]; then
  echo "smoke: uidriver failed ($status)" >&2
  cat "$work/setup.log" >&2
  exit 1
fi
echo "smoke: Setup.exe exit status $(cat "$out/setup-exit" 2>/dev/null || echo '?')"

# The driver's reading of message boxes: four boxes of known kinds.
(cd "$work" && wine uidriverdemo.exe >"$out/demo.txt" 2>"$work/demo.log") &
demo=$!
wine "$work/uidriver.exe" --timeout 60000 --transcript "$(winepath -w "$out/boxes.txt")" \
  answer ok "uidriver demo" answer ok "uidriver demo" answer cancel "uidriver demo" \
  answer ok "uidriver demo" >"$work/uidriver-boxes.log" 2>&1 || status=$?
wait "$demo" 2>/dev/null || status=1
cat "$out/boxes.txt" 2>/dev/null || cat "$work/uidriver-boxes.log"
if [ "$status" -ne 0 ]; then
  echo "smoke: uidriver failed on the demo's boxes ($status)" >&2
  exit 1
fi

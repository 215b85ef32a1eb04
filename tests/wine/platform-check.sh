#!/usr/bin/env bash
# Runs tools/win32check (every platform interface against Wine's Windows API)
# and tools/runtimecheck (the run-time support Setup.exe is linked with) in a
# throwaway 32-bit prefix, once per Windows version that Wine is set to.
#
# Usage: tests/wine/platform-check.sh [WIN32_BIN] [VERSION...]   (default: winxp win98)
# Exit status: 0 all checks passed, 1 a check failed, 77 Wine could not be installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=$(cd "${1:-$root/build/win32/bin}" && pwd)
shift || true
versions=("$@")
[ ${#versions[@]} -gt 0 ] || versions=(winxp win98)
for f in win32check.exe runtimecheck.exe; do
  [ -f "$bin/$f" ] || { echo "platform-check: $bin/$f missing" >&2; exit 1; }
done

. "$root/tests/wine/wine-env.sh"
wine_env_work
wine_env_start "$work"
cp "$bin/win32check.exe" "$bin/runtimecheck.exe" "$work/"

status=0
for version in "${versions[@]}"; do
  wine reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1
  echo "== Wine as $version"
  (cd "$work" && timeout 300 wine win32check.exe) || status=1
  (cd "$work" && timeout 300 wine runtimecheck.exe) || status=1
done
exit $status

# Sourced by the Wine scripts: a throwaway 32-bit Wine prefix under an Xvfb
# display of its own, and its teardown.
#   wine_env_start WORKDIR   sets WINEPREFIX, WINEARCH, DISPLAY; boots the prefix
#   wine_env_stop            ends the prefix's processes and the display
# Exits with status 77 (the tests' "skipped") when Wine cannot be had.

wine_env_need() {
  local root
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  if ! command -v wine >/dev/null || ! command -v Xvfb >/dev/null ||
     ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
    echo "wine-env: Wine, wine32 or Xvfb missing; installing them" >&2
    if ! "$root/scripts/install-deps.sh" wine >&2; then
      echo "wine-env: SKIP: Wine could not be installed (scripts/install-deps.sh wine failed)" >&2
      exit 77
    fi
  fi
}

wine_env_start() {
  local work=$1
  wine_env_need
  export WINEARCH=win32 WINEPREFIX="$work/prefix" WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko installers on first start.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$work"
  # A display of its own: Xvfb picks a free number and writes it to fd 3.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
  WINE_ENV_XVFB=$!
  local i
  for i in $(seq 1 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  if [ ! -s "$work/display" ]; then
    echo "wine-env: Xvfb did not start" >&2
    cat "$work/xvfb.log" >&2
    return 1
  fi
  export DISPLAY=":$(cat "$work/display")"
  if ! timeout 180 wineboot -i >"$work/wineboot.log" 2>&1; then
    echo "wine-env: wineboot failed" >&2
    cat "$work/wineboot.log" >&2
    return 1
  fi
  if [ -n "${WINE_VERSION-}" ]; then
    wine reg add 'HKCU\Software\Wine' /v Version /d "$WINE_VERSION" /f >/dev/null 2>&1
  fi
}

wine_env_stop() {
  if [ -n "${WINEPREFIX-}" ] && [ -d "$WINEPREFIX" ]; then
    timeout 30 wineserver -k >/dev/null 2>&1 || true
    timeout 30 wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -n "${WINE_ENV_XVFB-}" ]; then
    kill "$WINE_ENV_XVFB" 2>/dev/null || true
    wait "$WINE_ENV_XVFB" 2>/dev/null || true
    WINE_ENV_XVFB=
  fi
}

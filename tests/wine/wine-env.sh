# Sourced by the Wine scripts: a throwaway 32-bit Wine prefix under an Xvfb
# display of its own, and its teardown.
#   wine_env_start WORKDIR   sets WINEPREFIX, WINEARCH, DISPLAY; boots the prefix
#   wine_env_start_from TEMPLATE WORKDIR
#                            the same, with the prefix copied from a booted
#                            template (made first when missing, see wine_template)
#   wine_env_stop            ends the prefix's processes and the display
#   wine_env_work            sets work to a new throwaway folder, torn down on
#                            exit: the prefix stopped, the folder removed unless
#                            KEEP_WINE_WORK is set
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

wine_env_vars() {
  local work=$1
  export WINEARCH=win32 WINEPREFIX="$work/prefix" WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko installers on first start; no menu entries or desktop files
  # for the shortcuts that programs make.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  # A home of its own: Wine links the profile's Desktop to $HOME/Desktop when
  # that exists, and the programs' shortcuts must stay inside the prefix.
  export HOME="$work/home"
  mkdir -p "$work" "$HOME"
}

wine_display_start() {
  local work=$1
  # A display of its own: Xvfb picks a free number and writes it to fd 3.
  Xvfb -displayfd 3 -screen 0 "${WINE_SCREEN:-1024x768x24}" -nolisten tcp 3>"$work/display" \
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
}

wine_env_start() {
  local work=$1
  wine_env_need
  wine_env_vars "$work"
  wine_display_start "$work" || return 1
  if ! timeout 180 wineboot -i >"$work/wineboot.log" 2>&1; then
    echo "wine-env: wineboot failed" >&2
    cat "$work/wineboot.log" >&2
    return 1
  fi
  if [ -n "${WINE_VERSION-}" ]; then
    wine reg add 'HKCU\Software\Wine' /v Version /d "$WINE_VERSION" /f >/dev/null 2>&1
  fi
}

# A booted prefix to copy from, made once per Wine version (under a lock, as
# several test programs may ask for it at once). Echoes nothing; status 1 when
# wineboot fails.
wine_template() {
  local template=$1 version
  version=$(wine --version 2>/dev/null)
  mkdir -p "$(dirname "$template")"
  (
    flock 9
    if [ "$(cat "$template/wine-version" 2>/dev/null)" != "$version" ]; then
      rm -rf "$template"
      wine_env_vars "$template"
      wine_display_start "$template" || exit 1
      status=0
      timeout 300 wineboot -i >"$template/wineboot.log" 2>&1 || status=1
      timeout 60 wineserver -w || status=1
      kill "$WINE_ENV_XVFB" 2>/dev/null
      wait "$WINE_ENV_XVFB" 2>/dev/null
      [ "$status" -eq 0 ] || { cat "$template/wineboot.log" >&2; exit 1; }
      # Wine links the profile's folders (Desktop, Documents, ...) to the Unix
      # home; in a throwaway prefix they are folders of its own.
      local link
      for link in "$template"/prefix/drive_c/users/*/*; do
        if [ -L "$link" ]; then
          rm "$link"
          mkdir "$link"
        fi
      done
      echo "$version" >"$template/wine-version"
    fi
  ) 9>"$template.lock"
}

wine_env_start_from() {
  local template=$1 work=$2
  wine_env_need
  wine_template "$template" || { echo "wine-env: wineboot of the template failed" >&2; return 1; }
  wine_env_vars "$work"
  # The copy shares the system32 files with the template (hard links): they are
  # most of its size and no run writes them, except the files of the medium,
  # which the loader gives the prefix copies of its own (tools/wineprefix).
  mkdir -p "$WINEPREFIX"
  (cd "$template/prefix" && tar cf - --exclude=./drive_c/windows/system32 .) |
    (cd "$WINEPREFIX" && tar xf -)
  cp -al "$template/prefix/drive_c/windows/system32" "$WINEPREFIX/drive_c/windows/"
  wine_display_start "$work" || return 1
  # One server for the whole run: the volatile keys (HKLM\HARDWARE) then last
  # from the load to the export.
  wineserver -p
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

wine_env_work() {
  work=$(mktemp -d)
  trap 'wine_env_stop; [ -n "${KEEP_WINE_WORK-}" ] || rm -rf "$work"' EXIT
}

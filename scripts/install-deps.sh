#!/usr/bin/env bash
# Installs what the builds and tests need, only when it is missing. Safe to run again.
# Usage: scripts/install-deps.sh [native|win32|wine|all]   (default: all)
set -euo pipefail
what=${1:-all}

need=()
want() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed' || need+=("$1"); }

case "$what" in native|all) for p in cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev ripgrep liblnk-utils python3 clang-14 libclang-rt-14-dev; do want "$p"; done ;; esac
case "$what" in win32|all) for p in mingw-w64 binutils-mingw-w64-i686; do want "$p"; done ;; esac
case "$what" in wine|all)
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    updated=
  fi
  for p in wine wine32:i386 xvfb xauth x11-apps imagemagick; do want "$p"; done ;;
esac

if [ ${#need[@]} -gt 0 ] || [ "${updated-x}" = "" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  [ ${#need[@]} -gt 0 ] && apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
exit 0

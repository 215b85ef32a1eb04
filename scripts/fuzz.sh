#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang into build/fuzz and runs them.
#   scripts/fuzz.sh --short            every target for a few seconds (the test command runs this)
#   scripts/fuzz.sh --time 600 [NAME]  every target (or the named ones) for 600 s each
#   scripts/fuzz.sh --build            build only
#   --out DIR                          build and work folder (default build/fuzz)
# Each run starts from the checked-in seeds in fuzz/corpus/<target>/ and keeps what
# it finds in build/fuzz/corpus/<target>/; a failing input lands in build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=600
build_only=
out=build/fuzz
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --short) seconds=${FUZZ_SHORT_SECONDS:-4} ;;
    --time) seconds=$2; shift ;;
    --build) build_only=1 ;;
    --out) out=$2; shift ;;
    -*) echo "usage: $0 [--short | --time SECONDS | --build] [--out DIR] [TARGET...]" >&2; exit 2 ;;
    *) targets+=("$1") ;;
  esac
  shift
done

cxx=${FUZZ_CXX:-}
if [ -z "$cxx" ]; then
  for candidate in clang++-14 clang++; do
    if command -v "$candidate" >/dev/null; then cxx=$candidate; break; fi
  done
fi
[ -n "$cxx" ] || { echo "fuzz.sh: no clang++ (scripts/install-deps.sh native installs it)" >&2; exit 1; }

mkdir -p "$out"
if [ ! -f "$out/CMakeCache.txt" ]; then
  cmake -S fuzz -B "$out" -DCMAKE_CXX_COMPILER="$cxx" >/dev/null
fi
cmake --build "$out" -j"$(nproc)" >"$out/build.log" 2>&1 || { tail -40 "$out/build.log" >&2; exit 1; }
[ -n "$build_only" ] && exit 0

if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/*_fuzz.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
mkdir -p "$out/artifacts"
status=0
for t in "${targets[@]}"; do
  mkdir -p "$out/corpus/$t" "fuzz/corpus/$t"
  log="$out/$t.log"
  # New inputs go to the first folder; the checked-in seeds are only read.
  if "$out/bin/$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$out/artifacts/$t-" "$out/corpus/$t" "fuzz/corpus/$t" >"$log" 2>&1; then
    echo "fuzz $t: $(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}') runs in ${seconds} s, no failure"
  else
    echo "fuzz $t: FAILED (log $log, input in $out/artifacts/)" >&2
    tail -30 "$log" >&2
    status=1
  fi
done
exit $status

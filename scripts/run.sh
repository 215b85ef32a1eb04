#!/usr/bin/env bash
# The main job: a dry run of the setup on a simulated Windows XP machine with an
# earlier installation (or on the machine folder given), printing every dialog
# text, message box and change. Arguments go to `setup-sim run`.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh native
cmake --preset native >/dev/null
cmake --build --preset native --target setup-sim -j"$(nproc)" >/dev/null
exec build/native/bin/setup-sim run "$@"

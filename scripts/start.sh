#!/usr/bin/env bash
# Builds the editor and starts it with an optional file argument: on the desktop
# when there is a display, under Xvfb when there is none.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$(nproc)"
if [[ ! -x "$root/build/app/morvel" ]]; then
  echo "The libraries are built, but the editor window does not exist yet: there is no program to start."
  exit 0
fi
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a "$root/build/app/morvel" "$@"
fi
exec "$root/build/app/morvel" "$@"

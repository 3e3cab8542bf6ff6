#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, then the tests
# labelled "sanitize" again under AddressSanitizer and UndefinedBehaviorSanitizer.
# The display backend's tests start their own X server (xvfb-run).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
jobs=$(nproc)
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$jobs"
cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMORVEL_SANITIZE=ON >/dev/null
cmake --build "$root/build-asan" -j "$jobs"
status=0
(cd "$root/build" && ctest --output-on-failure -j "$jobs") || status=1
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j "$jobs" -L sanitize) || status=1
exit $status

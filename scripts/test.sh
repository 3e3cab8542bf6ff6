#!/usr/bin/env bash
# Checks the layers of the libraries, builds everything and runs every test: the
# normal build, then the tests labelled "sanitize" again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the tests that start worker threads under
# ThreadSanitizer, then a short run of each fuzz target where clang and its libFuzzer
# runtime are installed.
# The display backend's tests start their own X server (xvfb-run).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
# Before any build, as they take a moment: no library includes or links above its
# layer (scripts/layers.txt), and the sources are laid out as .clang-format says (the
# builds and tests still run when the layout check fails; the script then exits non-zero).
bash "$root/scripts/check-layers.sh"
format_ok=1
bash "$root/scripts/check-format.sh" || format_ok=0
jobs=$(nproc)
# The tests that start worker threads beside the user-interface thread: the selection
# statistics, the paged-open row counter, the file tools' tasks, the thread fan-out, the
# document file's parallel read, the parallel find and a read under the progress bar.
# They run again in the ThreadSanitizer build, which builds only the test programs
# holding them (a few minutes of running on 8 cores).
tsan_tests='^(GridTest|PageTest|FindTest|StatisticsWorkerTest|InputDuringReadTest|FileMerge|FileSplit|FileTasks|WorkerThreads|MvtParallelRead)[.]'
tsan_targets="store_tests grid_tests app_tests"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$jobs"
cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMORVEL_SANITIZE=ON >/dev/null
cmake --build "$root/build-asan" -j "$jobs"
cmake -S "$root" -B "$root/build-tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVEL_TSAN=ON >/dev/null
cmake --build "$root/build-tsan" -j "$jobs" --target $tsan_targets
status=0
(cd "$root/build" && ctest --output-on-failure -j "$jobs") || status=1
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j "$jobs" -L sanitize) || status=1
(cd "$root/build-tsan" && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
   ctest --output-on-failure -j "$jobs" -R "$tsan_tests") || status=1
# The fuzz targets for 20 s each, side by side (their kept corpora first): a crash or a
# hang fails the test command. Skipped without clang and libFuzzer (libclang-rt-14-dev).
fuzz=0
bash "$root/scripts/fuzz.sh" all 20 || fuzz=$?
if [[ $fuzz -eq 3 ]]; then
  echo "fuzz: skipped (clang++ or libFuzzer not installed)"
elif [[ $fuzz -ne 0 ]]; then
  status=1
fi
if ((!format_ok)); then
  echo "test: the sources are not formatted (see the start of the output)" >&2
  status=1
fi
exit $status

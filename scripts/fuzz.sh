#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs the document reader's target.
#   bash scripts/fuzz.sh [seconds]      (default 60)
# New inputs go to build-fuzz/corpus; the kept corpus (tests/store/fuzz/corpus) is read
# only. A crash leaves crash-* in build-fuzz: copy it into the kept corpus, where the
# store tests replay every file.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
cxx=$(command -v clang++-14 || command -v clang++ || true)
cc=$(command -v clang-14 || command -v clang || true)
if [[ -z "$cxx" || -z "$cc" ]]; then
  echo "fuzz: clang is not installed (apt-get install clang-14 libclang-rt-14-dev)" >&2
  exit 1
fi
cmake -S "$root/tests/store/fuzz" -B "$root/build-fuzz" -G Ninja \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_C_COMPILER="$cc" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$root/build-fuzz" -j 8 --target mvt_read_fuzz
mkdir -p "$root/build-fuzz/corpus"
cd "$root/build-fuzz"
./mvt_read_fuzz -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=1024 \
  corpus "$root/tests/store/fuzz/corpus"

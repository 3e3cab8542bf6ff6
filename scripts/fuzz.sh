#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs one of them, or all at once.
#   bash scripts/fuzz.sh [target] [seconds]      (default: mvt, 60 s)
#   bash scripts/fuzz.sh [seconds]               (the document reader's target)
# Targets:
#   mvt        the document (.mvt) reader          kept corpus tests/store/fuzz/corpus
#   delimited  the delimited-text (CSV/TXT) reader tests/store/fuzz/corpus-delimited
#   xl         the workbook readers                (no kept corpus)
#   all        every target side by side for the same time from its kept corpus only,
#              each one's output in build-fuzz/<target>.log (what scripts/test.sh runs)
# New inputs go to build-fuzz/corpus-<target> (build-fuzz/corpus for mvt; with all, to a
# temporary folder, so that a run's time does not grow with the inputs found before); the
# kept corpus is read only. A crash leaves crash-* in build-fuzz and fails the run: copy it into the
# kept corpus, where the store tests replay every file.
# Exit status 3: clang or its libFuzzer runtime is not installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=mvt
if [[ $# -gt 0 && ! "$1" =~ ^[0-9]+$ ]]; then
  target=$1
  shift
fi
seconds=${1:-60}
cxx=$(command -v clang++-14 || command -v clang++ || true)
cc=$(command -v clang-14 || command -v clang || true)
if [[ -z "$cxx" || -z "$cc" ]]; then
  echo "fuzz: clang is not installed (apt-get install clang-14 libclang-rt-14-dev)" >&2
  exit 3
fi
if [[ ! -f "$("$cxx" -print-resource-dir)/lib/linux/libclang_rt.fuzzer-x86_64.a" ]]; then
  echo "fuzz: libFuzzer is not installed (apt-get install libclang-rt-14-dev)" >&2
  exit 3
fi

# program, folder of new inputs, kept corpus and extra flags of each target
declare -A program=([mvt]=mvt_read_fuzz [delimited]=delimited_read_fuzz [xl]=xl_fuzz)
declare -A fresh=([mvt]=corpus [delimited]=corpus-delimited [xl]=corpus-xl)
declare -A kept=([mvt]="$root/tests/store/fuzz/corpus" [delimited]="$root/tests/store/fuzz/corpus-delimited" [xl]=)
declare -A flags=([mvt]= [delimited]="-max_len=4096 -dict=$root/tests/store/fuzz/delimited.dict" [xl]=-max_len=20000)
if [[ "$target" == all ]]; then
  targets=(mvt delimited xl)
elif [[ -n "${program[$target]:-}" ]]; then
  targets=("$target")
else
  echo "fuzz: unknown target '$target' (mvt, delimited, xl or all)" >&2
  exit 2
fi

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root/tests/store/fuzz" -B "$root/build-fuzz" -G Ninja \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_C_COMPILER="$cc" -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" >/dev/null
built=()
for t in "${targets[@]}"; do built+=("${program[$t]}"); done
cmake --build "$root/build-fuzz" -j "$(nproc)" --target "${built[@]}"

cd "$root/build-fuzz"
# Runs target $1 for the given time; a unit that takes more than 25 s counts as a hang.
run() {
  local t=$1 corpus=()
  [[ -n "${kept[$t]}" ]] && corpus=("${kept[$t]}")
  mkdir -p "${fresh[$t]}"
  "./${program[$t]}" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
    ${flags[$t]} "${fresh[$t]}" "${corpus[@]}"
}
if [[ ${#targets[@]} -eq 1 ]]; then
  run "${targets[0]}"
  exit
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for t in "${targets[@]}"; do fresh[$t]="$scratch/$t"; done
declare -A pid
for t in "${targets[@]}"; do
  run "$t" >"$t.log" 2>&1 &
  pid[$t]=$!
done
status=0
for t in "${targets[@]}"; do
  if wait "${pid[$t]}"; then
    echo "fuzz: $t: $(grep -o 'Done [0-9]* runs' "$t.log" || echo done)"
  else
    echo "fuzz: $t FAILED (build-fuzz/$t.log):" >&2
    tail -n 40 "$t.log" >&2
    status=1
  fi
done
exit $status

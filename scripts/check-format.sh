#!/usr/bin/env bash
# Checks that the C++ sources are laid out as .clang-format says; prints the files
# that are not and exits 1. With --fix, formats those files in place instead.
#
#   scripts/check-format.sh          check (quick: the files go through in parallel)
#   scripts/check-format.sh --fix    one formatting pass over the same files
#
# The files are every tracked *.cpp and *.h less the exclusions below, which are the
# one list of what is not ours to format.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# Not ours to format (extended regular expressions on the path from the root):
#   script/exprtk/           the expression engine's sources and our patch to them
#   tests/store/fuzz/corpus/ fuzzing inputs
#   bench/data/              generated benchmark data
excluded='^(script/exprtk/|tests/store/fuzz/corpus/|bench/data/)'

fix=0
case "${1:-}" in
  "") ;;
  --fix) fix=1 ;;
  *) echo "usage: $0 [--fix]" >&2; exit 2 ;;
esac

# The layout depends on the formatter's version: the rules are tuned for 14.
tool=$(command -v clang-format-14 || command -v clang-format || true)
if [[ -z "$tool" ]]; then
  echo "check-format: clang-format not found (scripts/setup.sh installs it)" >&2
  exit 2
fi
version=$("$tool" --version | grep -oE 'version [0-9]+' | grep -oE '[0-9]+')
if [[ "$version" != 14 ]]; then
  echo "check-format: $tool is version $version; the rules are for clang-format 14" >&2
  exit 2
fi

list() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z -- '*.cpp' '*.h'
  else
    find . -path ./build -prune -o -path './build-*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0 |
      sed -z 's|^\./||'
  fi | grep -zvE "$excluded" | while IFS= read -r -d '' f; do if [[ -f "$f" ]]; then printf '%s\0' "$f"; fi; done
}

jobs=$(nproc)
if ((fix)); then
  list | xargs -0 -r -n 16 -P "$jobs" "$tool" -i --style=file
  exit 0
fi
# Each batch of files goes to one formatter, which names every place that differs as
# "FILE:LINE:COL: error: ..."; the batch prints the names alone, in one short write so
# that the parallel batches do not mix their lines. Any other failure (a broken
# .clang-format) is shown whole.
batch='out=$("$0" --dry-run --Werror --style=file "$@" 2>&1 >/dev/null) && exit 0
names=$(printf "%s\n" "$out" | sed -n "s/^\([^ :][^:]*\.\(cpp\|h\)\):[0-9]*:[0-9]*: error: .*/\1/p" | sort -u)
if [ -n "$names" ]; then printf "%s\n" "$names"; else printf "%s\n" "$out" >&2; exit 2; fi'
status=0
bad=$(list | xargs -0 -r -n 32 -P "$jobs" sh -c "$batch" "$tool" | sort -u) || status=$?
if [[ -n "$bad" ]]; then
  echo "check-format: not formatted (scripts/check-format.sh --fix formats them):" >&2
  echo "$bad" >&2
  exit 1
fi
if ((status)); then
  echo "check-format: the formatter failed" >&2
  exit 2
fi

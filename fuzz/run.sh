#!/usr/bin/env bash
# Runs every libFuzzer target of a -DVANTOREL_FUZZ=ON build for a while each,
# starting from the seeds in fuzz/corpus/<target>/. New inputs and crash
# reproducers go to a scratch directory, never into the tree. Fails on the
# first report; copy the reproducer it names into fuzz/regressions/<target>/
# and the regression test replays it from then on.
#
#   fuzz/run.sh BUILD_DIR [SECONDS_PER_TARGET]
set -euo pipefail

build=$(cd "${1:?usage: fuzz/run.sh BUILD_DIR [SECONDS]}" && pwd)
seconds=${2:-30}
src=$(cd "$(dirname "$0")" && pwd)

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:halt_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

shopt -s nullglob
targets=("$build"/bin/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets in $build/bin (configure with CXX=clang++ -DVANTOREL_FUZZ=ON)" >&2
  exit 1
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vantorel-fuzz.XXXXXX")
for bin in "${targets[@]}"; do
  name=${bin##*/fuzz_}
  work="$scratch/$name"
  mkdir -p "$work/corpus"
  seeds=()
  [ -d "$src/corpus/$name" ] && seeds+=("$src/corpus/$name")
  [ -d "$src/regressions/$name" ] && seeds+=("$src/regressions/$name")
  echo "== fuzz_$name for ${seconds}s"
  # Run inside the scratch directory: the module writes its sound log into
  # the current directory.
  if ! (cd "$work" && "$bin" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
          -artifact_prefix="$work/" -print_final_stats=1 "$work/corpus" "${seeds[@]}" \
          > "$work/log.txt" 2>&1); then
    tail -n 60 "$work/log.txt"
    echo "fuzz_$name found a fault; reproducer in $work/ (crash-*, leak-*, timeout-*)" >&2
    exit 1
  fi
  grep -E "^stat::(number_of_executed_units|new_units_added)" "$work/log.txt" | tr '\n' ' '
  echo
done
rm -rf "$scratch"

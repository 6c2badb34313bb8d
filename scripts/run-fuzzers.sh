#!/usr/bin/env bash
# Runs each libFuzzer target for SECONDS over a working copy of its seed
# corpus. New inputs stay under BUILD_DIR/fuzz-work/<target>/corpus (not in
# git); a crashing input lands in BUILD_DIR/fuzz-work/<target>/crashes and
# the script exits 1 once every target has run.
#   scripts/run-fuzzers.sh BUILD_DIR SECONDS [TARGET...]
# Targets: tga_read tga_chain png_chain dds_read tga_write mip_naming scene_load (default: all).
# FUZZ_KEEP_GOING=1 runs each target in libFuzzer's fork mode, which records a
# crashing input and carries on fuzzing for the rest of the time.
set -uo pipefail

if [ $# -lt 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS [TARGET...]" >&2
  exit 2
fi
build=$1
seconds=$2
shift 2
repo=$(cd "$(dirname "$0")/.." && pwd)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(tga_read tga_chain png_chain dds_read tga_write mip_naming scene_load)

keep_going=()
[ "${FUZZ_KEEP_GOING:-0}" = 1 ] && keep_going=(-fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1)

failed=0
for target in "${targets[@]}"; do
  binary="$build/fuzz/fuzz-$target"
  work="$build/fuzz-work/$target"
  if [ ! -x "$binary" ]; then
    echo "$binary is missing: build the fuzz-targets target first" >&2
    exit 2
  fi
  mkdir -p "$work/corpus" "$work/crashes"
  cp -n "$repo/fuzz/corpus/$target"/* "$work/corpus/"
  echo "== $target: ${seconds} s (log: $work/fuzz.log)"
  # A large allocation from a small input is a fault of its own: the limit
  # makes libFuzzer report it with the input that asked for it.
  if "$binary" "$work/corpus" "${keep_going[@]}" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=256 \
      -max_len=8192 -print_final_stats=1 -artifact_prefix="$work/crashes/" \
      >"$work/fuzz.log" 2>&1; then
    grep -E "^(stat::number_of_executed_units|stat::new_units_added)" "$work/fuzz.log" || true
  else
    echo "!! $target stopped with an error (see the log)" >&2
    failed=1
  fi
  if [ -n "$(ls -A "$work/crashes")" ]; then
    echo "!! $target failed; inputs in $work/crashes:" >&2
    ls "$work/crashes" >&2
    grep -m1 -E "ERROR|property broken|SUMMARY" "$work/fuzz.log" >&2 || true
    failed=1
  fi
done
exit $failed

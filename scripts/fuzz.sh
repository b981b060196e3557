#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/, clang + libFuzzer, ASan, UBSan) in build-fuzz/ and
# runs each for the given seconds (default 600) from its corpus in fuzz/corpus/<name>/.
#   scripts/fuzz.sh [seconds] [target...]
# FUZZ_RUNS=N stops a target after N inputs when that comes before the time limit;
# FUZZ_REPORT names the report file, so two runs over different targets can share
# the build folder.
# The run works on a scratch copy of the corpus, so the repository keeps only seeds;
# every crash, leak or timeout found is copied into fuzz/corpus/<name>/ so later runs
# (and `make test`) replay it. Results: build-fuzz/fuzz-report.txt (this run) and
# build-fuzz/fuzz-history.tsv (every run: date, target, seconds, executions, findings).
set -uo pipefail

seconds=${1:-600}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD:-$root/build-fuzz}
jobs=${FUZZ_JOBS:-2}

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is missing (scripts/setup.sh installs it)" >&2
  exit 2
fi
if [ ! -f "$build/build.ninja" ]; then
  CXX=clang++ cmake -S "$root/fuzz" -B "$build" -G Ninja >/dev/null || exit 2
fi
nice -n 10 cmake --build "$build" -j"$jobs" || exit 2

if [ $# -gt 0 ]; then
  targets=("$@")
else
  mapfile -t targets < <(grep -v '^$' "$build/fuzzers.txt")
fi

scratch=${TMPDIR:-/tmp}
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch=/dev/shm

report=${FUZZ_REPORT:-$build/fuzz-report.txt}
history=$build/fuzz-history.tsv
: > "$report"
[ -f "$history" ] || printf 'date\ttarget\tseconds\texecutions\tfindings\n' > "$history"
failed=0

for name in "${targets[@]}"; do
  bin=$build/bin/fuzz_$name
  seeds=$root/fuzz/corpus/$name
  work=$build/work/$name
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/findings" "$seeds"
  cp -r "$seeds/." "$work/corpus/" 2>/dev/null || true
  limits=(-max_total_time="$seconds")
  [ -n "${FUZZ_RUNS:-}" ] && limits+=(-runs="$FUZZ_RUNS")
  dict=()
  [ -f "$root/fuzz/$name.dict" ] && dict=(-dict="$root/fuzz/$name.dict")

  started=$SECONDS
  # One process per target: the machine's cores are shared. No allocation stacks
  # are recorded (most of each run's time went there); a saved input replayed
  # with the default ASAN_OPTIONS shows them. Scratch files go to
  # memory when it can hold them, so the targets that save files are not bound
  # by the disk's flushes.
  TMPDIR=$scratch \
  ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1:malloc_context_size=0:quarantine_size_mb=16} \
  UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    nice -n 10 "$bin" "${limits[@]}" -timeout=10 -rss_limit_mb=2048 \
      -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/findings/" \
      "${dict[@]}" "$work/corpus" > "$work/log.txt" 2>&1
  status=$?
  took=$((SECONDS - started))

  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log.txt" | tail -n1)
  [ -n "$execs" ] || execs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$work/log.txt" | tail -n1)
  [ -n "$execs" ] || execs=0
  findings=0
  for f in "$work/findings"/*; do
    [ -f "$f" ] || continue
    findings=$((findings + 1))
    cp "$f" "$seeds/$(basename "$f")"
  done
  if [ $status -ne 0 ] && [ $findings -eq 0 ]; then
    findings=1   # stopped without a saved input (e.g. a crash in start-up)
  fi
  line="$name: $execs executions in ${took}s, $findings finding(s)"
  if [ $findings -gt 0 ]; then
    line="$line (log: $work/log.txt; inputs copied to fuzz/corpus/$name/)"
    failed=1
  fi
  echo "$line" | tee -a "$report"
  printf '%s\t%s\t%s\t%s\t%s\n' "$(date -u +%FT%TZ)" "$name" "$took" "$execs" "$findings" >> "$history"
done

exit $failed

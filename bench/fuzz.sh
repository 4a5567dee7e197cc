#!/usr/bin/env bash
# Runs every libFuzzer harness of tests/fuzz/ for the given number of seconds
# each (or only the named ones) and prints each one's executions and any
# crash, leak or undefined behaviour with the input that caused it.
#
#   bench/fuzz.sh <seconds> [name ...]      e.g. bench/fuzz.sh 300
#
# The harnesses are built with clang into build-fuzz/ (BRIMVALE_FUZZ_YAPI
# overrides the folder). Seeds come from tests/fuzz/tohum/<name>/; what a run
# learns goes to <build>/fuzz/derlem/<name>/, findings to
# <build>/fuzz/bulgular/<name>/. Exit status 1 when any harness failed.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ] || ! [[ "$1" =~ ^[0-9]+$ ]]; then
  echo "usage: $0 <seconds> [name ...]" >&2
  exit 64
fi
sure=$1
shift

yapi=${BRIMVALE_FUZZ_YAPI:-build-fuzz}
if ! command -v clang++ >/dev/null; then
  echo "clang++ is needed for the harnesses (apt-get install clang)" >&2
  exit 1
fi
onbellek=()
if command -v ccache >/dev/null; then
  onbellek=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
if [ ! -f "$yapi/build.ninja" ]; then
  cmake -S . -B "$yapi" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DBRIMVALE_FUZZ=ON "${onbellek[@]}" >/dev/null
fi
cmake --build "$yapi" --target brimvale_fuzz

hedefler=("$@")
if [ ${#hedefler[@]} -eq 0 ]; then
  for p in "$yapi"/fuzz/fuzz_*; do hedefler+=("$(basename "$p" | sed 's/^fuzz_//')"); done
fi

# Every stop of a sanitizer is a failure, and so is a leak.
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

basarisiz=0
printf '\n%-18s %12s %10s  %s\n' "harness" "executions" "per s" "result"
for ad in "${hedefler[@]}"; do
  program="$yapi/fuzz/fuzz_$ad"
  if [ ! -x "$program" ]; then
    printf '%-18s %12s %10s  %s\n' "$ad" "-" "-" "no such harness"
    basarisiz=1
    continue
  fi
  derlem="$yapi/fuzz/derlem/$ad"
  bulgular="$yapi/fuzz/bulgular/$ad"
  kayit="$yapi/fuzz/$ad.log"
  mkdir -p "$derlem" "$bulgular"
  tohum=()
  [ -d "tests/fuzz/tohum/$ad" ] && tohum=("tests/fuzz/tohum/$ad")
  durum=0
  "$program" -max_total_time="$sure" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$bulgular/" "$derlem" "${tohum[@]}" >"$kayit" 2>&1 || durum=$?
  calisma=$(sed -n 's/^stat::number_of_executed_units: *//p' "$kayit" | tail -1)
  sn=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$kayit" | tail -1)
  if [ "$durum" -eq 0 ]; then
    sonuc="ok"
  else
    basarisiz=1
    neden=$(grep -m1 -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error:|.*terminate called|.*Assertion)' "$kayit" || true)
    girdi=$(sed -n 's/.*Test unit written to //p' "$kayit" | tail -1)
    sonuc="FAILED (status $durum): ${neden:-see $kayit}${girdi:+; input: $girdi}"
  fi
  printf '%-18s %12s %10s  %s\n' "$ad" "${calisma:-?}" "${sn:-?}" "$sonuc"
done
echo "logs: $yapi/fuzz/<name>.log"
exit $basarisiz

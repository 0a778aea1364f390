#!/bin/sh
# Builds a libFuzzer target with clang, AddressSanitizer and UndefinedBehaviorSanitizer, makes
# its seed corpus and runs it.
#   fuzz/run_fuzz.sh [seconds] [target]     default 600 and fuzz_asc_reader
# Inputs in fuzz/regressions/<target>/ run first and must pass.
# Targets: fuzz_asc_reader (seeds: the files the reader tests write and examples/) and
# fuzz_extract_scanner (seeds: clipboard texts written below) and fuzz_text_reader (seeds: the
# texts the text table tests read and examples/*.csv).
# Folders: $BUILD for the fuzzer (default build-fuzz), $TEST_BUILD for the ordinary build whose
# reader test writes the seeds (default build; configured here when it is not yet).
set -e
SRC=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$SRC/build-fuzz}
TEST_BUILD=${TEST_BUILD:-$SRC/build}
SECONDS_TO_RUN=${1:-600}
TARGET=${2:-fuzz_asc_reader}
CC=clang CXX=clang++ cmake -S "$SRC" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZEV_BUILD_FUZZ=ON -DZEV_SANITIZE=ON -DZEV_BUILD_TESTS=OFF -DZEV_BUILD_BENCH=OFF > /dev/null
cmake --build "$BUILD" --target "$TARGET" -j2
CORPUS="$BUILD/fuzz/corpus-$TARGET"
mkdir -p "$CORPUS"
case "$TARGET" in
fuzz_asc_reader)
  [ -f "$TEST_BUILD/build.ninja" ] || [ -f "$TEST_BUILD/Makefile" ] ||
    cmake -S "$SRC" -B "$TEST_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
  cmake --build "$TEST_BUILD" --target test_ZEV_datatable_asc -j2
  ZEV_ASC_CORPUS="$CORPUS" QT_QPA_PLATFORM=offscreen "$TEST_BUILD/tests/test_ZEV_datatable_asc" \
    > /dev/null
  cp "$SRC"/examples/*.asc "$CORPUS/"
  MAX_LEN=65536
  ;;
fuzz_text_reader)
  [ -f "$TEST_BUILD/build.ninja" ] || [ -f "$TEST_BUILD/Makefile" ] ||
    cmake -S "$SRC" -B "$TEST_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
  cmake --build "$TEST_BUILD" --target test_ZEV_texttable -j2
  ZEV_TEXT_CORPUS="$CORPUS" "$TEST_BUILD/tests/test_ZEV_texttable" > /dev/null
  cp "$SRC"/examples/*.csv "$CORPUS/"
  MAX_LEN=65536
  ;;
fuzz_extract_scanner)
  # The first byte chooses UTF-8 (even) or UTF-16 (odd) and the ScanNumber options.
  printf '\000 1.2345000000000E+0003\t####\t-4.0E-0001\r\n 7\t8\r\n' > "$CORPUS/copied"
  printf '\0021,5\t2,5\n3,5\t4\n' > "$CORPUS/decimal-comma"
  printf '\0041.5, 2e3\r-4 1E5000 -.5 1..2 3E+x +\n\n9' > "$CORPUS/mixed"
  MAX_LEN=16384
  ;;
esac
cd "$BUILD/fuzz"
OPTIONS="-timeout=1 -rss_limit_mb=2048"
# Inputs that once broke a run must pass first, within the same limits.
REGRESSIONS="$SRC/fuzz/regressions/$TARGET"
if [ -d "$REGRESSIONS" ]; then
  ./"$TARGET" $OPTIONS "$REGRESSIONS"/*
fi
exec ./"$TARGET" -max_total_time="$SECONDS_TO_RUN" $OPTIONS -max_len="$MAX_LEN" "$CORPUS"

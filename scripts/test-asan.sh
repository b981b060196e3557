#!/usr/bin/env bash
# The whole test suite built with AddressSanitizer and UBSan in build-asan/, run with
# leak detection on. Suppressions (Qt and system libraries only): scripts/lsan.supp.
#   scripts/test-asan.sh [ctest options]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ASAN_BUILD:-$root/build-asan}
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
fi
nice -n 10 cmake --build "$build" -j"${JOBS:-2}"
# Full stacks on malloc: Qt is built without frame pointers, and a suppression
# must see the frame it names.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0:strict_string_checks=0:fast_unwind_on_malloc=0:malloc_context_size=40"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
# QTest's own watchdog (5 minutes per test function) is a hang detector; the
# sanitizers make everything several times slower, so it gets the same margin
# as ctest's time limits.
export QTEST_FUNCTION_TIMEOUT=${QTEST_FUNCTION_TIMEOUT:-2400000}
# The soak measures memory and speed, which the sanitizers distort; it runs in `make test`.
cd "$build" && nice -n 10 ctest --output-on-failure --timeout 900 -LE soak "$@"

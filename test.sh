#!/usr/bin/env bash
# Test Orvantis: installs what is missing, builds, and runs every test
# (unit and scenario tests, the content check), then the same tests again
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$here/tools/setup.sh" deps test
export SDL_AUDIODRIVER=dummy   # no sound card needed

"$here/tools/setup.sh" build build
(cd "$here/build" && ctest --output-on-failure -j "$(nproc)")
(cd "$here/build" && ./orvantis_tests --gtest_shuffle)   # all in one process: no test leans on running alone

"$here/tools/setup.sh" build build-asan -DORVANTIS_SANITIZE=ON -DORVANTIS_BENCH=OFF
export ASAN_OPTIONS=abort_on_error=0:detect_leaks=1
export LSAN_OPTIONS="suppressions=$here/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$here/build-asan" && ctest --output-on-failure -j "$(nproc)")

"$here/build/orvantis" --check-data --data "$here/gamedata"
echo "All tests passed."

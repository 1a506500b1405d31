#!/usr/bin/env bash
# Sets up, then builds and runs every test in both sanitizer flavours: AddressSanitizer with
# UndefinedBehaviorSanitizer (build/test), then ThreadSanitizer (build/tsan); then the pixel tests
# once more in an optimised build, where the vectorised loop copies run (build/vectors); then every
# fuzz target, built with clang, over its inputs and for a few seconds of fuzzing; then a two-minute
# soak of the demo. A step that fails does not stop the others: the command fails at the end, naming
# them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The thread checker leaves alone only the system libraries named in tests/support/tsan.supp.
export TSAN_OPTIONS="suppressions=$PWD/tests/support/tsan.supp"
failed=()
for flavour in test tsan; do
  bash scripts/build.sh "$flavour"
  ctest --test-dir "build/$flavour" --output-on-failure -j "$(nproc)" --timeout 300 || failed+=("$flavour")
done
bash scripts/build.sh vectors
(cd build/vectors && ./gfx_tests --gtest_brief=1 && ./platform_tests --gtest_brief=1) || failed+=(vectors)
bash scripts/fuzz.sh ci || failed+=(fuzz)
bash scripts/soak.sh 2 || failed+=(soak)
if [ ${#failed[@]} -gt 0 ]; then
  echo "test: failures in ${failed[*]}" >&2
  exit 1
fi

#!/usr/bin/env bash
# Builds one flavour: "release" (the optimised player), "test" (all tests under AddressSanitizer and
# UndefinedBehaviorSanitizer), "tsan" (all tests under ThreadSanitizer), "vectors" (the pixel tests,
# optimised, with the vectorised loop copies that sanitizer builds leave out) or "bench" (benchmarks).
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-release}
# A compiler cache, when one is installed, shares objects between builds and checkouts.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
case "$flavour" in
  release) cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLAYER_TESTS=OFF "${launcher[@]}" ;;
  test)    cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLAYER_SANITIZE=ON -DPLAYER_TESTS=ON -DPLAYER_WERROR=ON "${launcher[@]}" ;;
  tsan)    cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLAYER_TSAN=ON -DPLAYER_TESTS=ON -DPLAYER_WERROR=ON "${launcher[@]}" ;;
  vectors) cmake -S . -B build/vectors -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLAYER_TESTS=ON -DPLAYER_WERROR=ON "${launcher[@]}" ;;
  bench)   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLAYER_TESTS=OFF -DPLAYER_BENCH=ON "${launcher[@]}" ;;
  *) echo "usage: $0 [release|test|tsan|vectors|bench]" >&2; exit 2 ;;
esac
targets=()
[ "$flavour" = vectors ] && targets=(--target gfx_tests platform_tests)
cmake --build "build/$flavour" -j "${BUILD_JOBS:-$(nproc)}" "${targets[@]}"

#!/usr/bin/env bash
# Builds one flavour: "release" (the optimised player) or "test" (sanitizers, all tests).
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-release}
case "$flavour" in
  release) cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLAYER_TESTS=OFF ;;
  test)    cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLAYER_SANITIZE=ON -DPLAYER_TESTS=ON ;;
  bench)   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLAYER_TESTS=OFF -DPLAYER_BENCH=ON ;;
  *) echo "usage: $0 [release|test|bench]" >&2; exit 2 ;;
esac
cmake --build "build/$flavour" -j "$(nproc)"

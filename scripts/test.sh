#!/usr/bin/env bash
# From a fresh clone on Debian 12: installs what the build needs, builds
# everything (engine, plugin in all formats, tools, tests) and runs the whole
# test suite through CTest. Safe to repeat.
#
#   ZSP_BUILD_DIR  build folder (default: build/test, build/test-<sanitizer>)
#   ZSP_SANITIZER  "thread" or "address" for a sanitizer build
#   ZSP_JOBS       parallel build and test jobs (default: number of processors)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
sanitizer="${ZSP_SANITIZER:-}"
build="${ZSP_BUILD_DIR:-$root/build/test${sanitizer:+-$sanitizer}}"
jobs="${ZSP_JOBS:-$(nproc)}"

"$root/scripts/install-packages.sh"
cmake -S "$root" -B "$build" -G Ninja -DZSP_BUILD_TESTS=ON -DZSP_SANITIZER="$sanitizer"
cmake --build "$build" --parallel "$jobs"
ctest --test-dir "$build" --output-on-failure --parallel "$jobs"

#!/usr/bin/env bash
# From a fresh clone on Debian 12: installs what the build needs, builds the
# plugin in all its formats, installs the bundles into ~/.vst3, ~/.lv2 and
# ~/.vst, and runs the demo: an instrument built by zse-build from samples
# synthesised here, rendered from a MIDI file through the processor by
# zsp-render into build/demo/demo.wav. Safe to repeat.
#
#   ZSP_BUILD_DIR  build folder (default: build/release)
#   ZSP_JOBS       parallel build jobs (default: number of processors)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ZSP_BUILD_DIR:-$root/build/release}"
jobs="${ZSP_JOBS:-$(nproc)}"

"$root/scripts/install-packages.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZSP_BUILD_TESTS=OFF
cmake --build "$build" --parallel "$jobs"
cmake --install "$build" --component plugins
demo="${ZSP_DEMO_DIR:-$root/build/demo}"
"$root/scripts/make-demo-instrument.sh" "$build" "$demo"
"$build/tools/zsp-render/zsp-render" --instrument "$demo/demo.zse" --midi "$demo/demo.mid" --output "$demo/demo.wav"
echo "Rendered the demo instrument: $demo/demo.wav"

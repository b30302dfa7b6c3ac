#!/usr/bin/env bash
# The demo rendered through the processor and compared byte for byte with the
# recorded render:
#
#   tests/tools/demo-golden.sh BUILD_DIR OUT_DIR ZSP_RENDER DIGEST_FILE
#
# OUT_DIR keeps the instrument, the MIDI file and demo.wav for a look at a
# difference. With ZSP_GOLDEN_UPDATE=1 the digest of this render is recorded in
# DIGEST_FILE instead (after a change that is meant to change the sound):
#
#   ZSP_GOLDEN_UPDATE=1 ctest --test-dir BUILD_DIR -R demo.golden
set -euo pipefail

if [[ $# -ne 4 ]]; then
    echo "usage: $0 BUILD_DIR OUT_DIR ZSP_RENDER DIGEST_FILE" >&2
    exit 1
fi
build="$1"
out="$2"
render="$3"
digestFile="$4"

"$(dirname "$0")/../../scripts/make-demo-instrument.sh" "$build" "$out" > /dev/null
rm -f "$out/demo.wav"
"$render" --quiet --instrument "$out/demo.zse" --midi "$out/demo.mid" --output "$out/demo.wav"
rendered=$(sha256sum "$out/demo.wav" | cut -d ' ' -f 1)

if [[ "${ZSP_GOLDEN_UPDATE:-0}" == 1 ]]; then
    echo "$rendered" > "$digestFile"
    echo "recorded $rendered in $digestFile"
    exit 0
fi
recorded=$(cat "$digestFile")
if [[ "$rendered" != "$recorded" ]]; then
    echo "$out/demo.wav has SHA-256 $rendered; the recorded render has $recorded" >&2
    exit 1
fi
echo "$out/demo.wav matches the recorded render"

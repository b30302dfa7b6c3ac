#!/bin/bash
# window-opens.sh PROGRAM WIDTH [empty]
#
# Starts the stand-alone player (on the display the caller provides, e.g.
# under xvfb-run) and waits for its window. Passes when the window appears
# holding a player WIDTH pixels across (the window adds a border of one pixel
# on either side) and the player is still running a moment later. With "empty", the player runs from a folder without an
# instrument library (a hard link of the program beside no ".instruments").
set -u
program=$1
width=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch

if [ "${3:-}" = empty ]; then
    ln "$program" "$scratch/Player" 2>/dev/null || cp "$program" "$scratch/Player"
    program=$scratch/Player
fi

"$program" > "$scratch/log" 2>&1 &
pid=$!
window=$((width + 2))
found=
for _ in $(seq 1 200); do
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "the player ended before its window appeared:"; cat "$scratch/log"; exit 1
    fi
    if xwininfo -root -tree 2>/dev/null | grep -q "\"Zarvo Sampler Player\": .* ${window}x[0-9]*+"; then
        found=yes
        break
    fi
    sleep 0.1
done
sleep 1
alive=yes
kill -0 "$pid" 2>/dev/null || alive=
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
if [ -z "$found" ]; then
    echo "no player window ${width} pixels wide; windows:"; xwininfo -root -tree | grep -i zarvo; exit 1
fi
[ -n "$alive" ] || { echo "the player ended after opening its window:"; cat "$scratch/log"; exit 1; }
echo "window of ${width} pixels across"

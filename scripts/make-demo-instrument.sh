#!/usr/bin/env bash
# Makes the demo instrument and its MIDI file from nothing but sox and the
# project's own builder:
#
#   scripts/make-demo-instrument.sh BUILD_DIR OUT_DIR
#
# BUILD_DIR is a build folder holding tools/zse-build/zse-build. OUT_DIR gets
# samples/*.wav (synthesised with sox), demo.json (the description),
# demo.zse (the instrument, samples embedded), demo-pad.json and demo-pad.zse
# (a second instrument: the pad alone over the whole keyboard) and demo.mid
# (a short piece written byte by byte below). Render it with
#
#   BUILD_DIR/tools/zsp-render/zsp-render --instrument OUT_DIR/demo.zse \
#       --midi OUT_DIR/demo.mid --output OUT_DIR/demo.wav
set -euo pipefail

if [[ $# -ne 2 ]]; then
    echo "usage: $0 BUILD_DIR OUT_DIR" >&2
    exit 1
fi
build="$1"
out="$2"
builder="$build/tools/zse-build/zse-build"
if [[ ! -x "$builder" ]]; then
    echo "$0: $builder is missing; build the project first" >&2
    exit 1
fi
command -v sox > /dev/null || { echo "$0: sox is needed (apt-get install sox)" >&2; exit 1; }
mkdir -p "$out/samples"

# Repeatable mode (-R) seeds the pluck noise and the dither, so the samples,
# and every render made from them, come out the same on every run.
# Three plucked keys a fifth and octaves apart, and a pad tone whose 441 Hz
# period is exactly 100 samples, so a loop of whole periods has no seam.
sox -R -n -r 44100 -b 16 -c 1 "$out/samples/keys-c3.wav" synth 3 pluck C3 fade q 0 3 2.5 gain -3
sox -R -n -r 44100 -b 16 -c 1 "$out/samples/keys-c4.wav" synth 3 pluck C4 fade q 0 3 2.5 gain -3
sox -R -n -r 44100 -b 16 -c 1 "$out/samples/keys-c5.wav" synth 3 pluck C5 fade q 0 3 2.5 gain -3
sox -R -n -r 44100 -b 16 -c 2 "$out/samples/pad-a4.wav" synth 3 sine 441 sine 882 gain -12

cat > "$out/demo.json" <<'EOF'
{
  "name": "Demo Keys",
  "vendor": "Zarvo",
  "settings": { "voiceCount": 24, "volume": -10, "reverbSend": 0.15, "playerColour": "0xff2a3f54" },
  "groups": [
    { "name": "Keys", "settings": { "active": 1 },
      "zones": [
        { "sample": "samples/keys-c3.wav", "settings": { "rootKey": 48, "highKey": 53, "release": 300 } },
        { "sample": "samples/keys-c4.wav", "settings": { "rootKey": 60, "lowKey": 54, "highKey": 65, "release": 300 } },
        { "sample": "samples/keys-c5.wav", "settings": { "rootKey": 72, "lowKey": 66, "release": 300 } }
      ] },
    { "name": "Pad", "settings": { "active": 1, "volume": -9, "highKey": 59 },
      "zones": [
        { "sample": "samples/pad-a4.wav",
          "settings": { "rootKey": 69, "playMode": 2, "loopStart": 44100, "loopEnd": 88200,
                        "attack": 250, "release": 900, "ignoreVelocity": 1 } }
      ] }
  ]
}
EOF
"$builder" "$out/demo.json" "$out/demo.zse"

cat > "$out/demo-pad.json" <<'EOF'
{
  "name": "Demo Pad",
  "vendor": "Zarvo",
  "settings": { "voiceCount": 16, "volume": -8, "reverbSend": 0.3, "playerColour": "0xff3a2f5a" },
  "groups": [
    { "name": "Pad", "settings": { "active": 1 },
      "zones": [
        { "sample": "samples/pad-a4.wav",
          "settings": { "rootKey": 69, "playMode": 2, "loopStart": 44100, "loopEnd": 88200,
                        "attack": 120, "release": 700, "ignoreVelocity": 1 } }
      ] }
  ]
}
EOF
"$builder" "$out/demo-pad.json" "$out/demo-pad.zse"

# The demo piece: a Standard MIDI File (format 1, 480 ticks per quarter,
# 96 bpm) with a tempo track and a track of notes, written byte by byte.
bytes=""
emit() { for byte in "$@"; do bytes+=$(printf '\\x%02x' "$byte"); done; }
# A variable-length number (delta times).
vlq() {
    local value=$1 groups=()
    groups=($((value & 0x7f)))
    value=$((value >> 7))
    while ((value > 0)); do
        groups=($(((value & 0x7f) | 0x80)) "${groups[@]}")
        value=$((value >> 7))
    done
    emit "${groups[@]}"
}
track=""
# Appends "delta status data..." events to the track being written.
event() { local saved="$bytes"; bytes=""; vlq "$1"; shift; emit "$@"; track+="$bytes"; bytes="$saved"; }
# Writes a chunk header and the track collected so far.
flush_track() {
    local length
    length=$(printf "$track" | wc -c)
    emit 0x4d 0x54 0x72 0x6b $((length >> 24 & 255)) $((length >> 16 & 255)) $((length >> 8 & 255)) $((length & 255))
    bytes+="$track"
    track=""
}

emit 0x4d 0x54 0x68 0x64 0 0 0 6 0 1 0 2 0x01 0xe0
event 0 0xff 0x51 0x03 0x09 0x89 0x68   # 625000 us per quarter: 96 bpm
event 0 0xff 0x2f 0x00
flush_track

quarter=480
# A chord of three notes held for `length` ticks, then a melody note.
chord() {
    local length=$1; shift
    local first=1 note
    for note in "$@"; do event 0 0x90 "$note" 80; done
    for note in "$@"; do
        event $((first ? length : 0)) 0x80 "$note" 0
        first=0
    done
}
melody() { event 0 0x90 "$1" "$2"; event "$3" 0x80 "$1" 0; }

chord $((2 * quarter)) 48 55 64
melody 67 100 $quarter
melody 69 90 $quarter
chord $((2 * quarter)) 45 52 60
melody 72 110 $((quarter / 2))
melody 71 90 $((quarter / 2))
melody 69 85 $quarter
chord $((2 * quarter)) 41 48 57
melody 65 95 $quarter
melody 64 90 $quarter
chord $((4 * quarter)) 43 50 59 67
event 0 0xff 0x2f 0x00
flush_track

printf "$bytes" > "$out/demo.mid"
echo "Demo instrument: $out/demo.zse"
echo "Demo MIDI file:  $out/demo.mid"

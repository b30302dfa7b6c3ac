#!/bin/bash
# Prepares the sound files the file tests compare against: WAVE files written
# by sox in every supported format with sox's own decoding of each, copies of
# the system's sound files (alsa-utils) likewise decoded, and small seed inputs
# for the fuzzers. Usage: make_test_data.sh <output folder>
set -euo pipefail

out="$1"
script="${BASH_SOURCE[0]}"
if [[ -f "$out/stamp" && "$out/stamp" -nt "$script" ]]; then
    exit 0
fi
command -v sox >/dev/null || { echo "sox is needed to prepare the test data" >&2; exit 1; }

work="$out.partial"
rm -rf "$work"
mkdir -p "$work/sox" "$work/system" "$work/seeds/wave" "$work/seeds/embedded" "$work/seeds/path"

decode() {  # <wav> -> <base>.f32 and <base>.s32 as sox reads it
    sox "$1" -t f32 "${1%.wav}.f32"
    sox "$1" -t s32 "${1%.wav}.s32"
}
describe() {  # <name relative to $work> : rate channels frames bits
    local wav="$work/$1.wav"
    echo "$1 $(soxi -r "$wav") $(soxi -c "$wav") $(soxi -s "$wav") $(soxi -b "$wav")"
}

: > "$work/decoded.txt"
for format in "u8 8 unsigned-integer" "s16 16 signed-integer" "s24 24 signed-integer" "s32 32 signed-integer"; do
    read -r tag bits encoding <<< "$format"
    for channels in 1 2; do
        rate=$(( channels == 1 ? 44100 : 48000 ))
        name="sox/${tag}_${channels}ch"
        # Plain PCM format tag ("wavpcm"): sox would otherwise write the
        # extensible form for 24 and 32 bits. 11025 frames: odd 8-bit data.
        sox -D -r "$rate" -n -c "$channels" -b "$bits" -e "$encoding" -t wavpcm "$work/$name.wav" \
            synth 11025s whitenoise vol 0.9
        decode "$work/$name.wav"
        describe "$name" >> "$work/decoded.txt"
        sox -D -r "$rate" -n -c "$channels" -b "$bits" -e "$encoding" -t wavpcm \
            "$work/seeds/wave/${tag}_${channels}ch.wav" synth 16s sine 440
    done
done

for wav in /usr/share/sounds/alsa/*.wav; do
    [[ -f "$wav" ]] || continue
    name="system/$(basename "${wav%.wav}")"
    cp "$wav" "$work/$name.wav"
    decode "$work/$name.wav"
    describe "$name" >> "$work/decoded.txt"
done

# What sox writes by default for 24 and 32 bits: the extensible header
# around integer PCM, which the player reads.
mkdir -p "$work/extensible"
for format in "s24_2ch 24 2 44100" "s32_1ch 32 1 96000"; do
    read -r tag bits channels rate <<< "$format"
    name="extensible/$tag"
    sox -D -r "$rate" -n -c "$channels" -b "$bits" "$work/$name.wav" synth 2000s whitenoise vol 0.9
    decode "$work/$name.wav"
    describe "$name" >> "$work/decoded.txt"
done

# What the player refuses: floating point (the builder converts it).
sox -D -r 44100 -n -c 1 -b 32 -e floating-point "$work/sox/f32_1ch.wav" synth 100s sine 440
printf '%s\n' sox/f32_1ch > "$work/refused.txt"

# Hand-made seeds with the chunks sox does not write.
bytes() { for v in "$@"; do printf "\\x$(printf %02x "$v")"; done; }
le32() { bytes $(( $1 & 255 )) $(( ($1 >> 8) & 255 )) $(( ($1 >> 16) & 255 )) $(( ($1 >> 24) & 255 )); }
{
    printf 'RIFF'; le32 126; printf 'WAVE'
    printf 'fmt '; le32 16; bytes 1 0 1 0; le32 44100; le32 88200; bytes 2 0 16 0
    printf 'inst'; le32 7; bytes 60 0 0 0 127 1 127 0
    printf 'cue '; le32 4; le32 0
    printf 'smpl'; le32 60; le32 0; le32 0; le32 22675; le32 60; le32 0; le32 0; le32 0; le32 1; le32 0
    le32 0; le32 0; le32 2; le32 6; le32 0; le32 0
    printf 'data'; le32 8; bytes 0 0 255 127 0 128 1 0
} > "$work/seeds/wave/chunks.wav"
{
    le32 2; le32 44100; le32 2; le32 0; le32 3; le32 0
    bytes 1 0 255 255 2 0 254 255 3 0 253 255
} > "$work/seeds/embedded/int16_stereo.bin"
{
    le32 4; le32 48000; le32 1; le32 0; le32 2; le32 0
    bytes 0 0 128 63 0 0 128 191
} > "$work/seeds/embedded/float_mono.bin"
printf '..\\Shared\\A3.wav\nC:\\Lib\\Organ\\organ.zse' > "$work/seeds/path/parent.txt"
printf 'Samples/A3.wav\n/home/x/lib/organ.zse' > "$work/seeds/path/posix.txt"

touch "$work/stamp"
rm -rf "$out"
mv "$work" "$out"

#pragma once
// Process-wide lookup tables: pitch ratio per cent over +-24 semitones and gain
// per hundredth of a dB over -60..0 dB. Built once per process.

constexpr int pitchRatioTableSize = 4801;
constexpr int gainTableSize = 6001;

const float* pitchRatioTable();
const float* gainTable();

// Ratio of s semitones: the table (whole cents, truncated toward zero) within
// +-24 semitones, 2^(s/12) outside.
float pitchRatioForSemitones(float semitones);

// Gain of d dB, 10^(d/20), in the three forms renders depend on (each caller
// keeps the one it was made with, so no output sample changes):
// - gainForDecibels: the table at 6000 - truncate(-100 d) within -60..0 dB,
//   decibelsToGainSingle outside; the velocity gain.
// - decibelsToGainSingle: single precision throughout; the instrument volume.
// - decibelsToGain: computed in double precision and rounded once; zone and
//   group volume, sustain level, expression.
float gainForDecibels(float decibels);
float decibelsToGainSingle(float decibels);
float decibelsToGain(double decibels);

// Pan law: p <= 0 keeps left at 1, p > 0 keeps right at 1.
void panGains(float pan, float& left, float& right);

#pragma once
// Velocity curves: how strongly a key's velocity (0..127) plays. Each curve is
// a table of 128 values from 0 to 1; the instrument's velocity floor and top
// turn a curve value into a gain in dB.

constexpr int velocityCurveNormal = 0;
constexpr int velocityCurveWeak = 1;
constexpr int velocityCurveStrong = 2;
constexpr int velocityCurveSize = 128;

// The 128-entry table of a curve; any curve other than Normal and Strong reads
// as Weak.
const float* velocityCurveTable(int curve);

// Gain of velocity v (clamped to 0..127): d = curve(v) x |floor + top| + floor
// dB, as a linear factor.
float velocityGain(int curve, int velocity, int floorDb, int topDb);

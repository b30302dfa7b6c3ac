#pragma once
// Where a stored integer of the settings blocks meets arithmetic. A damaged
// file may hold any int32 (or float) in any field, and the record keeps the
// value the file holds; each use below takes its working value through one of
// these, so an extreme value gives a defined result instead of an overflow.
// For every value that never overflowed they give exactly what the plain
// arithmetic gave, so no render changes.
//
// The other stored fields need no help at their use: choices and flags are
// only compared, key, velocity and activation ranges are compared or clamped
// to the 128 x 128 map, the output pair is tested against 0..15, the LFO rate
// and filter cutoff are held to their ranges where they are applied, float
// fields stay float (a value that is not a number counts as neutral where the
// zone derives its values), and counts and lengths are bounded by the bytes
// the file holds.

#include <cstdint>

// Semitones from a zone's root key up to note n, for key tracking: exact for
// every root key (the difference of two int32 values is taken in 64 bits).
float keyTrackingSemitones(int note, int32_t rootKey) noexcept;

// The channel tag of a voice that a channel-activated group starts: its
// activation channel + 1, held to the 0..255 a voice keeps.
int channelTagOfActivationChannel(int32_t activationChannel) noexcept;

// The velocity of a release-triggered note `elapsedMs` after its note-on,
// falling linearly from `velocity` to 0 over `decayMs` (> 0); 0 once the decay
// has passed or when the time is not a number, and never outside int.
int releaseTriggerVelocity(int velocity, double elapsedMs, float decayMs) noexcept;

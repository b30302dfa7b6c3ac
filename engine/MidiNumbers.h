#pragma once
// The MIDI status nibbles and controller numbers the engine acts on.

namespace MidiStatus
{
constexpr int noteOff = 0x80;
constexpr int noteOn = 0x90;
constexpr int keyPressure = 0xA0;
constexpr int controller = 0xB0;
constexpr int programChange = 0xC0;
constexpr int pitchBend = 0xE0;
} // namespace MidiStatus

namespace MidiController
{
constexpr int modulation = 1;
constexpr int dataEntry = 6;      // sets the bend range
constexpr int volume = 7;
constexpr int balance = 8;
constexpr int pan = 10;
constexpr int expression = 11;
constexpr int balanceFine = 40;
constexpr int expressionFine = 43;
constexpr int sustainPedal = 64;
constexpr int releaseTime = 72;   // every group's release scale
constexpr int attackTime = 73;    // every group's attack scale
constexpr int cutoff = 74;        // the master filter's cutoff
constexpr int decayTime = 75;     // every group's decay scale
constexpr int sustainLevel = 76;  // every group's sustain scale
constexpr int unassigned89 = 89;
constexpr int reverbSend = 91;
constexpr int allSoundOff = 120;
constexpr int resetAll = 121;
constexpr int allNotesOff = 123;
} // namespace MidiController

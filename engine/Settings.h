#pragma once
// The three settings blocks that lead the instrument, group and zone records.
// They are stored byte for byte in instrument files and in the plugin state, so
// every field sits at a fixed offset; bytes not named are reserved and kept.

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "settings blocks are stored little-endian and used in place");

struct InstrumentSettings
{
    int32_t streamBufferFrames;       // applied: frames per stream buffer half and per preload
    int32_t streamBufferFramesStored;
    int32_t sixteenBit;               // applied: sample memory as 16-bit integers
    int32_t sixteenBitStored;
    int32_t diskStreaming;            // applied: zones stream from disk
    int32_t diskStreamingStored;
    int32_t voiceCount;               // applied: voices in the pool
    int32_t voiceCountStored;
    int32_t interpolation;            // 0 Low, 1 Mid, 2 High
    int32_t velocityCurve;            // 0 Normal, 1 Weak, 2 Strong
    int32_t voiceMode;                // 0 Poly, 1 Mono, 2 Legato
    float glideTime;                  // ms
    float volume;                     // dB
    float pan;                        // -1 .. +1
    int32_t lfoShape;
    int32_t lfoDestination;           // 0 None, 1 Pitch, 2 Expression, 3 Pan
    int32_t lfoDepthSource;           // 0 None, 1 Mod Wheel, 2 After Touch, 3 Velocity
    float lfoRate;                    // Hz
    float lfoDepth;                   // 0 .. 1
    float reverbSend;                 // 0 .. 1
    int32_t velocityFloor;            // dB
    int32_t velocityTop;              // dB
    int32_t unused88;                 // read and kept
    int32_t filterType;               // 0 None, 1 Low Pass, 2 High Pass (3..9 other shapes)
    float filterCutoff;               // 0 .. 1
    uint32_t playerColour;            // ARGB
    int32_t clipOutput;
    uint8_t reserved[484];
};

struct GroupSettings
{
    int32_t activation;               // 0 Always, 1 Channel, 2 Note, 3 Controller, 4 Program, 5 Manual
    int32_t activationChannel;
    int32_t activationNote;
    int32_t activationController;
    int32_t activationLow;
    int32_t activationHigh;
    int32_t activationProgram;
    int32_t zoneSelection;            // 0 Stack, 1 Round Robin, 2 Random Robin, 3 Total Random
    float attackScale;
    float decayScale;
    float sustainScale;
    float releaseScale;
    int32_t lowKey;
    int32_t highKey;
    int32_t highVelocity;             // note the order: high velocity before low velocity
    int32_t lowVelocity;
    int32_t releaseTrigger;
    float releaseTriggerDecay;        // ms
    float volume;                     // dB; -30 or below silences the group
    int32_t bypass;
    int32_t output;                   // stereo output 0..15
    float pan;
    int32_t active;
    uint8_t reserved[488];
};

struct ZoneSettings
{
    int32_t rootKey;
    int32_t lowKey;
    int32_t highKey;
    int32_t highVelocity;
    int32_t lowVelocity;
    int32_t playMode;                 // 0 play to end, 1 one-shot, 2 forward loop
    uint64_t startFrame;
    uint64_t endFrame;
    uint64_t loopStart;
    uint64_t loopEnd;
    float volume;                     // dB
    float pan;
    float attack;                     // ms
    float decay;                      // ms
    float sustain;                    // dB
    float release;                    // ms
    float tune;                       // cents
    int32_t fixedPitch;
    int32_t ignoreVelocity;
    int32_t exclusiveGroup;
    uint8_t reserved[512];
};

static_assert(sizeof(InstrumentSettings) == 592);
static_assert(offsetof(InstrumentSettings, voiceCountStored) == 28);
static_assert(offsetof(InstrumentSettings, interpolation) == 32);
static_assert(offsetof(InstrumentSettings, glideTime) == 44);
static_assert(offsetof(InstrumentSettings, lfoShape) == 56);
static_assert(offsetof(InstrumentSettings, reverbSend) == 76);
static_assert(offsetof(InstrumentSettings, velocityFloor) == 80);
static_assert(offsetof(InstrumentSettings, unused88) == 88);
static_assert(offsetof(InstrumentSettings, filterType) == 92);
static_assert(offsetof(InstrumentSettings, filterCutoff) == 96);
static_assert(offsetof(InstrumentSettings, playerColour) == 100);
static_assert(offsetof(InstrumentSettings, clipOutput) == 104);
static_assert(offsetof(InstrumentSettings, reserved) == 108);

static_assert(sizeof(GroupSettings) == 580);
static_assert(offsetof(GroupSettings, zoneSelection) == 28);
static_assert(offsetof(GroupSettings, attackScale) == 32);
static_assert(offsetof(GroupSettings, lowKey) == 48);
static_assert(offsetof(GroupSettings, highVelocity) == 56);
static_assert(offsetof(GroupSettings, lowVelocity) == 60);
static_assert(offsetof(GroupSettings, releaseTrigger) == 64);
static_assert(offsetof(GroupSettings, volume) == 72);
static_assert(offsetof(GroupSettings, output) == 80);
static_assert(offsetof(GroupSettings, active) == 88);
static_assert(offsetof(GroupSettings, reserved) == 92);

static_assert(sizeof(ZoneSettings) == 608);
static_assert(offsetof(ZoneSettings, playMode) == 20);
static_assert(offsetof(ZoneSettings, startFrame) == 24);
static_assert(offsetof(ZoneSettings, endFrame) == 32);
static_assert(offsetof(ZoneSettings, loopStart) == 40);
static_assert(offsetof(ZoneSettings, loopEnd) == 48);
static_assert(offsetof(ZoneSettings, volume) == 56);
static_assert(offsetof(ZoneSettings, release) == 76);
static_assert(offsetof(ZoneSettings, tune) == 80);
static_assert(offsetof(ZoneSettings, exclusiveGroup) == 92);
static_assert(offsetof(ZoneSettings, reserved) == 96);

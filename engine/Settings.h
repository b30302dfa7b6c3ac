#pragma once
// The three settings blocks that lead the instrument, group and zone records.
// They are stored byte for byte in instrument files and in the plugin state, so
// every field sits at a fixed offset; bytes not named are reserved and kept.

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "settings blocks are stored little-endian and used in place");

// The choices the blocks store as int32 values; each number is also the item
// index of the control that shows it. The code reads a stored value through
// modeOf and writes one through stored; a value outside a list (a damaged
// file) matches none of its names.
enum class Interpolation : int32_t { low = 0, mid = 1, high = 2 };
enum class VoiceMode : int32_t { poly = 0, mono = 1, legato = 2 };
enum class LfoShape : int32_t { triangle = 0, sine = 1, saw = 2, square = 3, exponent = 4 };
enum class LfoDestination : int32_t { none = 0, pitch = 1, expression = 2, pan = 3 };
enum class LfoDepthSource : int32_t { none = 0, modWheel = 1, afterTouch = 2, velocity = 3 };
// 1 and 2 are the player's choices; 3 to 9 select the other cookbook shapes of
// ZBiquad (filterType - 1); anything else is no filter.
enum class MasterFilter : int32_t { none = 0, lowPass = 1, highPass = 2, lastShape = 9 };
enum class GroupActivation : int32_t { always = 0, channel = 1, note = 2, controller = 3, program = 4, manual = 5 };
enum class ZoneSelection : int32_t { stack = 0, roundRobin = 1, randomRobin = 2, totalRandom = 3 };
enum class PlayMode : int32_t { toEnd = 0, oneShot = 1, forwardLoop = 2 };

template <typename Mode>
constexpr Mode modeOf(int32_t storedValue)
{
    return static_cast<Mode>(storedValue);
}

template <typename Mode>
constexpr int32_t stored(Mode mode)
{
    return static_cast<int32_t>(mode);
}

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
    int32_t interpolation;            // Interpolation
    int32_t velocityCurve;            // 0 Normal, 1 Weak, 2 Strong (VelocityCurves.h)
    int32_t voiceMode;                // VoiceMode
    float glideTime;                  // ms
    float volume;                     // dB
    float pan;                        // -1 .. +1
    int32_t lfoShape;                 // LfoShape
    int32_t lfoDestination;           // LfoDestination
    int32_t lfoDepthSource;           // LfoDepthSource
    float lfoRate;                    // Hz
    float lfoDepth;                   // 0 .. 1
    float reverbSend;                 // 0 .. 1
    int32_t velocityFloor;            // dB
    int32_t velocityTop;              // dB
    int32_t unused88;                 // read and kept
    int32_t filterType;               // MasterFilter
    float filterCutoff;               // 0 .. 1
    uint32_t playerColour;            // ARGB
    int32_t clipOutput;
    uint8_t reserved[484];
};

struct GroupSettings
{
    int32_t activation;               // GroupActivation
    int32_t activationChannel;
    int32_t activationNote;
    int32_t activationController;
    int32_t activationLow;
    int32_t activationHigh;
    int32_t activationProgram;
    int32_t zoneSelection;            // ZoneSelection
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
    int32_t playMode;                 // PlayMode
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

// Every stored field that reaches arithmetic, an index or a loop, set to the
// extremes a damaged file may hold: the instrument loads, plays notes across
// the keyboard for a few blocks, and the next instrument loaded plays as it
// plays in a new player. (The fuzz build runs the same kind of input under
// the sanitizers; here the g++ build checks the outcome.)

#include <cfloat>
#include <climits>
#include <limits>

#include "engine/InstrumentReaderTest.h"

namespace
{
constexpr float infinity = std::numeric_limits<float>::infinity();
constexpr float notANumber = std::numeric_limits<float>::quiet_NaN();
constexpr int blockFrames = 64;
// Long enough for the gain (0.01 a sample) to come back from any level four
// blocks can ramp it to.
constexpr int settlingBlocks = 16;

struct Extreme
{
    const char* name;
    void (*apply)(InstrumentImage& image, GroupImage& group, ZoneImage& zone);
};

InstrumentImage extremeImage(const Extreme& extreme)
{
    InstrumentImage image = plainImage();
    GroupImage group = newGroupImage("G");
    group.settings.active = 1;
    ZoneImage zone = zoneImage("s", distinctSound(300, 2, 0.1f));
    zone.settings.rootKey = 60;
    zone.settings.loopStart = 20;
    zone.settings.loopEnd = 200;
    extreme.apply(image, group, zone);
    group.zones = { zone };
    image.groups.push_back(group);
    return image;
}

void playAcrossTheKeyboard(ZInstrument& instrument)
{
    std::vector<float> left(blockFrames), right(blockFrames);
    float* channels[] = { left.data(), right.data() };
    instrument.postEvent(0x90, 0, 60, 100, 0);
    instrument.postEvent(0x90, 0, 0, 1, 3);
    instrument.postEvent(0x90, 0, 127, 127, 7);
    instrument.postEvent(0xB0, 0, 1, 127, 9);
    instrument.postEvent(0xE0, 0, 127, 127, 11);
    instrument.process(channels, 2, blockFrames);
    instrument.postEvent(0x80, 0, 60, 0, 5);
    instrument.postEvent(0x90, 0, 72, 64, 20);
    instrument.process(channels, 2, blockFrames);
    instrument.postEvent(0x80, 0, 127, 0, 0);
    instrument.process(channels, 2, blockFrames);
    instrument.postEvent(0xB0, 0, 123, 0, 0);
    instrument.process(channels, 2, blockFrames);
}

std::vector<float> renderNote(ZInstrument& instrument)
{
    std::vector<float> left(blockFrames), right(blockFrames), all;
    float* channels[] = { left.data(), right.data() };
    instrument.postEvent(0x90, 0, 64, 90, 0);
    for (int block = 0; block < 3; ++block)
    {
        instrument.process(channels, 2, blockFrames);
        all.insert(all.end(), left.begin(), left.end());
        all.insert(all.end(), right.begin(), right.end());
    }
    return all;
}

class StoredFieldExtremes : public testing::TestWithParam<Extreme>
{
};

// Plays `first` across the keyboard, loads `next`, lets the player's gain and
// bend ramps settle and renders one note of it.
std::vector<float> noteAfter(const std::string& first, const std::string& next)
{
    ZInstrument instrument;
    instrument.setCompleteRefillsBeforeBlock(true);
    EXPECT_TRUE(instrument.loadFromFile(first));
    EXPECT_LE(instrument.voices.size(), static_cast<size_t>(ZInstrument::maxVoices));
    playAcrossTheKeyboard(instrument);
    EXPECT_TRUE(instrument.loadFromFile(next));
    std::vector<float> left(blockFrames), right(blockFrames);
    float* channels[] = { left.data(), right.data() };
    for (int block = 0; block < settlingBlocks; ++block)
        instrument.process(channels, 2, blockFrames);
    return renderNote(instrument);
}

TEST_P(StoredFieldExtremes, LoadsPlaysAndLeavesTheNextInstrumentAsItWas)
{
    const std::string path = writeImage(extremeImage(GetParam()), std::string("extreme-") + GetParam().name + ".zse");
    const Extreme plain { "plain", [](InstrumentImage&, GroupImage&, ZoneImage&) {} };
    const std::string plainPath = writeImage(extremeImage(plain), "extreme-plain.zse");
    EXPECT_EQ(noteAfter(path, plainPath), noteAfter(plainPath, plainPath));
}

#define EXTREME(label, statement) \
    Extreme { label, [](InstrumentImage& image, GroupImage& group, ZoneImage& zone) { \
        (void)image; (void)group; (void)zone; statement; } }

INSTANTIATE_TEST_SUITE_P(
    Zone, StoredFieldExtremes,
    testing::Values(
        EXTREME("rootKeyMin", zone.settings.rootKey = INT_MIN), EXTREME("rootKeyMax", zone.settings.rootKey = INT_MAX),
        EXTREME("rootKeyFinding", zone.settings.rootKey = -2147483585),
        EXTREME("tuneMax", zone.settings.tune = FLT_MAX), EXTREME("tuneLowest", zone.settings.tune = -FLT_MAX),
        EXTREME("tuneInfinite", zone.settings.tune = infinity), EXTREME("tuneNaN", zone.settings.tune = notANumber),
        EXTREME("startFrameMax", zone.settings.startFrame = UINT64_MAX),
        EXTREME("endFrameMax", zone.settings.endFrame = UINT64_MAX),
        EXTREME("loopMax", (zone.settings.playMode = 2, zone.settings.loopStart = UINT64_MAX - 1,
                            zone.settings.loopEnd = UINT64_MAX)),
        EXTREME("loopReversed", (zone.settings.playMode = 2, zone.settings.loopStart = 250, zone.settings.loopEnd = 5)),
        EXTREME("loopEndHigh", (zone.settings.playMode = 2, zone.settings.loopEnd = 1ull << 63)),
        EXTREME("playModeMin", zone.settings.playMode = INT_MIN),
        EXTREME("keyRangeWide", (zone.settings.lowKey = INT_MIN, zone.settings.highKey = INT_MAX)),
        EXTREME("velocityRangeWide", (zone.settings.lowVelocity = INT_MIN, zone.settings.highVelocity = INT_MAX)),
        EXTREME("exclusiveGroupMin", zone.settings.exclusiveGroup = INT_MIN),
        EXTREME("exclusiveGroupMax", zone.settings.exclusiveGroup = INT_MAX),
        EXTREME("volumeMax", zone.settings.volume = FLT_MAX), EXTREME("panNaN", zone.settings.pan = notANumber),
        EXTREME("envelopeMax", (zone.settings.attack = FLT_MAX, zone.settings.decay = FLT_MAX,
                                zone.settings.release = FLT_MAX, zone.settings.sustain = FLT_MAX)),
        EXTREME("envelopeLowest", (zone.settings.attack = -FLT_MAX, zone.settings.decay = -FLT_MAX,
                                   zone.settings.release = -FLT_MAX, zone.settings.sustain = -FLT_MAX)),
        EXTREME("envelopeTiny", (zone.settings.attack = FLT_TRUE_MIN, zone.settings.decay = FLT_TRUE_MIN,
                                 zone.settings.release = FLT_TRUE_MIN, zone.settings.sustain = -1.0f))),
    [](const testing::TestParamInfo<Extreme>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Group, StoredFieldExtremes,
    testing::Values(
        EXTREME("outputMin", group.settings.output = INT_MIN), EXTREME("outputMax", group.settings.output = INT_MAX),
        EXTREME("outputSixteen", group.settings.output = 16), EXTREME("activationMax", group.settings.activation = INT_MAX),
        EXTREME("channelMax", (group.settings.activation = 1, group.settings.activationChannel = INT_MAX)),
        EXTREME("channelMin", (group.settings.activation = 1, group.settings.activationChannel = INT_MIN)),
        EXTREME("noteMax", (group.settings.activation = 2, group.settings.activationNote = INT_MAX)),
        EXTREME("controllerMin", (group.settings.activation = 3, group.settings.activationController = INT_MIN,
                                  group.settings.activationLow = INT_MIN, group.settings.activationHigh = INT_MAX)),
        EXTREME("controllerMax", (group.settings.activation = 3, group.settings.activationController = INT_MAX)),
        EXTREME("programMin", (group.settings.activation = 4, group.settings.activationProgram = INT_MIN)),
        EXTREME("selectionMax", group.settings.zoneSelection = INT_MAX),
        EXTREME("roundRobin", group.settings.zoneSelection = 1),
        EXTREME("randomRobin", group.settings.zoneSelection = 2),
        EXTREME("scalesMax", (group.settings.attackScale = FLT_MAX, group.settings.decayScale = FLT_MAX,
                              group.settings.sustainScale = FLT_MAX, group.settings.releaseScale = FLT_MAX)),
        EXTREME("scalesLowest", (group.settings.attackScale = -FLT_MAX, group.settings.decayScale = -FLT_MAX,
                                 group.settings.sustainScale = -FLT_MAX, group.settings.releaseScale = -FLT_MAX)),
        EXTREME("scalesNaN", (group.settings.attackScale = notANumber, group.settings.sustainScale = notANumber)),
        EXTREME("groupKeysWide", (group.settings.lowKey = INT_MIN, group.settings.highKey = INT_MAX,
                                  group.settings.lowVelocity = INT_MIN, group.settings.highVelocity = INT_MAX)),
        EXTREME("releaseTriggerTiny", (group.settings.releaseTrigger = 1, group.settings.releaseTriggerDecay = FLT_TRUE_MIN)),
        EXTREME("releaseTriggerMax", (group.settings.releaseTrigger = 1, group.settings.releaseTriggerDecay = FLT_MAX)),
        EXTREME("releaseTriggerNaN", (group.settings.releaseTrigger = 1, group.settings.releaseTriggerDecay = notANumber)),
        EXTREME("groupVolumeMax", group.settings.volume = FLT_MAX), EXTREME("groupPanMax", group.settings.pan = FLT_MAX)),
    [](const testing::TestParamInfo<Extreme>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Instrument, StoredFieldExtremes,
    testing::Values(
        EXTREME("voicesMax", image.settings.voiceCountStored = INT_MAX),
        EXTREME("voicesMin", image.settings.voiceCountStored = INT_MIN),
        EXTREME("streamFramesMax", (image.settings.diskStreamingStored = 1, image.settings.streamBufferFramesStored = INT_MAX)),
        EXTREME("streamFramesMin", (image.settings.diskStreamingStored = 1, image.settings.streamBufferFramesStored = INT_MIN)),
        EXTREME("interpolationMax", image.settings.interpolation = INT_MAX),
        EXTREME("velocityCurveMin", image.settings.velocityCurve = INT_MIN),
        EXTREME("velocityRangeMax", (image.settings.velocityFloor = INT_MIN, image.settings.velocityTop = INT_MAX)),
        EXTREME("velocityRangeMin", (image.settings.velocityFloor = INT_MAX, image.settings.velocityTop = INT_MAX)),
        EXTREME("monoGlideMax", (image.settings.voiceMode = 1, image.settings.glideTime = FLT_MAX)),
        EXTREME("legatoGlideTiny", (image.settings.voiceMode = 2, image.settings.glideTime = FLT_TRUE_MIN)),
        EXTREME("voiceModeMax", image.settings.voiceMode = INT_MAX),
        EXTREME("lfoShapeMin", image.settings.lfoShape = INT_MIN),
        EXTREME("lfoPitchMax", (image.settings.lfoDestination = 1, image.settings.lfoRate = FLT_MAX,
                                image.settings.lfoDepth = FLT_MAX)),
        EXTREME("lfoExpressionNaN", (image.settings.lfoDestination = 2, image.settings.lfoRate = notANumber,
                                     image.settings.lfoDepth = notANumber)),
        EXTREME("lfoPanLowest", (image.settings.lfoDestination = 3, image.settings.lfoRate = -FLT_MAX,
                                 image.settings.lfoDepth = -FLT_MAX)),
        EXTREME("lfoSourcesMax", (image.settings.lfoDestination = INT_MAX, image.settings.lfoDepthSource = INT_MAX)),
        EXTREME("filterMin", image.settings.filterType = INT_MIN),
        EXTREME("filterMax", image.settings.filterType = INT_MAX),
        EXTREME("filterCutoffNaN", (image.settings.filterType = 9, image.settings.filterCutoff = notANumber)),
        EXTREME("filterCutoffMax", (image.settings.filterType = 1, image.settings.filterCutoff = FLT_MAX)),
        EXTREME("reverbMax", image.settings.reverbSend = FLT_MAX),
        EXTREME("volumeMax", image.settings.volume = FLT_MAX),
        EXTREME("panMax", image.settings.pan = FLT_MAX)),
    [](const testing::TestParamInfo<Extreme>& info) { return std::string(info.param.name); });
} // namespace

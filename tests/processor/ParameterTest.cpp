// The six host parameters: names, values, texts, the engine fields they set
// and when the engine takes a change.

#include <cmath>

#include "ProcessorFixture.h"

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE("-Wdeprecated-declarations")

namespace
{
using Parameters = ProcessorFixture;

struct Setting
{
    int index;
    float hostValue;
    float field;        // the engine value it stores, computed by hand
    const char* text;
};

// 2v for the scales, v^5 for the cutoff (0.5^5 = 1/32), 1000 v ms for glide.
const Setting table[] = {
    { 0, 0.5f, 1.0f, "1.00" },
    { 1, 0.25f, 0.5f, "0.50" },
    { 2, 1.0f, 2.0f, "2.00" },
    { 3, 0.0f, 0.0f, "0.00" },
    { 4, 0.5f, 0.03125f, "" },
    { 4, 0.0f, 0.0f, "" },
    { 4, 1.0f, 1.0f, "" },
    { 5, 0.25f, 250.0f, "0.250" },
    { 5, 1.0f, 1000.0f, "1.000" },
};

float fieldOf(CZSP& processor, int index)
{
    const ZGroup* group = processor.instrument.currentGroup;
    switch (index)
    {
    case 0: return group->settings.attackScale;
    case 1: return group->settings.decayScale;
    case 2: return group->settings.sustainScale;
    case 3: return group->settings.releaseScale;
    case 4: return processor.instrument.settings.filterCutoff;
    default: return processor.instrument.settings.glideTime;
    }
}
} // namespace

TEST_F(Parameters, SixNamedParameters)
{
    EXPECT_EQ(processor.getNumParameters(), 6);
    const char* names[] = { "Attack", "Decay", "Sustain", "Release", "Filter Cutoff Frequency", "Glide Time" };
    for (int index = 0; index < 6; ++index)
        EXPECT_EQ(processor.getParameterName(index), names[index]);
    EXPECT_EQ(processor.getParameterName(6), "");
    EXPECT_EQ(processor.getParameterName(-1), "");
    EXPECT_EQ(processor.getParameterName(4, 6), "Filter");
    // Distinct identifiers that are valid names (LV2 makes URIs of them).
    const char* identifiers[] = { "attack", "decay", "sustain", "release", "filterCutoff", "glideTime" };
    for (int index = 0; index < 6; ++index)
        EXPECT_EQ(processor.getParameterID(index), identifiers[index]);
}

TEST_F(Parameters, EachValueSetsItsFieldReadsBackAndShowsItsText)
{
    for (const Setting& s : table)
    {
        processor.setParameter(s.index, s.hostValue);
        // Seen at once, before the engine has it.
        EXPECT_EQ(processor.getParameter(s.index), s.hostValue) << s.index << " " << s.hostValue;
        EXPECT_EQ(processor.getParameterText(s.index), s.text) << s.index;

        run();  // the audio thread takes the change at its next block
        EXPECT_EQ(fieldOf(processor, s.index), s.field) << s.index << " " << s.hostValue;
        EXPECT_EQ(processor.getParameter(s.index), s.hostValue) << s.index << " " << s.hostValue;
        EXPECT_EQ(processor.getParameterText(s.index), s.text) << s.index;
    }
}

TEST_F(Parameters, ValuesFollowTheEngineFieldsAsTheAudioThreadLastSawThem)
{
    processor.instrument.currentGroup->settings.attackScale = 0.5f;
    processor.instrument.settings.glideTime = 40.0f;
    processor.instrument.settings.filterCutoff = 0.00032f;  // 0.2^5
    run();
    EXPECT_EQ(processor.getParameter(0), 0.25f);
    EXPECT_EQ(processor.getParameterText(0), "0.50");
    EXPECT_FLOAT_EQ(processor.getParameter(5), 0.04f);
    EXPECT_EQ(processor.getParameterText(5), "0.040");
    EXPECT_NEAR(processor.getParameter(4), 0.2f, 1e-6f);
}

TEST_F(Parameters, IndicesOutsideTheTableHaveNoNameValueOrEffect)
{
    const InstrumentSettings before = processor.instrument.settings;
    for (int index : { 6, -1, 100 })
    {
        processor.setParameter(index, 0.9f);
        run();
        EXPECT_EQ(processor.getParameter(index), 0.0f);
        EXPECT_EQ(processor.getParameterText(index), "");
    }
    EXPECT_EQ(std::memcmp(&before, &processor.instrument.settings, sizeof before), 0);
}

TEST_F(Parameters, WithoutACurrentGroupTheScalesReadZeroAndChangeNothing)
{
    processor.instrument.currentGroup = nullptr;
    run();
    for (int index = 0; index < 4; ++index)
    {
        processor.setParameter(index, 0.9f);
        EXPECT_EQ(processor.getParameter(index), 0.0f);
        EXPECT_EQ(processor.getParameterText(index), "");
    }
    run();
    EXPECT_EQ(processor.instrument.groups.front()->settings.attackScale, 1.0f);
    processor.setParameter(5, 0.5f);
    run();
    EXPECT_EQ(processor.instrument.settings.glideTime, 500.0f);
}

TEST_F(Parameters, ValuesOutsideZeroToOneAreHeldToTheRange)
{
    processor.setParameter(4, -0.5f);
    run();
    EXPECT_EQ(processor.instrument.settings.filterCutoff, 0.0f);
    processor.setParameter(4, std::nanf(""));
    run();
    EXPECT_EQ(processor.instrument.settings.filterCutoff, 0.0f);
    processor.setParameter(0, 3.0f);
    run();
    EXPECT_EQ(processor.instrument.currentGroup->settings.attackScale, 2.0f);
}

TEST_F(Parameters, AScaleChangeReachesTheZonesOfTheCurrentGroupOnly)
{
    ZGroup& current = *processor.instrument.groups.front();
    ZZone& zone = addConstantZone(current, 0.5f, 100.0f);
    ZGroup& other = addGroup(1);
    ZZone& otherZone = addConstantZone(other, 0.5f, 100.0f);
    processor.instrument.currentGroup = &current;
    const float release = zone.releaseCoefficient;

    processor.setParameter(3, 1.0f);  // twice the release time
    EXPECT_EQ(zone.releaseCoefficient, release);  // not before the next block
    run();
    EXPECT_LT(zone.releaseCoefficient, release);
    EXPECT_EQ(otherZone.releaseCoefficient, release);
}

TEST_F(Parameters, TheCutoffRecomputesTheMasterFilter)
{
    processor.instrument.settings.filterType = 1;
    processor.instrument.applySettings();
    const float before = processor.instrument.getFilterLeft().b0;
    processor.setParameter(4, 0.5f);
    run();
    EXPECT_NE(processor.instrument.getFilterLeft().b0, before);
    EXPECT_EQ(processor.instrument.getFilterLeft().b0, processor.instrument.getFilterRight().b0);
}

TEST_F(Parameters, ChangesWaitingWhenALoadStartsAreDropped)
{
    processor.setParameter(5, 0.5f);
    processor.loadInstrument(-1, "/nonexistent/instrument.zse", false, true);
    run();
    EXPECT_EQ(processor.instrument.settings.glideTime, 0.0f);
    EXPECT_EQ(processor.getParameter(5), 0.0f);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE

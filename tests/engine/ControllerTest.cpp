#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <cmath>

#include "support/EngineFixture.h"

TEST(Controllers, VolumePanAndExpression)
{
    EngineFixture f;
    f.controller(7, 0);
    f.controller(10, 0);
    f.render(4);
    EXPECT_FLOAT_EQ(f.instrument.settings.volume, -60.0f);
    EXPECT_FLOAT_EQ(f.instrument.settings.pan, -1.0f);
    EXPECT_NEAR(f.instrument.getGainTarget(), 0.001f, 1e-6);
    EXPECT_FLOAT_EQ(f.instrument.getPanLeft(), 1.0f);
    EXPECT_FLOAT_EQ(f.instrument.getPanRight(), 0.0f);

    f.controller(8, 96);
    f.controller(7, 127);
    f.render(4);
    EXPECT_FLOAT_EQ(f.instrument.settings.pan, 0.5f);
    EXPECT_FLOAT_EQ(f.instrument.settings.volume, 0.0f);
    EXPECT_FLOAT_EQ(f.instrument.getPanLeft(), 0.5f);

    f.controller(11, 0);
    f.render(4);
    EXPECT_NEAR(f.instrument.getGainTarget(), std::pow(10.0, -30.0 / 20.0), 1e-6);
    EXPECT_FLOAT_EQ(f.instrument.settings.volume, 0.0f);  // expression leaves volume alone
}

TEST(Controllers, GainMovesTowardItsTargetByAHundredthPerSample)
{
    EngineFixture f;
    f.addConstantZone(f.defaultGroup(), 0.5f);
    f.noteOn(60);
    f.controller(7, 0);
    const RenderedBlock block = f.render(120);
    EXPECT_NEAR(block.at(0, 0), 0.5f * 0.99f, 1e-6);
    EXPECT_NEAR(block.at(0, 9), 0.5f * 0.90f, 1e-5);
    EXPECT_NEAR(block.at(0, 119), 0.5f * 0.001f, 1e-6);
}

TEST(Controllers, GroupScaleControllersReachEveryGroup)
{
    EngineFixture f;
    ZGroup& inactive = f.addGroup("Inactive");
    ZZone& zone = f.addConstantZone(inactive, 0.5f);
    zone.settings.attack = 100.0f;
    f.controller(73, 127);
    f.controller(72, 0);
    f.controller(75, 127);
    f.controller(76, 127);
    f.render(4);
    for (const auto& group : f.instrument.groups)
    {
        EXPECT_FLOAT_EQ(group->settings.attackScale, 127.0f / 63.5f);
        EXPECT_FLOAT_EQ(group->settings.releaseScale, 0.0f);
        EXPECT_FLOAT_EQ(group->settings.decayScale, 2.0f);
        EXPECT_FLOAT_EQ(group->settings.sustainScale, 2.0f);
    }
    // The zone's derived values followed the new scale: attack 200 ms.
    const float expected = static_cast<float>(1.0 - std::exp(-1.0 / (200.0 * 44100.0 / 1000.0)));
    EXPECT_NEAR(zone.attackCoefficient, expected, 1e-7);
}

TEST(Controllers, FilterCutoffReverbAndBendRange)
{
    EngineFixture f;
    f.controller(74, 64);
    f.controller(91, 127);
    f.controller(6, 12);
    f.render(4);
    EXPECT_FLOAT_EQ(f.instrument.settings.filterCutoff, std::pow(64.0f / 127.0f, 5.0f));
    EXPECT_FLOAT_EQ(f.instrument.settings.reverbSend, 1.0f);
    EXPECT_EQ(f.instrument.getBendRange(), 12);
    f.controller(6, 0);  // zero leaves the range alone
    f.render(4);
    EXPECT_EQ(f.instrument.getBendRange(), 12);
}

TEST(Controllers, ModWheelSetsDepthOnlyWhenItIsTheSource)
{
    EngineFixture f;
    f.controller(1, 127);
    f.render(2);
    EXPECT_FLOAT_EQ(f.instrument.settings.lfoDepth, 1.0f);
    f.instrument.settings.lfoDepthSource = 0;
    f.controller(1, 0);
    f.render(2);
    EXPECT_FLOAT_EQ(f.instrument.settings.lfoDepth, 1.0f);
    EXPECT_EQ(f.instrument.getControllerValue(1), 0);
}

TEST(Controllers, AllSoundOffFadesEveryVoice)
{
    EngineFixture f;
    f.addConstantZone(f.defaultGroup(), 0.5f);
    f.noteOn(60);
    f.noteOn(61);
    f.render(4);
    f.controller(123, 0);
    f.render(100);
    EXPECT_EQ(f.activeVoices(), 0);
}

TEST(Controllers, ResetControllersQueuesZeroesForItsSet)
{
    EngineFixture f;
    f.instrument.resetControllers();
    const std::vector<ZEvent> queued = f.instrument.takePendingEvents();
    ASSERT_EQ(queued.size(), 113u);
    const int kept[] = { 6, 7, 8, 10, 11, 40, 43, 72, 73, 74, 75, 76, 89, 91, 121 };
    for (const ZEvent& e : queued)
    {
        EXPECT_EQ(e.status, 0xB0);
        EXPECT_EQ(e.data2, 0);
        EXPECT_EQ(e.position, -1);
        EXPECT_EQ(std::count(std::begin(kept), std::end(kept), e.data1), 0) << int(e.data1);
    }
}

TEST(Controllers, ResetAllControllersSilencesButKeepsVolumeExpressionPanAndRange)
{
    EngineFixture f;
    f.addConstantZone(f.defaultGroup(), 0.5f);
    f.controller(7, 100);
    f.controller(11, 90);
    f.controller(10, 20);
    f.controller(6, 7);
    f.controller(64, 127);
    f.controller(1, 64);
    f.noteOn(60);
    f.render(4);
    const float volume = f.instrument.settings.volume;
    const float pan = f.instrument.settings.pan;
    const float expression = f.instrument.getGainTarget();

    f.controller(121, 0);
    f.render(4);    // queues the reset for the next block
    f.render(100);  // the reset's controller 120 fades the voices
    EXPECT_EQ(f.activeVoices(), 0);
    EXPECT_FALSE(f.instrument.isSustainPedalDown());
    EXPECT_FLOAT_EQ(f.instrument.settings.lfoDepth, 0.0f);
    EXPECT_FLOAT_EQ(f.instrument.settings.volume, volume);
    EXPECT_FLOAT_EQ(f.instrument.settings.pan, pan);
    EXPECT_FLOAT_EQ(f.instrument.getGainTarget(), expression);
    EXPECT_EQ(f.instrument.getBendRange(), 7);
}

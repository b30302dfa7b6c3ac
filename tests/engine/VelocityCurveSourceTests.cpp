#include <gtest/gtest.h>

#include "engine/VelocityCurves.h"
#include "support/EngineFixture.h"

TEST(VelocityCurveSource, StrongCurveSetsTheLfoDepthFromTheNoteVelocity)
{
    EngineFixture f;
    ZZone& zone = f.addConstantZone(f.defaultGroup(), 0.5f);
    f.instrument.settings.lfoDepthSource = 3;
    f.instrument.settings.velocityCurve = velocityCurveStrong;
    f.noteOn(60, 100);
    f.render(8);
    EXPECT_NEAR(f.instrument.settings.lfoDepth, 0.7874016, 1e-7);  // Strong: 100 / 127
    EXPECT_EQ(f.voicesPlaying(zone), 1);

    // A second note sets the one depth that every sounding voice shares.
    f.noteOn(64, 64);
    f.render(8);
    EXPECT_NEAR(f.instrument.settings.lfoDepth, 0.5039370, 1e-7);
    EXPECT_EQ(f.voicesPlaying(zone), 2);
}

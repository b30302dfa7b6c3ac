#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/ZGroup.h"
#include "engine/ZInstrument.h"
#include "engine/ZZone.h"

namespace
{
// A zone with no sound, its settings zeroed, belonging to `group` (or none).
std::unique_ptr<ZZone> bareZone(ZInstrument* instrument, ZGroup* group)
{
    auto zone = std::make_unique<ZZone>(instrument, nullptr);
    zone->settings = ZoneSettings {};
    zone->group = group;
    return zone;
}

// 1 - e^(-1/n) for a time constant of n samples.
double coefficientOver(double milliseconds, double sampleRate)
{
    return 1.0 - std::exp(-1000.0 / (milliseconds * sampleRate));
}

double fromDecibels(double db) { return std::pow(10.0, db / 20.0); }

struct ZoneDerived : ::testing::Test
{
    ZInstrument instrument;
    ZGroup group { "Group" };
    std::unique_ptr<ZZone> zone = bareZone(&instrument, &group);
};
} // namespace

TEST_F(ZoneDerived, TimesBecomeCoefficientsAtTheInstrumentRate)
{
    zone->settings.attack = 10.0f;
    zone->settings.decay = 250.0f;
    zone->settings.sustain = -6.0f;
    zone->settings.release = 500.0f;
    zone->updateDerived();
    EXPECT_NEAR(zone->attackCoefficient, coefficientOver(10.0, 44100.0), 1e-7);
    EXPECT_NEAR(zone->decayCoefficient, coefficientOver(250.0, 44100.0), 1e-9);
    EXPECT_NEAR(zone->releaseCoefficient, coefficientOver(500.0, 44100.0), 1e-9);
    EXPECT_NEAR(zone->sustainLevel, 0.501187, 1e-6);

    instrument.setSampleRate(96000.0f);
    group.settings.attackScale = 2.0f;
    group.settings.decayScale = 0.5f;
    group.settings.releaseScale = 3.0f;
    zone->updateDerived();
    EXPECT_NEAR(zone->attackCoefficient, coefficientOver(20.0, 96000.0), 1e-7);
    EXPECT_NEAR(zone->decayCoefficient, coefficientOver(125.0, 96000.0), 1e-9);
    EXPECT_NEAR(zone->releaseCoefficient, coefficientOver(1500.0, 96000.0), 1e-9);
}

TEST_F(ZoneDerived, ZeroTimesGetTheirMinimums)
{
    // Attack 0 is immediate; decay 0 at full sustain never moves.
    zone->updateDerived();
    EXPECT_EQ(zone->attackCoefficient, 1.0f);
    EXPECT_EQ(zone->decayCoefficient, 0.0f);
    EXPECT_EQ(zone->sustainLevel, 1.0f);

    // A sustain below full level always gets a 1 ms decay; a play-to-end
    // release of 0 becomes 1 ms, a one-shot's stays 0.
    zone->settings.sustain = -6.0f;
    zone->settings.playMode = 0;
    zone->updateDerived();
    EXPECT_NEAR(zone->decayCoefficient, coefficientOver(1.0, 44100.0), 1e-7);
    EXPECT_NEAR(zone->releaseCoefficient, coefficientOver(1.0, 44100.0), 1e-7);

    zone->settings.playMode = 2;
    zone->updateDerived();
    EXPECT_NEAR(zone->releaseCoefficient, coefficientOver(1.0, 44100.0), 1e-7);

    zone->settings.playMode = 1;
    zone->updateDerived();
    EXPECT_EQ(zone->releaseCoefficient, 0.0f);

    // A release scale of 0 counts like a release of 0.
    zone->settings.playMode = 0;
    zone->settings.release = 300.0f;
    group.settings.releaseScale = 0.0f;
    zone->updateDerived();
    EXPECT_NEAR(zone->releaseCoefficient, coefficientOver(1.0, 44100.0), 1e-7);
}

TEST_F(ZoneDerived, NegativeAndNonFiniteTimesStayBounded)
{
    zone->settings.attack = -5.0f;
    zone->settings.decay = -5.0f;
    zone->settings.sustain = -12.0f;
    zone->settings.release = NAN;
    zone->updateDerived();
    EXPECT_EQ(zone->attackCoefficient, 1.0f);
    EXPECT_NEAR(zone->decayCoefficient, coefficientOver(1.0, 44100.0), 1e-7);
    EXPECT_NEAR(zone->releaseCoefficient, coefficientOver(1.0, 44100.0), 1e-7);
    EXPECT_GE(zone->sustainLevel, 0.0f);
}

TEST_F(ZoneDerived, SustainScaleAddsThirtyDecibelsPerUnit)
{
    group.settings.sustainScale = 2.0f;
    zone->settings.sustain = -12.0f;
    zone->updateDerived();
    EXPECT_EQ(zone->sustainLevel, 1.0f); // -12 + 30, limited to 0 dB
    EXPECT_EQ(zone->decayCoefficient, 0.0f);

    group.settings.sustainScale = 0.5f;
    zone->settings.sustain = 0.0f;
    zone->updateDerived();
    EXPECT_NEAR(zone->sustainLevel, fromDecibels(-15.0), 1e-6);
}

TEST_F(ZoneDerived, GroupVolumeAtMinusThirtySilences)
{
    zone->settings.volume = 6.0f;
    group.settings.volume = -30.0f;
    zone->updateDerived();
    EXPECT_EQ(zone->gain, 0.0f);

    group.settings.volume = -29.9f;
    zone->updateDerived();
    EXPECT_NEAR(zone->gain, fromDecibels(-23.9), 1e-6);

    group.settings.volume = -45.0f;
    zone->updateDerived();
    EXPECT_EQ(zone->gain, 0.0f);
}

TEST_F(ZoneDerived, PanIsClampedThenSplitByThePanLaw)
{
    group.settings.pan = 0.8f;
    zone->settings.pan = 0.5f;
    zone->updateDerived();
    EXPECT_FLOAT_EQ(zone->gainLeft, 0.0f);
    EXPECT_FLOAT_EQ(zone->gainRight, 1.0f);

    group.settings.pan = -0.8f;
    zone->settings.pan = -0.5f;
    zone->updateDerived();
    EXPECT_FLOAT_EQ(zone->gainLeft, 1.0f);
    EXPECT_FLOAT_EQ(zone->gainRight, 0.0f);

    group.settings.pan = -0.5f;
    zone->settings.pan = 0.25f;
    zone->updateDerived();
    EXPECT_FLOAT_EQ(zone->gainLeft, 1.0f);
    EXPECT_FLOAT_EQ(zone->gainRight, 0.75f);

    group.settings.pan = 0.0f;
    zone->settings.pan = 0.0f;
    zone->updateDerived();
    EXPECT_FLOAT_EQ(zone->gainLeft, 1.0f);
    EXPECT_FLOAT_EQ(zone->gainRight, 1.0f);
}

TEST(ZoneDerivedAlone, WithoutGroupOrInstrumentEveryGroupFactorIsNeutral)
{
    auto zone = bareZone(nullptr, nullptr);
    zone->settings.volume = -40.0f; // no group, so no -30 dB cut-off
    zone->settings.pan = -0.25f;
    zone->settings.attack = 5.0f;
    zone->settings.sustain = -20.0f;
    zone->updateDerived();
    EXPECT_NEAR(zone->gain, 0.01, 1e-7);
    EXPECT_FLOAT_EQ(zone->gainLeft, 1.0f);
    EXPECT_FLOAT_EQ(zone->gainRight, 0.75f);
    EXPECT_NEAR(zone->attackCoefficient, coefficientOver(5.0, 44100.0), 1e-7);
    EXPECT_NEAR(zone->sustainLevel, 0.1, 1e-7);
}

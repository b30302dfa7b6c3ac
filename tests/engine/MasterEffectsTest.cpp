// The master filter, the reverb and the clip as the block loop runs them on
// output pair 0, checked against reference sections fed the same samples.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "engine/ZBiquad.h"
#include "engine/ZReverb.h"
#include "support/EngineFixture.h"

namespace
{
constexpr float rate = 44100.0f;

// The left side of the highest frequency there is: +0.5, -0.5, ... The right
// side runs in opposite phase, so each channel needs its own filter state.
float nyquistLeft(int64_t frame) { return frame % 2 == 0 ? 0.5f : -0.5f; }

// A zone over every key that plays a stereo Nyquist sound at full level from
// the first sample.
void addNyquistZone(EngineFixture& f, ZGroup& group)
{
    std::vector<float> frames;
    for (int64_t k = 0; k < 44100; ++k)
    {
        frames.push_back(nyquistLeft(k));
        frames.push_back(-nyquistLeft(k));
    }
    f.addZone(group, std::make_unique<MemorySound>(std::move(frames), 2));
}

// A reverb set as the instrument sets its own (held on the heap: its delay
// lines are large).
std::unique_ptr<ZReverb> makeInstrumentReverb()
{
    auto reverb = std::make_unique<ZReverb>();
    reverb->setParameters(0.868f, 0.4f, 1.5f, 0.7f, 0.0f);
    return reverb;
}

// Pair 0 against the Nyquist sound through the reference filters, which are
// never reset; pair 1 (a group on output 1) must carry the sound untouched.
struct FilterCheck
{
    ZBiquad left, right;
    int64_t frame = 0;

    void setShape(int shape, float cutoff)
    {
        ASSERT_TRUE(computeBiquad(left, shape, cutoff, rate, 1.0f, 0.0f));
        ASSERT_TRUE(computeBiquad(right, shape, cutoff, rate, 1.0f, 0.0f));
    }

    // Largest distance of pair 0 from the reference; counts any change to pair 1.
    double run(const RenderedBlock& block, int& pairOneChanges, bool filtered = true)
    {
        double worst = 0.0;
        for (int n = 0; n < static_cast<int>(block.channels[0].size()); ++n, ++frame)
        {
            const float inLeft = nyquistLeft(frame);
            const float expectedLeft = filtered ? left.process(inLeft) : inLeft;
            const float expectedRight = filtered ? right.process(-inLeft) : -inLeft;
            worst = std::max({ worst, std::fabs(double(block.at(0, n)) - expectedLeft),
                               std::fabs(double(block.at(1, n)) - expectedRight) });
            pairOneChanges += (block.at(2, n) != inLeft) + (block.at(3, n) != -inLeft);
        }
        return worst;
    }
};

// Renders on four channels; `worst` is the largest distance of pair 0 from its
// dry signal (pair 1 plays the same voices without effects) plus `send` times
// the reference reverb's answer to it. The reference runs only when send > 0.
RenderedBlock renderAgainstReverb(EngineFixture& f, ZReverb& reference, int samples, float send, double& worst)
{
    RenderedBlock block = f.render(samples, 4);
    worst = 0.0;
    for (int n = 0; n < samples; ++n)
    {
        const float dryLeft = block.at(2, n), dryRight = block.at(3, n);
        float expectedLeft = dryLeft, expectedRight = dryRight;
        if (send > 0.0f)
        {
            float wetLeft = 0.0f, wetRight = 0.0f;
            reference.process(dryLeft, dryRight, wetLeft, wetRight);
            expectedLeft += wetLeft * send;
            expectedRight += wetRight * send;
        }
        worst = std::max({ worst, std::fabs(double(block.at(0, n)) - expectedLeft),
                           std::fabs(double(block.at(1, n)) - expectedRight) });
    }
    return block;
}
} // namespace

TEST(MasterFilter, FiltersPairZeroOnlyAndKeepsItsStateThroughEveryChange)
{
    EngineFixture f;
    f.instrument.settings.clipOutput = 0; // switching shapes mid-stream overshoots
    ZGroup& second = f.addGroup("Second");
    second.settings.output = 1;
    addNyquistZone(f, f.defaultGroup());
    addNyquistZone(f, second);
    f.instrument.settings.filterType = 1;
    f.instrument.settings.filterCutoff = 0.0f; // 20 Hz
    f.instrument.applySettings();
    f.noteOn(60);

    FilterCheck check;
    int pairOneChanges = 0;
    check.setShape(biquadLowPass, 20.0f);
    RenderedBlock block = f.render(2000, 4);
    EXPECT_LT(check.run(block, pairOneChanges), 1e-6);
    for (int n = 1000; n < 2000; ++n)
        ASSERT_LT(std::fabs(block.at(0, n)), 1e-3f) << n; // a 0.5 Nyquist tone all but gone

    // New coefficients, same state: the reference is not reset either.
    f.instrument.settings.filterCutoff = 0.25f; // 5015 Hz
    f.instrument.applySettings();
    check.setShape(biquadLowPass, 5015.0f);
    EXPECT_LT(check.run(f.render(300, 4), pairOneChanges), 1e-6);

    f.instrument.settings.filterType = 2;
    f.instrument.applySettings();
    check.setShape(biquadHighPass, 5015.0f);
    EXPECT_LT(check.run(f.render(300, 4), pairOneChanges), 1e-6);

    f.controller(74, 64);
    const float cutoff = std::floor(static_cast<float>(std::pow(64.0 / 127.0, 5.0) * 19980.0 + 20.0)); // 669 Hz
    check.setShape(biquadHighPass, cutoff);
    EXPECT_LT(check.run(f.render(300, 4), pairOneChanges), 1e-6);
    EXPECT_EQ(f.instrument.getFilterLeft().b0, check.left.b0);
    EXPECT_EQ(f.instrument.getFilterLeft().a1, check.left.a1);
    EXPECT_EQ(f.instrument.getFilterRight().a2, check.right.a2);

    for (int type : { 0, 10, 1000, -1 })
    {
        f.instrument.settings.filterType = type;
        f.instrument.applySettings();
        EXPECT_EQ(check.run(f.render(64, 4), pairOneChanges, false), 0.0) << "filterType " << type;
    }
    EXPECT_EQ(pairOneChanges, 0);
}

TEST(MasterReverb, AddsItsTailToPairZeroOnlyAndResumesWhereItStopped)
{
    EngineFixture f;
    f.instrument.settings.clipOutput = 0;
    ZGroup& dry = f.addGroup("Dry");
    dry.settings.output = 1;
    f.addConstantZone(f.defaultGroup(), 0.5f, 0, 127, 0, 127, 2000);
    f.addConstantZone(dry, 0.5f, 0, 127, 0, 127, 2000);
    f.noteOn(60);
    const auto reverb = makeInstrumentReverb();
    ZReverb& reference = *reverb;

    // Send 0: exactly the dry signal, and the reverb does not run.
    double worst = 1.0;
    renderAgainstReverb(f, reference, 100, 0.0f, worst);
    EXPECT_EQ(worst, 0.0);
    f.instrument.settings.reverbSend = 0.5f;
    f.instrument.applySettings();
    RenderedBlock block = renderAgainstReverb(f, reference, 4000, 0.5f, worst);
    EXPECT_LT(worst, 1e-6);
    EXPECT_EQ(block.at(2, 3999), 0.0f); // the note has ended; its tail goes on
    EXPECT_GT(std::fabs(block.at(0, 3999)), 1e-3f);

    f.instrument.settings.reverbSend = 0.0f;
    f.instrument.applySettings();
    block = renderAgainstReverb(f, reference, 1500, 0.0f, worst);
    EXPECT_EQ(worst, 0.0);
    EXPECT_EQ(block.peak(0), 0.0f);
    f.instrument.settings.reverbSend = -0.25f; // below 0 counts as off too
    f.instrument.applySettings();
    renderAgainstReverb(f, reference, 1500, 0.0f, worst);
    EXPECT_EQ(worst, 0.0);

    f.controller(91, 64);
    renderAgainstReverb(f, reference, 4000, 64.0f / 127.0f, worst);
    EXPECT_LT(worst, 1e-6);
    EXPECT_FLOAT_EQ(f.instrument.settings.reverbSend, 64.0f / 127.0f);
}

TEST(MasterEffects, ClipComesAfterTheFilterAndTheReverb)
{
    {
        EngineFixture f;
        f.instrument.settings.sixteenBit = 0; // float memory keeps a level of 2
        f.addConstantZone(f.defaultGroup(), 2.0f);
        f.instrument.settings.filterType = 2;
        f.instrument.settings.filterCutoff = 0.25f;
        f.instrument.applySettings();
        f.noteOn(60);
        ZBiquad reference;
        ASSERT_TRUE(computeBiquad(reference, biquadHighPass, 5015.0f, rate, 1.0f, 0.0f));
        const RenderedBlock block = f.render(256);
        double worst = 0.0;
        int clipped = 0;
        for (int n = 0; n < 256; ++n)
        {
            const float filtered = reference.process(2.0f);
            clipped += std::fabs(filtered) > 1.0f;
            worst = std::max(worst, std::fabs(double(block.at(0, n)) - std::clamp(filtered, -1.0f, 1.0f)));
        }
        EXPECT_GT(clipped, 0);
        EXPECT_LT(worst, 1e-6);
    }
    {
        EngineFixture f;
        f.instrument.settings.sixteenBit = 0;
        f.addConstantZone(f.defaultGroup(), 0.9f);
        f.instrument.settings.reverbSend = 1.0f;
        f.instrument.applySettings();
        f.noteOn(60);
        const auto reverb = makeInstrumentReverb();
        ZReverb& reference = *reverb;
        const RenderedBlock block = f.render(20000);
        double worst = 0.0;
        int clipped = 0;
        for (int n = 0; n < 20000; ++n)
        {
            float wetLeft, wetRight;
            reference.process(0.9f, 0.9f, wetLeft, wetRight);
            const float left = 0.9f + wetLeft, right = 0.9f + wetRight;
            clipped += left > 1.0f;
            worst = std::max({ worst, std::fabs(double(block.at(0, n)) - std::clamp(left, -1.0f, 1.0f)),
                               std::fabs(double(block.at(1, n)) - std::clamp(right, -1.0f, 1.0f)) });
        }
        EXPECT_GT(clipped, 0);
        EXPECT_LT(worst, 1e-6);
    }
}

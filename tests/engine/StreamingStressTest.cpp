// Many streaming voices starting, stealing, gliding and being killed while the
// streaming thread refills them; meant to be run under ThreadSanitizer too.

#include <gtest/gtest.h>

#include <cmath>

#include "VoiceTestRig.h"
#include "engine/ZDSVoice.h"

using namespace voicetest;

namespace
{
void addZone(ZInstrument& instrument, std::unique_ptr<MemorySound> sound, int lowKey, int highKey,
             uint64_t loopStart, uint64_t loopEnd)
{
    auto zone = makeZone(instrument, std::move(sound), [&](ZoneSettings& s) {
        s.lowKey = lowKey;
        s.highKey = highKey;
        s.release = 20.0f;
        if (loopEnd > loopStart)
        {
            s.playMode = 2;
            s.loopStart = loopStart;
            s.loopEnd = loopEnd;
        }
    });
    instrument.groups.front()->addZone(zone.release());
}

void stress(bool sixteenBit, bool completeRefillsBeforeBlock)
{
    ZInstrument instrument;
    ZManualClock clock;
    ZRandom random(7);
    instrument.setClock(&clock);
    instrument.setRandom(&random);
    configure(instrument, true, sixteenBit, 64, 8);
    addZone(instrument, noise(30000, 1, 44100), 0, 40, 0, 0);
    addZone(instrument, noise(3000, 2, 48000, 777), 41, 80, 1000, 1777);
    addZone(instrument, noise(100, 2, 22050, 32), 81, 127, 8, 40);
    instrument.setCompleteRefillsBeforeBlock(completeRefillsBeforeBlock);
    // Unclipped, the output can show what a voice reading torn or foreign
    // memory would add: no more than 8 voices of noise within +-0.5 at full
    // gain can sound, through a kernel whose weights add up to 1.0000075 at
    // most.
    instrument.settings.clipOutput = 0;
    const float bound = 8 * 0.5f * 1.00001f;

    std::vector<float> left(64), right(64);
    float* channels[2] = { left.data(), right.data() };
    ZRandom events(99);
    double energy = 0.0;
    int heldNotes = 0;
    for (int block = 0; block < 1500; ++block)
    {
        const int notes = events.next() % 4;
        for (int k = 0; k < notes; ++k)
            instrument.postEvent(0x90, 0, events.next() % 128, 1 + events.next() % 127, events.next() % 64);
        if (events.next() % 3 == 0)
            instrument.postEvent(0x80, 0, events.next() % 128, 0, events.next() % 64);
        if (block % 250 == 0)
            instrument.postEvent(0xB0, 0, 120, 0, 0);  // all sound off
        if (block % 500 == 100)
            instrument.settings.voiceMode = (instrument.settings.voiceMode + 1) % 3;
        instrument.settings.glideTime = block % 2 == 0 ? 30.0f : 0.0f;

        instrument.process(channels, 2, 64);
        clock.advance(1.45);
        for (int i = 0; i < 64; ++i)
        {
            ASSERT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i]));
            ASSERT_LE(std::fabs(left[i]), bound);
            ASSERT_LE(std::fabs(right[i]), bound);
            energy += double(left[i]) * left[i] + double(right[i]) * right[i];
        }
        for (const auto& voice : instrument.voices)
            heldNotes += voice->isPending() ? 1 : 0;
    }
    EXPECT_GT(energy, 1000.0);
    EXPECT_GT(heldNotes, 50);  // the pool was full often enough to steal
}
} // namespace

TEST(StreamingStress, VoicesStartAndStealWhileTheThreadRefills)
{
    stress(true, false);
    stress(false, false);
}

TEST(StreamingStress, OfflineCompletionRunsBesideTheThread)
{
    stress(true, true);
}

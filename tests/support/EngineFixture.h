#pragma once
// An instrument set up for deterministic engine tests: plain (non-streaming)
// voices, a manual clock and a seeded generator, plus helpers to add zones
// holding constant or ramp sounds and to render blocks.

#include <memory>
#include <string>
#include <vector>

#include "engine/ZInstrument.h"
#include "support/MemorySound.h"

struct RenderedBlock
{
    std::vector<std::vector<float>> channels;

    float at(int channel, int sample) const { return channels[static_cast<size_t>(channel)][static_cast<size_t>(sample)]; }
    // First sample index at which the channel is not silent, or -1.
    int firstSound(int channel) const;
    float peak(int channel) const;
};

class EngineFixture
{
public:
    explicit EngineFixture(int voiceCount = 32);

    ZGroup& defaultGroup() { return *instrument.groups.front(); }
    ZGroup& addGroup(const std::string& name);

    // A zone over [lowKey, highKey] x [lowVelocity, highVelocity] whose mono
    // sound holds `value` in every one of `frames` frames; attack 0, release 0,
    // velocity ignored, so a started voice plays `value` at once.
    ZZone& addConstantZone(ZGroup& group, float value, int lowKey = 0, int highKey = 127, int lowVelocity = 0,
                           int highVelocity = 127, int64_t frames = 441000);
    // The same around any sound.
    ZZone& addZone(ZGroup& group, std::unique_ptr<ZSoundFile> sound, int lowKey = 0, int highKey = 127,
                   int lowVelocity = 0, int highVelocity = 127);

    RenderedBlock render(int numSamples, int numChannels = 2);

    void noteOn(int note, int velocity = 100, int channel = 0, int position = 0)
    {
        instrument.postEvent(0x90, channel, note, velocity, position);
    }
    void noteOff(int note, int channel = 0, int position = 0) { instrument.postEvent(0x80, channel, note, 0, position); }
    void controller(int number, int value, int position = 0)
    {
        instrument.postEvent(0xB0, 0, number, value, position);
    }

    int activeVoices() const;
    // The voices currently playing `zone` (not released).
    int voicesPlaying(const ZZone& zone) const;

    ZManualClock clock;
    ZRandom random { 12345 };
    ZInstrument instrument;
};

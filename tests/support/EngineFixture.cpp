#include "support/EngineFixture.h"

#include <algorithm>
#include <cmath>

int RenderedBlock::firstSound(int channel) const
{
    const auto& c = channels[static_cast<size_t>(channel)];
    for (size_t i = 0; i < c.size(); ++i)
        if (c[i] != 0.0f)
            return static_cast<int>(i);
    return -1;
}

float RenderedBlock::peak(int channel) const
{
    float p = 0.0f;
    for (float v : channels[static_cast<size_t>(channel)])
        p = std::max(p, std::fabs(v));
    return p;
}

EngineFixture::EngineFixture(int voiceCount)
{
    instrument.setClock(&clock);
    instrument.setRandom(&random);
    instrument.settings.diskStreaming = 0;
    instrument.settings.voiceCount = voiceCount;
    instrument.createVoices();
}

ZGroup& EngineFixture::addGroup(const std::string& name)
{
    return *instrument.addGroup(name);
}

ZZone& EngineFixture::addConstantZone(ZGroup& group, float value, int lowKey, int highKey, int lowVelocity,
                                      int highVelocity, int64_t frames)
{
    auto sound = std::make_unique<MemorySound>(std::vector<float>(static_cast<size_t>(frames), value), 1);
    return addZone(group, std::move(sound), lowKey, highKey, lowVelocity, highVelocity);
}

ZZone& EngineFixture::addZone(ZGroup& group, std::unique_ptr<ZSoundFile> sound, int lowKey, int highKey,
                              int lowVelocity, int highVelocity)
{
    auto* zone = new ZZone(&instrument, std::move(sound));
    zone->settings.lowKey = lowKey;
    zone->settings.highKey = highKey;
    zone->settings.lowVelocity = lowVelocity;
    zone->settings.highVelocity = highVelocity;
    zone->settings.rootKey = 60;
    zone->settings.release = 0.0f;
    zone->settings.ignoreVelocity = 1;
    group.addZone(zone);
    return *zone;
}

RenderedBlock EngineFixture::render(int numSamples, int numChannels)
{
    RenderedBlock block;
    block.channels.assign(static_cast<size_t>(numChannels), std::vector<float>(static_cast<size_t>(numSamples), 7.0f));
    std::vector<float*> pointers;
    for (auto& c : block.channels)
        pointers.push_back(c.data());
    instrument.process(pointers.data(), numChannels, numSamples);
    return block;
}

int EngineFixture::activeVoices() const
{
    return static_cast<int>(std::count_if(instrument.voices.begin(), instrument.voices.end(),
                                          [](const auto& v) { return v->isActive(); }));
}

int EngineFixture::voicesPlaying(const ZZone& zone) const
{
    return static_cast<int>(std::count_if(instrument.voices.begin(), instrument.voices.end(), [&](const auto& v) {
        return v->isActive() && !v->isReleasing() && v->getZone() == &zone;
    }));
}

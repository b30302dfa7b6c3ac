#pragma once
// Helpers for the voice and streaming tests: zones around in-memory sounds,
// set up so a started voice is at full level from its first sample and plays
// the sound unscaled (attack 0, sustain 0 dB, no group, velocity ignored).

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/ZInstrument.h"
#include "engine/ZStreamingThread.h"
#include "engine/ZZone.h"
#include "support/MemorySound.h"
#include "support/WholeKeyboard.h"

namespace voicetest
{
// Changes what the streaming thread reads (the pool, diskStreaming) the way a
// load does: with loadingFlag set and no stream service under way.
inline void changeWhileLoading(ZInstrument& instrument, const std::function<void()>& change)
{
    instrument.loadingFlag = true;
    ZStreamingThread::waitForService();
    change();
    instrument.loadingFlag = false;
}

// Puts the instrument in memory or streaming mode; the voice pool is rebuilt.
inline void configure(ZInstrument& instrument, bool streaming, bool sixteenBit, int32_t streamFrames = 44100,
                      int32_t voices = 32)
{
    changeWhileLoading(instrument, [&] {
        instrument.settings.diskStreaming = streaming ? 1 : 0;
        instrument.settings.sixteenBit = sixteenBit ? 1 : 0;
        instrument.settings.streamBufferFrames = streamFrames;
        instrument.settings.voiceCount = voices;
        instrument.createVoices();
    });
}

// `frames` frames of deterministic noise in [-0.5, 0.5), `channels` wide; with
// a period the content repeats every `period` frames, so a loop of that
// length joins seamlessly.
inline std::unique_ptr<MemorySound> noise(int64_t frames, int channels, int32_t sampleRate, int64_t period = 0)
{
    std::vector<float> cycle;
    const int64_t distinct = period > 0 ? period : frames;
    uint32_t state = 0x2545F491u;
    for (int64_t k = 0; k < distinct * channels; ++k)
    {
        state = state * 1664525u + 1013904223u;
        cycle.push_back(static_cast<float>(state >> 8) / 16777216.0f - 0.5f);
    }
    std::vector<float> values(static_cast<size_t>(frames * channels));
    for (size_t k = 0; k < values.size(); ++k)
        values[k] = cycle[k % cycle.size()];
    return std::make_unique<MemorySound>(std::move(values), channels, sampleRate);
}

inline std::unique_ptr<MemorySound> constant(int64_t frames, float value, int32_t sampleRate = 44100)
{
    return std::make_unique<MemorySound>(std::vector<float>(static_cast<size_t>(frames), value), 1, sampleRate);
}

// A zone of `instrument` around `sound` over every key and velocity, root key
// 60, with `adjust` applied to its settings before its preload (when
// streaming) and its derived values.
inline std::unique_ptr<ZZone> makeZone(ZInstrument& instrument, std::unique_ptr<ZSoundFile> sound,
                                       const std::function<void(ZoneSettings&)>& adjust = {})
{
    auto zone = std::make_unique<ZZone>(&instrument, std::move(sound));
    zone->settings.rootKey = 60;
    coverWholeKeyboard(zone->settings);
    zone->settings.ignoreVelocity = 1;
    zone->settings.release = 100.0f;
    if (adjust)
        adjust(zone->settings);
    if (zone->streaming)
        zone->preload();
    zone->updateDerived();
    return zone;
}
} // namespace voicetest

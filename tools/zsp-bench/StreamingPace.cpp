#include "StreamingPace.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "BenchSounds.h"
#include "engine/ZDSVoice.h"
#include "engine/ZInstrument.h"

namespace
{
constexpr int sampleRate = 44100;
constexpr int blockSize = 256;
constexpr int voiceCount = 256;
} // namespace

StreamingFigures runStreamingPace(const std::string& folder, bool sixteenBit, double seconds, double sampleSeconds)
{
    StreamingFigures figures;
    const int64_t frames = static_cast<int64_t>(sampleSeconds * sampleRate);

    ZInstrument instrument;
    instrument.settings.voiceCount = voiceCount;
    instrument.settings.diskStreaming = 1;
    instrument.settings.sixteenBit = sixteenBit ? 1 : 0;
    instrument.settings.interpolation = 2;
    instrument.createVoices();
    ZGroup& group = *instrument.groups.front();
    group.settings.zoneSelection = stored(ZoneSelection::stack);
    instrument.applySettings();

    // Two zones on every key, each its own file: 128 notes start 256 voices.
    for (int k = 0; k < voiceCount; ++k)
    {
        const std::string path = folder + "/stream-" + std::to_string(k) + ".wav";
        if (!writeToneWave(path, frames, 1 + k % 2, 110.0 + k))
            return figures;
        auto* zone = new ZZone(&instrument, path, nullptr, 0);
        zone->settings.lowKey = zone->settings.highKey = k % 128;
        zone->settings.lowVelocity = 0;
        zone->settings.highVelocity = 127;
        zone->settings.rootKey = k % 128;
        zone->settings.playMode = stored(PlayMode::forwardLoop);
        zone->settings.loopStart = 100;
        zone->settings.loopEnd = zone->settings.endFrame;
        zone->preload();
        group.addZone(zone);
    }
    for (int key = 0; key < 128; ++key)
        instrument.postEvent(0x90, 0, key, 100, 0);

    std::vector<float> left(blockSize), right(blockSize);
    float* channels[] = { left.data(), right.data() };
    const int64_t blocks = static_cast<int64_t>(seconds * sampleRate / blockSize);
    const auto period = std::chrono::duration<double>(static_cast<double>(blockSize) / sampleRate);
    const auto start = std::chrono::steady_clock::now();
    double totalMs = 0.0;
    for (int64_t b = 0; b < blocks; ++b)
    {
        const auto due = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(period * static_cast<double>(b));
        std::this_thread::sleep_until(due);
        const auto begin = std::chrono::steady_clock::now();
        instrument.process(channels, 2, blockSize);
        const auto end = std::chrono::steady_clock::now();
        const double ms = std::chrono::duration<double, std::milli>(end - begin).count();
        totalMs += ms;
        figures.busiestBlockMs = std::max(figures.busiestBlockMs, ms);
        if (end > due + std::chrono::duration_cast<std::chrono::steady_clock::duration>(period))
            ++figures.lateBlocks;
    }
    for (const auto& voice : instrument.voices)
    {
        figures.voices += voice->isActive() ? 1 : 0;
        if (const auto* streamed = dynamic_cast<const ZDSVoice*>(voice.get()))
            figures.lateStreamReads += static_cast<int64_t>(streamed->getLateReads());
    }
    figures.blocks = blocks;
    figures.meanBlockMs = blocks > 0 ? totalMs / static_cast<double>(blocks) : 0.0;
    return figures;
}

// Renders a held 32-note cluster through the engine for each configuration and
// prints the real-time factor (seconds of audio per second of CPU) and the
// sample and voice memory. Usage: zsp-bench [seconds of audio, default 20]

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ToolVersion.h"
#include "engine/ZInstrument.h"
#include "files/ZFile.h"
#include "files/LittleEndian.h"

namespace
{
constexpr int sampleRate = 44100;
constexpr int blockSize = 512;

// A 16-bit stereo WAVE of a slightly detuned pair of sines, `seconds` long.
bool writeTone(const std::string& path, int seconds)
{
    const uint32_t frames = static_cast<uint32_t>(seconds * sampleRate);
    std::vector<uint8_t> bytes;
    bytes.insert(bytes.end(), { 'R', 'I', 'F', 'F' });
    appendLittleEndian(bytes, 36 + frames * 4, 4);
    bytes.insert(bytes.end(), { 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ' });
    appendLittleEndian(bytes, 16, 4);
    appendLittleEndian(bytes, 1, 2);
    appendLittleEndian(bytes, 2, 2);
    appendLittleEndian(bytes, sampleRate, 4);
    appendLittleEndian(bytes, sampleRate * 4, 4);
    appendLittleEndian(bytes, 4, 2);
    appendLittleEndian(bytes, 16, 2);
    bytes.insert(bytes.end(), { 'd', 'a', 't', 'a' });
    appendLittleEndian(bytes, frames * 4, 4);
    for (uint32_t k = 0; k < frames; ++k)
    {
        const double t = static_cast<double>(k) / sampleRate;
        appendLittleEndian(bytes, static_cast<uint16_t>(static_cast<int16_t>(12000 * std::sin(2 * M_PI * 220 * t))), 2);
        appendLittleEndian(bytes, static_cast<uint16_t>(static_cast<int16_t>(12000 * std::sin(2 * M_PI * 221 * t))), 2);
    }
    auto file = ZFile::createForWriting(path);
    return file && file->write(bytes.data(), bytes.size()) && file->commit();
}

struct Configuration
{
    const char* name;
    int32_t diskStreaming;
    int32_t sixteenBit;
    int32_t interpolation;
};

void run(const Configuration& c, const std::string& tonePath, double seconds)
{
    ZInstrument instrument;
    ZManualClock clock;
    instrument.setClock(&clock);
    instrument.settings.diskStreaming = c.diskStreaming;
    instrument.settings.sixteenBit = c.sixteenBit;
    instrument.settings.interpolation = c.interpolation;
    instrument.createVoices();
    instrument.setCompleteRefillsBeforeBlock(false);

    auto* zone = new ZZone(&instrument, tonePath, nullptr, 0);
    if (!zone->loaded)
    {
        std::fprintf(stderr, "zsp-bench: cannot read %s\n", tonePath.c_str());
        std::exit(1);
    }
    zone->settings.lowKey = 0;
    zone->settings.highKey = 127;
    zone->settings.lowVelocity = 0;
    zone->settings.highVelocity = 127;
    zone->settings.rootKey = 60;
    zone->settings.playMode = 2;
    zone->settings.loopStart = 1000;
    zone->settings.loopEnd = zone->settings.endFrame;
    if (zone->streaming)
        zone->preload();
    instrument.groups.front()->addZone(zone);

    // Every voice busy at a different pitch, so each reads at its own rate.
    for (int k = 0; k < 32; ++k)
        instrument.postEvent(0x90, 0, 40 + k, 100, 0);

    std::vector<std::vector<float>> buffers(2, std::vector<float>(blockSize));
    float* channels[] = { buffers[0].data(), buffers[1].data() };
    const long blocks = static_cast<long>(seconds * sampleRate / blockSize);
    const auto begin = std::chrono::steady_clock::now();
    for (long b = 0; b < blocks; ++b)
    {
        clock.set(b * blockSize * 1000.0 / sampleRate);
        instrument.process(channels, 2, blockSize);
    }
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();

    int sounding = 0;
    for (const auto& voice : instrument.voices)
        sounding += voice->isActive() ? 1 : 0;
    const double audio = static_cast<double>(blocks) * blockSize / sampleRate;
    const double zoneBytes = static_cast<double>(zone->floatFrames.size() * sizeof(float)
                                                 + zone->int16Frames.size() * sizeof(int16_t));
    const double voiceBytes = c.diskStreaming
        ? 32.0 * 2 * instrument.settings.streamBufferFrames * 2 * (c.sixteenBit ? 2 : 4)
        : 0.0;
    std::printf("%-28s %2d voices  %8.1fx real time  %7.2f us/block  zone %6.2f MiB  stream buffers %6.2f MiB\n",
                c.name, sounding, audio / elapsed, elapsed / static_cast<double>(blocks) * 1e6,
                zoneBytes / 1048576.0, voiceBytes / 1048576.0);
}
} // namespace

const char* const usageText =
    "usage: zsp-bench [SECONDS]\n"
    "       zsp-bench --help | --version\n"
    "\n"
    "Renders SECONDS of audio (default 20) of 32 looping voices through the engine\n"
    "in memory and disk-streaming configurations and prints the real-time factor,\n"
    "the time per block and the sample and stream buffer memory.\n";

int main(int argc, char** argv)
{
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--help" || first == "-h")
    {
        std::fputs(usageText, stdout);
        return 0;
    }
    if (first == "--version")
    {
        std::fputs(toolVersionLine("zsp-bench").c_str(), stdout);
        return 0;
    }
    char* end = nullptr;
    const double seconds = argc > 1 ? std::strtod(argv[1], &end) : 20.0;
    if (argc > 2 || !(seconds > 0.0 && seconds < 1e6) || (argc > 1 && *end != '\0'))
    {
        std::fprintf(stderr, "zsp-bench: expected a number of seconds\n");
        std::fputs(usageText, stderr);
        return 1;
    }
    const std::string tonePath = "/tmp/zsp-bench-tone.wav";
    if (!writeTone(tonePath, 8))
    {
        std::fprintf(stderr, "zsp-bench: cannot write %s\n", tonePath.c_str());
        return 1;
    }
    std::printf("%.0f s of audio at %d Hz in blocks of %d, 32 looping voices:\n", seconds, sampleRate, blockSize);
    const Configuration configurations[] = {
        { "memory, 16-bit, High", 0, 1, 2 },
        { "memory, float, High", 0, 0, 2 },
        { "memory, 16-bit, Low", 0, 1, 0 },
        { "disk streaming, 16-bit, High", 1, 1, 2 },
        { "disk streaming, float, Mid", 1, 0, 1 },
    };
    for (const Configuration& c : configurations)
        run(c, tonePath, seconds);
    std::remove(tonePath.c_str());
    return 0;
}

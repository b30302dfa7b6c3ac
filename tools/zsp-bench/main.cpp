// The engine's benchmarks. Without a mode: a held 32-note cluster through the
// engine for each configuration, with the real-time factor (seconds of audio
// per second of CPU) and the sample and voice memory. The modes print the
// cost per voice-frame against FluidSynth, the disk-streaming pace and the
// loading times.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchSounds.h"
#include "LoadingTime.h"
#include "StreamingPace.h"
#include "ToolVersion.h"
#include "VoiceCost.h"
#include "engine/ZInstrument.h"
#include "files/LittleEndian.h"
#include "files/ZFile.h"

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

int runConfigurations(double seconds)
{
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

// ------------------------------------------------------------------ modes

struct Options
{
    RenderSpan span;
    double streamSeconds = 60.0;
    int mebibytes = 1024;
    std::vector<int> zoneCounts { 32, 128, 500, 2000, 20000 };
    std::vector<int> voiceCounts { 32, 128, 256 };
    std::string interpolation;  // empty: all three
    int channels = 1;
    bool fluid = true;
    bool fromDisk = false;  // drop the page cache before every timed read
    int runs = 1;
};

void compareWithFluidSynth(const Options& options, const std::string& folder)
{
    const std::string soundfont = fluidSoundfont();
    const bool haveFluid = options.fluid && !fluidSynthProgram().empty() && !soundfont.empty();
    if (!options.fluid)
        std::printf("Without FluidSynth (--fluidsynth 0): our figures only.\n");
    else if (!haveFluid)
        std::printf("FluidSynth or the FluidR3_GM soundfont is not installed: our figures only.\n");
    const std::string tonePath = folder + "/held-tone.wav";
    if (!writeToneWave(tonePath, 2 * sampleRate, options.channels, 220.0))
    {
        std::fprintf(stderr, "zsp-bench: cannot write %s\n", tonePath.c_str());
        return;
    }
    std::printf("ns per voice-frame: held notes of one looped %s 16-bit sample, 44.1 kHz, no reverb, no filter;\n"
                "processor time of a %g s render minus a %g s render (FluidSynth: -F fast render, program 19 of\n"
                "FluidR3_GM, reverb and chorus off, per held note). Ratio: FluidSynth's ns / ours.\n",
                options.channels == 2 ? "stereo" : "mono", options.span.longSeconds, options.span.shortSeconds);
    std::printf("%6s  %-5s  %-10s  %10s  %14s  %7s\n", "voices", "ours", "FluidSynth", "ours ns", "FluidSynth ns", "ratio");
    struct Pairing
    {
        const char* ours;
        int interpolation;
        const char* fluid;
        bool linear;
    };
    const Pairing pairings[] = { { "High", 2, "4th order", false }, { "Mid", 1, "4th order", false },
                                 { "Low", 0, "linear", true } };
    for (int run = 0; run < options.runs; ++run)
        for (const int voices : options.voiceCounts)
        {
            double fluid4th = -1.0;
            for (const Pairing& p : pairings)
            {
                if (!options.interpolation.empty() && options.interpolation != p.ours)
                    continue;
                const double ours = oursNanosecondsPerVoiceFrame(tonePath, voices, p.interpolation, options.span);
                double fluid = -1.0;
                if (haveFluid && (p.linear || fluid4th < 0.0))
                    fluid = fluidNanosecondsPerVoiceFrame(folder, soundfont, voices, p.linear, options.span);
                else
                    fluid = fluid4th;
                if (!p.linear)
                    fluid4th = fluid;
                if (fluid > 0.0)
                    std::printf("%6d  %-5s  %-10s  %10.2f  %14.2f  %7.2f\n", voices, p.ours, p.fluid, ours, fluid, fluid / ours);
                else
                    std::printf("%6d  %-5s  %-10s  %10.2f  %14s  %7s\n", voices, p.ours, "-", ours, "-", "-");
                std::fflush(stdout);
            }
        }
}

void printStreaming(const Options& options, const std::string& folder)
{
    const double sampleSeconds = std::min(options.streamSeconds, 10.0);
    std::printf("disk streaming: 256 voices, each its own %.0f s looped sample file, 256-frame blocks at 44.1 kHz\n"
                "at real-time pace for %.0f s:\n", sampleSeconds, options.streamSeconds);
    for (const bool sixteenBit : { true, false })
    {
        const StreamingFigures f = runStreamingPace(folder, sixteenBit, options.streamSeconds, sampleSeconds);
        std::printf("  %-6s  %3d voices sounding  %7lld blocks  %4lld late blocks  %6lld late stream reads  "
                    "mean %.3f ms  busiest %.3f ms (a block lasts %.3f ms)\n",
                    sixteenBit ? "16-bit" : "float", f.voices, static_cast<long long>(f.blocks),
                    static_cast<long long>(f.lateBlocks), static_cast<long long>(f.lateStreamReads), f.meanBlockMs,
                    f.busiestBlockMs, 256.0 * 1000.0 / sampleRate);
        std::fflush(stdout);
    }
}

void printLoading(const Options& options, const std::string& folder)
{
    std::printf("loading zones in one group sharing one short embedded sample (seconds):\n");
    std::printf("%8s  %10s  %10s\n", "zones", "one range", "own ranges");
    for (const int zones : options.zoneCounts)
    {
        const double one = zoneLoadSeconds(folder, zones, ZoneLayout::oneRange);
        const double own = zoneLoadSeconds(folder, zones, ZoneLayout::ownRanges);
        std::printf("%8d  %10.3f  %10.3f\n", zones, one, own);
        std::fflush(stdout);
    }
    const SampleLoadFigures f = sampleLoadSeconds(folder, options.mebibytes, options.fromDisk);
    auto rate = [&f](double seconds) { return seconds > 0.0 ? f.megabytes / seconds : 0.0; };
    if (options.fromDisk && !f.fromDisk)
        std::printf("(the page cache could not be dropped: that needs root; the figures are from the cache)\n");
    std::printf("loading %.0f MB of 16-bit stereo samples in 32 MiB files (%s):\n", f.megabytes,
                f.fromDisk ? "the page cache dropped before every read: from the disk" : "files in the page cache");
    std::printf("  the same memory, zero-filled %7.3f s  %8.0f MB/s\n", f.memorySeconds, rate(f.memorySeconds));
    std::printf("  cat FILES > /dev/null        %7.3f s  %8.0f MB/s\n", f.catSeconds, rate(f.catSeconds));
    std::printf("  beside it, in memory         %7.3f s  %8.0f MB/s\n", f.besideMemory, rate(f.besideMemory));
    std::printf("  beside it, streaming         %7.3f s  (preloads only)\n", f.besideStreaming);
    std::printf("  cat EMBEDDED > /dev/null     %7.3f s  %8.0f MB/s\n", f.catEmbeddedSeconds, rate(f.catEmbeddedSeconds));
    std::printf("  embedded, in memory          %7.3f s  %8.0f MB/s\n", f.embeddedMemory, rate(f.embeddedMemory));
    std::printf("  embedded, streaming          %7.3f s  (preloads only)\n", f.embeddedStreaming);
}

const char* const usageText =
    "usage: zsp-bench [SECONDS]\n"
    "       zsp-bench --compare [--short S] [--long S] [--runs N] [--voices N,N,...]\n"
    "                 [--interpolation High|Mid|Low] [--channels 1|2] [--fluidsynth 0|1]\n"
    "       zsp-bench --streaming [--duration S]\n"
    "       zsp-bench --loading [--size MIB] [--zones N,N,...] [--from-disk 0|1]\n"
    "       zsp-bench --all [options of the modes]\n"
    "       zsp-bench --help | --version\n"
    "\n"
    "Without a mode, renders SECONDS of audio (default 20) of 32 looping voices\n"
    "through the engine in memory and disk-streaming configurations and prints the\n"
    "real-time factor, the time per block and the sample and stream buffer memory.\n"
    "\n"
    "--compare   ns per voice-frame of N = 32, 128 and 256 held notes of one looped\n"
    "            mono 16-bit sample, ours (High, Mid, Low) and FluidSynth's (4th\n"
    "            order, linear) when fluidsynth and FluidR3_GM are installed, and the\n"
    "            ratio; each the time of a --long (40 s) minus a --short (10 s) render.\n"
    "            --voices sets the counts N, --interpolation one of High, Mid, Low,\n"
    "            --channels 2 plays a stereo sample (ours only: FluidSynth keeps its\n"
    "            soundfont) and --fluidsynth 0 leaves FluidSynth out.\n"
    "--streaming 256 disk-streamed voices (16-bit and float) at the real-time pace of\n"
    "            a 44.1 kHz, 256-frame host for --duration seconds (60): late blocks\n"
    "            and late stream reads.\n"
    "--loading   loading times of --zones zones in one group, and of --size MiB\n"
    "            (1024) of samples, embedded and beside, in memory and streamed,\n"
    "            against cat of the same files; --from-disk 1 drops the page cache\n"
    "            before every read (root only), so the figures are the disk's.\n";

bool parseNumber(const char* text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && value > 0.0 && value < 1e6;
}

bool parseCounts(const std::string& text, std::vector<int>& counts)
{
    counts.clear();
    size_t at = 0;
    while (at <= text.size())
    {
        const size_t comma = std::min(text.find(',', at), text.size());
        double value = 0.0;
        if (!parseNumber(text.substr(at, comma - at).c_str(), value) || value > 1e5)
            return false;
        counts.push_back(static_cast<int>(value));
        at = comma + 1;
    }
    return !counts.empty();
}

bool parseOptions(int argc, char** argv, Options& options)
{
    for (int k = 2; k < argc; k += 2)
    {
        const std::string name = argv[k];
        if (k + 1 >= argc)
            return false;
        double value = 0.0;
        const bool number = parseNumber(argv[k + 1], value);
        if (name == "--short" && number)
            options.span.shortSeconds = value;
        else if (name == "--long" && number)
            options.span.longSeconds = value;
        else if (name == "--runs" && number && value <= 100)
            options.runs = static_cast<int>(value);
        else if (name == "--duration" && number)
            options.streamSeconds = value;
        else if (name == "--size" && number && value <= 65536)
            options.mebibytes = static_cast<int>(value);
        else if (name == "--zones" && parseCounts(argv[k + 1], options.zoneCounts))
            continue;
        else if (name == "--voices" && parseCounts(argv[k + 1], options.voiceCounts))
            continue;
        else if (name == "--interpolation"
                 && (argv[k + 1] == std::string("High") || argv[k + 1] == std::string("Mid")
                     || argv[k + 1] == std::string("Low")))
            options.interpolation = argv[k + 1];
        else if (name == "--channels" && (value == 1 || value == 2))
            options.channels = static_cast<int>(value);
        else if (name == "--fluidsynth" && (argv[k + 1] == std::string("0") || argv[k + 1] == std::string("1")))
            options.fluid = argv[k + 1][0] == '1';
        else if (name == "--from-disk" && (argv[k + 1] == std::string("0") || argv[k + 1] == std::string("1")))
            options.fromDisk = argv[k + 1][0] == '1';
        else
            return false;
    }
    return options.span.longSeconds > options.span.shortSeconds;
}
} // namespace

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
    if (first == "--compare" || first == "--streaming" || first == "--loading" || first == "--all")
    {
        Options options;
        if (!parseOptions(argc, argv, options))
        {
            std::fprintf(stderr, "zsp-bench: cannot read the options of %s\n", first.c_str());
            std::fputs(usageText, stderr);
            return 1;
        }
        const std::string folder = makeScratchFolder();
        if (folder.empty())
        {
            std::fprintf(stderr, "zsp-bench: cannot make a scratch folder under /tmp\n");
            return 1;
        }
        const bool all = first == "--all";
        if (all || first == "--compare")
            compareWithFluidSynth(options, folder);
        if (all || first == "--streaming")
            printStreaming(options, folder);
        if (all || first == "--loading")
            printLoading(options, folder);
        removeScratchFolder(folder);
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
    return runConfigurations(seconds);
}

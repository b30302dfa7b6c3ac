// zsp-render --instrument PATH.zse --midi PATH.mid --output PATH.wav|- [options]
//
// Renders a MIDI file through the plugin's own processor, driven in-process
// the way a host drives it offline: construct, load the instrument, switch to
// non-realtime, prepare, then one processBlock per block with that block's
// MIDI. The engine's clock is the block-start time of the render and its
// random generator is seeded, so a render is the same every time.
//
// Writes a WAVE file (32-bit float, or 16- or 24-bit integer) with 2
// channels ("Output 1"), or 2N with --outputs N, exactly as long as the MIDI
// file plus the tail (or, with --until-silent, until the sound has died
// away). Exit status 1, a message on standard error and no output file for
// any bad input (an instrument file cut short or damaged, missing samples
// unless --allow-missing-samples); an interrupted render leaves no partial
// file either.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "CZSP.h"
#include "FileIdentity.h"
#include "InterruptCleanup.h"
#include "MidiFile.h"
#include "MidiTiming.h"
#include "OutputFile.h"
#include "files/PrintableText.h"
#include "ProgressBar.h"
#include "RenderLength.h"
#include "RenderOptions.h"
#include "RenderReport.h"
#include "RenderWaveWriter.h"
#include "ToolVersion.h"
#include "files/ZFile.h"

namespace
{
constexpr int64_t maxMidiFileBytes = int64_t { 256 } << 20;

// A message on standard error; the render then stops with status 1.
int failure(const std::string& message)
{
    std::fprintf(stderr, "zsp-render: %s\n", message.c_str());
    return 1;
}

bool readMidi(const std::string& path, MidiFileContents& contents, std::string& error)
{
    ZSharedFile file = ZFile::openFileForReading(path);
    if (file == nullptr)
    {
        error = path + ": cannot open the MIDI file";
        return false;
    }
    if (file->size() > maxMidiFileBytes)
    {
        error = path + ": too large for a MIDI file";
        return false;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(file->size()));
    if (file->read(bytes.data(), bytes.size()) != bytes.size())
    {
        error = path + ": cannot read the MIDI file";
        return false;
    }
    std::string problem;
    if (!readMidiFile(bytes, contents, problem))
    {
        error = path + ": " + problem;
        return false;
    }
    return true;
}

// Answers no missing-sample prompt (the player would search folders and ask
// the user): the load report names every missing sample.
class OfflineDelegate final : public ZSEDelegate
{
public:
    bool loadProgress(float, const std::string&, const std::string&) override { return true; }
    void groupsChanged() override {}
    void locateSample(const std::string&, char*) override {}
    void instrumentChanged() override {}
};

// Missing samples named in a message; the rest are counted.
constexpr size_t missingSamplesNamed = 10;

// Loads the instrument as the player does. False with the reason for a file
// that cannot be read whole, or one whose samples are missing unless they
// are allowed.
bool loadInstrument(ZInstrument& instrument, const std::string& path, bool allowMissingSamples, ZLoadReport& report,
                    std::string& error)
{
    OfflineDelegate offline;
    ZSEDelegate* const previous = instrument.delegate;
    instrument.delegate = &offline;
    const bool loaded = instrument.loadFromFile(path, report);
    instrument.delegate = previous;
    const std::string shownPath = printableText(path);
    if (!report.fileIsWhole())
        error = shownPath + ": " + report.problem;
    else if (!loaded)
        error = shownPath + ": the instrument cannot be loaded";
    else if (!report.missingSamples.empty() && !allowMissingSamples)
        error = shownPath + ": missing samples: " + report.missingSamplesText(missingSamplesNamed)
              + " (--allow-missing-samples renders without them)";
    else
    {
        if (report.trailingBytes > 0)
            std::fprintf(stderr, "zsp-render: warning: %s: %lld bytes follow the last group record; the player ignores them\n",
                         shownPath.c_str(), static_cast<long long>(report.trailingBytes));
        return true;
    }
    return false;
}

// Gives the processor the first `pairs` stereo outputs, as a host that
// enables only those buses would.
void useOutputs(juce::AudioProcessor& processor, int pairs)
{
    juce::AudioProcessor::BusesLayout layout = processor.getBusesLayout();
    for (int bus = 0; bus < layout.outputBuses.size(); ++bus)
        layout.outputBuses.getReference(bus) = bus < pairs ? juce::AudioChannelSet::stereo()
                                                           : juce::AudioChannelSet::disabled();
    processor.setBusesLayout(layout);
}

struct TimedEvent
{
    int64_t sample;
    const std::vector<uint8_t>* bytes;
};

int render(const RenderOptions& options)
{
    MidiFileContents midi;
    std::string error;
    if (!readMidi(options.midiPath, midi, error))
        return failure(error);

    std::error_code pathError;
    const std::string instrumentPath = std::filesystem::absolute(options.instrumentPath, pathError).string();
    if (const std::string why = ZFile::whyNotReadable(instrumentPath); !why.empty())
        return failure(printableText(options.instrumentPath) + ": " + why);
    if (!outputIsNoInput(options.outputPath, { options.instrumentPath, options.midiPath }, error))
        return failure(error);

    const MidiTiming timing(midi);
    std::vector<TimedEvent> events;
    for (const MidiFileEvent& event : midi.events)
        events.push_back({ timing.sampleAt(event.tick, options.sampleRate), &event.bytes });
    const std::optional<int64_t> lastEvent = events.empty() ? std::nullopt : std::optional(events.back().sample);
    std::optional<SilenceEnd> silence;
    if (options.untilSilentDb)
        silence.emplace(lastEvent, *options.untilSilentDb, options.sampleRate, untilSilentLimitSeconds);
    // The length, or with --until-silent the longest it can become.
    int64_t frames = silence ? silence->limit() : framesWithTail(lastEvent, options.tailSeconds, options.sampleRate);
    const int channels = 2 * options.outputs;
    if (!RenderWaveWriter::fits(options.format, channels, frames))
        return failure(options.midiPath + ": the render would be longer than a WAVE file can hold");

    juce::ScopedJuceInitialiser_GUI juce;
    std::unique_ptr<juce::AudioProcessor> plugin(createPluginFilter());
    auto* processor = dynamic_cast<CZSP*>(plugin.get());
    if (processor == nullptr)
        return failure("the plugin's processor cannot be created");

    ZManualClock clock;
    ZRandom random(options.seed);
    processor->instrument.setClock(&clock);
    processor->instrument.setRandom(&random);
    ZLoadReport loadReport;
    if (!loadInstrument(processor->instrument, instrumentPath, options.allowMissingSamples, loadReport, error))
        return failure(error);

    // Opened once the instrument is known to load, so a refused one leaves
    // no output behind, not even in a pipe.
    std::unique_ptr<OutputFile> output = OutputFile::open(options.outputPath, error);
    if (output == nullptr)
        return failure(error);
    RenderWaveWriter writer(*output, options.format, channels, options.sampleRate,
                            silence ? std::nullopt : std::optional(frames));

    const auto rate = static_cast<double>(options.sampleRate);
    processor->setNonRealtime(true);
    useOutputs(*processor, options.outputs);
    processor->setRateAndBufferSizeDetails(rate, options.blockSize);
    processor->prepareToPlay(rate, options.blockSize);

    juce::AudioBuffer<float> buffer(channels, options.blockSize);
    juce::MidiBuffer blockMidi;
    RenderLevels levels(channels);
    ProgressBar progress(!options.quiet);
    size_t next = 0;
    bool written = true;
    for (int64_t blockStart = 0; blockStart < frames && written; blockStart += options.blockSize)
    {
        clock.set(static_cast<double>(blockStart) * 1000.0 / rate);
        blockMidi.clear();
        for (; next < events.size() && events[next].sample < blockStart + options.blockSize; ++next)
        {
            const BlockPosition at = blockPositionOf(events[next].sample, options.blockSize);
            blockMidi.addEvent(events[next].bytes->data(), static_cast<int>(events[next].bytes->size()), at.position);
        }
        buffer.clear();
        processor->processBlock(buffer, blockMidi);
        const float* const* rendered = buffer.getArrayOfReadPointers();
        if (silence)
            if (const auto end = silence->feed(rendered, channels, blockStart, options.blockSize))
                frames = *end;
        // The last block is cut to the render's length.
        const int keep = static_cast<int>(std::min<int64_t>(options.blockSize, frames - blockStart));
        levels.add(rendered, keep);
        written = writer.write(rendered, keep);
        progress.update(blockStart + keep, frames);
    }
    progress.finish();
    processor->releaseResources();
    processor->instrument.setClock(nullptr);
    processor->instrument.setRandom(nullptr);

    if (!written || !writer.finish() || !output->commit(error))
        return failure(error.empty() ? output->error() : error);

    if (!options.quiet)
    {
        RenderReport report;
        report.outputName = output->isStandardOutput() ? "standard output" : options.outputPath;
        report.format = options.format;
        report.frames = writer.framesWritten();
        report.sampleRate = options.sampleRate;
        report.peaks = levels.peaks();
        report.fullScaleSamples = levels.fullScaleSamples();
        report.instrumentClips = processor->instrument.settings.clipOutput != 0;
        report.stoppedAtLimit = silence && silence->reachedLimit();
        report.notesWithoutZone = processor->instrument.notesThatFoundNoZone();
        if (!loadReport.missingSamples.empty())
            report.missingSamples = loadReport.missingSamplesText(missingSamplesNamed);
        std::fputs(formatRenderReport(report).c_str(), output->isStandardOutput() ? stderr : stdout);
    }
    return 0;
}
} // namespace

int main(int argc, char* argv[])
{
    RenderOptions options;
    std::string error;
    if (!parseRenderOptions(std::vector<std::string>(argv + 1, argv + argc), options, error))
    {
        failure(error);
        std::fputs(renderUsage, stderr);
        return 1;
    }
    if (options.help)
    {
        std::fputs(renderUsage, stdout);
        return 0;
    }
    if (options.version)
    {
        std::fputs(toolVersionLine("zsp-render").c_str(), stdout);
        return 0;
    }
    interrupt_cleanup::install();
    return render(options);
}

// zsp-hostcheck <plugin> [--rate HZ] [--block FRAMES] [--note KEY] [--velocity V]
//
// Loads a built plugin (".vst3" bundle, ".lv2" bundle folder, VST 2 ".so" or
// LV2 URI) through JUCE's hosting classes, prints what a host sees and plays
// one note through it. Exits with 0 when the plugin loads and has sixteen
// stereo outputs, 1 when it cannot be loaded, 2 when its outputs differ, 64 on
// a bad command line.

#include <cstdio>

#include "IdentityReport.h"
#include "NoteRender.h"
#include "PluginLoader.h"

namespace
{
constexpr int expectedOutputBuses = 16;

struct Options
{
    juce::String location;
    double sampleRate = 44100.0;
    int blockSize = 512;
    NoteRequest note;
};

bool parse(const juce::StringArray& args, Options& options)
{
    for (int i = 0; i < args.size(); ++i)
    {
        const auto& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--rate" && hasValue)
            options.sampleRate = args[++i].getDoubleValue();
        else if (arg == "--block" && hasValue)
            options.blockSize = args[++i].getIntValue();
        else if (arg == "--note" && hasValue)
            options.note.note = args[++i].getIntValue();
        else if (arg == "--velocity" && hasValue)
            options.note.velocity = args[++i].getIntValue();
        else if (!arg.startsWith("--") && options.location.isEmpty())
            options.location = arg;
        else
            return false;
    }
    return options.location.isNotEmpty() && options.sampleRate > 0.0 && options.blockSize > 0
           && options.blockSize <= 65536 && juce::isPositiveAndBelow(options.note.note, 128)
           && juce::isPositiveAndBelow(options.note.velocity - 1, 127);
}

void printIdentity(const juce::PluginDescription& description, juce::AudioPluginInstance& plugin)
{
    std::printf("Format:       %s\n", description.pluginFormatName.toRawUTF8());
    std::printf("Name:         %s\n", plugin.getName().toRawUTF8());
    std::printf("Manufacturer: %s\n", description.manufacturerName.toRawUTF8());
    std::printf("Version:      %s\n", description.version.toRawUTF8());
    std::printf("Identifier:   %s\n", description.fileOrIdentifier.toRawUTF8());
    std::printf("Instrument:   %s\n", description.isInstrument ? "yes" : "no");
    std::printf("MIDI in/out:  %s/%s\n", plugin.acceptsMidi() ? "yes" : "no", plugin.producesMidi() ? "yes" : "no");
}

bool sixteenStereoBuses(juce::AudioPluginInstance& plugin)
{
    if (plugin.getBusCount(false) != expectedOutputBuses)
        return false;
    for (int i = 0; i < expectedOutputBuses; ++i)
        if (plugin.getBus(false, i)->getCurrentLayout() != juce::AudioChannelSet::stereo())
            return false;
    return true;
}

// Prints the output buses; true when they form sixteen stereo outputs.
bool printOutputs(juce::AudioPluginInstance& plugin)
{
    const int outputs = plugin.getBusCount(false);
    std::printf("Input buses:  %d\n", plugin.getBusCount(true));
    std::printf("Output buses: %d (%d channels)\n", outputs, plugin.getTotalNumOutputChannels());
    for (int i = 0; i < outputs; ++i)
    {
        const auto* bus = plugin.getBus(false, i);
        const auto layout = bus->getCurrentLayout();
        std::printf("  %2d %-12s %d channel(s) %s%s\n", i + 1, bus->getName().toRawUTF8(), layout.size(),
                    layout.getDescription().toRawUTF8(), bus->isEnabled() ? "" : " (disabled)");
    }

    return sixteenStereoBuses(plugin);
}

// JUCE's VST 3 wrapper stands in for MIDI controllers with one parameter per
// channel and controller; they are counted, not listed.
bool isControllerStandIn(const juce::AudioProcessorParameter& parameter)
{
    return parameter.getName(64).startsWith("MIDI CC ");
}

void printParametersAndPrograms(juce::AudioPluginInstance& plugin)
{
    const auto& parameters = plugin.getParameters();
    int standIns = 0;
    for (auto* parameter : parameters)
        standIns += isControllerStandIn(*parameter) ? 1 : 0;

    std::printf("Parameters:   %d", parameters.size());
    if (standIns > 0)
        std::printf(" (%d of them MIDI controller stand-ins, not listed)", standIns);
    std::printf("\n");
    for (auto* parameter : parameters)
        if (!isControllerStandIn(*parameter))
            std::printf("  %2d %s = %s\n", parameter->getParameterIndex(), parameter->getName(64).toRawUTF8(),
                        parameter->getCurrentValueAsText().toRawUTF8());

    std::printf("Programs:     %d (current %d)\n", plugin.getNumPrograms(), plugin.getCurrentProgram());
    for (int i = 0; i < plugin.getNumPrograms(); ++i)
        std::printf("  %2d \"%s\"\n", i, plugin.getProgramName(i).toRawUTF8());
}

void printSound(const std::vector<BusSound>& sounds, const Options& options)
{
    std::printf("Note %d velocity %d: %d blocks of %d frames at %.0f Hz, note-off at block %d\n", options.note.note,
                options.note.velocity, options.note.heldBlocks + options.note.releaseBlocks, options.blockSize,
                options.sampleRate, options.note.heldBlocks);
    for (const auto& sound : sounds)
    {
        if (sound.peak > 0.0f)
            std::printf("  %-12s peak %.6f (%.1f dBFS) rms %.6f, first sound at frame %lld\n", sound.name.toRawUTF8(),
                        static_cast<double>(sound.peak), juce::Decibels::gainToDecibels(static_cast<double>(sound.peak)),
                        sound.rms, static_cast<long long>(sound.firstSound));
        else
            std::printf("  %-12s silent\n", sound.name.toRawUTF8());
    }
}

int run(const Options& options)
{
    juce::AudioPluginFormatManager formats;
    formats.addDefaultFormats();

    LoadedPlugin loaded;
    juce::String error;
    loadPlugin(formats, options.location, options.sampleRate, options.blockSize, loaded, error);
    if (loaded.instance == nullptr)
    {
        std::fprintf(stderr, "zsp-hostcheck: cannot load %s: %s\n", options.location.toRawUTF8(), error.toRawUTF8());
        return 1;
    }

    auto& plugin = *loaded.instance;
    printIdentity(loaded.description, plugin);
    printFormatIdentity(loaded.description, plugin);
    const bool outputsAsExpected = printOutputs(plugin);
    printParametersAndPrograms(plugin);

    plugin.setRateAndBufferSizeDetails(options.sampleRate, options.blockSize);
    plugin.prepareToPlay(options.sampleRate, options.blockSize);
    printSound(renderNote(plugin, options.blockSize, options.note), options);
    plugin.releaseResources();
    loaded.instance.reset();

    if (!outputsAsExpected)
    {
        std::fprintf(stderr, "zsp-hostcheck: expected %d stereo outputs\n", expectedOutputBuses);
        return 2;
    }
    std::printf("OK\n");
    return 0;
}
} // namespace

int main(int argc, char* argv[])
{
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add(juce::String::fromUTF8(argv[i]));

    Options options;
    if (!parse(args, options))
    {
        std::fprintf(stderr, "usage: zsp-hostcheck <plugin.vst3|plugin.lv2|plugin.so|LV2 URI> [--rate HZ] "
                             "[--block FRAMES] [--note KEY] [--velocity 1-127]\n");
        return 64;
    }

    juce::ScopedJuceInitialiser_GUI messageManager;
    const int result = run(options);
    std::fflush(stdout);
    return result;
}

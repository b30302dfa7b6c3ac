// zsp-hostcheck <plugin> [--rate HZ] [--block FRAMES] [--note KEY] [--velocity V]
//               [--editor SECONDS]
//
// Loads a built plugin (".vst3" bundle, ".lv2" bundle folder, VST 2 ".so" or
// LV2 URI) through JUCE's hosting classes, prints what a host sees and checks
// it the way a host uses it:
//   outputs     sixteen stereo outputs                                  (exit 2)
//   parameters  the six parameters, by name                             (exit 3)
//   programs    the library's instruments as programs; switching to the
//               last one                                                (exit 4)
//   sound       one note on that program sounds                         (exit 5)
//   state       the state saved there, restored into a fresh instance,
//               plays the same note bit for bit                         (exit 6)
//   editor      with --editor: the plugin's window open for SECONDS (a
//               display needed) while an audio thread plays chords at the
//               real-time pace, programs switch and a parameter moves  (exit 7)
// Prints "OK" and exits with 0 only when every check passed; 1 when the plugin
// cannot be loaded, 64 on a bad command line.

#include <cstdio>

#include "EditorCheck.h"
#include "IdentityReport.h"
#include "NoteRender.h"
#include "PluginLoader.h"

namespace
{
constexpr int expectedOutputBuses = 16;
const char* const expectedParameters[] = { "Attack", "Decay", "Sustain", "Release", "Filter Cutoff Frequency",
                                           "Glide Time" };
// The parameter the state check changes before it saves, and its value.
const char* const changedParameter = "Release";
constexpr float changedValue = 0.75f;

struct Options
{
    juce::String location;
    double sampleRate = 44100.0;
    int blockSize = 512;
    NoteRequest note;
    int editorSeconds = 0;
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
        else if (arg == "--editor" && hasValue)
            options.editorSeconds = args[++i].getIntValue();
        else if (!arg.startsWith("--") && options.location.isEmpty())
            options.location = arg;
        else
            return false;
    }
    return options.location.isNotEmpty() && options.sampleRate > 0.0 && options.blockSize > 0
           && options.blockSize <= 65536 && juce::isPositiveAndBelow(options.note.note, 128)
           && juce::isPositiveAndBelow(options.note.velocity - 1, 127)
           && juce::isPositiveAndBelow(options.editorSeconds, 3601);
}

// A check that failed: the message goes to standard error, the status is the
// check's exit code.
int failed(int status, const juce::String& message)
{
    std::fprintf(stderr, "zsp-hostcheck: %s\n", message.toRawUTF8());
    return status;
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
bool checkOutputs(juce::AudioPluginInstance& plugin)
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

juce::AudioProcessorParameter* findParameter(juce::AudioPluginInstance& plugin, const juce::String& name)
{
    for (auto* parameter : plugin.getParameters())
        if (parameter->getName(64) == name)
            return parameter;
    return nullptr;
}

// Prints the parameters; true when the six are there.
bool checkParameters(juce::AudioPluginInstance& plugin)
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
            std::printf("  %2d %-24s value %.4f  text \"%s\"\n", parameter->getParameterIndex(),
                        parameter->getName(64).toRawUTF8(), static_cast<double>(parameter->getValue()),
                        parameter->getCurrentValueAsText().toRawUTF8());

    bool all = true;
    for (const char* name : expectedParameters)
        all = findParameter(plugin, name) != nullptr && all;
    return all;
}

// Prints the programs; true when there is at least one.
bool checkPrograms(juce::AudioPluginInstance& plugin)
{
    std::printf("Programs:     %d (current %d)\n", plugin.getNumPrograms(), plugin.getCurrentProgram());
    for (int i = 0; i < plugin.getNumPrograms(); ++i)
        std::printf("  %2d \"%s\"\n", i, plugin.getProgramName(i).toRawUTF8());
    return plugin.getNumPrograms() > 0;
}

juce::MemoryBlock savedState(juce::AudioPluginInstance& plugin)
{
    juce::MemoryBlock state;
    plugin.getStateInformation(state);
    return state;
}

// Switches to the last program; true when the plugin reports it as current.
// The plugin loads it in the background; saving the state waits for it.
bool switchToLastProgram(juce::AudioPluginInstance& plugin)
{
    const int last = plugin.getNumPrograms() - 1;
    plugin.setCurrentProgram(last);
    savedState(plugin);
    std::printf("Switched to:  program %d \"%s\" (current %d)\n", last, plugin.getProgramName(last).toRawUTF8(),
                plugin.getCurrentProgram());
    return plugin.getCurrentProgram() == last;
}

// Offline, so a disk-streaming instrument never plays a late buffer and two
// renders of the same state are the same.
void prepare(juce::AudioPluginInstance& plugin, const Options& options)
{
    plugin.setNonRealtime(true);
    plugin.setRateAndBufferSizeDetails(options.sampleRate, options.blockSize);
    plugin.prepareToPlay(options.sampleRate, options.blockSize);
}

bool printSound(const std::vector<BusSound>& sounds, const Options& options)
{
    std::printf("Note %d velocity %d: %d blocks of %d frames at %.0f Hz, note-off at block %d\n", options.note.note,
                options.note.velocity, options.note.heldBlocks + options.note.releaseBlocks, options.blockSize,
                options.sampleRate, options.note.heldBlocks);
    bool any = false;
    for (const auto& sound : sounds)
    {
        if (sound.peak > 0.0f)
            std::printf("  %-12s peak %.6f (%.1f dBFS) rms %.6f, first sound at frame %lld\n", sound.name.toRawUTF8(),
                        static_cast<double>(sound.peak), juce::Decibels::gainToDecibels(static_cast<double>(sound.peak)),
                        sound.rms, static_cast<long long>(sound.firstSound));
        else
            std::printf("  %-12s silent\n", sound.name.toRawUTF8());
        any = any || sound.peak > 0.0f;
    }
    return any;
}

// One block without notes, in which the host hands over a parameter it was
// given, then the note.
std::vector<float> playNote(juce::AudioPluginInstance& plugin, const Options& options, std::vector<BusSound>* sounds)
{
    renderSilence(plugin, options.blockSize, 1);
    std::vector<float> samples;
    const auto played = renderNote(plugin, options.blockSize, options.note, &samples);
    if (sounds != nullptr)
        *sounds = played;
    return samples;
}

// A fresh instance given `state` plays the note; true when it plays exactly
// `expected`.
bool checkRestoredState(juce::AudioPluginFormatManager& formats, const juce::PluginDescription& description,
                        const Options& options, const juce::MemoryBlock& state, const std::vector<float>& expected,
                        juce::String& problem)
{
    const auto fresh = formats.createPluginInstance(description, options.sampleRate, options.blockSize, problem);
    if (fresh == nullptr)
        return false;
    auto& plugin = *fresh;
    prepare(plugin, options);
    plugin.setStateInformation(state.getData(), static_cast<int>(state.getSize()));
    // The same history as the instance the state came from: one block before
    // the state was saved.
    renderSilence(plugin, options.blockSize, 1);
    std::printf("Restored:     program %d \"%s\" in a fresh instance\n", plugin.getCurrentProgram(),
                plugin.getProgramName(plugin.getCurrentProgram()).toRawUTF8());
    const std::vector<float> samples = playNote(plugin, options, nullptr);
    plugin.releaseResources();

    size_t differing = 0;
    size_t first = samples.size();
    for (size_t k = 0; k < std::min(samples.size(), expected.size()); ++k)
        if (samples[k] != expected[k])
        {
            first = std::min(first, k);
            ++differing;
        }
    if (samples.size() == expected.size() && differing == 0)
    {
        std::printf("  the same %zu samples, bit for bit\n", samples.size());
        return true;
    }
    problem = juce::String(static_cast<juce::int64>(differing)) + " of " + juce::String(static_cast<juce::int64>(expected.size()))
            + " samples differ, the first at " + juce::String(static_cast<juce::int64>(first));
    return false;
}

int run(const Options& options)
{
    juce::AudioPluginFormatManager formats;
    formats.addDefaultFormats();

    LoadedPlugin loaded;
    juce::String error;
    loadPlugin(formats, options.location, options.sampleRate, options.blockSize, loaded, error);
    if (loaded.instance == nullptr)
        return failed(1, "cannot load " + options.location + ": " + error);

    auto& plugin = *loaded.instance;
    printIdentity(loaded.description, plugin);
    printFormatIdentity(loaded.description, plugin);
    if (!checkOutputs(plugin))
        return failed(2, "expected " + juce::String(expectedOutputBuses) + " stereo outputs");
    if (!checkParameters(plugin))
        return failed(3, "the six parameters are not all there");
    if (!checkPrograms(plugin))
        return failed(4, "the plugin lists no program: its library has no instrument");

    prepare(plugin, options);
    if (plugin.getNumPrograms() > 1 && !switchToLastProgram(plugin))
        return failed(4, "switching program did not take");

    auto* parameter = findParameter(plugin, changedParameter);
    parameter->setValue(changedValue);
    renderSilence(plugin, options.blockSize, 1);
    const juce::MemoryBlock state = savedState(plugin);
    std::printf("State:        %zu bytes, with %s at %.2f\n", state.getSize(), changedParameter,
                static_cast<double>(changedValue));

    std::vector<BusSound> sounds;
    const std::vector<float> played = playNote(plugin, options, &sounds);
    plugin.releaseResources();
    if (!printSound(sounds, options))
        return failed(5, "the note is silent on every output");

    if (!checkRestoredState(formats, loaded.description, options, state, played, error))
        return failed(6, "the restored state does not play the same: " + error);

    if (options.editorSeconds > 0 && !runWithEditorOpen(plugin, options.sampleRate, options.blockSize,
                                                        options.editorSeconds, error))
        return failed(7, "with the editor open: " + error);

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
                             "[--block FRAMES] [--note KEY] [--velocity 1-127] [--editor SECONDS]\n");
        return 64;
    }

    if (options.editorSeconds > 0)
        prepareDisplayForEditors();
    juce::ScopedJuceInitialiser_GUI messageManager;
    const int result = run(options);
    std::fflush(stdout);
    return result;
}

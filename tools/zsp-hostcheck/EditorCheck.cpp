#include "EditorCheck.h"

#include <X11/Xlib.h>

#include <atomic>
#include <cstdio>

namespace
{
// Note-on, note-off and chord changes every few blocks, as a player would.
class PlayingThread : public juce::Thread
{
public:
    PlayingThread(juce::AudioPluginInstance& p, double rate, int frames)
        : juce::Thread("zsp-hostcheck audio"), plugin(p), sampleRate(rate), blockSize(frames),
          buffer(p.getTotalNumOutputChannels(), frames)
    {
    }

    std::atomic<int> blocks { 0 };
    std::atomic<int> lateBlocks { 0 };
    std::atomic<float> peak { 0.0f };

private:
    void run() override
    {
        const double blockMs = 1000.0 * blockSize / sampleRate;
        double due = juce::Time::getMillisecondCounterHiRes();
        int chord = 0;
        while (!threadShouldExit())
        {
            juce::MidiBuffer midi;
            const int block = blocks.load();
            if (block % 24 == 0)
            {
                for (const int offset : { 0, 4, 7 })
                    midi.addEvent(juce::MidiMessage::noteOff(1, 48 + chord + offset), 0);
                chord = (chord + 5) % 24;
                for (const int offset : { 0, 4, 7 })
                    midi.addEvent(juce::MidiMessage::noteOn(1, 48 + chord + offset, juce::uint8 { 100 }), offset);
            }
            {
                const juce::ScopedLock lock(plugin.getCallbackLock());
                buffer.clear();
                plugin.processBlock(buffer, midi);
            }
            for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
                peak = juce::jmax(peak.load(), buffer.getMagnitude(channel, 0, blockSize));
            blocks.fetch_add(1);

            due += blockMs;
            const double now = juce::Time::getMillisecondCounterHiRes();
            if (now > due + blockMs)
            {
                lateBlocks.fetch_add(1);
                due = now;  // a host's device would have dropped the block
            }
            else if (due > now)
                juce::Thread::sleep(static_cast<int>(due - now));
        }
    }

    juce::AudioPluginInstance& plugin;
    const double sampleRate;
    const int blockSize;
    juce::AudioBuffer<float> buffer;
};

juce::AudioProcessorParameter* firstNamedParameter(juce::AudioPluginInstance& plugin, const char* name)
{
    for (auto* parameter : plugin.getParameters())
        if (parameter->getName(64) == name)
            return parameter;
    return nullptr;
}
} // namespace

void prepareDisplayForEditors()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return;
    for (const char* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "WM_CHANGE_STATE", "WM_STATE",
                              "_NET_WM_PING", "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL",
                              "_NET_WM_WINDOW_TYPE_COMBO", "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN",
                              "_NET_WM_STATE_FULLSCREEN", "_NET_WM_ALLOWED_ACTIONS", "_NET_WM_ACTION_CLOSE",
                              "_NET_WM_ACTION_MINIMIZE", "_NET_WM_ACTION_RESIZE", "_NET_WM_ACTION_FULLSCREEN",
                              "_NET_FRAME_EXTENTS", "_NET_WORKAREA", "_MOTIF_WM_HINTS" })
        XInternAtom(display, name, False);
    XSync(display, False);
    // Left open: a virtual server resets, and forgets the atoms, when its
    // last client leaves.
}

bool runWithEditorOpen(juce::AudioPluginInstance& plugin, double sampleRate, int blockSize, int seconds,
                       juce::String& problem)
{
    plugin.setNonRealtime(false);
    plugin.setRateAndBufferSizeDetails(sampleRate, blockSize);
    plugin.prepareToPlay(sampleRate, blockSize);

    std::unique_ptr<juce::AudioProcessorEditor> editor(plugin.hasEditor() ? plugin.createEditorIfNeeded() : nullptr);
    if (editor == nullptr)
    {
        problem = "the plugin gives no editor";
        return false;
    }
    editor->addToDesktop(juce::ComponentPeer::windowHasTitleBar);
    editor->setVisible(true);
    std::printf("Editor:       %d x %d, open for %d s while a thread plays chords\n", editor->getWidth(),
                editor->getHeight(), seconds);

    PlayingThread audio(plugin, sampleRate, blockSize);
    const double started = juce::Time::getMillisecondCounterHiRes();
    audio.startThread();
    auto* parameter = firstNamedParameter(plugin, "Release");
    const int programs = plugin.getNumPrograms();
    int switches = 0;
    for (int second = 0; second < seconds; ++second)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil(1000);
        if (programs > 1)
        {
            plugin.setCurrentProgram((plugin.getCurrentProgram() + 1) % programs);
            ++switches;
        }
        if (parameter != nullptr)
            parameter->setValueNotifyingHost(static_cast<float>((second % 5) / 4.0));
    }
    juce::MessageManager::getInstance()->runDispatchLoopUntil(500);
    audio.stopThread(5000);
    const double playedMs = juce::Time::getMillisecondCounterHiRes() - started;
    editor.reset();
    plugin.releaseResources();

    const int expected = static_cast<int>(playedMs / 1000.0 * sampleRate / blockSize);
    std::printf("  %d blocks rendered of the %d real time asks for (%d late), %d program switches, peak %.4f\n",
                audio.blocks.load(), expected, audio.lateBlocks.load(), switches, static_cast<double>(audio.peak.load()));
    if (audio.blocks.load() < expected / 2)
        problem = "the audio thread rendered " + juce::String(audio.blocks.load()) + " of " + juce::String(expected) + " blocks";
    else if (!(audio.peak.load() > 0.0f))
        problem = "the chords are silent with the editor open";
    return problem.isEmpty();
}

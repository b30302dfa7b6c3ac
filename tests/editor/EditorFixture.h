#pragma once
// A processor with the real player window, over a library of test
// instruments, and the handful of steps the window tests repeat: find a
// widget by control id, run a host block, let the window's timer run.

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "editor/CZSPGUI.h"
#include "processor/CZSP.h"
#include "processor/ProcessorFixture.h"
#include "processor/TestLibrary.h"

// The player window's processor: load failures are counted, not shown.
class EditorProcessor : public CZSP
{
public:
    explicit EditorProcessor(const juce::File& libraryFile);
    ~EditorProcessor() override;

    int failureReports = 0;

protected:
    void reportLoadFailure() override { ++failureReports; }
};

// A layout with one widget of each kind the bindings know, in a 400 x 300 surface.
extern const char* const bindingsLayout;

class EditorFixture : public ::testing::Test
{
protected:
    static constexpr int blockSize = 128;

    // A library of `instruments` instruments of `groups` groups each, with
    // the layout given (the default layout when empty).
    void openLibrary(int instruments, int groups, const std::string& layout = bindingsLayout);
    void openEditor();
    void closeEditor();

    // One block of the host's audio thread, with `midi` as its input.
    void runBlock(const juce::MidiBuffer& midi = {});
    // Timer 1's work, as often as it takes the window to catch up.
    void tick(int times = 2);
    // The events waiting in the engine's queue (taken out).
    std::vector<ZEvent> takeEvents();

    template <typename Widget>
    Widget* find(const juce::OwnedArray<Widget>& list, const juce::var& controlId, int nth = 0)
    {
        for (auto* widget : list)
            if (widget->getProperties().getWithDefault("2", juce::var()) == controlId && nth-- == 0)
                return widget;
        return nullptr;
    }
    CPlayerGUI& player() { return *gui->getPlayer(); }

    std::unique_ptr<TestLibrary> library;
    std::unique_ptr<EditorProcessor> processor;
    std::unique_ptr<juce::AudioProcessorEditor> editor;
    CZSPGUI* gui = nullptr;
};

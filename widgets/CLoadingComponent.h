#pragma once
#include <atomic>

#include <juce_gui_basics/juce_gui_basics.h>

#include "CSpinner.h"

// The panel that covers the player while an instrument loads: a spinner, the
// text "Please wait..." and a progress bar. The loading thread reports its
// progress with setProgress; everything else happens on the message thread.
class CLoadingComponent : public juce::Component, private juce::Timer
{
public:
    // How often the progress bar takes over the loading thread's latest value.
    static constexpr int progressPollMs = 30;

    CLoadingComponent();
    ~CLoadingComponent() override;

    // Any thread. 0 to 1 fills the bar; a negative value, one above 1 or one
    // that is not a finite number shows the busy bar.
    void setProgress(double newProgress) noexcept;
    double getProgress() const noexcept { return progress.load(std::memory_order_relaxed); }

    // Takes the instrument's colour for the panel, and colours the text and
    // the bar to stand out from it.
    void setPlayerColour(juce::Colour colour);
    juce::Colour getBackground() const noexcept { return background; }

    juce::ProgressBar& getProgressBar() noexcept { return progressBar; }
    juce::Label& getHintLabel() noexcept { return hintLabel; }
    CSpinner& getSpinner() noexcept { return spinner; }

    // Hands the latest progress to the bar (the bar reads its value on the
    // message thread only).
    void pollProgress();
    double getShownProgress() const noexcept { return shownProgress; }

    void paint(juce::Graphics& g) override;
    void resized() override;
    void visibilityChanged() override;

private:
    void timerCallback() override;

    std::atomic<double> progress { -1.0 };
    double shownProgress = -1.0;
    juce::ProgressBar progressBar { shownProgress };
    juce::Label hintLabel { "Hint", "Please wait..." };
    CSpinner spinner;
    juce::Colour background = juce::Colours::lightgrey;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(CLoadingComponent)
};

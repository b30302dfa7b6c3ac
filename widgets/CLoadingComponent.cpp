#include "CLoadingComponent.h"

#include <cmath>

namespace
{
constexpr int spinnerSize = 50;
constexpr int gap = 10;
constexpr int labelHeight = 50;
constexpr int barInset = 50;
constexpr int barHeight = 25;
} // namespace

CLoadingComponent::CLoadingComponent()
{
    hintLabel.setJustificationType(juce::Justification::centred);
    addAndMakeVisible(progressBar);
    addAndMakeVisible(hintLabel);
    addAndMakeVisible(spinner);
}

CLoadingComponent::~CLoadingComponent()
{
    stopTimer();
}

void CLoadingComponent::setProgress(double newProgress) noexcept
{
    progress.store(std::isfinite(newProgress) ? newProgress : -1.0, std::memory_order_relaxed);
}

void CLoadingComponent::setPlayerColour(juce::Colour colour)
{
    background = colour;
    hintLabel.setColour(juce::Label::textColourId, colour.contrasting(0.7f));
    progressBar.setColour(juce::ProgressBar::foregroundColourId, colour.contrasting(0.5f));
    progressBar.setColour(juce::ProgressBar::backgroundColourId, colour);
    repaint();
}

void CLoadingComponent::pollProgress()
{
    shownProgress = getProgress();
}

void CLoadingComponent::timerCallback()
{
    pollProgress();
}

void CLoadingComponent::paint(juce::Graphics& g)
{
    g.fillAll(background);
}

void CLoadingComponent::resized()
{
    const int width = getWidth();
    const int height = getHeight();
    spinner.setBounds((width - spinnerSize) / 2, (height - 125) / 2, spinnerSize, spinnerSize);
    hintLabel.setBounds(0, spinner.getBottom() + gap, width, labelHeight);
    progressBar.setBounds(barInset, hintLabel.getBottom() + gap, width - 2 * barInset, barHeight);
}

// The spinner sees only its own visibility, so the panel tells it when the
// panel itself is shown or hidden.
void CLoadingComponent::visibilityChanged()
{
    if (isVisible())
    {
        pollProgress();
        startTimer(progressPollMs);
    }
    else
    {
        stopTimer();
    }
    spinner.updateRunning();
}

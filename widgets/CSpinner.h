#pragma once
#include <juce_gui_basics/juce_gui_basics.h>

// A busy indicator: a ring of twelve faint petals with a darker petal that
// steps around the ring every 75 ms, leaving a fading trail. It runs only
// while it and every component above it are visible.
class CSpinner : public juce::Component, private juce::Timer
{
public:
    static constexpr int stepMs = 75;
    static constexpr int trailFadeMs = 500;

    // The darker petal of one step. Deleting it hands it to the desktop's
    // animator, which fades an image of it out in its place.
    class ProgressPetal : public juce::Component
    {
    public:
        ProgressPetal(const juce::Path& petalShape, const juce::AffineTransform& rotation);
        ~ProgressPetal() override;
        void paint(juce::Graphics& g) override;

    private:
        juce::AffineTransform transform;
        juce::Path path;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ProgressPetal)
    };

    CSpinner();
    ~CSpinner() override;

    // The angle index of the darker petal: 1 to 12 once the spinner has
    // stepped, 0 before its first step.
    int getCurrentIndex() const noexcept { return currentIndex; }
    int getNumAngles() const noexcept { return angles.size(); }
    juce::Rectangle<float> getPetalBounds() const noexcept { return { petalX, petalY, petalWidth, petalHeight }; }
    // The point every petal is rotated about.
    juce::Point<float> getPivot() const noexcept;

    // The darker petal at angle index, over the whole spinner.
    std::unique_ptr<ProgressPetal> createProgressPetal(int index) const;

    // Starts or stops the steps as the spinner comes into view or leaves it;
    // a parent that hides or shows itself calls this for its spinner.
    void updateRunning();
    bool isRunning() const noexcept { return isTimerRunning(); }

    // One step of the darker petal.
    void step();

    void paint(juce::Graphics& g) override;
    void visibilityChanged() override;
    void parentHierarchyChanged() override;

private:
    void timerCallback() override;
    // Sizes the petal shape to the spinner.
    void layoutPetal();
    juce::AffineTransform rotationFor(int index) const;

    juce::Path petal;
    float petalWidth = 0.0f;
    float petalHeight = 0.0f;
    float petalX = 0.0f;
    float petalY = 0.0f;
    juce::Array<float> angles;
    int currentIndex = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(CSpinner)
};

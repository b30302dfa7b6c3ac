#pragma once
#include <juce_gui_basics/juce_gui_basics.h>

class RFaderDelegate;

// A fader drawn as a thumb image moving along the component: value 1 puts the
// thumb at the top (vertical) or the right end (horizontal). The thumb is
// dragged, a press and release beside it jumps to the release point, a double
// click restores the default value and the wheel moves it. A disabled fader
// shows no thumb.
class RFader : public juce::Component, public juce::SettableTooltipClient
{
public:
    explicit RFader(const juce::Image& thumbImage);
    ~RFader() override;

    float getValue() const noexcept { return value; }
    // Sets the value without telling the delegate (a host parameter moved);
    // clamped to 0 to 1, and a value that is not a number is ignored.
    void setValue(float newValue);

    void setDelegate(RFaderDelegate* newDelegate) noexcept { delegate = newDelegate; }
    void setVertical(bool shouldBeVertical);
    void setDefaultValue(float newDefault) noexcept { defaultValue = newDefault; }

    void paint(juce::Graphics& g) override;
    void mouseDown(const juce::MouseEvent& e) override;
    void mouseDrag(const juce::MouseEvent& e) override;
    void mouseUp(const juce::MouseEvent& e) override;
    void mouseDoubleClick(const juce::MouseEvent& e) override;
    void mouseWheelMove(const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel) override;

private:
    int thumbLength() const;
    // The free travel of the thumb in pixels; 0 or less when it has none.
    int travel() const;
    int thumbPosition() const;
    void change(float newValue, bool isFinal);

    juce::Image thumb;
    float value = 1.0f;
    int dragOffset = 0;
    bool dragging = false;
    bool vertical = true;
    float defaultValue = 1.0f;
    RFaderDelegate* delegate = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(RFader)
};

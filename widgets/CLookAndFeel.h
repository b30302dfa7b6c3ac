#pragma once
#include <juce_gui_basics/juce_gui_basics.h>

// The player's look: JUCE's V3 look with its own button, scroll-bar and
// progress-bar colours, a plain light grey menu bar, and combo boxes whose
// button face disappears when their button colour is transparent. The
// processor installs one as the default look and feel of every component of
// the plugin.
class CLookAndFeel : public juce::LookAndFeel_V3
{
public:
    CLookAndFeel();
    ~CLookAndFeel() override;

    void drawMenuBarBackground(juce::Graphics& g, int width, int height, bool isMouseOverBar,
                               juce::MenuBarComponent& menuBar) override;

    // JUCE's classic combo box: background, an outline 2 pixels thick while
    // the box has the keyboard focus, a glass button and the two arrows.
    void drawComboBox(juce::Graphics& g, int width, int height, bool isButtonDown,
                      int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox& box) override;

private:
    JUCE_DECLARE_NON_COPYABLE(CLookAndFeel)
};

#pragma once
#include <juce_gui_basics/juce_gui_basics.h>

// The player's look: JUCE's V3 look with its own button, scroll-bar and
// progress-bar colours. The processor installs one as the default look and
// feel of every component of the plugin.
class CLookAndFeel : public juce::LookAndFeel_V3
{
public:
    CLookAndFeel();
    ~CLookAndFeel() override;

private:
    JUCE_DECLARE_NON_COPYABLE(CLookAndFeel)
};

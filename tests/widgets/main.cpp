#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

// Components, timers and the desktop's animator expect JUCE's message manager
// on this thread. Nothing here runs the message loop: timers are driven by hand.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    juce::ScopedJuceInitialiser_GUI messageManager;
    return RUN_ALL_TESTS();
}

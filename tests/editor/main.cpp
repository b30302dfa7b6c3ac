#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

// Components expect JUCE's message manager on this thread; nothing here runs
// the message loop or opens a window.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    juce::ScopedJuceInitialiser_GUI messageManager;
    return RUN_ALL_TESTS();
}

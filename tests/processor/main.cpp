#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

// The processor and its editors expect JUCE's message manager on this thread.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    juce::ScopedJuceInitialiser_GUI messageManager;
    return RUN_ALL_TESTS();
}

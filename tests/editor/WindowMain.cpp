#include <cstdlib>

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

// The window and its processor expect JUCE's message manager on this thread.
// The settings file goes to a scratch home folder, never the user's.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    char home[] = "/tmp/zsp-editor-home-XXXXXX";
    if (mkdtemp(home) != nullptr)
        setenv("HOME", home, 1);
    int result = 0;
    {
        juce::ScopedJuceInitialiser_GUI messageManager;
        result = RUN_ALL_TESTS();
    }
    juce::File(home).deleteRecursively();
    return result;
}

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include "BareXServer.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    tolerateBareXServer();
    juce::ScopedJuceInitialiser_GUI messageManager;
    return RUN_ALL_TESTS();
}

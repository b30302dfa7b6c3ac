#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

// Last: Xlib's macros (None, Bool, ...) would clash with the headers above.
#include <X11/Xlib.h>

namespace
{
// A bare virtual X server has no window manager, so the window-manager atoms
// JUCE asks for do not exist and setting them fails. A host installs an X
// error handler of its own (as JUCE does for standalone applications); without
// one, Xlib ends the process at the first such failure.
int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    XSetErrorHandler(ignoreXError);
    juce::ScopedJuceInitialiser_GUI messageManager;
    return RUN_ALL_TESTS();
}

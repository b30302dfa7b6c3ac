// The stand-alone player's entry point. JUCE's own would start the
// application and open its window even where there is no display to open it
// on, and crash there; this one first makes sure an X display can be reached
// and otherwise explains why the player cannot start and ends with status 1.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <X11/Xlib.h>

#include <juce_events/juce_events.h>

juce::JUCEApplicationBase* juce_CreateApplication();

namespace
{
bool displayAvailable()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return false;
    XCloseDisplay(display);
    return true;
}

bool asksForHelp(int argc, char* argv[])
{
    for (int k = 1; k < argc; ++k)
        if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0)
            return true;
    return false;
}
} // namespace

extern "C" int main(int argc, char* argv[])
{
    if (!displayAvailable())
    {
        std::fprintf(stderr,
                     "Zarvo Sampler Player: cannot open the X display \"%s\". The player window needs a display;\n"
                     "set DISPLAY, or run it on a virtual one (xvfb-run -a ...).\n",
                     std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "");
        return 1;
    }
    if (asksForHelp(argc, argv))
    {
        std::printf("usage: %s\n"
                    "Opens the Zarvo Sampler Player window with the instruments of its library folder\n"
                    "(the program's name with \".instruments\", beside it).\n",
                    argc > 0 ? argv[0] : "ZarvoSamplerPlayer");
        return 0;
    }
    juce::JUCEApplicationBase::createInstance = &juce_CreateApplication;
    return juce::JUCEApplicationBase::main(argc, const_cast<const char**>(argv));
}

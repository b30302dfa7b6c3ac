#pragma once

// Lets JUCE open windows on an X server without a window manager, such as the
// virtual display of xvfb-run. JUCE sets window-manager properties whose atoms
// only a window manager creates; a plugin's host installs an X error handler
// that ignores the failures, and a program without one would be ended by
// Xlib's default handler at the first. Call before JUCE opens the display.
void tolerateBareXServer();

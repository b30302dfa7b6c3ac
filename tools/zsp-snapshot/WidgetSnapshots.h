#pragma once
#include <string>

#include <juce_core/juce_core.h>

// Writes a PNG picture of each player widget in its main states into folder
// (made when missing): knobs, faders, meters, the keyboard, the loading
// overlay and combo boxes. The focused combo box needs a window on a display.
// False with a message when a picture cannot be made or written.
bool writeWidgetSnapshots(const juce::File& folder, std::string& error);

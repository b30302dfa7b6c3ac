#pragma once
#include <string>

// Writes a PNG picture of the player window for the instrument at
// `instrumentPath`, as the plugin shows it right after loading it: exactly
// the size of its layout. False with a message when the instrument does not
// load or the picture cannot be written. Needs JUCE's message manager.
bool writePlayerSnapshot(const std::string& instrumentPath, const std::string& outputFile, std::string& error);

#pragma once
// What both layout fuzzers share: real pictures in an images element (a film
// strip, a button, a fader thumb and a meter under the numbers 0 to 3) and the
// seed layouts, written when ZSP_WRITE_LAYOUT_SEEDS names a folder; and the
// start of JUCE both need.

#include <cstdlib>
#include <string>

#include <juce_gui_basics/juce_gui_basics.h>

#include "engine/ZInstrument.h"

namespace LayoutSeeds
{
inline std::string pictureText(int width, int height, juce::Colour colour)
{
    juce::Image image(juce::Image::ARGB, width, height, true);
    image.clear({ 0, 0, width / 2, height }, colour);
    juce::MemoryOutputStream stream;
    juce::PNGImageFormat().writeImageToStream(image, stream);
    return stream.getMemoryBlock().toBase64Encoding().toStdString();
}

inline const std::string& imagesElement()
{
    static const std::string element = "<Images><0>" + pictureText(160, 32, juce::Colours::red) + "</0><1>"
                                       + pictureText(34, 17, juce::Colours::green) + "</1><2>"
                                       + pictureText(20, 10, juce::Colours::blue) + "</2><3>"
                                       + pictureText(2, 14, juce::Colours::white) + "</3></Images>";
    return element;
}

inline const char* const seedLayouts[] = {
    "<Player width=\"300\" height=\"120\"><Label x=\"4\" y=\"4\" width=\"120\" height=\"20\" 8=\"caf\xc3\xa9\" 5=\"36\" "
    "6=\"<Sans-Serif>\" 7=\"14.5\" 2=\"1\" 16777957=\"#ffffffff\"/><keyboard y=\"60\" width=\"300\" height=\"60\" "
    "4=\"36,95\" 2=\"20\" 3=\"1\" 16797796=\"ff\"/></Player>",
    "<player><knob 1=\"0\" x=\"10\" y=\"10\" 2=\"101\" 9=\"5\"/><knob 2=\"2\" 16782198=\"66dfc4c4\"/>"
    "<fader 1=\"2\" x=\"60\" width=\"20\" height=\"80\" 2=\"10\"/><fader 2=\"9\"/></player>",
    "<PLAYER><Combo 2=\"102\" x=\"1\"/><Combo 2=\"4\" 16780132=\"ff202020\"/><Button 1=\"1\" 2=\"10\" 10=\"0\" 3=\"1\"/>"
    "<Button 8=\"Load\" 2=\"3\"/><Button 2=\"https://example.invalid/\" 8=\"Web\"/><meter 1=\"3\" 3=\"1\"/>"
    "<meter 2=\"2\"/></PLAYER>",
    "<Player><Button 1=\"7\"/><Images><7>20.abcdefghijklmnopqrstuvwxyz</7><x>4.abcd</x></Images><Button 1=\"7\"/>"
    "<label><knob/><label/></label></Player>",
};

inline void writeSeeds(const juce::File& folder)
{
    folder.createDirectory();
    int index = 0;
    const auto write = [&](const std::string& text) {
        folder.getChildFile("seed-" + juce::String(index++)).replaceWithData(text.data(), text.size());
    };
    write(defaultLayoutXml);
    for (const char* layout : seedLayouts)
        write(layout);
    write("<Player>" + imagesElement() + "<knob 1=\"0\"/><Button 1=\"1\"/><fader 1=\"2\"/><meter 1=\"3\"/></Player>");
}

// Starts JUCE for the rest of the process; when ZSP_WRITE_LAYOUT_SEEDS names a
// folder, writes the seeds into it and ends instead.
inline void startJuceOrWriteSeeds()
{
    // Never destroyed: JUCE stays up until the process ends.
    static auto* const gui = new juce::ScopedJuceInitialiser_GUI();
    juce::ignoreUnused(gui);
    if (const char* folder = std::getenv("ZSP_WRITE_LAYOUT_SEEDS"))
    {
        writeSeeds(juce::File(folder));
        std::_Exit(0);
    }
}
} // namespace LayoutSeeds

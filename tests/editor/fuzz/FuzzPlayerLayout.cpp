// Builds the player surface from arbitrary layout text, as an instrument file
// could carry it: each input is loaded once as it is and once with an images
// element of real pictures (a film strip, a button, a fader thumb and a meter
// under the numbers 0 to 3) put in right after the root's start tag, so that
// widgets naming those numbers find them. The surface is then painted (a
// corner of it) and rebuilt once more, as the editor does after a reload.
// Each input is copied to a heap block of exactly its size, so
// AddressSanitizer sees any read past its end.
//
// Started with ZSP_WRITE_LAYOUT_SEEDS=<folder> in its environment it writes
// its seed layouts into that folder and ends.

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "editor/CPlayerGUI.h"
#include "engine/ZInstrument.h"

namespace
{
// Receives every control's events and does nothing with them.
struct SilentEditor : juce::MouseListener,
                      juce::Slider::Listener,
                      juce::ComboBox::Listener,
                      juce::Button::Listener,
                      RFaderDelegate,
                      juce::MidiKeyboardStateListener
{
    void sliderValueChanged(juce::Slider*) override {}
    void comboBoxChanged(juce::ComboBox*) override {}
    void buttonClicked(juce::Button*) override {}
    void faderValueChanged(RFader*, bool) override {}
    void handleNoteOn(juce::MidiKeyboardState*, int, int, float) override {}
    void handleNoteOff(juce::MidiKeyboardState*, int, int, float) override {}
};

std::string pictureText(int width, int height, juce::Colour colour)
{
    juce::Image image(juce::Image::ARGB, width, height, true);
    image.clear({ 0, 0, width / 2, height }, colour);
    juce::MemoryOutputStream stream;
    juce::PNGImageFormat().writeImageToStream(image, stream);
    return stream.getMemoryBlock().toBase64Encoding().toStdString();
}

const std::string& imagesElement()
{
    static const std::string element = "<Images><0>" + pictureText(160, 32, juce::Colours::red) + "</0><1>"
                                       + pictureText(34, 17, juce::Colours::green) + "</1><2>"
                                       + pictureText(20, 10, juce::Colours::blue) + "</2><3>"
                                       + pictureText(2, 14, juce::Colours::white) + "</3></Images>";
    return element;
}

std::string withImages(const std::string& layout)
{
    const size_t rootEnd = layout.find('>', layout.find("<P") == std::string::npos ? 0 : layout.find("<P"));
    if (rootEnd == std::string::npos)
        return imagesElement() + layout;
    return layout.substr(0, rootEnd + 1) + imagesElement() + layout.substr(rootEnd + 1);
}

struct Harness
{
    Harness()
    {
        surface.showMessage = [](const juce::String&, const juce::String&) {};
    }

    void build(const std::string& layout)
    {
        instrument.layoutXml = layout;
        surface.loadLayout();
        juce::Image corner(juce::Image::ARGB, 96, 64, true);
        juce::Graphics g(corner);
        surface.paintEntireComponent(g, false);
    }

    ZInstrument instrument;
    juce::MidiKeyboardState keyboardState;
    SilentEditor editor;
    CPlayerGUI surface { &instrument, keyboardState, CPlayerGUI::EditorLinks::to(editor) };
};

const char* const seedLayouts[] = {
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

void writeSeeds(const juce::File& folder)
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
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static juce::ScopedJuceInitialiser_GUI gui;
    if (const char* folder = std::getenv("ZSP_WRITE_LAYOUT_SEEDS"))
    {
        writeSeeds(juce::File(folder));
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Harness harness;
    const std::unique_ptr<uint8_t[]> copy(new uint8_t[size]);
    if (size > 0)
        std::memcpy(copy.get(), data, size);
    const std::string layout(reinterpret_cast<const char*>(copy.get()), size);
    harness.build(layout);
    harness.build(withImages(layout));
    harness.build(withImages(layout));
    return 0;
}

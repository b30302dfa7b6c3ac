// Builds the player surface from arbitrary layout text, as an instrument file
// could carry it: each input is loaded once as it is and once with an images
// element of real pictures (a film strip, a button, a fader thumb and a meter
// under the numbers 0 to 3) put in right after the root's start tag, so that
// widgets naming those numbers find them. The surface is then painted (a
// corner of it); the second build replaces the first, as the editor's rebuild
// after a reload does.
// Each input is copied to a heap block of exactly its size, so
// AddressSanitizer sees any read past its end.
//
// Started with ZSP_WRITE_LAYOUT_SEEDS=<folder> in its environment it writes
// its seed layouts into that folder and ends.

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "LayoutSeeds.h"
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

std::string withImages(const std::string& layout)
{
    const size_t rootEnd = layout.find('>', layout.find("<P") == std::string::npos ? 0 : layout.find("<P"));
    if (rootEnd == std::string::npos)
        return LayoutSeeds::imagesElement() + layout;
    return layout.substr(0, rootEnd + 1) + LayoutSeeds::imagesElement() + layout.substr(rootEnd + 1);
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

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    LayoutSeeds::startJuceOrWriteSeeds();
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
    return 0;
}

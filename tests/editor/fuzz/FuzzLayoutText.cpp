// Reads arbitrary layout text as the player surface does before it builds a
// widget: the guarded parse, the pictures of every images element, and each
// element's settings applied to one widget of every kind whose settings differ
// (a label, a button, a keyboard, a level meter, a plain component). The
// surface itself is not built and nothing is painted, so this runs many times
// faster than fuzzPlayerLayout, which does both. The widgets are kept from
// input to input, as a surface keeps its own. Each input is copied to a heap
// block of exactly its size, so AddressSanitizer sees any read past its end.
//
// Started with ZSP_WRITE_LAYOUT_SEEDS=<folder> in its environment it writes
// the seed layouts into that folder and ends.

#include <cstring>
#include <memory>
#include <string>

#include "LayoutSeeds.h"
#include "editor/LayoutAttributes.h"
#include "editor/LayoutText.h"
#include "widgets/CPlayerKeyboard.h"
#include "widgets/RLevelMeter.h"

namespace
{
struct Widgets
{
    void apply(const juce::XmlElement& element)
    {
        for (juce::Component* widget : { static_cast<juce::Component*>(&label), static_cast<juce::Component*>(&button),
                                         static_cast<juce::Component*>(&keyboard),
                                         static_cast<juce::Component*>(&meter), &plain })
            applyLayoutAttributes(*widget, element);
    }

    juce::MidiKeyboardState keyboardState;
    juce::Label label;
    juce::TextButton button;
    CPlayerKeyboard keyboard { keyboardState, juce::MidiKeyboardComponent::horizontalKeyboard };
    RLevelMeter meter { juce::Image(juce::Image::ARGB, 2, 14, true) };
    juce::Component plain;
};

// Every element below the root, depth first, as the surface meets them.
void readElements(const juce::XmlElement& parent, Widgets& widgets)
{
    for (auto* child : parent.getChildIterator())
    {
        if (child->isTextElement())
            continue;
        if (child->getTagName().equalsIgnoreCase("Images"))
        {
            for (auto* imageElement : child->getChildIterator())
                if (!imageElement->isTextElement())
                    LayoutText::decodeLayoutImage(imageElement->getAllSubText());
            continue;
        }
        widgets.apply(*child);
        readElements(*child, widgets);
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    LayoutSeeds::startJuceOrWriteSeeds();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static auto* const widgets = new Widgets;
    const std::unique_ptr<uint8_t[]> copy(new uint8_t[size]);
    if (size > 0)
        std::memcpy(copy.get(), data, size);
    juce::String error;
    const std::unique_ptr<juce::XmlElement> root
        = LayoutText::parse(std::string(reinterpret_cast<const char*>(copy.get()), size), error);
    if (root != nullptr)
        readElements(*root, *widgets);
    return 0;
}

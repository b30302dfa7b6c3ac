#include "editor/LayoutAttributes.h"

#include "editor/CPlayerGUI.h"
#include "widgets/CPlayerKeyboard.h"
#include "widgets/RLevelMeter.h"

namespace
{
const juce::String defaultFontName = "<Sans-Serif>";
constexpr double defaultFontHeight = 12.0;

// A widget is never wider or higher than the surface can be, nor placed
// further than that from its corner: drawing one that a layout made millions
// of pixels high would need memory beyond any machine's.
void applyBounds(juce::Component& widget, const juce::XmlElement& element)
{
    constexpr int side = CPlayerGUI::maximumSide;
    widget.setBounds(juce::jlimit(-side, side, element.getIntAttribute("x", 0)),
                     juce::jlimit(-side, side, element.getIntAttribute("y", 0)),
                     juce::jlimit(0, side, element.getIntAttribute("width", 50)),
                     juce::jlimit(0, side, element.getIntAttribute("height", 50)));
}

void applyJustification(juce::Component& widget, const juce::XmlElement& element)
{
    auto* label = dynamic_cast<juce::Label*>(&widget);
    if (label == nullptr)
        return;
    const int flags = element.getIntAttribute("5", 0);
    if (label->getJustificationType().getFlags() != flags)
        label->setJustificationType(juce::Justification(flags));
    widget.getProperties().set("5", flags);
}

void applyFont(juce::Component& widget, const juce::XmlElement& element)
{
    const juce::String name = element.getStringAttribute("6", defaultFontName);
    const double height = element.getDoubleAttribute("7", defaultFontHeight);
    if (auto* label = dynamic_cast<juce::Label*>(&widget))
        label->setFont(juce::Font(name, static_cast<float>(height), juce::Font::plain));
    widget.getProperties().set("6", name);
    widget.getProperties().set("7", height);
}

void applyKeyRange(juce::Component& widget, const juce::XmlElement& element)
{
    auto* keyboard = dynamic_cast<CPlayerKeyboard*>(&widget);
    const juce::String text = element.getStringAttribute("4");
    if (keyboard == nullptr || text.isEmpty())
        return;
    const int low = juce::jlimit(0, 127, text.upToFirstOccurrenceOf(",", false, false).getIntValue());
    const int high = juce::jlimit(0, 127, text.fromFirstOccurrenceOf(",", false, false).getIntValue());
    if (low != keyboard->getRangeStart() || high != keyboard->getRangeEnd())
        keyboard->setAvailableRange(low, high);
    widget.getProperties().set("4", text);
}

void applyNoteNumber(juce::Component& widget, const juce::XmlElement& element)
{
    const juce::String text = element.getStringAttribute("10");
    if (dynamic_cast<juce::Button*>(&widget) == nullptr || text.isEmpty())
        return;
    const int note = text.getIntValue();
    widget.getProperties().set("10", note == 0 ? 60 : note);
}

void applyColours(juce::Component& widget, const juce::XmlElement& element)
{
    for (const int colourId : CPlayerGUI::layoutColourIds)
    {
        const juce::String name(colourId + 100);
        const juce::String text = element.getStringAttribute(name);
        if (text.isEmpty())
            continue;
        const juce::Colour colour(static_cast<juce::uint32>(text.getHexValue32()));
        widget.setColour(colourId, colour);
        widget.getProperties().set(juce::Identifier(name), juce::String::toHexString(colour.getARGB()));
    }
}

void applyCaption(juce::Component& widget, const juce::XmlElement& element)
{
    const juce::String caption = element.getStringAttribute("8");
    if (auto* button = dynamic_cast<juce::Button*>(&widget))
    {
        if (button->getButtonText() != caption)
            button->setButtonText(caption);
    }
    else if (auto* label = dynamic_cast<juce::Label*>(&widget))
        label->setText(caption, juce::dontSendNotification);
    widget.getProperties().set("8", caption);
}

void applyOptionFlag(juce::Component& widget, const juce::XmlElement& element)
{
    const bool option = element.getBoolAttribute("3", false);
    if (auto* button = dynamic_cast<juce::Button*>(&widget))
        button->setClickingTogglesState(option);
    else if (auto* keyboard = dynamic_cast<CPlayerKeyboard*>(&widget))
    {
        keyboard->setLabelCKeys(option);
        keyboard->repaint();
    }
    else if (auto* meter = dynamic_cast<RLevelMeter*>(&widget))
    {
        meter->setFadeMode(option);
        meter->repaint();
    }
    widget.getProperties().set("3", option);
}
} // namespace

void applyControlIdAndMask(juce::Component& widget, const juce::XmlElement& element)
{
    const int id = element.getIntAttribute("2", -1);
    const juce::String mask = element.getStringAttribute("9", "-1");
    if (mask != "-1")
        widget.getProperties().set("9", mask);
    if (id >= 0)
    {
        widget.getProperties().set("2", id);
        if (auto* keyboard = dynamic_cast<CPlayerKeyboard*>(&widget))
            keyboard->setMidiChannel(juce::jlimit(1, 16, id));
    }
    else if (const juce::String text = element.getStringAttribute("2"); text.isNotEmpty())
        widget.getProperties().set("2", text);
}

void applyLayoutAttributes(juce::Component& widget, const juce::XmlElement& element)
{
    applyBounds(widget, element);
    applyJustification(widget, element);
    applyFont(widget, element);
    applyKeyRange(widget, element);
    applyNoteNumber(widget, element);
    applyColours(widget, element);
    applyCaption(widget, element);
    applyOptionFlag(widget, element);
    applyControlIdAndMask(widget, element);
}

#include "editor/CPlayerGUI.h"

#include "editor/LayoutAttributes.h"
#include "editor/LayoutText.h"
#include "editor/PlayerImages.h"
#include "engine/ZInstrument.h"

namespace
{
constexpr juce::uint32 lightGrey = 0xffd3d3d3;

void showAsyncMessageBox(const juce::String& title, const juce::String& message)
{
    juce::NativeMessageBox::showAsync(juce::MessageBoxOptions()
                                          .withIconType(juce::MessageBoxIconType::NoIcon)
                                          .withTitle(title)
                                          .withMessage(message)
                                          .withButton("OK"),
                                      nullptr);
}

// The background the instrument asks for: the built-in one when it stores
// none, no picture when what it stores is too short or does not decode.
juce::Image backgroundFor(const ZInstrument& instrument)
{
    const int32_t size = instrument.backgroundImageSize();
    if (size <= 0)
        return PlayerImages::defaultBackgroundImage();
    if (size <= 4)
        return {};
    return PlayerImages::decodeImage(instrument.backgroundImageData.data(), static_cast<size_t>(size));
}
} // namespace

CPlayerGUI::CPlayerGUI(ZInstrument* instrumentToShow, juce::MidiKeyboardState& sharedKeyboardState, EditorLinks links)
    : keyboardState(sharedKeyboardState),
      instrument(instrumentToShow),
      tooltipWindow(nullptr, 700),
      editor(links),
      showMessage(showAsyncMessageBox)
{
    if (editor.keyboard != nullptr)
        keyboardState.addListener(editor.keyboard);
    setColour(juce::Slider::backgroundColourId, juce::Colour(lightGrey));
    setOpaque(true);
}

CPlayerGUI::~CPlayerGUI()
{
    removeAllChildren();
    clearWidgets();
    if (editor.keyboard != nullptr)
        keyboardState.removeListener(editor.keyboard);
}

juce::Image CPlayerGUI::findImage(int number) const
{
    for (const auto& image : images)
        if (image.getProperties()->getWithDefault("path", {}).toString().getIntValue() == number)
            return image;
    return {};
}

void CPlayerGUI::clearWidgets()
{
    // Each list from its last entry to its first.
    keyboards.clear(true);
    labels.clear(true);
    sliders.clear(true);
    comboBoxes.clear(true);
    buttons.clear(true);
    faders.clear(true);
    meters.clear(true);
    widgets.clear();
    images.clear();
}

void CPlayerGUI::paint(juce::Graphics& g)
{
    // The surface is opaque: a colour that is not leaves the light grey
    // showing through rather than whatever lay below.
    g.fillAll(juce::Colour(lightGrey));
    g.fillAll(playerColour());
    if (backgroundImage.isValid())
        g.drawImageWithin(backgroundImage, 0, 0, getWidth(), getHeight(), juce::RectanglePlacement::stretchToFit);
}

void CPlayerGUI::loadLayout()
{
    for (int i = getNumChildComponents(); --i >= 0;)
        removeChildComponent(i);
    clearWidgets();
    colourOfLayout = juce::Colour(instrument != nullptr ? instrument->settings.playerColour : lightGrey);
    if (instrument == nullptr)
        return;

    backgroundImage = backgroundFor(*instrument);

    juce::String parseError;
    std::unique_ptr<juce::XmlElement> root = LayoutText::parse(instrument->layoutXml, parseError);
    if (root == nullptr)
    {
        showMessage("Layout XML Format Error", parseError);
        repaint();
        return;
    }
    if (! root->getTagName().equalsIgnoreCase("Player"))
    {
        showMessage("Zarvo Sampler Player", "No Player Node found");
        repaint();
        return;
    }

    setSize(juce::jlimit(0, maximumSide, root->getIntAttribute("width", 600)),
            juce::jlimit(0, maximumSide, root->getIntAttribute("height", 250)));

    for (auto* child : root->getChildIterator())
    {
        if (child->isTextElement())
            continue;
        if (child->getTagName().equalsIgnoreCase("Images"))
        {
            for (auto* imageElement : child->getChildIterator())
                if (! imageElement->isTextElement())
                    if (auto image = LayoutText::decodeLayoutImage(imageElement->getAllSubText()); image.isValid())
                    {
                        image.getProperties()->set("path", imageElement->getTagName());
                        images.add(image);
                    }
            continue;
        }
        if (auto* widget = createWidget(*child))
        {
            applyLayoutAttributes(*widget, *child);
            widget->setVisible(true);
            addChildComponent(widget, -1);
            widgets.add(widget);
        }
    }

    const juce::Colour colour = playerColour();
    setColour(juce::Slider::backgroundColourId, colour);
    if (colour.getAlpha() != 0)
    {
        auto& lookAndFeel = juce::LookAndFeel::getDefaultLookAndFeel();
        lookAndFeel.setColour(juce::PopupMenu::highlightedBackgroundColourId, colour);
        lookAndFeel.setColour(juce::PopupMenu::highlightedTextColourId, colour.contrasting(1.0f));
    }
    repaint();
}

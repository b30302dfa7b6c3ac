#include "editor/CPlayerGUI.h"

#include "editor/LayoutAttributes.h"
#include "editor/PlayerImages.h"
#include "widgets/CKnob.h"

namespace
{
void setUpKnob(juce::Slider& knob)
{
    knob.setSliderStyle(juce::Slider::RotaryVerticalDrag);
    knob.setTextBoxStyle(juce::Slider::NoTextBox, true, 0, 0);
    knob.setRange(0.0, 1.0, 0.0);
}

// A film strip's frames are square: side by side in a strip wider than high,
// stacked otherwise.
int frameSize(const juce::Image& strip)
{
    return strip.getWidth() > strip.getHeight() ? strip.getHeight() : strip.getWidth();
}

// The left half of the picture is the normal button, the right half the
// pressed one.
void setUpImageButton(juce::ImageButton& button, const juce::Image& picture)
{
    const int half = picture.getWidth() / 2;
    const juce::Image normal = picture.getClippedImage({ 0, 0, half, picture.getHeight() });
    const juce::Image pressed = picture.getClippedImage({ half, 0, half, picture.getHeight() });
    const juce::Colour none = juce::Colours::transparentBlack;
    button.setImages(true, false, true, normal, 1.0f, none, juce::Image(), 1.0f, none, pressed, 1.0f, none, 0.0f);
}
} // namespace

juce::Component* CPlayerGUI::createWidget(const juce::XmlElement& element)
{
    const juce::String tag = element.getTagName();
    const bool hasImage = element.hasAttribute("1");
    const int imageNumber = element.getIntAttribute("1");

    if (tag.equalsIgnoreCase("Label"))
    {
        auto* label = labels.add(new juce::Label({}, {}));
        if (editor.labelMouse != nullptr)
            label->addMouseListener(editor.labelMouse, false);
        return label;
    }
    if (tag.equalsIgnoreCase("keyboard"))
    {
        auto* keyboard = keyboards.add(new CPlayerKeyboard(keyboardState, juce::MidiKeyboardComponent::horizontalKeyboard));
        keyboard->setLabelCKeys(true);
        return keyboard;
    }
    if (tag.equalsIgnoreCase("knob"))
    {
        juce::Slider* knob = nullptr;
        if (hasImage)
        {
            auto* filmStripKnob = new CKnob();
            const juce::Image strip = findImage(imageNumber);
            filmStripKnob->setFilmStrip(strip);
            filmStripKnob->setSize(frameSize(strip), frameSize(strip));
            filmStripKnob->getProperties().set("1", imageNumber);
            knob = filmStripKnob;
        }
        else
        {
            knob = new juce::Slider();
            knob->getProperties().remove("1");
        }
        sliders.add(knob);
        setUpKnob(*knob);
        if (editor.knobs != nullptr)
            knob->addListener(editor.knobs);
        return knob;
    }
    if (tag.equalsIgnoreCase("Combo"))
    {
        auto* comboBox = comboBoxes.add(new juce::ComboBox(juce::String()));
        applyControlIdAndMask(*comboBox, element);
        fillChoices(*comboBox);
        if (editor.comboBoxes != nullptr)
            comboBox->addListener(editor.comboBoxes);
        return comboBox;
    }
    if (tag.equalsIgnoreCase("Button"))
    {
        juce::Button* button = nullptr;
        if (hasImage)
        {
            auto* imageButton = new juce::ImageButton("button");
            juce::Image picture = findImage(imageNumber);
            if (! picture.isValid())
                picture = PlayerImages::defaultButtonImage();
            setUpImageButton(*imageButton, picture);
            imageButton->getProperties().set("1", imageNumber);
            button = imageButton;
        }
        else
        {
            button = new juce::TextButton(juce::String());
            button->getProperties().remove("1");
        }
        buttons.add(button);
        if (editor.buttons != nullptr)
            button->addListener(editor.buttons);
        return button;
    }
    if (tag.equalsIgnoreCase("fader"))
    {
        if (! hasImage)
            return nullptr;
        auto* fader = faders.add(new RFader(findImage(imageNumber)));
        fader->repaint();
        fader->getProperties().set("1", imageNumber);
        fader->setDelegate(editor.faders);
        return fader;
    }
    if (tag.equalsIgnoreCase("meter"))
    {
        const int number = hasImage ? imageNumber : -1;
        juce::Image picture = findImage(number);
        if (! picture.isValid())
            picture = PlayerImages::defaultMeterImage();
        auto* meter = meters.add(new RLevelMeter(picture));
        meter->getProperties().set("1", number);
        return meter;
    }
    return nullptr;
}

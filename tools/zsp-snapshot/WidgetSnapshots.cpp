#include "WidgetSnapshots.h"

#include <functional>

#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "widgets/CKnob.h"
#include "widgets/CLoadingComponent.h"
#include "widgets/CLookAndFeel.h"
#include "widgets/CPlayerKeyboard.h"
#include "widgets/RFader.h"
#include "widgets/RLevelMeter.h"
#include "widgets/RLevelMeterDriver.h"

namespace
{
constexpr int margin = 12;
const juce::Colour playerGrey(0xffd3d3d3);

// A film strip of 64 frames of 48 x 48 stacked top to bottom: a dark dial
// whose pointer and lit arc turn from -135 to +135 degrees.
juce::Image drawKnobStrip()
{
    constexpr int size = 48;
    constexpr int frames = 64;
    juce::Image strip(juce::Image::ARGB, size, size * frames, true);
    juce::Graphics g(strip);
    const float start = juce::degreesToRadians(-135.0f);
    const float end = juce::degreesToRadians(135.0f);
    for (int k = 0; k < frames; ++k)
    {
        const juce::Rectangle<float> frame(0.0f, static_cast<float>(k * size), size, size);
        const juce::Point<float> centre = frame.getCentre();
        const float angle = start + (end - start) * static_cast<float>(k) / (frames - 1);

        g.setColour(juce::Colour(0xff3a3f44));
        g.fillEllipse(frame.reduced(6.0f));
        g.setColour(juce::Colour(0xff8a9096));
        g.drawEllipse(frame.reduced(6.0f), 1.5f);

        juce::Path arc;
        arc.addCentredArc(centre.x, centre.y, 21.0f, 21.0f, 0.0f, start, angle, true);
        g.setColour(juce::Colour(0xff4fc3f7));
        g.strokePath(arc, juce::PathStrokeType(3.0f));

        const juce::Point<float> tip = centre.getPointOnCircumference(15.0f, angle);
        g.setColour(juce::Colours::white);
        g.drawLine({ centre.getPointOnCircumference(5.0f, angle), tip }, 2.5f);
    }
    return strip;
}

juce::Image drawFaderThumb()
{
    juce::Image thumb(juce::Image::ARGB, 28, 14, true);
    juce::Graphics g(thumb);
    g.setColour(juce::Colour(0xff50575e));
    g.fillRoundedRectangle(0.5f, 0.5f, 27.0f, 13.0f, 3.0f);
    g.setColour(juce::Colours::white);
    g.fillRect(3, 6, 22, 2);
    return thumb;
}

// A lit meter: green at the bottom to red at the top, a gap every third row.
juce::Image drawMeterImage()
{
    constexpr int width = 10;
    constexpr int height = 84;
    juce::Image meter(juce::Image::ARGB, width, height, true);
    juce::Graphics g(meter);
    g.setGradientFill(juce::ColourGradient::vertical(juce::Colours::red, 0.0f, juce::Colours::limegreen, height));
    for (int y = 0; y < height; y += 3)
        g.fillRect(0, y, width, 2);
    return meter;
}

// The player's grey behind one widget, with a groove for a fader's thumb.
class Stage : public juce::Component
{
public:
    Stage(juce::Component& shown, bool groove)
        : widget(shown), drawsGroove(groove)
    {
        addAndMakeVisible(widget);
        setSize(widget.getWidth() + 2 * margin, widget.getHeight() + 2 * margin);
        widget.setTopLeftPosition(margin, margin);
    }

    void paint(juce::Graphics& g) override
    {
        g.fillAll(playerGrey);
        if (drawsGroove)
        {
            g.setColour(juce::Colour(0xff707070));
            g.fillRect(widget.getBounds().withSizeKeepingCentre(4, widget.getHeight()));
        }
    }

private:
    juce::Component& widget;
    bool drawsGroove;
};

class PictureWriter
{
public:
    explicit PictureWriter(const juce::File& outputFolder) : folder(outputFolder) {}

    bool write(const juce::String& name, juce::Component& component, std::string& error) const
    {
        return write(name, component.createComponentSnapshot(component.getLocalBounds(), true, 1.0f), error);
    }

    bool write(const juce::String& name, const juce::Image& picture, std::string& error) const
    {
        const juce::File file = folder.getChildFile(name + ".png");
        file.deleteFile();
        juce::FileOutputStream stream(file);
        juce::PNGImageFormat png;
        if (!stream.openedOk() || !png.writeImageToStream(picture, stream))
        {
            error = file.getFullPathName().toStdString() + ": cannot write the picture";
            return false;
        }
        return true;
    }

private:
    juce::File folder;
};

bool writeKnobs(const PictureWriter& writer, std::string& error)
{
    const juce::Image strip = drawKnobStrip();
    const std::pair<const char*, double> values[] = { { "knob-0", 0.0 }, { "knob-0.5", 0.5 }, { "knob-1", 1.0 } };
    for (const auto& [name, value] : values)
    {
        CKnob knob;
        knob.setSliderStyle(juce::Slider::RotaryVerticalDrag);
        knob.setTextBoxStyle(juce::Slider::NoTextBox, true, 0, 0);
        knob.setRange(0.0, 1.0, 0.0);
        knob.setFilmStrip(strip);
        knob.setSize(48, 48);
        knob.setValue(value, juce::dontSendNotification);
        Stage stage(knob, false);
        if (!writer.write(name, stage, error))
            return false;
    }
    CKnob bare;
    bare.setSize(48, 48);
    Stage stage(bare, false);
    return writer.write("knob-no-image", stage, error);
}

bool writeFaders(const PictureWriter& writer, std::string& error)
{
    for (const bool enabled : { true, false })
    {
        RFader fader(drawFaderThumb());
        fader.setSize(28, 140);
        fader.setValue(0.7f);
        fader.setEnabled(enabled);
        Stage stage(fader, true);
        if (!writer.write(enabled ? "fader-enabled" : "fader-disabled", stage, error))
            return false;
    }
    return true;
}

// New meters start at 0 dB; the shared driver's ticks, run by hand here,
// let them fall 1 dB each.
bool writeMeters(const PictureWriter& writer, std::string& error)
{
    const juce::Image lit = drawMeterImage();
    for (const bool fade : { false, true })
        for (const int fall : { 0, 12, 24 })
        {
            RLevelMeter meter(lit);
            meter.setFadeMode(fade);
            for (int tick = 0; tick < fall; ++tick)
                RLevelMeterDriver::getInstance()->timerCallback();
            Stage stage(meter, false);
            const juce::String name = juce::String(fade ? "meter-fade-" : "meter-bar-")
                                    + (fall == 0 ? "0db" : "minus" + juce::String(fall) + "db");
            if (!writer.write(name, stage, error))
                return false;
        }
    return true;
}

bool writeKeyboard(const PictureWriter& writer, std::string& error)
{
    juce::MidiKeyboardState state;
    CPlayerKeyboard keyboard(state, juce::MidiKeyboardComponent::horizontalKeyboard);
    keyboard.setAvailableRange(36, 95);
    keyboard.setKeyWidth(16.0f);
    keyboard.setSize(35 * 16, 64);
    for (const int note : { 48, 52, 55, 61 })
        state.noteOn(1, note, 1.0f);
    Stage stage(keyboard, false);
    return writer.write("keyboard", stage, error);
}

// The progress bar reads its value on a timer of its own, which inherits
// privately from juce::Timer; only a C-style cast reaches it to run it once.
void refreshProgressBar(juce::ProgressBar& bar)
{
    ((juce::Timer&) bar).timerCallback();
}

// A window on the screen, so that the spinner's trail fades through the
// desktop's animator and the combo box can hold the keyboard focus.
class Window : public juce::Component
{
public:
    Window(juce::Component& content)
    {
        setSize(content.getWidth(), content.getHeight());
        addAndMakeVisible(content);
        addToDesktop(0);
        setVisible(true);
    }
    ~Window() override { removeFromDesktop(); }
};

// The trail of earlier steps fades over CSpinner::trailFadeMs; without a
// running message loop, the fading images are dimmed here by the time each
// step takes.
void stepSpinner(CSpinner& spinner, int steps)
{
    const float fadePerStep = static_cast<float>(CSpinner::stepMs) / CSpinner::trailFadeMs;
    for (int s = 0; s < steps; ++s)
    {
        for (auto* trail : spinner.getChildren())
            trail->setAlpha(juce::jmax(0.0f, trail->getAlpha() - fadePerStep));
        spinner.step();
    }
}

// Each picture from a new overlay: the bar eases towards a new value over
// the time between its reads, and only its first read jumps straight to it.
bool writeOverlay(const PictureWriter& writer, std::string& error)
{
    const std::pair<int, double> shots[] = { { 3, 0.25 }, { 6, 0.6 } };
    for (const auto& [steps, progress] : shots)
    {
        CLoadingComponent overlay;
        overlay.setSize(600, 250);
        overlay.setVisible(true);
        Window window(overlay);
        stepSpinner(overlay.getSpinner(), steps);
        overlay.setProgress(progress);
        overlay.pollProgress();
        refreshProgressBar(overlay.getProgressBar());
        if (!writer.write("overlay-step-" + juce::String(steps), overlay, error))
            return false;
    }
    return true;
}

bool writeComboBoxes(const PictureWriter& writer, std::string& error)
{
    juce::Component panel;
    panel.setSize(184, 48);
    juce::ComboBox box;
    box.addItemList({ "Linear", "Cubic", "Sinc" }, 1);
    box.setSelectedId(2, juce::dontSendNotification);
    box.setBounds(margin, margin, 160, 24);
    panel.addAndMakeVisible(box);
    juce::Label elsewhere;
    elsewhere.setWantsKeyboardFocus(true);
    panel.addAndMakeVisible(elsewhere);
    Window window(panel);

    struct Shot
    {
        const char* name;
        std::function<void()> setUp;
        bool focused;
    };
    const Shot shots[] = {
        { "combo-plain", [&] { elsewhere.grabKeyboardFocus(); }, false },
        { "combo-focused", [&] { box.grabKeyboardFocus(); }, true },
        { "combo-disabled", [&] { box.setEnabled(false); }, false },
        { "combo-no-button", [&] {
              box.setEnabled(true);
              elsewhere.grabKeyboardFocus();
              box.setColour(juce::ComboBox::buttonColourId, juce::Colours::transparentBlack);
          }, false },
    };
    for (const Shot& shot : shots)
    {
        shot.setUp();
        if (box.hasKeyboardFocus(false) != shot.focused)
        {
            error = "the display did not move the keyboard focus as asked";
            return false;
        }
        juce::Image picture(juce::Image::ARGB, panel.getWidth(), panel.getHeight(), true);
        {
            juce::Graphics g(picture);
            g.fillAll(playerGrey);
            panel.paintEntireComponent(g, true);
        }
        if (!writer.write(shot.name, picture, error))
            return false;
    }
    return true;
}
} // namespace

bool writeWidgetSnapshots(const juce::File& folder, std::string& error)
{
    if (juce::Desktop::getInstance().getDisplays().displays.isEmpty())
    {
        error = "no display to open windows on (run it under xvfb-run -a)";
        return false;
    }
    if (!folder.createDirectory())
    {
        error = folder.getFullPathName().toStdString() + ": cannot make the folder";
        return false;
    }
    // Drawn in the player's look, which the processor makes every
    // component's default.
    CLookAndFeel look;
    juce::LookAndFeel::setDefaultLookAndFeel(&look);
    const PictureWriter writer(folder);
    const bool written = writeKnobs(writer, error) && writeFaders(writer, error) && writeMeters(writer, error)
                      && writeKeyboard(writer, error) && writeOverlay(writer, error) && writeComboBoxes(writer, error);
    juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
    return written;
}

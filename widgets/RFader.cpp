#include "RFader.h"

#include <cmath>

#include "RFaderDelegate.h"

RFader::RFader(const juce::Image& thumbImage)
    : thumb(thumbImage)
{
}

RFader::~RFader() = default;

void RFader::setValue(float newValue)
{
    if (std::isnan(newValue))
        return;
    value = juce::jlimit(0.0f, 1.0f, newValue);
    repaint();
}

void RFader::setVertical(bool shouldBeVertical)
{
    vertical = shouldBeVertical;
    repaint();
}

int RFader::thumbLength() const
{
    return vertical ? thumb.getHeight() : thumb.getWidth();
}

int RFader::travel() const
{
    return (vertical ? getHeight() : getWidth()) - thumbLength();
}

int RFader::thumbPosition() const
{
    const float along = vertical ? 1.0f - value : value;
    return static_cast<int>(static_cast<float>(travel()) * along);
}

void RFader::paint(juce::Graphics& g)
{
    if (!thumb.isValid() || !isEnabled())
        return;
    const int position = thumbPosition();
    g.drawImageAt(thumb, vertical ? 0 : position, vertical ? position : 0);
}

void RFader::mouseDown(const juce::MouseEvent& e)
{
    const int position = thumbPosition();
    const int pressed = vertical ? juce::roundToInt(e.position.y) : juce::roundToInt(e.position.x);
    if (pressed >= position && pressed <= position + thumbLength())
    {
        dragOffset = position;
        dragging = true;
    }
}

void RFader::mouseDrag(const juce::MouseEvent& e)
{
    // Without free travel there is nowhere to drag to.
    const int length = travel();
    if (!dragging || length <= 0)
        return;
    const int distance = vertical ? e.getDistanceFromDragStartY() : e.getDistanceFromDragStartX();
    const float along = static_cast<float>(distance + dragOffset) / static_cast<float>(length);
    const float v = vertical ? 1.0f - along : along;
    if (v != value)
        change(v, false);
}

void RFader::mouseUp(const juce::MouseEvent& e)
{
    const int length = travel();
    if (!dragging && length > 0)
    {
        const float along = (vertical ? e.position.y : e.position.x) / static_cast<float>(length);
        const float v = vertical ? 1.0f - along : along;
        if (v != value)
            change(v, true);
    }
    dragging = false;
}

void RFader::mouseDoubleClick(const juce::MouseEvent&)
{
    if (defaultValue != value)
        change(defaultValue, true);
}

void RFader::mouseWheelMove(const juce::MouseEvent&, const juce::MouseWheelDetails& wheel)
{
    const float v = value + (vertical ? wheel.deltaY : wheel.deltaX);
    if (v != value)
        change(v, true);
}

// Past the ends the value stays at 0 or 1, and the delegate still hears of
// every movement with the clamped value.
void RFader::change(float newValue, bool isFinal)
{
    if (std::isnan(newValue))
        return;
    value = juce::jlimit(0.0f, 1.0f, newValue);
    repaint();
    if (delegate != nullptr)
        delegate->faderValueChanged(this, isFinal);
}

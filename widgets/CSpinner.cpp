#include "CSpinner.h"

namespace
{
const juce::Colour ringColour = juce::Colours::darkgrey.withAlpha(static_cast<juce::uint8>(0x4c));
const juce::Colour movingColour = juce::Colours::darkgrey.withAlpha(static_cast<juce::uint8>(0xcc));

// True when the component and everything above it are visible, whether or
// not the top of the hierarchy is on the screen.
bool isVisibleInHierarchy(const juce::Component& component)
{
    for (auto* c = &component; c != nullptr; c = c->getParentComponent())
        if (!c->isVisible())
            return false;
    return true;
}
} // namespace

CSpinner::ProgressPetal::ProgressPetal(const juce::Path& petalShape, const juce::AffineTransform& rotation)
    : transform(rotation), path(petalShape)
{
    setInterceptsMouseClicks(false, false);
}

CSpinner::ProgressPetal::~ProgressPetal()
{
    juce::Desktop::getInstance().getAnimator().fadeOut(this, trailFadeMs);
}

void CSpinner::ProgressPetal::paint(juce::Graphics& g)
{
    g.setColour(movingColour);
    g.fillPath(path, transform);
}

CSpinner::CSpinner()
{
    // Twelve steps of a twelfth of a turn, summed in single precision, and
    // the closing value just below a whole turn.
    for (float angle = 0.0f; angle <= 1.0f; angle += 0.0833f)
        angles.add(angle);
    setBufferedToImage(true);
    setInterceptsMouseClicks(false, false);
}

CSpinner::~CSpinner()
{
    stopTimer();
}

juce::Point<float> CSpinner::getPivot() const noexcept
{
    return { petalX + petalWidth / 2.0f, petalY - petalHeight / 1.1f };
}

juce::AffineTransform CSpinner::rotationFor(int index) const
{
    const juce::Point<float> pivot = getPivot();
    return juce::AffineTransform::rotation(angles[index] * juce::MathConstants<float>::twoPi, pivot.x, pivot.y);
}

void CSpinner::layoutPetal()
{
    const auto width = static_cast<float>(getWidth());
    const auto height = static_cast<float>(getHeight());
    petalWidth = width / 11.0f;
    petalHeight = height / 3.8f;
    petalX = width * 0.5f - petalWidth * 0.5f;
    petalY = height - petalHeight;
    const float corner = height / 40.0f;
    petal.clear();
    petal.addRoundedRectangle(petalX, petalY, petalWidth, petalHeight, corner, corner,
                              true, true, true, true);
}

std::unique_ptr<CSpinner::ProgressPetal> CSpinner::createProgressPetal(int index) const
{
    return std::make_unique<ProgressPetal>(petal, rotationFor(juce::jlimit(0, angles.size() - 1, index)));
}

void CSpinner::paint(juce::Graphics& g)
{
    layoutPetal();
    g.setColour(ringColour);
    for (int i = 0; i < angles.size() - 1; ++i)
        g.fillPath(petal, rotationFor(i));
}

void CSpinner::step()
{
    currentIndex = currentIndex < angles.size() - 1 ? currentIndex + 1 : 1;

    // A spinner without a size has no petal to leave behind.
    if (getWidth() <= 0 || getHeight() <= 0)
        return;
    layoutPetal();
    auto moving = createProgressPetal(currentIndex);
    moving->setBounds(getLocalBounds());
    addAndMakeVisible(*moving);
}

void CSpinner::timerCallback()
{
    step();
}

void CSpinner::updateRunning()
{
    if (isVisibleInHierarchy(*this))
    {
        if (!isTimerRunning())
            startTimer(stepMs);
    }
    else
    {
        stopTimer();
    }
}

void CSpinner::visibilityChanged()
{
    updateRunning();
}

void CSpinner::parentHierarchyChanged()
{
    updateRunning();
}

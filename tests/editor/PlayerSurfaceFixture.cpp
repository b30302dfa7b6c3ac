#include "PlayerSurfaceFixture.h"

juce::MemoryBlock pngBytes(int width, int height, juce::Colour colour)
{
    juce::Image image(juce::Image::ARGB, width, height, false);
    image.clear(image.getBounds(), colour);
    juce::MemoryOutputStream stream;
    juce::PNGImageFormat().writeImageToStream(image, stream);
    return stream.getMemoryBlock();
}

juce::String pngElementText(int width, int height, juce::Colour colour)
{
    return pngBytes(width, height, colour).toBase64Encoding();
}

juce::Image paintComponent(juce::Component& component)
{
    juce::Image image(juce::Image::ARGB, juce::jmax(1, component.getWidth()), juce::jmax(1, component.getHeight()), true);
    juce::Graphics g(image);
    component.paintEntireComponent(g, false);
    return image;
}

PlayerSurfaceTest::PlayerSurfaceTest()
    : surface(std::make_unique<CPlayerGUI>(&instrument, keyboardState, CPlayerGUI::EditorLinks {}))
{
    surface->showMessage = [this](const juce::String& title, const juce::String& message) {
        messages.push_back({ title, message });
    };
}

void PlayerSurfaceTest::load(const std::string& layout)
{
    instrument.layoutXml = layout;
    surface->loadLayout();
}

void PlayerSurfaceTest::expectFormatError(const std::string& layout)
{
    messages.clear();
    load(layout);
    ASSERT_EQ(messages.size(), 1u) << layout;
    EXPECT_EQ(messages[0].title, "Layout XML Format Error") << layout;
    EXPECT_TRUE(surface->widgets.isEmpty()) << layout;
}

juce::Component& PlayerSurfaceTest::onlyWidget()
{
    EXPECT_EQ(surface->widgets.size(), 1);
    static juce::Component nothing;
    return surface->widgets.isEmpty() ? nothing : *surface->widgets.getFirst();
}

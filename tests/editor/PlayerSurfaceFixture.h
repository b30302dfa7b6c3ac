#pragma once
#include <gtest/gtest.h>

#include "editor/CPlayerGUI.h"
#include "engine/ZInstrument.h"

#include <memory>
#include <string>
#include <vector>

// Picture file bytes of a solid image, written by JUCE's own encoders.
juce::MemoryBlock pngBytes(int width, int height, juce::Colour colour);
// The same in the text form of an image element (count, dot, base 64).
juce::String pngElementText(int width, int height, juce::Colour colour);

// Paints a component with its children into a transparent ARGB image of its size.
juce::Image paintComponent(juce::Component& component);

// One message box the surface asked for.
struct ShownMessage
{
    juce::String title;
    juce::String message;
};

// A surface on an instrument of its own, with the message boxes recorded
// instead of shown.
class PlayerSurfaceTest : public ::testing::Test
{
protected:
    PlayerSurfaceTest();

    // Sets the instrument's layout text and builds the surface from it.
    void load(const std::string& layout);
    // Loads the layout and expects it refused: the format error box alone and
    // not one widget.
    void expectFormatError(const std::string& layout);
    // The only widget of the surface (fails the test when there is not one).
    juce::Component& onlyWidget();

    ZInstrument instrument;
    juce::MidiKeyboardState keyboardState;
    std::vector<ShownMessage> messages;
    std::unique_ptr<CPlayerGUI> surface;
};

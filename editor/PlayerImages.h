#pragma once
#include <juce_graphics/juce_graphics.h>

// The player's built-in pictures, compiled into the plugin.
namespace PlayerImages
{
// The background of a layout whose instrument stores none (593 x 242).
juce::Image defaultBackgroundImage();
// An image button's picture when its image number names no layout image:
// 34 x 17, the left half normal, the right half pressed.
juce::Image defaultButtonImage();
// A meter's picture when its image number names no layout image (2 x 14).
juce::Image defaultMeterImage();

// Decodes image file bytes (PNG, JPEG or GIF) after checking the size the
// file declares, so that a small file can never make a huge image, and
// without ever letting a damaged file stop the caller. Null for
// anything else, for bytes that do not decode, and for pictures larger than
// maximumImageSide on a side or maximumImagePixels in all.
juce::Image decodeImage(const void* data, size_t size);

constexpr int maximumImageSide = 8192;
constexpr int64_t maximumImagePixels = 4096 * 4096;
} // namespace PlayerImages

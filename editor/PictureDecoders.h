#pragma once
#include <juce_graphics/juce_graphics.h>

// PNG and JPEG decoding on the system's libpng and libjpeg, with their errors
// caught the way those libraries require (a jump back out of the failing
// call), so a damaged file only ever gives a null image. Pictures wider or
// higher than maximumSide, or of more than maximumPixels, are refused before
// any pixel is decoded.
namespace PictureDecoders
{
juce::Image decodePng(const juce::uint8* data, size_t size, int maximumSide, juce::int64 maximumPixels);
juce::Image decodeJpeg(const juce::uint8* data, size_t size, int maximumSide, juce::int64 maximumPixels);
} // namespace PictureDecoders

#include "editor/PlayerImages.h"

#include "ZspPlayerImages.h"

#include <optional>

namespace PlayerImages
{
namespace
{
enum class Format { png, jpeg, gif };

struct Picture
{
    Format format;
    int width;
    int height;
};

int bigEndian16(const juce::uint8* p) { return (p[0] << 8) | p[1]; }
int littleEndian16(const juce::uint8* p) { return p[0] | (p[1] << 8); }
juce::int64 bigEndian32(const juce::uint8* p)
{
    return (static_cast<juce::int64>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// PNG: the signature, then the header chunk with width and height.
std::optional<Picture> measurePng(const juce::uint8* data, size_t size)
{
    static const juce::uint8 signature[] = { 0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a };
    if (size < 24 || std::memcmp(data, signature, sizeof(signature)) != 0 || std::memcmp(data + 12, "IHDR", 4) != 0)
        return std::nullopt;
    const juce::int64 width = bigEndian32(data + 16);
    const juce::int64 height = bigEndian32(data + 20);
    if (width > maximumImageSide || height > maximumImageSide)
        return Picture { Format::png, maximumImageSide + 1, maximumImageSide + 1 };
    return Picture { Format::png, static_cast<int>(width), static_cast<int>(height) };
}

// JPEG: the segments after the start-of-image marker up to the first frame
// header. Anything but a well-formed marker before it is refused.
std::optional<Picture> measureJpeg(const juce::uint8* data, size_t size)
{
    if (size < 4 || data[0] != 0xff || data[1] != 0xd8 || data[2] != 0xff)
        return std::nullopt;
    size_t pos = 2;
    while (pos + 4 <= size)
    {
        if (data[pos] != 0xff)
            return std::nullopt;
        while (pos + 1 < size && data[pos + 1] == 0xff)
            ++pos;
        if (pos + 4 > size)
            return std::nullopt;
        const int marker = data[pos + 1];
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd8))
        {
            pos += 2;
            continue;
        }
        if (marker == 0xda || marker == 0xd9)
            return std::nullopt;
        const size_t length = static_cast<size_t>(bigEndian16(data + pos + 2));
        const bool frameHeader = marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        if (frameHeader)
        {
            if (length < 7 || pos + 9 > size)
                return std::nullopt;
            return Picture { Format::jpeg, bigEndian16(data + pos + 7), bigEndian16(data + pos + 5) };
        }
        if (length < 2)
            return std::nullopt;
        pos += 2 + length;
    }
    return std::nullopt;
}

// GIF: the decoder makes its picture the size of the first image descriptor,
// which follows the screen descriptor, its palette and any extensions.
std::optional<Picture> measureGif(const juce::uint8* data, size_t size)
{
    if (size < 13 || (std::memcmp(data, "GIF87a", 6) != 0 && std::memcmp(data, "GIF89a", 6) != 0))
        return std::nullopt;
    size_t pos = 13;
    if ((data[10] & 0x80) != 0)
        pos += 3 * static_cast<size_t>(2 << (data[10] & 7));
    const auto skipSubBlocks = [&]() {
        while (pos < size)
        {
            const size_t count = data[pos++];
            if (count == 0)
                return true;
            pos += count;
        }
        return false;
    };
    while (pos < size)
    {
        const juce::uint8 introducer = data[pos++];
        if (introducer == ';')
            return std::nullopt;
        if (introducer == '!')
        {
            if (pos >= size)
                return std::nullopt;
            ++pos;  // the extension's label
            if (! skipSubBlocks())
                return std::nullopt;
            continue;
        }
        if (introducer != ',')
            continue;
        if (pos + 9 > size)
            return std::nullopt;
        return Picture { Format::gif, littleEndian16(data + pos + 4), littleEndian16(data + pos + 6) };
    }
    return std::nullopt;
}

bool isReasonable(const Picture& picture)
{
    return picture.width > 0 && picture.height > 0 && picture.width <= maximumImageSide && picture.height <= maximumImageSide
           && static_cast<juce::int64>(picture.width) * picture.height <= maximumImagePixels;
}

juce::Image builtIn(const void* data, int size)
{
    return juce::ImageCache::getFromMemory(data, size);
}
} // namespace

juce::Image decodeImage(const void* data, size_t size)
{
    if (data == nullptr || size == 0 || size > static_cast<size_t>(std::numeric_limits<int>::max()))
        return {};
    const auto* bytes = static_cast<const juce::uint8*>(data);
    std::optional<Picture> picture = measurePng(bytes, size);
    if (! picture)
        picture = measureJpeg(bytes, size);
    if (! picture)
        picture = measureGif(bytes, size);
    if (! picture || ! isReasonable(*picture))
        return {};

    juce::MemoryInputStream stream(data, size, false);
    switch (picture->format)
    {
        case Format::png: return juce::PNGImageFormat().decodeImage(stream);
        case Format::jpeg: return juce::JPEGImageFormat().decodeImage(stream);
        case Format::gif: return juce::GIFImageFormat().decodeImage(stream);
    }
    return {};
}

juce::Image defaultBackgroundImage()
{
    return builtIn(ZspPlayerImages::default_background_png, ZspPlayerImages::default_background_pngSize);
}

juce::Image defaultButtonImage()
{
    return builtIn(ZspPlayerImages::default_button_png, ZspPlayerImages::default_button_pngSize);
}

juce::Image defaultMeterImage()
{
    return builtIn(ZspPlayerImages::default_meter_png, ZspPlayerImages::default_meter_pngSize);
}
} // namespace PlayerImages

// zsp-picture-check FOLDER NAME[=WxH]...
//
// Checks that FOLDER holds NAME.png for every NAME, that it decodes, that it
// is not blank (one colour all over, or fully transparent) and, when asked,
// that it is W x H pixels. Prints each
// fault; exit status 1 when there is any.

#include <cstdio>

#include <juce_graphics/juce_graphics.h>

namespace
{
bool isBlank(const juce::Image& image)
{
    const juce::Colour first = image.getPixelAt(0, 0);
    bool varied = false;
    bool visible = false;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
        {
            varied = varied || image.getPixelAt(x, y) != first;
            visible = visible || image.getPixelAt(x, y).getAlpha() > 0;
        }
    return !varied || !visible;
}
} // namespace

int main(int argc, char* argv[])
{
    const juce::File folder = juce::File::getCurrentWorkingDirectory().getChildFile(argc > 1 ? argv[1] : "");
    int faults = argc < 3 ? 1 : 0;
    for (int k = 2; k < argc; ++k)
    {
        // NAME=WxH asks for that size as well.
        const juce::String argument(argv[k]);
        const juce::String name = argument.upToFirstOccurrenceOf("=", false, false);
        const juce::String size = argument.fromFirstOccurrenceOf("=", false, false);
        const juce::File file = folder.getChildFile(name + ".png");
        const juce::Image image = juce::ImageFileFormat::loadFrom(file);
        const bool sizeDiffers = size.isNotEmpty()
                              && (image.getWidth() != size.upToFirstOccurrenceOf("x", false, false).getIntValue()
                                  || image.getHeight() != size.fromFirstOccurrenceOf("x", false, false).getIntValue());
        const char* problem = !file.existsAsFile() ? "missing"
                            : !image.isValid()     ? "not a picture"
                            : isBlank(image)       ? "blank"
                            : sizeDiffers          ? "not of the size asked for"
                                                   : nullptr;
        if (problem != nullptr)
        {
            std::fprintf(stderr, "%s: %s\n", file.getFullPathName().toRawUTF8(), problem);
            ++faults;
        }
    }
    return faults == 0 ? 0 : 1;
}

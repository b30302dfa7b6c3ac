#include "BuiltInPictures.h"

#include <iostream>

namespace
{
bool writePng(const juce::Image& image, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream stream(file);
    return stream.openedOk() && juce::PNGImageFormat().writeImageToStream(image, stream);
}

int drawInto(const juce::File& folder)
{
    if (! folder.createDirectory())
    {
        std::cerr << "zsp-draw-images: cannot create " << folder.getFullPathName() << "\n";
        return 1;
    }
    const std::pair<const char*, juce::Image> pictures[] = {
        { "default_background.png", BuiltInPictures::drawDefaultBackground() },
        { "default_button.png", BuiltInPictures::drawDefaultButton() },
        { "default_meter.png", BuiltInPictures::drawDefaultMeter() },
    };
    for (const auto& [name, image] : pictures)
        if (! writePng(image, folder.getChildFile(name)))
        {
            std::cerr << "zsp-draw-images: cannot write " << folder.getChildFile(name).getFullPathName() << "\n";
            return 1;
        }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    const juce::String argument = argc == 2 ? juce::String(argv[1]) : juce::String();
    if (argument.isEmpty() || argument.startsWith("-"))
    {
        std::cerr << "usage: zsp-draw-images FOLDER\n"
                     "Draws default_background.png, default_button.png and default_meter.png into FOLDER.\n";
        return argument == "--help" || argument == "-h" ? 0 : 2;
    }
    const int result = drawInto(juce::File::getCurrentWorkingDirectory().getChildFile(argument));
    // The font caches live until shutdown.
    juce::DeletedAtShutdown::deleteAll();
    return result;
}

#include "PlayerSnapshot.h"

#include <cstdio>

#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/CZSPGUI.h"
#include "processor/CZSP.h"

namespace
{
// A processor whose library is the folder of the instrument (so that its
// window shows the player rather than the empty-library message), and which
// reports a failed load on standard error instead of in a message box.
class SnapshotProcessor : public CZSP
{
public:
    explicit SnapshotProcessor(const juce::File& libraryFile) : CZSP(libraryFile) {}
    ~SnapshotProcessor() override { stopLoadingThread(); }

protected:
    void reportLoadFailure() override {}
};
} // namespace

bool writePlayerSnapshot(const std::string& instrumentPath, const std::string& outputFile, std::string& error)
{
    const juce::File cwd = juce::File::getCurrentWorkingDirectory();
    const juce::File instrument = cwd.getChildFile(juce::String::fromUTF8(instrumentPath.c_str()));
    if (!instrument.existsAsFile())
    {
        error = instrumentPath + ": no such instrument file";
        return false;
    }

    // The library folder rule: Snapshot.so has its library in
    // Snapshot.instruments beside it; here a link to the instrument's folder,
    // so that samples beside the instrument are found where they are.
    const juce::File root = juce::File::getSpecialLocation(juce::File::tempDirectory)
                                .getNonexistentChildFile("zsp-snapshot", {}, false);
    root.createDirectory();
    const juce::File pluginFile = root.getChildFile("Snapshot.so");
    if (!instrument.getParentDirectory().createSymbolicLink(root.getChildFile("Snapshot.instruments"), true))
    {
        root.deleteRecursively();
        error = "cannot make a library folder for the instrument";
        return false;
    }

    bool written = false;
    {
        SnapshotProcessor processor(pluginFile);
        processor.loadInstrument(-1, instrument.getFullPathName(), false, true);
        if (!processor.lastLoadWasSuccessful() || processor.getCurrentInstrumentPath() != instrument.getFullPathName())
            error = instrumentPath + ": the instrument does not load";
        else
        {
            std::unique_ptr<juce::AudioProcessorEditor> editor(processor.createEditorIfNeeded());
            auto* window = dynamic_cast<CZSPGUI*>(editor.get());
            if (window == nullptr || window->getPlayer() == nullptr)
                error = "the player window cannot be opened";
            else
            {
                // Layout errors go to standard error rather than a message box.
                window->getPlayer()->showMessage = [](const juce::String& title, const juce::String& message) {
                    std::fprintf(stderr, "zsp-snapshot: %s: %s\n", title.toRawUTF8(), message.toRawUTF8());
                };
                window->rebuildPlayer();
                const juce::Image picture = window->createComponentSnapshot(window->getLocalBounds(), true, 1.0f);
                const juce::File file = cwd.getChildFile(juce::String::fromUTF8(outputFile.c_str()));
                file.deleteFile();
                juce::FileOutputStream stream(file);
                juce::PNGImageFormat png;
                written = stream.openedOk() && png.writeImageToStream(picture, stream);
                if (!written)
                    error = outputFile + ": cannot write the picture";
            }
        }
    }
    root.deleteRecursively();
    return written;
}

// The instrument library, the list box over it and the search for missing
// samples.

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <sys/stat.h>

#include "CZSPInternals.h"
#include "Utf8Text.h"
#include "files/SamplePath.h"

namespace
{
const char* const missingFolderKey = "missing folder";

// Instrument files are "*.*" files below the library's folders; other
// entries (folders, devices, pipes) could block a read, so only regular files.
juce::Array<juce::File> regularFilesBelow(const juce::File& folder, const juce::String& wildcard)
{
    juce::Array<juce::File> found;
    for (const auto& entry : juce::RangedDirectoryIterator(folder, true, wildcard, juce::File::findFiles,
                                                           juce::File::FollowSymlinks::noCycles))
        if (isRegularFile(entry.getFile().getFullPathName()))
            found.add(entry.getFile());
    return found;
}

// A sample path as stored on the system that made the instrument: "\"
// separators, perhaps a drive letter. The drive's root is this system's root.
juce::String toThisSystem(const juce::String& resolvedPath)
{
    juce::String path = resolvedPath.replaceCharacter('\\', '/');
    if (path.length() >= 2 && path[1] == ':' && juce::CharacterFunctions::isLetter(path[0]))
        path = path.substring(2);
    if (!path.startsWithChar('/'))
        path = "/" + path;
    return juce::String::fromUTF8(toPlatformPath(path.toStdString()).c_str());
}
} // namespace

bool isRegularFile(const juce::String& path)
{
    struct stat status {};
    return path.isNotEmpty() && stat(path.toRawUTF8(), &status) == 0 && S_ISREG(status.st_mode);
}

void CZSP::scanLibrary()
{
    const juce::FileSearchPath folders(libraryFolder);
    juce::Array<juce::File> found;
    for (int i = 0; i < folders.getNumPaths(); ++i)
        found.addArray(regularFilesBelow(folders[i], "*.*"));

    std::sort(found.begin(), found.end(), [](const juce::File& a, const juce::File& b) {
        return a.getFullPathName().toUpperCase().compareNatural(b.getFullPathName().toUpperCase()) < 0;
    });

    // Files that are not instruments, cannot be read or name no vendor are
    // left out.
    for (const auto& file : found)
    {
        const std::string path = file.getFullPathName().toStdString();
        std::string vendor;
        ZInstrument::peekFile(path, true, vendor);
        if (vendor.empty())
            continue;
        std::string name;
        ZInstrument::peekFile(path, false, name);
        instrumentFiles.add(file);
        instrumentNames.add(textOfUtf8(name));
    }
}

int CZSP::getNumRows()
{
    return instrumentNames.size();
}

void CZSP::paintListBoxItem(int row, juce::Graphics& g, int width, int height, bool selected)
{
    if (selected)
    {
        g.fillAll(juce::Colour(0xFF3875D7u));
        g.setColour(juce::Colours::white);
    }
    else
    {
        g.fillAll(row % 2 == 0 ? juce::Colours::white : juce::Colour(0xFFEDF3FEu));
        g.setColour(juce::Colours::black);
    }
    g.drawText(instrumentNames[row], 2, 0, width - 4, height, juce::Justification::centredLeft, true);
}

void CZSP::listBoxItemDoubleClicked(int row, const juce::MouseEvent&)
{
    loadInstrument(row, {}, false, false);
}

juce::String CZSP::findFileInFolders(const juce::String& searchPath, const juce::String& fileName)
{
    const juce::FileSearchPath folders(searchPath);
    for (int i = 0; i < folders.getNumPaths(); ++i)
    {
        // The root would be a search of the whole system (its virtual file
        // systems included); the user is asked instead.
        const juce::File folder = folders[i];
        if (folder.isRoot())
            continue;
        for (const auto& entry : juce::RangedDirectoryIterator(folder, true, fileName, juce::File::findFiles,
                                                               juce::File::FollowSymlinks::noCycles))
            return entry.getFile().getFullPathName();
    }
    return {};
}

juce::String CZSP::locateSampleFile(const juce::String& resolvedPath)
{
    const juce::File sample(toThisSystem(resolvedPath));
    const juce::String inOwnFolder = findFileInFolders(sample.getParentDirectory().getFullPathName(), sample.getFileName());
    if (inOwnFolder.isNotEmpty())
        return inOwnFolder;
    const juce::String missingFolder = settingsFile->getValue(missingFolderKey);
    return missingFolder.isEmpty() ? juce::String() : findFileInFolders(missingFolder, sample.getFileName());
}

void CZSP::askForSampleFolder(const juce::String& sampleName, const juce::File& startFolder,
                              std::function<void(const juce::File&)> chosen)
{
    sampleFolderChooser = std::make_unique<juce::FileChooser>("Locate Sample Folder for " + sampleName, startFolder,
                                                              juce::String(), true);
    sampleFolderChooser->launchAsync(juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectDirectories,
                                     [chosen = std::move(chosen)](const juce::FileChooser& chooser) {
                                         chosen(chooser.getResult());
                                     });
}

juce::File CZSP::askUserForSampleFolder(const juce::String& sampleName)
{
    struct Answer
    {
        std::mutex lock;
        std::condition_variable given;
        bool done = false;
        juce::File folder;
    };
    auto answer = std::make_shared<Answer>();
    const juce::String saved = settingsFile->getValue(missingFolderKey);
    const juce::File start(saved.isNotEmpty() && juce::File::isAbsolutePath(saved) ? saved : juce::String("/"));

    onMessageThread([answer, sampleName, start](CZSP& processor) {
        processor.askForSampleFolder(sampleName, start, [life = processor.lifeline, answer](const juce::File& folder) {
            if (folder != juce::File())
            {
                const juce::ScopedLock hold(life->lock);
                if (life->processor != nullptr)
                    life->processor->settingsFile->setValue(missingFolderKey, folder.getFullPathName());
            }
            {
                const std::lock_guard<std::mutex> hold(answer->lock);
                answer->folder = folder;
                answer->done = true;
            }
            answer->given.notify_all();
        });
    });

    // The wait ends without an answer when the processor goes, when a newer
    // request replaces this load, or when the message thread itself waits for
    // the engine this load holds.
    std::unique_lock<std::mutex> waiting(answer->lock);
    while (!answer->done)
    {
        if (destroying || messageThreadWaitingForEngine.load() > 0 || isSuperseded(runningLoad.load()))
        {
            waiting.unlock();
            onMessageThread([](CZSP& processor) { processor.sampleFolderChooser.reset(); });
            return {};
        }
        answer->given.wait_for(waiting, std::chrono::milliseconds(20));
    }
    return answer->folder;
}

void CZSP::locateSample(const std::string& resolvedPath, char* reply)
{
    const juce::String path = textOfUtf8(resolvedPath);
    juce::String found = locateSampleFile(path);
    // The message thread cannot wait for the user (the dialog is
    // asynchronous), so a synchronous load there searches only.
    if (found.isEmpty() && !juce::MessageManager::existsAndIsCurrentThread())
    {
        const juce::String fileName = juce::File(toThisSystem(path)).getFileName();
        const juce::File folder = askUserForSampleFolder(fileName);
        if (folder != juce::File())
            found = findFileInFolders(folder.getFullPathName(), fileName);
    }
    // A path that does not fit the reply, with its zero byte, counts as not found.
    const std::string bytes = found.toStdString();
    if (!bytes.empty() && bytes.size() < static_cast<size_t>(ZSEDelegate::locateReplySize))
        std::memcpy(reply, bytes.c_str(), bytes.size() + 1);
}

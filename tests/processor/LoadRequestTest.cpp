// Load requests: which ones load, in which order, what an open editor is
// told, missing samples, and a processor destroyed while it loads.

#include <condition_variable>
#include <dirent.h>
#include <sys/stat.h>
#include <thread>

#include "ProcessorFixture.h"
#include "TestLibrary.h"

namespace
{
// Holds the first progress report of a load until released, so a test can
// make requests while that load runs.
class LoadGate
{
public:
    void attach(TestProcessor& processor)
    {
        processor.onLoadProgress = [this] { pass(); };
    }
    void waitUntilReached()
    {
        std::unique_lock<std::mutex> hold(lock);
        ASSERT_TRUE(changed.wait_for(hold, std::chrono::seconds(10), [this] { return reached; }));
    }
    void release()
    {
        {
            const std::lock_guard<std::mutex> hold(lock);
            open = true;
        }
        changed.notify_all();
    }

private:
    void pass()
    {
        std::unique_lock<std::mutex> hold(lock);
        if (reached)
            return;
        reached = true;
        changed.notify_all();
        changed.wait(hold, [this] { return open; });
    }

    std::mutex lock;
    std::condition_variable changed;
    bool reached = false;
    bool open = false;
};

InstrumentRecipe named(const std::string& name, uint32_t colour = 0xFF204060)
{
    InstrumentRecipe recipe;
    recipe.name = name;
    recipe.playerColour = colour;
    return recipe;
}

// A library of "First" (loaded at construction), "Second", "Third" and
// "Fourth", each of two groups of 20 zones.
class LoadRequests : public ::testing::Test
{
protected:
    LoadRequests()
    {
        const char* names[] = { "First", "Second", "Third", "Fourth" };
        for (int k = 0; k < 4; ++k)
        {
            InstrumentRecipe recipe = named(names[k], 0xFF000000u | static_cast<uint32_t>(k + 1));
            recipe.groups = 2;
            recipe.zonesPerGroup = 20;
            files.push_back(library.add(juce::String(k + 1) + ".zse", recipe));
        }
        processor = std::make_unique<TestProcessor>(library.pluginFile());
    }
    ~LoadRequests() override
    {
        editor.reset();
        processor.reset();
    }

    FakeEditor& openEditor()
    {
        editor.reset(processor->createEditorIfNeeded());
        return dynamic_cast<FakeEditor&>(*editor);
    }
    bool waitForLoads() { return waitUntil([this] { return !processor->isLoading(); }); }

    TestLibrary library;
    std::vector<juce::File> files;
    std::unique_ptr<TestProcessor> processor;
    std::unique_ptr<juce::AudioProcessorEditor> editor;
};

int openFileDescriptors()
{
    int count = 0;
    if (DIR* folder = opendir("/proc/self/fd"))
    {
        while (const dirent* entry = readdir(folder))
            count += entry->d_name[0] != '.' ? 1 : 0;
        closedir(folder);
    }
    return count;
}

// A 16-bit mono PCM WAVE file of `frames` frames of a constant value.
void writeWave(const juce::File& file, int frames)
{
    juce::MemoryOutputStream out;
    const int dataBytes = frames * 2;
    out.write("RIFF", 4);
    out.writeInt(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    out.writeInt(16);
    out.writeShort(1);
    out.writeShort(1);
    out.writeInt(44100);
    out.writeInt(88200);
    out.writeShort(2);
    out.writeShort(16);
    out.write("data", 4);
    out.writeInt(dataBytes);
    for (int k = 0; k < frames; ++k)
        out.writeShort(8192);
    file.getParentDirectory().createDirectory();
    ASSERT_TRUE(file.replaceWithData(out.getData(), out.getDataSize()));
}

int zoneCount(const ZInstrument& instrument)
{
    int count = 0;
    for (const auto& group : instrument.groups)
        count += static_cast<int>(group->zones.size());
    return count;
}
} // namespace

TEST_F(LoadRequests, TheCurrentInstrumentIsNotLoadedAgain)
{
    int reports = 0;
    processor->onLoadProgress = [&reports] { ++reports; };
    processor->setCurrentProgram(0);
    processor->loadInstrument(-1, files[0].getFullPathName(), true, false);
    processor->loadInstrument(0, {}, false, true);
    EXPECT_FALSE(processor->isLoading());
    pumpMessages(50);
    EXPECT_EQ(reports, 0);
    EXPECT_EQ(processor->instrument.name, "First");
}

TEST_F(LoadRequests, AnIndexPastTheLibraryWithoutAPathDoesNothing)
{
    processor->loadInstrument(processor->getCurrentInstrumentIndex() + 4, {}, false, false);
    processor->loadInstrument(-1, {}, false, true);
    processor->setCurrentProgram(99);
    processor->setCurrentProgram(-1);
    EXPECT_FALSE(processor->isLoading());
    EXPECT_EQ(processor->getCurrentInstrumentIndex(), 0);
    EXPECT_EQ(processor->getCurrentInstrumentPath(), files[0].getFullPathName());
}

TEST_F(LoadRequests, APathMatchingALibraryEntryIgnoringCaseTakesItsIndex)
{
    const juce::String shouted = files[2].getParentDirectory().getFullPathName() + "/" + files[2].getFileName().toUpperCase();
    // "3.ZSE" names no file on a case-sensitive file system: the load fails,
    // and the library entry is still the one requested.
    processor->loadInstrument(-1, shouted, false, true);
    EXPECT_EQ(processor->getCurrentInstrumentIndex(), 2);
    EXPECT_EQ(processor->getCurrentInstrumentPath(), shouted);
    EXPECT_FALSE(processor->lastLoadWasSuccessful());
    EXPECT_EQ(processor->getCurrentProgram(), 0);  // no entry equals the path exactly
}

TEST_F(LoadRequests, AProgramChangeLoadsOnTheLoadingThread)
{
    auto& shown = openEditor();
    processor->setCurrentProgram(3);
    EXPECT_EQ(processor->getCurrentProgram(), 3);
    EXPECT_TRUE(processor->isLoading() || processor->instrument.name == "Fourth");
    ASSERT_TRUE(waitForLoads());
    EXPECT_EQ(processor->instrument.name, "Fourth");
    EXPECT_TRUE(processor->lastLoadWasSuccessful());
    ASSERT_TRUE(waitUntil([&shown] { return !shown.ended.empty(); }));
    ASSERT_EQ(shown.started.size(), 1u);
    EXPECT_EQ(shown.started[0], juce::Colour(0xFF000004u));
    EXPECT_EQ(shown.ended, std::vector<bool>({ true }));
    EXPECT_EQ(processor->failureReports, 0);
}

TEST_F(LoadRequests, RequestsDuringALoadEndOnTheLastOne)
{
    auto& shown = openEditor();
    LoadGate gate;
    gate.attach(*processor);
    processor->setCurrentProgram(1);
    gate.waitUntilReached();

    processor->setCurrentProgram(2);
    processor->setCurrentProgram(3);
    EXPECT_EQ(processor->getCurrentProgram(), 3);
    EXPECT_TRUE(processor->isLoading());
    gate.release();

    ASSERT_TRUE(waitForLoads());
    EXPECT_EQ(processor->instrument.name, "Fourth");
    EXPECT_EQ(processor->instrument.groups.size(), 2u);
    EXPECT_EQ(zoneCount(processor->instrument), 40);
    EXPECT_EQ(processor->namesSeenLoading(), std::vector<std::string>({ "Second", "Fourth" }));
    ASSERT_TRUE(waitUntil([&shown] { return !shown.ended.empty(); }));
    pumpMessages(50);
    // The replaced load is never reported as ended, failed or not.
    EXPECT_EQ(shown.ended, std::vector<bool>({ true }));
    EXPECT_EQ(processor->failureReports, 0);
}

TEST_F(LoadRequests, ASynchronousRequestDuringALoadWaitsForItAndWins)
{
    LoadGate gate;
    gate.attach(*processor);
    processor->setCurrentProgram(1);
    gate.waitUntilReached();
    processor->setCurrentProgram(2);  // waiting, replaced by the next one

    std::thread opener([&gate] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        gate.release();
    });
    processor->loadInstrument(-1, files[3].getFullPathName(), false, true);
    opener.join();

    EXPECT_EQ(processor->instrument.name, "Fourth");
    EXPECT_FALSE(processor->isLoading());
    pumpMessages(100);
    EXPECT_EQ(processor->instrument.name, "Fourth");
    EXPECT_EQ(processor->namesSeenLoading(), std::vector<std::string>({ "Second", "Fourth" }));
}

TEST_F(LoadRequests, AFailedLoadIsReportedOnlyWithAnEditorOpen)
{
    processor->loadInstrument(-1, library.elsewhere().getChildFile("missing.zse").getFullPathName(), false, true);
    EXPECT_FALSE(processor->lastLoadWasSuccessful());
    EXPECT_EQ(processor->failureReports, 0);
    // The engine keeps the instrument it had.
    EXPECT_EQ(processor->instrument.name, "First");

    auto& shown = openEditor();
    const juce::File broken = library.addBytes(library.elsewhere().getChildFile("broken.zse").getFullPathName(),
                                               { 'Z', 'S', 'E', 'X', 0, 0, 0, 0 });
    processor->loadInstrument(-1, broken.getFullPathName(), false, false);
    ASSERT_TRUE(waitUntil([&shown] { return !shown.ended.empty(); }));
    EXPECT_EQ(shown.ended, std::vector<bool>({ false }));
    EXPECT_EQ(processor->failureReports, 1);
    EXPECT_FALSE(processor->lastLoadWasSuccessful());
    EXPECT_EQ(processor->getCurrentInstrumentPath(), broken.getFullPathName());
    EXPECT_EQ(processor->getCurrentInstrumentIndex(), -1);
}

TEST_F(LoadRequests, APipeOrFolderNamedAsAnInstrumentFailsWithoutBlocking)
{
    const juce::File pipe = library.elsewhere().getChildFile("pipe.zse");
    ASSERT_EQ(mkfifo(pipe.getFullPathName().toRawUTF8(), 0600), 0);
    processor->loadInstrument(-1, pipe.getFullPathName(), false, true);
    EXPECT_FALSE(processor->lastLoadWasSuccessful());
    processor->loadInstrument(-1, library.elsewhere().getFullPathName(), false, true);
    EXPECT_FALSE(processor->lastLoadWasSuccessful());
    EXPECT_EQ(processor->instrument.name, "First");
}

TEST_F(LoadRequests, DestroyingTheProcessorMidLoadLeaksNoFileAndNeverHangs)
{
    InstrumentRecipe big = named("Big");
    big.groups = 4;
    big.zonesPerGroup = 100;
    big.framesPerZone = 4000;
    const juce::File bigFile = library.add(library.elsewhere().getChildFile("big.zse").getFullPathName(), big);
    processor.reset();

    auto onceMidLoad = [&](int delayMicroseconds) {
        TestProcessor loading(library.pluginFile());
        loading.loadInstrument(-1, bigFile.getFullPathName(), false, false);
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds));
    };
    onceMidLoad(0);
    const int before = openFileDescriptors();
    for (int k = 0; k < 100; ++k)
        onceMidLoad((k * 397) % 5000);
    pumpMessages(20);
    EXPECT_EQ(openFileDescriptors(), before);
}

class MissingSamples : public LoadRequests
{
protected:
    // The settings file is the user's (here the tests' home): no folder saved
    // by an earlier test.
    MissingSamples() { processor->getSettings().removeValue("missing folder"); }

    // An instrument in its own folder naming WAVE files that are not beside it.
    juce::File instrumentNaming(std::vector<std::string> samples)
    {
        InstrumentRecipe recipe = named("Needs Samples");
        recipe.wavSamples = std::move(samples);
        recipe.zonesPerGroup = static_cast<int>(recipe.wavSamples.size());
        return library.add(library.elsewhere().getChildFile("kit/kit.zse").getFullPathName(), recipe);
    }
    juce::String missingFolder() { return processor->getSettings().getValue("missing folder"); }
};

TEST_F(MissingSamples, FoundBelowTheirOwnFolderThenBelowTheSavedFolder)
{
    const juce::File kit = instrumentNaming({ "snare.wav", "kick.wav" });
    writeWave(kit.getSiblingFile("moved/deeper/snare.wav"), 100);
    const juce::File saved = library.elsewhere().getChildFile("saved");
    writeWave(saved.getChildFile("more/kick.wav"), 100);
    processor->getSettings().setValue("missing folder", saved.getFullPathName());

    EXPECT_EQ(processor->locateSampleFile(kit.getSiblingFile("snare.wav").getFullPathName()),
              kit.getSiblingFile("moved/deeper/snare.wav").getFullPathName());
    EXPECT_EQ(processor->locateSampleFile(kit.getSiblingFile("kick.wav").getFullPathName()),
              saved.getChildFile("more/kick.wav").getFullPathName());
    EXPECT_EQ(processor->locateSampleFile(kit.getSiblingFile("hat.wav").getFullPathName()), "");

    processor->loadInstrument(-1, kit.getFullPathName(), false, true);
    EXPECT_TRUE(processor->lastLoadWasSuccessful());
    EXPECT_EQ(zoneCount(processor->instrument), 2);
    EXPECT_EQ(processor->folderQuestions, 0);
}

TEST_F(MissingSamples, AStoredWindowsPathIsLookedForBelowItsFolderFromTheRoot)
{
    // "C:\<elsewhere>\kit\a.wav" and "\<elsewhere>\kit\a.wav": the drive's
    // root is this system's root.
    const juce::File kit = library.elsewhere().getChildFile("kit");
    writeWave(kit.getChildFile("sub/a.wav"), 10);
    const juce::String windowsFolder = kit.getFullPathName().replaceCharacter('/', '\\');
    EXPECT_EQ(processor->locateSampleFile("C:" + windowsFolder + "\\a.wav"), kit.getChildFile("sub/a.wav").getFullPathName());
    EXPECT_EQ(processor->locateSampleFile(windowsFolder + "\\a.wav"), kit.getChildFile("sub/a.wav").getFullPathName());
}

TEST_F(MissingSamples, APathTooLongForTheReplyCountsAsNotFound)
{
    const juce::File kit = instrumentNaming({ "far.wav" });
    juce::File deep = kit.getParentDirectory();
    while (deep.getFullPathName().length() < 520)
        deep = deep.getChildFile("a-rather-long-folder-name");
    writeWave(deep.getChildFile("far.wav"), 10);
    ASSERT_GT(processor->locateSampleFile(kit.getSiblingFile("far.wav").getFullPathName()).getNumBytesAsUTF8(), 511u);

    processor->loadInstrument(-1, kit.getFullPathName(), false, true);
    EXPECT_TRUE(processor->lastLoadWasSuccessful());
    EXPECT_EQ(zoneCount(processor->instrument), 0);
}

TEST_F(MissingSamples, TheUserIsAskedForAFolderWhichIsSavedEvenWithoutTheFile)
{
    const juce::File kit = instrumentNaming({ "a.wav", "b.wav", "c.wav", "d.wav", "e.wav" });
    const juce::File chosen = library.elsewhere().getChildFile("chosen");
    writeWave(chosen.getChildFile("b.wav"), 10);
    juce::StringArray asked;
    processor->folderAnswer = [&](const juce::String& sample, const juce::File& start, auto answer) {
        asked.add(sample + " from " + start.getFullPathName());
        answer(chosen);
    };

    processor->loadInstrument(-1, kit.getFullPathName(), false, false);
    ASSERT_TRUE(waitForLoads());
    // The chosen folder is saved although it lacks a.wav; b.wav is then found
    // there without asking; a, c and d each use one of the three prompts a
    // load allows, so e is never asked for.
    const juce::String fromChosen = " from " + chosen.getFullPathName();
    EXPECT_EQ(asked.joinIntoString(","), "a.wav from /,c.wav" + fromChosen + ",d.wav" + fromChosen);
    EXPECT_EQ(zoneCount(processor->instrument), 1);
    EXPECT_EQ(missingFolder(), chosen.getFullPathName());
}

TEST_F(MissingSamples, CancellingTheChooserLeavesTheSavedFolderAlone)
{
    const juce::File kit = instrumentNaming({ "a.wav" });
    processor->getSettings().setValue("missing folder", library.elsewhere().getChildFile("old").getFullPathName());
    processor->folderAnswer = [](const juce::String&, const juce::File&, auto answer) { answer(juce::File()); };

    processor->loadInstrument(-1, kit.getFullPathName(), false, false);
    ASSERT_TRUE(waitForLoads());
    EXPECT_EQ(processor->folderQuestions, 1);
    EXPECT_EQ(zoneCount(processor->instrument), 0);
    EXPECT_TRUE(processor->lastLoadWasSuccessful());
    EXPECT_EQ(missingFolder(), library.elsewhere().getChildFile("old").getFullPathName());
}

TEST_F(MissingSamples, DestroyingTheProcessorWhileTheUserIsAskedNeverHangs)
{
    const juce::File kit = instrumentNaming({ "a.wav" });
    std::function<void(const juce::File&)> lateAnswer;
    processor->folderAnswer = [&lateAnswer](const juce::String&, const juce::File&, auto answer) { lateAnswer = answer; };

    processor->loadInstrument(-1, kit.getFullPathName(), false, false);
    ASSERT_TRUE(waitUntil([this] { return processor->folderQuestions == 1; }));
    processor.reset();
    // The user answers after the plugin has gone.
    ASSERT_TRUE(lateAnswer);
    lateAnswer(library.elsewhere());
    pumpMessages(20);
}

TEST_F(MissingSamples, ANewRequestEndsTheWaitForTheUser)
{
    const juce::File kit = instrumentNaming({ "a.wav" });
    processor->folderAnswer = [](const juce::String&, const juce::File&, auto) {};  // never answers
    processor->loadInstrument(-1, kit.getFullPathName(), false, false);
    ASSERT_TRUE(waitUntil([this] { return processor->folderQuestions == 1; }));

    processor->setCurrentProgram(2);
    ASSERT_TRUE(waitForLoads());
    EXPECT_EQ(processor->instrument.name, "Third");
}

// What a load left out is told once, in one message box, and kept for anyone
// who asks; a load that left nothing out tells nothing.
TEST_F(MissingSamples, WhatALoadLeftOutIsToldOnceWithAnEditorOpen)
{
    const juce::File kit = instrumentNaming({ "snare.wav", "gone\x1b.wav" });
    writeWave(kit.getSiblingFile("snare.wav"), 100);
    processor->folderAnswer = [](const juce::String&, const juce::File&, auto answer) { answer(juce::File()); };
    openEditor();

    processor->loadInstrument(-1, kit.getFullPathName(), false, false);
    ASSERT_TRUE(waitForLoads());
    pumpMessages(50);
    EXPECT_TRUE(processor->lastLoadWasSuccessful());
    EXPECT_EQ(zoneCount(processor->instrument), 1);
    const juce::String expected = "missing samples: 1 of 2 zones: \"gone\\x1b.wav\" (group 1 zone 2, \""
                                + kit.getSiblingFile("gone").getFullPathName() + "\\x1b.wav\": not found)";
    ASSERT_EQ(processor->problemReports.size(), 1u);
    EXPECT_EQ(processor->problemReports[0], expected);
    EXPECT_EQ(processor->getLastLoadReport(), expected);
    EXPECT_EQ(processor->failureReports, 0);

    // A file cut short: the place it ends.
    const juce::File whole = files[1];
    juce::MemoryBlock bytes;
    ASSERT_TRUE(whole.loadFileAsData(bytes));
    const juce::File cut = library.elsewhere().getChildFile("cut.zse");
    ASSERT_TRUE(cut.replaceWithData(bytes.getData(), 600));
    processor->loadInstrument(-1, cut.getFullPathName(), false, false);
    ASSERT_TRUE(waitForLoads());
    pumpMessages(50);
    ASSERT_EQ(processor->problemReports.size(), 2u);
    EXPECT_EQ(processor->problemReports[1], "the file ends inside the instrument settings");

    processor->loadInstrument(2, {}, false, false);
    ASSERT_TRUE(waitForLoads());
    pumpMessages(50);
    EXPECT_EQ(processor->problemReports.size(), 2u);
    EXPECT_EQ(processor->getLastLoadReport(), "");
}

// The instrument library: where it is, what it lists and in which order, the
// programs and list box over it, and the first load of construction.

#include <sys/stat.h>

#include "ProcessorFixture.h"
#include "TestLibrary.h"

namespace
{
juce::StringArray relativePaths(const CZSP& processor, const TestLibrary& library)
{
    juce::StringArray paths;
    for (const auto& file : processor.getInstrumentFiles())
        paths.add(file.getRelativePathFrom(library.folder()));
    return paths;
}

InstrumentRecipe named(const std::string& name, const std::string& vendor = "Zarvo")
{
    InstrumentRecipe recipe;
    recipe.name = name;
    recipe.vendor = vendor;
    return recipe;
}
} // namespace

TEST(LibraryFolder, IsBesideThePluginFileNamedAfterIt)
{
    TestLibrary library;
    TestProcessor processor(library.pluginFile());
    EXPECT_EQ(processor.getLibraryFolder(), library.folder().getFullPathName());

    const juce::File withoutExtension = library.pluginFile().getSiblingFile("Zarvo Sampler Player");
    TestProcessor standalone(withoutExtension);
    EXPECT_EQ(standalone.getLibraryFolder(), withoutExtension.getFullPathName() + ".instruments");
}

TEST(LibraryFolder, MissingFolderListsNothingAndLoadsNothing)
{
    TestLibrary library;
    library.folder().deleteRecursively();
    TestProcessor processor(library.pluginFile());
    EXPECT_EQ(processor.getNumPrograms(), 0);
    EXPECT_EQ(processor.getNumRows(), 0);
    EXPECT_TRUE(processor.getCurrentInstrumentPath().isEmpty());
    EXPECT_EQ(processor.instrument.name, "Untitled");
    EXPECT_TRUE(processor.lastLoadWasSuccessful());
}

TEST(LibraryScan, NaturalOrderIgnoringCaseWithSubfoldersAndOnlyInstrumentsWithAVendor)
{
    TestLibrary library;
    library.add("b10.zse", named("Ten"));
    library.add("B2.zse", named("Two"));
    library.add("a/deep/Strings.zse", named("Deep Strings"));
    library.add("No Vendor.zse", named("Nobody", ""));
    library.addBytes("kick.wav", { 'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E' });
    library.addBytes("notes.txt", { 'h', 'i' });
    library.add("B2.backup", named("Backup"));
    ASSERT_EQ(mkfifo(library.folder().getChildFile("pipe.zse").getFullPathName().toRawUTF8(), 0600), 0);

    TestProcessor processor(library.pluginFile());

    EXPECT_EQ(relativePaths(processor, library),
              juce::StringArray({ "a/deep/Strings.zse", "B2.backup", "B2.zse", "b10.zse" }));
    EXPECT_EQ(processor.getInstrumentNames(), juce::StringArray({ "Deep Strings", "Backup", "Two", "Ten" }));
    ASSERT_EQ(processor.getNumPrograms(), 4);
    EXPECT_EQ(processor.getProgramName(2), "Two");
    EXPECT_EQ(processor.getProgramName(4), "");
    EXPECT_EQ(processor.getProgramName(-1), "");
    EXPECT_EQ(processor.getNumRows(), 4);
}

TEST(LibraryScan, TheFirstInstrumentIsLoadedBeforeConstructionReturns)
{
    TestLibrary library;
    InstrumentRecipe first = named("First");
    first.groups = 3;
    library.add("1.zse", first);
    library.add("2.zse", named("Second"));

    TestProcessor processor(library.pluginFile());

    EXPECT_EQ(processor.instrument.name, "First");
    EXPECT_EQ(processor.instrument.groups.size(), 3u);
    EXPECT_EQ(processor.getCurrentInstrumentPath(), library.folder().getChildFile("1.zse").getFullPathName());
    EXPECT_EQ(processor.getCurrentInstrumentIndex(), 0);
    EXPECT_EQ(processor.getCurrentProgram(), 0);
    EXPECT_FALSE(processor.isLoading());
    EXPECT_TRUE(processor.lastLoadWasSuccessful());
    EXPECT_EQ(processor.instrument.delegate, static_cast<ZSEDelegate*>(&processor));
}

TEST(LibraryListBox, RowsAreTheInstrumentNamesDrawnOnAlternatingRows)
{
    TestLibrary library;
    library.add("1.zse", named("First"));
    library.add("2.zse", named("Second"));
    TestProcessor processor(library.pluginFile());

    auto pixelOf = [&processor](int row, bool selected) {
        juce::Image image(juce::Image::ARGB, 40, 10, true);
        juce::Graphics g(image);
        processor.paintListBoxItem(row, g, 40, 10, selected);
        // The right edge holds no text.
        return image.getPixelAt(39, 5);
    };
    EXPECT_EQ(pixelOf(0, false), juce::Colours::white);
    EXPECT_EQ(pixelOf(1, false), juce::Colour(0xFFEDF3FEu));
    EXPECT_EQ(pixelOf(1, true), juce::Colour(0xFF3875D7u));
    EXPECT_EQ(pixelOf(7, false), juce::Colour(0xFFEDF3FEu));  // outside the list: empty text
}

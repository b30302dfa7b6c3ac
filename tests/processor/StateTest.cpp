// The state block hosts keep: its bytes, what a restore loads and applies,
// and blocks that are short, cut or from another version of an instrument.

#include <cmath>
#include <cstring>
#include <limits>

#include "ProcessorFixture.h"
#include "TestLibrary.h"

namespace
{
using Bytes = std::vector<uint8_t>;

Bytes saved(CZSP& processor)
{
    juce::MemoryBlock block;
    processor.getStateInformation(block);
    const auto* data = static_cast<const uint8_t*>(block.getData());
    return Bytes(data, data + block.getSize());
}

void restore(CZSP& processor, const Bytes& bytes)
{
    processor.setStateInformation(bytes.data(), static_cast<int>(bytes.size()));
}

int32_t int32At(const Bytes& bytes, size_t offset)
{
    int32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

float floatAt(const Bytes& bytes, size_t offset)
{
    float value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

void putFloat(Bytes& bytes, size_t offset, float value) { std::memcpy(bytes.data() + offset, &value, 4); }
void putInt32(Bytes& bytes, size_t offset, int32_t value) { std::memcpy(bytes.data() + offset, &value, 4); }

// Offsets in a block whose name is `nameBytes` long.
struct Layout
{
    size_t name;
    size_t settings() const { return name + 1; }
    size_t groupCount() const { return name + 593; }
    size_t currentGroup() const { return name + 597; }
    size_t group(size_t g) const { return name + 601 + 580 * g; }
};

InstrumentRecipe recipe(const std::string& name, int groups)
{
    InstrumentRecipe s;
    s.name = name;
    s.groups = groups;
    s.zonesPerGroup = 2;
    return s;
}

class State : public ::testing::Test
{
protected:
    State()
    {
        piano = library.add("Piano.zse", recipe("Piano", 3));
        strings = library.add("Strings/Violins.zse", recipe("Violins", 2));
        outside = library.add(library.elsewhere().getChildFile("Organ.zse").getFullPathName(), recipe("Organ", 2));
        processor = std::make_unique<TestProcessor>(library.pluginFile());
    }

    // A processor loaded with the piano whose settings differ from the file's
    // in every restored field.
    void changePianoSettings()
    {
        ZInstrument& engine = processor->instrument;
        engine.settings.volume = -7.5f;
        engine.settings.glideTime = 120.0f;
        engine.settings.filterType = 1;
        engine.settings.filterCutoff = 0.25f;
        engine.settings.velocityCurve = 2;
        engine.settings.reverbSend = 0.5f;
        engine.groups[1]->settings.attackScale = 1.5f;
        engine.groups[2]->settings.output = 3;
        engine.deactivateGroup(engine.groups[0].get());
        engine.activateGroup(engine.groups[2].get());
        engine.currentGroup = engine.groups[2].get();
    }

    TestLibrary library;
    juce::File piano, strings, outside;
    std::unique_ptr<TestProcessor> processor;
};
} // namespace

TEST_F(State, TheBlockHoldsNameSettingsCountCurrentGroupAndEveryGroup)
{
    changePianoSettings();
    const Bytes block = saved(*processor);
    const Layout at { 9 };  // "Piano.zse"
    ASSERT_EQ(block.size(), at.group(3));
    EXPECT_EQ(std::string(block.begin(), block.begin() + 9), "Piano.zse");
    EXPECT_EQ(block[9], 0);
    EXPECT_EQ(std::memcmp(block.data() + at.settings(), &processor->instrument.settings, 592), 0);
    EXPECT_EQ(floatAt(block, at.settings() + 48), -7.5f);
    EXPECT_EQ(int32At(block, at.groupCount()), 3);
    EXPECT_EQ(int32At(block, at.currentGroup()), 2);
    for (size_t g = 0; g < 3; ++g)
        EXPECT_EQ(std::memcmp(block.data() + at.group(g), &processor->instrument.groups[g]->settings, 580), 0) << g;
    EXPECT_EQ(floatAt(block, at.group(1) + 32), 1.5f);
    EXPECT_EQ(int32At(block, at.group(0) + 88), 0);
    EXPECT_EQ(int32At(block, at.group(2) + 88), 1);
}

TEST_F(State, RestoringIntoAFreshProcessorLoadsTheInstrumentAndAppliesTheSettings)
{
    processor->loadInstrument(0, {}, false, true);
    changePianoSettings();
    const Bytes block = saved(*processor);

    TestProcessor fresh(library.pluginFile());
    fresh.loadInstrument(-1, strings.getFullPathName(), false, true);
    ASSERT_EQ(fresh.instrument.name, "Violins");
    restore(fresh, block);

    ZInstrument& engine = fresh.instrument;
    EXPECT_EQ(engine.name, "Piano");
    EXPECT_EQ(fresh.getCurrentInstrumentPath(), piano.getFullPathName());
    EXPECT_TRUE(fresh.lastLoadWasSuccessful());
    EXPECT_EQ(engine.settings.volume, -7.5f);
    EXPECT_EQ(engine.settings.glideTime, 120.0f);
    EXPECT_EQ(engine.settings.filterCutoff, 0.25f);
    EXPECT_EQ(engine.settings.velocityCurve, 2);
    EXPECT_EQ(engine.groups[1]->settings.attackScale, 1.5f);
    EXPECT_EQ(engine.groups[2]->settings.output, 3);
    ASSERT_EQ(engine.activeGroups.size(), 1u);
    EXPECT_EQ(engine.activeGroups[0], engine.groups[2].get());
    EXPECT_EQ(engine.groups[0]->settings.active, 0);
    EXPECT_EQ(engine.currentGroup, engine.groups[2].get());
    EXPECT_EQ(saved(fresh), block);
}

TEST_F(State, RestoringTheCurrentInstrumentReloadsNothingAndAppliesAtOnce)
{
    changePianoSettings();
    const Bytes block = saved(*processor);
    processor->instrument.settings.volume = 0.0f;
    processor->instrument.groups[1]->settings.attackScale = 1.0f;

    int reports = 0;
    processor->onLoadProgress = [&reports] { ++reports; };
    restore(*processor, block);
    EXPECT_EQ(reports, 0);
    EXPECT_EQ(processor->instrument.settings.volume, -7.5f);
    EXPECT_EQ(processor->instrument.groups[1]->settings.attackScale, 1.5f);
}

TEST_F(State, SettingsTheInstrumentFileOwnsAreNotRestored)
{
    Bytes block = saved(*processor);
    const Layout at { 9 };
    putInt32(block, at.settings() + 28, 7);           // voice count
    putInt32(block, at.settings() + 88, 1234);        // kept, not used
    putInt32(block, at.settings() + 100, 0x11223344); // player colour
    putInt32(block, at.settings() + 104, 0);          // clip
    putFloat(block, at.settings() + 76, 0.75f);       // reverb send: restored
    restore(*processor, block);

    EXPECT_EQ(processor->instrument.settings.voiceCountStored, 32);
    EXPECT_EQ(processor->instrument.settings.unused88, 0);
    EXPECT_EQ(processor->instrument.settings.playerColour, 0xFF204060u);
    EXPECT_EQ(processor->instrument.settings.clipOutput, 1);
    EXPECT_EQ(processor->instrument.settings.reverbSend, 0.75f);
}

TEST_F(State, NoInstrumentGivesAZeroByteAndRestoringItDoesNothing)
{
    TestLibrary empty;
    TestProcessor none(empty.pluginFile());
    const Bytes block = saved(none);
    ASSERT_EQ(block.size(), 1u + 592 + 8 + 580);
    EXPECT_EQ(block[0], 0);
    EXPECT_EQ(int32At(block, 593), 1);

    changePianoSettings();
    const Bytes before = saved(*processor);
    restore(*processor, block);
    EXPECT_EQ(saved(*processor), before);
    EXPECT_EQ(processor->getCurrentInstrumentPath(), piano.getFullPathName());
}

TEST_F(State, ALongNameIsCutAfterItsLastWholeCharacter)
{
    // "/" and 600 two-byte characters: 1201 bytes.
    juce::String name = "/";
    for (int k = 0; k < 600; ++k)
        name += juce::String::charToString(static_cast<juce::juce_wchar>(0xE9));
    processor->loadInstrument(-1, name, false, true);
    ASSERT_FALSE(processor->lastLoadWasSuccessful());

    const Bytes block = saved(*processor);
    ASSERT_GT(block.size(), 1023u);
    EXPECT_EQ(block[1023], 0);
    EXPECT_EQ(block[0], '/');
    for (size_t k = 1; k < 1023; k += 2)
    {
        ASSERT_EQ(block[k], 0xC3) << k;
        ASSERT_EQ(block[k + 1], 0xA9) << k;
    }
}

TEST_F(State, ACurrentGroupOfMinusOneLeavesNoCurrentGroup)
{
    Bytes block = saved(*processor);
    putInt32(block, Layout { 9 }.currentGroup(), -1);
    restore(*processor, block);
    EXPECT_EQ(processor->instrument.currentGroup, nullptr);
    EXPECT_EQ(processor->getParameter(0), 0.0f);
    EXPECT_EQ(processor->getParameterText(3), "");
    processor->setParameter(0, 1.0f);
    EXPECT_EQ(processor->getParameter(0), 0.0f);
}

TEST_F(State, ABlockWithAnotherGroupCountKeepsTheLoadedGroups)
{
    changePianoSettings();
    Bytes block = saved(*processor);  // three groups
    processor->loadInstrument(-1, strings.getFullPathName(), false, true);
    ASSERT_EQ(processor->instrument.groups.size(), 2u);
    // The piano's block, named as the violins.
    const std::string name = "Strings/Violins.zse";
    block.erase(block.begin(), block.begin() + 9);
    block.insert(block.begin(), name.begin(), name.end());

    restore(*processor, block);
    EXPECT_EQ(processor->instrument.settings.volume, -7.5f);
    EXPECT_EQ(processor->instrument.groups[1]->settings.attackScale, 1.0f);
    EXPECT_EQ(processor->instrument.currentGroup, processor->instrument.groups[0].get());
    ASSERT_EQ(processor->instrument.activeGroups.size(), 1u);
    EXPECT_EQ(processor->instrument.activeGroups[0], processor->instrument.groups[0].get());
}

// A block cut at `size` bytes restores each part only as far as it is whole.
TEST_F(State, CutBlocksAreAppliedOnlyAsFarAsTheyAreWhole)
{
    changePianoSettings();
    const Bytes whole = saved(*processor);
    const Layout at { 9 };
    struct Case
    {
        size_t size;
        bool volume;      // offset 48 of the settings
        bool cutoff;      // offset 96
        bool groups;
    };
    const Case cases[] = {
        { at.settings(), false, false, false },       // the name and its zero byte only
        { at.settings() + 51, false, false, false },  // three bytes of the volume
        { at.settings() + 52, true, false, false },
        { at.settings() + 100, true, true, false },
        { at.groupCount(), true, true, false },
        { at.currentGroup() + 3, true, true, false },
        { at.group(2) + 579, true, true, false },     // the last group one byte short
        { at.group(3), true, true, true },
    };
    for (const Case& c : cases)
    {
        processor->loadInstrument(-1, strings.getFullPathName(), false, true);
        processor->loadInstrument(0, {}, false, true);
        ASSERT_EQ(processor->instrument.settings.volume, 0.0f);
        // The tail of the buffer beyond the cut is poison a reader must not use.
        Bytes cut(whole.begin(), whole.begin() + static_cast<long>(c.size));
        restore(*processor, cut);
        ZInstrument& engine = processor->instrument;
        EXPECT_EQ(engine.settings.volume == -7.5f, c.volume) << c.size;
        EXPECT_EQ(engine.settings.filterCutoff == 0.25f, c.cutoff) << c.size;
        EXPECT_EQ(engine.groups[1]->settings.attackScale == 1.5f, c.groups) << c.size;
        EXPECT_EQ(engine.currentGroup == engine.groups[2].get(), c.groups) << c.size;
    }
}

TEST_F(State, SettingsThatAreNotNumbersKeepTheInstrumentsValues)
{
    Bytes block = saved(*processor);
    const Layout at { 9 };
    putFloat(block, at.settings() + 48, std::nanf(""));                         // volume
    putFloat(block, at.settings() + 52, std::numeric_limits<float>::infinity()); // pan
    putFloat(block, at.settings() + 44, 33.0f);                                 // glide, a number
    restore(*processor, block);
    EXPECT_EQ(processor->instrument.settings.volume, 0.0f);
    EXPECT_EQ(processor->instrument.settings.pan, 0.0f);
    EXPECT_EQ(processor->instrument.settings.glideTime, 33.0f);
}

TEST_F(State, ABlockWithoutAZeroByteOrWithANameThatIsNotUtf8DoesNothing)
{
    const Bytes before = saved(*processor);
    const Bytes noZero = { 'P', 'i', 'a', 'n', 'o', '.', 'z', 's', 'e' };
    restore(*processor, noZero);
    Bytes malformed = before;
    malformed[2] = 0xF4;  // "Pi\xF4no.zse"
    putFloat(malformed, Layout { 9 }.settings() + 48, -20.0f);
    restore(*processor, malformed);
    processor->setStateInformation(nullptr, 0);
    processor->setStateInformation(noZero.data(), -5);
    EXPECT_EQ(saved(*processor), before);
}

TEST_F(State, InstrumentsInASubfolderOrOutsideTheLibraryComeBack)
{
    struct Case
    {
        juce::File file;
        std::string storedName;
        std::string instrumentName;
    };
    const Case cases[] = {
        { strings, "Strings/Violins.zse", "Violins" },
        { outside, outside.getFullPathName().toStdString(), "Organ" },
    };
    for (const Case& c : cases)
    {
        processor->loadInstrument(-1, c.file.getFullPathName(), false, true);
        processor->instrument.settings.volume = -3.0f;
        const Bytes block = saved(*processor);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data())), c.storedName);

        TestProcessor reopened(library.pluginFile());
        ASSERT_EQ(reopened.instrument.name, "Piano");
        restore(reopened, block);
        EXPECT_EQ(reopened.instrument.name, c.instrumentName);
        EXPECT_EQ(reopened.getCurrentInstrumentPath(), c.file.getFullPathName());
        EXPECT_EQ(reopened.instrument.settings.volume, -3.0f);
        EXPECT_TRUE(reopened.lastLoadWasSuccessful());
    }
}

TEST_F(State, ABareNameAsOlderBlocksHoldIsLookedForInTheLibrary)
{
    TestProcessor other(library.pluginFile());
    other.loadInstrument(-1, strings.getFullPathName(), false, true);
    Bytes block = saved(*processor);  // "Piano.zse"
    restore(other, block);
    EXPECT_EQ(other.instrument.name, "Piano");
    EXPECT_EQ(other.getCurrentProgram(), 0);
}

TEST_F(State, AnInstrumentThatIsGoneFailsAndTheSettingsApplyToWhatIsLoaded)
{
    Bytes block = saved(*processor);
    putFloat(block, Layout { 9 }.settings() + 48, -12.0f);
    const std::string gone = "Gone.zse";
    block.erase(block.begin(), block.begin() + 9);
    block.insert(block.begin(), gone.begin(), gone.end());

    restore(*processor, block);
    EXPECT_FALSE(processor->lastLoadWasSuccessful());
    EXPECT_EQ(processor->getCurrentInstrumentPath(), library.folder().getChildFile("Gone.zse").getFullPathName());
    EXPECT_EQ(processor->instrument.name, "Piano");
    EXPECT_EQ(processor->instrument.settings.volume, -12.0f);
}

TEST_F(State, AParameterChangeNotYetRenderedIsSaved)
{
    processor->setParameter(3, 0.75f);  // release scale 1.5
    processor->setParameter(5, 0.25f);  // 250 ms glide
    const Bytes block = saved(*processor);
    const Layout at { 9 };
    EXPECT_EQ(floatAt(block, at.group(0) + 44), 1.5f);
    EXPECT_EQ(floatAt(block, at.settings() + 44), 250.0f);
}

#include "EditorFixture.h"

EditorProcessor::EditorProcessor(const juce::File& libraryFile) : CZSP(libraryFile)
{
}

EditorProcessor::~EditorProcessor()
{
    stopLoadingThread();
}

const char* const bindingsLayout = R"(<Player width="400" height="300">
  <Label x="0" y="0" width="200" height="20" 2="1"/>
  <Label x="0" y="20" width="200" height="20" 2="2"/>
  <Label x="0" y="40" width="200" height="20" 2="3"/>
  <knob x="0" y="60" 2="2"/>
  <knob x="50" y="60" 2="207"/>
  <knob x="100" y="60" 2="9"/>
  <knob x="150" y="60" 2="101" 9="5"/>
  <knob x="200" y="60" 2="1"/>
  <knob x="250" y="60" 2="456"/>
  <Combo x="0" y="120" width="80" height="20" 2="102"/>
  <Combo x="80" y="120" width="80" height="20" 2="4"/>
  <Combo x="160" y="120" width="80" height="20" 2="8"/>
  <Button x="0" y="150" width="40" height="20" 2="10" 10="60"/>
  <Button x="40" y="150" width="40" height="20" 2="10" 10="62" 3="1"/>
  <Button x="80" y="150" width="40" height="20" 2="6"/>
  <Button x="120" y="150" width="40" height="20" 2="7"/>
  <Button x="160" y="150" width="40" height="20" 2="102" 3="1"/>
  <meter x="0" y="180" width="2" height="14" 2="3"/>
  <meter x="10" y="180" width="2" height="14" 2="35"/>
  <keyboard x="0" y="200" width="400" height="100" 4="36,96"/>
</Player>)";

void EditorFixture::openLibrary(int instruments, int groups, const std::string& layout)
{
    library = std::make_unique<TestLibrary>();
    for (int k = 0; k < instruments; ++k)
    {
        InstrumentRecipe recipe;
        recipe.name = "Instrument " + std::to_string(k + 1);
        recipe.groups = groups;
        recipe.layoutXml = layout;
        recipe.groupActivation = 5;  // "Manual": only the window switches groups
        library->add(juce::String(k) + ".zse", recipe);
    }
    processor = std::make_unique<EditorProcessor>(library->pluginFile());
    processor->setRateAndBufferSizeDetails(44100.0, blockSize);
    processor->prepareToPlay(44100.0, blockSize);
}

void EditorFixture::openEditor()
{
    editor.reset(processor->createEditorIfNeeded());
    gui = dynamic_cast<CZSPGUI*>(editor.get());
    ASSERT_NE(gui, nullptr);
    editor->setVisible(true);
}

void EditorFixture::closeEditor()
{
    editor.reset();
    gui = nullptr;
}

void EditorFixture::runBlock(const juce::MidiBuffer& midi)
{
    juce::AudioBuffer<float> buffer(32, blockSize);
    juce::MidiBuffer input(midi);
    hostBlock(*processor, buffer, input);
}

void EditorFixture::tick(int times)
{
    for (int k = 0; k < times; ++k)
        gui->tick();
}

std::vector<ZEvent> EditorFixture::takeEvents()
{
    return processor->instrument.takePendingEvents();
}

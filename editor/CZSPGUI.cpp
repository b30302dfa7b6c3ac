// The window's construction, its states (empty library, loading, ready), the
// loading overlay, the rebuild after a load and the timers.

#include "CZSPGUI.h"

#include "processor/CZSP.h"

const juce::Colour CZSPGUI::backgroundColour(0xffd3d3d3);
const char* const CZSPGUI::emptyLibraryText = "Cannot find any instruments.";
const char* const CZSPGUI::settingsKeyLoadInstrument = "load instrument";
const char* const CZSPGUI::reflectingName = "reflecting";

CZSPGUI::CZSPGUI(CZSP& owner) : juce::AudioProcessorEditor(owner), processor(owner)
{
    setSize(initialWidth, initialHeight);

    if (processor.getInstrumentFiles().isEmpty())
    {
        emptyLibraryLabel = std::make_unique<juce::Label>(juce::String(), emptyLibraryText);
        emptyLibraryLabel->setJustificationType(juce::Justification::centred);
        emptyLibraryLabel->setBounds(0, 0, initialWidth, initialHeight);
        addAndMakeVisible(*emptyLibraryLabel);
    }
    else
    {
        player = std::make_unique<CPlayerGUI>(&processor.instrument, processor.keyboardState,
                                              CPlayerGUI::EditorLinks::to(*this));
        addAndMakeVisible(*player);
    }

    loadingOverlay = std::make_unique<CLoadingComponent>();
    if (player != nullptr)
    {
        // A load that runs (or starts meanwhile) rebuilds the surface when it
        // ends; until then the overlay covers the window.
        if (!processor.readUnlessLoading([this] { buildPlayer(); }))
            showOverlay();
        startTimer(meterTimer, meterPeriodMs);
    }

    // Nothing is reloaded for the current path: this only applies a restored
    // state that waits for an instrument.
    if (!processor.lastLoadWasSuccessful())
        processor.loadInstrument(-1, processor.getCurrentInstrumentPath(), true, false);
}

CZSPGUI::~CZSPGUI()
{
    stopTimer(meterTimer);
    stopTimer(overlayTimer);
    processor.setNoteMirroring(false);
    fileChooser.reset();
    loadingOverlay.reset();
    player.reset();
    emptyLibraryLabel.reset();
}

void CZSPGUI::paint(juce::Graphics& g)
{
    g.fillAll(backgroundColour);
}

void CZSPGUI::visibilityChanged()
{
    processor.setNoteMirroring(isVisible());
}

void CZSPGUI::loadStarting(juce::Colour playerColour)
{
    loadingOverlay->setPlayerColour(playerColour);
    loadingOverlay->setProgress(-1.0);
    stopTimer(overlayTimer);
    startTimer(overlayTimer, overlayDelayMs);
}

void CZSPGUI::loadEnded(bool succeeded)
{
    loadingOverlay->setVisible(false);
    stopTimer(overlayTimer);
    if (succeeded)
        rebuildPlayer();
}

void CZSPGUI::rebuildPlayer()
{
    if (player == nullptr)
        return;
    buildPlayer();
    startTimer(meterTimer, meterPeriodMs);
}

void CZSPGUI::buildPlayer()
{
    readInstrumentRecords();
    player->loadLayout();
    fetchEngineView(true);
    // A layout that never built leaves the surface empty: the window then
    // keeps its size rather than shrinking to nothing.
    if (!player->getBounds().isEmpty())
        setSize(player->getWidth(), player->getHeight());
    refreshControls();
}

void CZSPGUI::readInstrumentRecords()
{
    // Names are byte strings: each byte one character, except for the list of
    // active groups, which reads them as UTF-8.
    auto bytesAsCharacters = [](const std::string& bytes) {
        juce::String text;
        text.preallocateBytes(bytes.size() * 2);
        for (const unsigned char byte : bytes)
            text += juce::String::charToString(static_cast<juce::juce_wchar>(byte));
        return text;
    };
    const ZInstrument& instrument = processor.instrument;
    instrumentName = bytesAsCharacters(instrument.name);
    groupNames.clearQuick();
    groupNamesUtf8.clearQuick();
    for (const auto& group : instrument.groups)
    {
        groupNames.add(bytesAsCharacters(group->name));
        groupNamesUtf8.add(juce::String::fromUTF8(group->name.data(), static_cast<int>(group->name.size())));
    }
}

void CZSPGUI::showOverlay()
{
    if (loadingOverlay->getParentComponent() != this)
        addChildComponent(*loadingOverlay);
    loadingOverlay->setBounds(getLocalBounds());
    loadingOverlay->setVisible(true);
    loadingOverlay->toFront(false);
}

void CZSPGUI::timerCallback(int timerID)
{
    if (timerID == meterTimer)
    {
        tick();
        return;
    }
    if (timerID == overlayTimer)
    {
        if (processor.isLoading())
            showOverlay();
        stopTimer(overlayTimer);
    }
}

void CZSPGUI::tick()
{
    pollMirroredEvents();
    if (processor.isLoading())
        loadingOverlay->setProgress(processor.loadingProgress());
    if (processor.takeEngineChanged())
        processor.requestEngineView();
    processor.serviceEditorWhileIdle();
    fetchEngineView(false);
    updateMeters();
}

void CZSPGUI::fetchEngineView(bool always)
{
    CEngineView fresh;
    if (!processor.copyEngineView(fresh, always ? ~uint64_t { 0 } : view.serial))
        return;
    // A copy of an instrument the surface was not built for waits for the
    // rebuild that the end of its load brings.
    if (!always && fresh.instrumentGeneration != view.instrumentGeneration)
        return;
    view = std::move(fresh);
    if (!always)
        refreshControls();
}

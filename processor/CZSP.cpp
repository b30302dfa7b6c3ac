// Construction and destruction, the block callback and the small answers the
// processor gives hosts.

#include "CZSP.h"

#include "CZSPInternals.h"
#include "editor/CZSPGUI.h"
#include "OpenFileLimit.h"
#include "PluginIdentity.h"

namespace
{
// Lock-free "only ever raise": a concurrent reset by the editor wins or
// loses as a whole, never tears the value.
void raisePeak(std::atomic<float>& peak, float value)
{
    float current = peak.load(std::memory_order_relaxed);
    while (value > current && !peak.compare_exchange_weak(current, value, std::memory_order_relaxed))
    {
    }
}

bool isMirroredStatus(int statusNibble)
{
    return statusNibble == 0x90 || statusNibble == 0x80 || statusNibble == 0xE0 || statusNibble == 0xB0;
}

juce::PropertiesFile::Options settingsOptions()
{
    juce::PropertiesFile::Options options;
    options.applicationName = "pluginsettings";
    options.filenameSuffix = "dat";
    options.folderName = "Zarvo Sampler Player";
    options.osxLibrarySubFolder = "Application Support";
    options.commonToAllUsers = false;
    options.ignoreCaseOfKeyNames = true;
    options.doNotSave = false;
    options.millisecondsBeforeSaving = 3000;
    options.storageFormat = juce::PropertiesFile::storeAsBinary;
    options.processLock = nullptr;
    return options;
}

// The folder beside the library file named after it: /a/Player.so gives
// /a/Player.instruments. No folder when the library file is not known.
juce::String libraryFolderOf(const juce::File& libraryFile)
{
    if (libraryFile.getFullPathName().isEmpty())
        return {};
    return libraryFile.getSiblingFile(libraryFile.getFileNameWithoutExtension() + ".instruments").getFullPathName();
}
} // namespace

juce::AudioProcessor::BusesProperties CZSP::outputBusLayout()
{
    BusesProperties buses;
    for (int bus = 1; bus <= outputBusCount; ++bus)
        buses = buses.withOutput("Output " + juce::String(bus), juce::AudioChannelSet::stereo(), true);
    return buses;
}

CZSP::CZSP() : CZSP(ownLibraryFile())
{
}

CZSP::CZSP(const juce::File& libraryFile)
    : juce::AudioProcessor(outputBusLayout()), juce::Thread("ZSP Loading Thread"), lifeline(std::make_shared<Lifeline>())
{
    lifeline->processor = this;

    lookAndFeel.setColour(juce::TextButton::buttonColourId, juce::Colour(0xFFFFFAFAu));
    lookAndFeel.setColour(juce::ScrollBar::thumbColourId, juce::Colour(0xFFD3D3D3u));
    lookAndFeel.setColour(juce::ProgressBar::backgroundColourId, juce::Colour(0xFF00FFFFu));
    lookAndFeel.setColour(juce::ProgressBar::foregroundColourId, juce::Colour(0xFF87CEEBu));

    settingsFile = std::make_unique<juce::PropertiesFile>(settingsOptions());

    // Flush-to-zero and denormals-are-zero on the thread that builds the
    // processor too, not only inside the block callback.
    juce::FloatVectorOperations::disableDenormalisedNumberSupport();

    libraryFolder = libraryFolderOf(libraryFile);
    const PluginIdentity& identity = pluginIdentity();
    productName = identity.productName;
    vendorName = identity.vendorName;

    scanLibrary();
    juce::LookAndFeel::setDefaultLookAndFeel(&lookAndFeel);

    instrument.delegate = this;
    publishParameters();

    if (!instrumentFiles.isEmpty())
        loadInstrument(0, {}, false, true);
}

CZSP::~CZSP()
{
    stopLoadingThread();
    sampleFolderChooser.reset();
    if (settingsFile->needsToBeSaved())
        settingsFile->save();
    settingsFile.reset();
    if (&juce::LookAndFeel::getDefaultLookAndFeel() == &lookAndFeel)
        juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
    instrument.delegate = nullptr;
}

void CZSP::startLoadingThread()
{
    // Never in the constructor: the thread must not see a processor whose
    // construction (a subclass's included) is still running.
    const juce::ScopedLock hold(requestLock);
    if (!destroying && !isThreadRunning())
        startThread(juce::Thread::Priority::low);
}

void CZSP::stopLoadingThread()
{
    // From here on nothing posted to the message thread touches the processor,
    // no request starts the thread again, and a running load ends at its next
    // progress report or wait.
    {
        const juce::ScopedLock hold(requestLock);
        destroying = true;
    }
    {
        const juce::ScopedLock hold(lifeline->lock);
        lifeline->processor = nullptr;
    }
    signalThreadShouldExit();
    notify();
    if (!waitForThreadToExit(1000))
        waitForThreadToExit(-1);  // the engine goes only once the loading thread has ended
}

const juce::String CZSP::getName() const
{
    return productName;
}

void CZSP::prepareToPlay(double sampleRate, int)
{
    // Before the host's audio thread runs, so that a program change it may
    // send later does not have to start the thread.
    startLoadingThread();
    EngineAccess engine(*this);
    instrument.setSampleRate(static_cast<float>(sampleRate));
}

void CZSP::releaseResources()
{
}

void CZSP::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages)
{
    juce::ScopedNoDenormals noDenormals;
    instrument.beginBlock();

    const bool offline = isNonRealtime();
    const bool mirror = !offline && noteMirroring.load(std::memory_order_relaxed);
    if (!instrument.loadingFlag)
    {
        applyParameterRequests();
        applyEditorEdits();
        releaseVoicesIfRequested();
    }

    for (const auto event : midiMessages)
    {
        if (event.numBytes < 1 || event.numBytes > 3)
            continue;

        const int status = event.data[0];
        if (mirror && isMirroredStatus(status & 0xF0))
            noteEvents.push(event.data, event.numBytes, event.samplePosition);

        const int data1 = event.numBytes > 1 ? event.data[1] : 0;
        const int data2 = event.numBytes > 2 ? event.data[2] : 0;
        instrument.postEvent(status & 0xF0, status & 0x0F, data1, data2, event.samplePosition);
    }
    midiMessages.clear();

    instrument.setCompleteRefillsBeforeBlock(offline);
    instrument.process(buffer.getArrayOfWritePointers(), buffer.getNumChannels(), buffer.getNumSamples());

    if (!offline)
        updateMeters(buffer);
    if (engineViewRequested.load(std::memory_order_relaxed) && !instrument.loadingFlag)
        publishEngineView(false);
    blocksRendered.fetch_add(1, std::memory_order_relaxed);
}

void CZSP::updateMeters(const juce::AudioBuffer<float>& buffer)
{
    // Channels past the 32 of the bus set have no meter.
    const int channels = juce::jmin(buffer.getNumChannels(), meteredChannelCount);
    float evenPeak = 0.0f;
    float oddPeak = 0.0f;
    for (int channel = 0; channel < channels; ++channel)
    {
        const float magnitude = buffer.getMagnitude(channel, 0, buffer.getNumSamples());
        raisePeak(meterPeaks[static_cast<size_t>(channel)], magnitude);
        float& sum = (channel % 2 == 0) ? evenPeak : oddPeak;
        sum = juce::jmax(sum, magnitude);
    }
    raisePeak(meterPeaks[leftSumMeter], evenPeak);
    raisePeak(meterPeaks[rightSumMeter], oddPeak);
}

void CZSP::reset()
{
    // Hosts call reset from threads of their own while the audio thread may
    // render, so the release is handed to the audio thread; release tails
    // still play.
    releaseAllRequested.store(true);
}

void CZSP::releaseVoicesIfRequested()
{
    if (releaseAllRequested.exchange(false))
        for (auto& voice : instrument.voices)
            if (voice->isActive())
                voice->release();
    if (killAllRequested.exchange(false))
        for (auto& voice : instrument.voices)
            if (voice->isActive())
                voice->kill();
}

bool CZSP::isBusesLayoutSupported(const BusesLayout& layouts) const
{
    if (layouts.getMainOutputChannelSet() != juce::AudioChannelSet::stereo())
        return false;
    // The engine writes group output n to channels 2n and 2n + 1 of the
    // host's buffer, which holds the channels of all enabled buses one after
    // the other. A bus of another width would shift every later pair, and
    // groups would play on the wrong outputs; so every other bus is a stereo
    // pair or off.
    for (int bus = 1; bus < layouts.outputBuses.size(); ++bus)
    {
        const auto& set = layouts.outputBuses.getReference(bus);
        if (set != juce::AudioChannelSet::stereo() && !set.isDisabled())
            return false;
    }
    return true;
}

double CZSP::getTailLengthSeconds() const
{
    return 0.0;
}

bool CZSP::acceptsMidi() const
{
    return true;
}

bool CZSP::producesMidi() const
{
    return false;
}

juce::AudioProcessorEditor* CZSP::createEditor()
{
    return new CZSPGUI(*this);
}

bool CZSP::hasEditor() const
{
    return true;
}

void CZSP::showInformation()
{
    onMessageThread([](CZSP& processor) {
        const juce::String vendorLine = processor.getCurrentInstrumentPath().isNotEmpty() ? processor.vendorName
                                                                                          : juce::String("No instrument loaded");
        const juce::String message = "\nVendor: " + vendorLine + "\nEngine Version: " + juce::String(2.58, 2) + "\n"
                                   + "Player Version: " + "2.59";
        const juce::Colour background = juce::Colour(processor.instrument.settings.playerColour).withAlpha(juce::uint8 { 0xFF });

        auto* box = new juce::AlertWindow(processor.productName, message, juce::MessageBoxIconType::NoIcon);
        box->setColour(juce::AlertWindow::backgroundColourId, background);
        box->setColour(juce::AlertWindow::textColourId, background.contrasting(1.0f));
        box->addButton("OK", 1, juce::KeyPress(juce::KeyPress::returnKey));
        // The box owns itself: it outlives neither its button nor, if the
        // plugin goes first, anything of the processor.
        box->enterModalState(true, nullptr, true);
    });
}

void CZSP::onMessageThread(std::function<void(CZSP&)> call)
{
    if (juce::MessageManager::existsAndIsCurrentThread())
    {
        call(*this);
        return;
    }
    juce::MessageManager::callAsync([life = lifeline, call = std::move(call)] {
        const juce::ScopedLock hold(life->lock);
        if (life->processor != nullptr)
            call(*life->processor);
    });
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    raiseOpenFileLimit(2048);
    return new CZSP();
}

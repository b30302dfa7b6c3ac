#include "engine/ZInstrument.h"

#include <algorithm>
#include <ctime>

#include "engine/InstrumentReader.h"
#include "engine/VelocityCurves.h"
#include "engine/ZDSVoice.h"

namespace
{
constexpr const char* newInstrumentName = "Untitled";
constexpr const char* newInstrumentVendor = "Quellmark";
} // namespace

InstrumentSettings ZInstrument::defaultSettings()
{
    InstrumentSettings block {};
    block.streamBufferFrames = block.streamBufferFramesStored = 44100;
    block.sixteenBit = block.sixteenBitStored = 1;
    block.diskStreaming = block.diskStreamingStored = 1;
    block.voiceCount = block.voiceCountStored = 32;
    setNewInstrumentSettings(block);
    return block;
}

ZInstrument::ZInstrument()
    : settings(defaultSettings()), name(newInstrumentName), vendor(newInstrumentVendor), layoutXml(defaultLayoutXml),
      clock(&ZSystemClock::shared()), random(&ZRandom::shared())
{
    std::fill(std::begin(noteVelocity), std::end(noteVelocity), uint8_t { 127 });
    std::fill(std::begin(noteOnTime), std::end(noteOnTime), 0.0);
    std::fill(std::begin(controllerValues), std::end(controllerValues), uint8_t { 0 });

    renderEvents.reserve(eventCapacity);
    reverb.setParameters(0.868f, 0.4f, 1.5f, 0.7f, 0.0f);

    createVoices();
    activateGroup(addGroup("Default Group"));
    applySettings();

    if (ZStreamingThread::registerInstrument(this))
        ZRandom::shared().seed(static_cast<uint32_t>(std::time(nullptr)));
}

ZInstrument::~ZInstrument()
{
    loadingFlag = true;
    ZStreamingThread::unregisterInstrument(this);
    clear();
    deleteVoices();
}

int ZInstrument::liveInstrumentCount()
{
    return ZStreamingThread::liveInstrumentCount();
}

// The fields a new instrument resets; the others keep their values.
void ZInstrument::setNewInstrumentSettings(InstrumentSettings& block)
{
    block.interpolation = stored(Interpolation::high);
    block.velocityCurve = velocityCurveNormal;
    block.volume = 0.0f;
    block.pan = 0.0f;
    block.lfoShape = stored(LfoShape::triangle);
    block.lfoDestination = stored(LfoDestination::pitch);
    block.lfoDepthSource = stored(LfoDepthSource::modWheel);
    block.lfoRate = 3.0f;
    block.lfoDepth = 0.0f;
    block.reverbSend = 0.0f;
    block.velocityFloor = -48;
    block.velocityTop = 0;
    block.clipOutput = 1;
}

void ZInstrument::setNewInstrumentDefaults()
{
    setNewInstrumentSettings(settings);
    name = newInstrumentName;
    vendor = newInstrumentVendor;
    backgroundImageData.clear();
    layoutXml = defaultLayoutXml;
}

void ZInstrument::clear()
{
    ZSP_THREAD_CHECK(rendering.noOtherIsRendering(), "ZInstrument::clear while the audio thread renders");
    // Voices point into the zones about to go: silence them first, pending
    // notes included, so no voice plays a destroyed zone.
    for (auto& voice : voices)
    {
        voice->cancelPending();
        voice->finish();
        if (auto* streamingVoice = dynamic_cast<ZDSVoice*>(voice.get()))
            streamingVoice->abandonStream();
    }
    currentGroup = nullptr;
    activeGroups.clear();
    groups.clear();
    backgroundImageData.clear();
    backgroundImageData.shrink_to_fit();
    extraText.clear();
    stringList.clear();
    embeddedFile.reset();
    notesWithoutZone.store(0, std::memory_order_relaxed);
}

void ZInstrument::createVoices()
{
    ZSP_THREAD_CHECK(rendering.noOtherIsRendering(), "ZInstrument::createVoices while the audio thread renders");
    deleteVoices();
    settings.voiceCount = std::clamp(settings.voiceCount, 0, maxVoices);
    if (settings.diskStreaming != 0)
        settings.streamBufferFrames = std::clamp(settings.streamBufferFrames, minStreamFrames, maxStreamFrames);
    voices.reserve(static_cast<size_t>(settings.voiceCount));
    for (int32_t k = 0; k < settings.voiceCount; ++k)
    {
        if (settings.diskStreaming != 0)
            voices.push_back(std::make_unique<ZDSVoice>(*this, settings.streamBufferFrames, settings.sixteenBit != 0));
        else
            voices.push_back(std::make_unique<ZVoice>(*this));
    }
}

void ZInstrument::deleteVoices()
{
    ZSP_THREAD_CHECK(rendering.noOtherIsRendering(), "ZInstrument::deleteVoices while the audio thread renders");
    for (auto& voice : voices)
    {
        voice->cancelPending();
        voice->finish();
    }
    voices.clear();
}

ZGroup* ZInstrument::addGroup(const std::string& groupName)
{
    groups.push_back(std::make_unique<ZGroup>(groupName));
    // The active set never holds more than every group, so the audio thread
    // can change it without allocating.
    activeGroups.reserve(groups.size());
    currentGroup = groups.back().get();
    return currentGroup;
}

void ZInstrument::setSampleRate(float rate)
{
    ZSP_THREAD_CHECK(rendering.noOtherIsRendering(), "ZInstrument::setSampleRate while the audio thread renders");
    sampleRate = rate;
    lfo.sampleRate = rate > 0.0f ? rate : 44100.0f;
    updateAllZones();
    lfo.setRate(settings.lfoRate);
    updateMasterFilter();
}

void ZInstrument::updateAllZones()
{
    for (const auto& group : groups)
        for (const auto& zone : group->zones)
            zone->updateDerived();
}

std::vector<ZEvent> ZInstrument::takePendingEvents()
{
    std::vector<ZEvent> events;
    events.reserve(eventCapacity);
    pendingEvents.takeInto(events);
    return events;
}

static_assert(std::atomic<uint64_t>::is_always_lock_free, "the audio thread counts notes without a lock");

bool ZInstrument::loadFromFile(const std::string& path)
{
    ZLoadReport unused;
    return loadFromFile(path, unused);
}

bool ZInstrument::loadFromFile(const std::string& path, ZLoadReport& report)
{
    return InstrumentReader(*this, path, report).load();
}

uint32_t ZInstrument::peekFile(const std::string& path, bool wantVendor, std::string& text)
{
    return InstrumentReader::peek(path, wantVendor, text);
}

void ZInstrument::activateGroup(ZGroup* group)
{
    if (group == nullptr || std::find(activeGroups.begin(), activeGroups.end(), group) != activeGroups.end())
        return;
    activeGroups.push_back(group);
    group->settings.active = 1;
    if (delegate != nullptr)
        delegate->groupsChanged();
}

void ZInstrument::deactivateGroup(ZGroup* group)
{
    const auto found = std::find(activeGroups.begin(), activeGroups.end(), group);
    if (found == activeGroups.end())
        return;
    activeGroups.erase(found);
    group->settings.active = 0;
    if (delegate != nullptr)
        delegate->groupsChanged();
}

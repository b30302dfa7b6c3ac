#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/Settings.h"
#include "engine/ZBiquad.h"
#include "engine/ZEvent.h"
#include "engine/ZGroup.h"
#include "engine/ZLFO.h"
#include "engine/ZPlatform.h"
#include "engine/ZReverb.h"
#include "engine/ZSEDelegate.h"
#include "engine/ZStreamingThread.h"
#include "engine/ZVoice.h"
#include "engine/ZZone.h"
#include "files/ZSoundFile.h"

class ZInstrument : public ZSEThreadClient
{
public:
    // Events a block can queue; further events of the same block are dropped
    // rather than allocating on the audio thread.
    static constexpr size_t eventCapacity = 16384;

    // Limits on the applied pool settings, so a corrupt file can neither make
    // the pool unmanageably large nor give streaming voices buffers they
    // cannot index.
    static constexpr int32_t maxVoices = 256;
    static constexpr int32_t minStreamFrames = 64;
    static constexpr int32_t maxStreamFrames = 1 << 18;

    ZInstrument();
    ~ZInstrument() override;
    ZInstrument(const ZInstrument&) = delete;
    ZInstrument& operator=(const ZInstrument&) = delete;

    // Records and defaults.
    // The settings block of a new instrument.
    static InstrumentSettings defaultSettings();
    void setNewInstrumentDefaults();
    void clear();
    void createVoices();
    void deleteVoices();
    ZGroup* addGroup(const std::string& groupName);
    void activateGroup(ZGroup* group);
    void deactivateGroup(ZGroup* group);

    // Note handling and the block loop.
    void postEvent(int status, int channel, int data1, int data2, int samplePosition);
    void process(float* const* channels, int numChannels, int numSamples);
    void applySettings();
    void resetControllers();

    // Instrument files.
    bool loadFromFile(const std::string& path);
    static uint32_t peekFile(const std::string& path, bool wantVendor, std::string& text);

    void serviceStreams() override;

    // Time and chance: the system clock and the process-wide generator unless
    // a test or an offline render installs its own (not owned).
    void setClock(ZClock* newClock) { clock = newClock ? newClock : &ZSystemClock::shared(); }
    void setRandom(ZRandom* newRandom) { random = newRandom ? newRandom : &ZRandom::shared(); }
    double now() { return clock->nowMilliseconds(); }

    // Offline rendering: complete every refill a voice has asked for before
    // the block renders, so no late buffer is ever played.
    void setCompleteRefillsBeforeBlock(bool complete) { completeRefillsBeforeBlock = complete; }

    static int liveInstrumentCount();

    InstrumentSettings settings {};
    std::string name;
    std::string vendor;
    int32_t backgroundImageSize = 0;
    std::vector<uint8_t> backgroundImageData;
    std::string extraText;
    std::string layoutXml;
    std::vector<std::unique_ptr<ZGroup>> groups;
    std::vector<std::unique_ptr<ZVoice>> voices;
    std::vector<ZEvent> pendingEvents;
    std::vector<ZEvent> renderEvents;
    int32_t renderIndex = 0;
    std::vector<ZGroup*> activeGroups;
    std::vector<std::string> stringList;
    ZSEDelegate* delegate = nullptr;
    uint8_t noteVelocity[128];
    double noteOnTime[128];
    uint8_t controllerValues[128];
    uint8_t program = 0;
    ZGroup* currentGroup = nullptr;
    std::atomic<bool> loadingFlag { false };
    bool sustainPedal = false;
    double blockStartTime = 0.0;
    int32_t lastNote = 60;
    ZMutex eventMutex;
    ZLFO lfo;
    float lfoValue = 0.0f;
    ZReverb reverb;
    ZBiquad filterLeft;
    ZBiquad filterRight;
    float bendRatio = 1.0f;
    float bendTarget = 1.0f;
    bool bendMoving = false;
    float bendPosition = 0.0f;
    int32_t bendRange = 2;
    float panLeft = 1.0f;
    float panRight = 1.0f;
    float gain = 1.0f;
    float gainTarget = 1.0f;
    float sampleRate = 44100.0f;

    // The open instrument file that embedded sounds read from; it closes when
    // the last sound that uses it goes.
    ZSharedFile embeddedFile;

private:
    static void setNewInstrumentSettings(InstrumentSettings& block);
    void dispatchEvents(int sampleIndex, bool lastSample);
    void handleEvent(const ZEvent& event);
    void updateGroupActivation(const ZEvent& event);
    void triggerGroup(ZGroup& group, int note, int velocity);
    void startZone(ZZone& zone, int note, int velocity, int channelTag);
    void stopExclusiveGroup(int number);
    ZVoice* allocateVoice();
    void releaseNote(const ZEvent& event);
    void handleController(int number, int value);
    void updateAllZones();
    void completePendingRefills();

    ZClock* clock;
    ZRandom* random;
    bool completeRefillsBeforeBlock = false;
};

// The default player layout of a new instrument.
extern const char* const defaultLayoutXml;

#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/Settings.h"
#include "engine/ZBiquad.h"
#include "engine/ZEvent.h"
#include "engine/ZEventQueue.h"
#include "engine/ZGroup.h"
#include "engine/ZLFO.h"
#include "engine/ZLoadReport.h"
#include "engine/ZPlatform.h"
#include "engine/ZReverb.h"
#include "engine/ZSEDelegate.h"
#include "engine/ZStreamingThread.h"
#include "engine/ZThreadCheck.h"
#include "engine/ZVoice.h"
#include "engine/ZVoiceRun.h"
#include "engine/ZZone.h"
#include "files/ZSoundFile.h"

// One instrument: its settings, groups and zones, the voice pool, the event
// queue and the block loop.
//
// Thread contract. Four threads meet here:
// - the audio thread: process() and everything it runs (event dispatch, group
//   activation by events, voice allocation and rendering, the controller
//   table). It alone writes the block-loop state (the private members below,
//   the voices' playing state) and takes events from the queue.
// - any thread: postEvent() and resetControllers() append to the queue
//   without locking or waiting; the audio thread's own block callback posts
//   the host's MIDI this way.
// - the message thread: the user interface writes settings, group settings and
//   bendTarget / bendPosition with plain stores that the audio thread picks up
//   at its next run of samples (bendTarget at its next sample), then calls
//   applySettings(); it changes the active set by hand with activateGroup() /
//   deactivateGroup().
// - the loading thread (and the host thread in prepareToPlay): loadFromFile(),
//   clear(), createVoices(), deleteVoices(), addGroup() and setSampleRate()
//   restructure the instrument while the audio thread is held out (processing
//   suspended and loadingFlag set, so a block that starts renders silence).
// - the streaming thread: serviceStreams() refills the streaming voices'
//   buffers, and leaves the instrument alone while loadingFlag is set.
// applySettings() runs on whichever thread changed a setting (the audio
// thread for controllers) and tells the delegate on that thread. Debug builds
// check the audio-thread-only and held-out operations (ZThreadCheck.h).
class ZInstrument : public ZSEThreadClient
{
public:
    // Events that can wait for the next block; further events are dropped
    // rather than allocating.
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

    // Records and defaults (held out).
    // The settings block of a new instrument.
    static InstrumentSettings defaultSettings();
    void setNewInstrumentDefaults();
    void clear();
    void createVoices();
    void deleteVoices();
    ZGroup* addGroup(const std::string& groupName);
    // The audio thread (events), the loading thread and the message thread
    // (manual activation).
    void activateGroup(ZGroup* group);
    void deactivateGroup(ZGroup* group);

    // The host's sample rate, with everything that follows it: the LFO's rate
    // (44100 for a rate that is not positive) and increment, every zone's
    // derived values (group by group, in zone order) and the master filter.
    // Voices already sounding keep the pitch they started with. Held out.
    void setSampleRate(float rate);

    // Note handling and the block loop.
    // Called by the audio thread at the start of a host's block, before
    // anything of the block changes voices (the thread may differ from the
    // last block's).
    void beginBlock() { rendering.claim(); }
    void postEvent(int status, int channel, int data1, int data2, int samplePosition);
    // Renders the block run by run: from each sample where events are due to
    // the next, the instrument's values for every sample, then every sounding
    // voice over the run, then the master filter, reverb and clip.
    void process(float* const* channels, int numChannels, int numSamples);
    // The block loop only: sets the bend and LFO values a voice reads to those
    // of sample k of the run being rendered (for a held note that starts there).
    void holdRunValues(const ZVoiceRun& run, int k);
    void applySettings();
    void resetControllers();

    // Instrument files (the loading thread; peekFile any thread). The report
    // tells what the load found wrong (ZLoadReport.h).
    bool loadFromFile(const std::string& path);
    bool loadFromFile(const std::string& path, ZLoadReport& report);
    static uint32_t peekFile(const std::string& path, bool wantVendor, std::string& text);
    // Keeps the open instrument file that embedded sounds read from; it
    // closes when the last sound that uses it goes, or at the next clear().
    void holdEmbeddedFile(ZSharedFile file) { embeddedFile = std::move(file); }

    // The streaming thread.
    void serviceStreams() override;

    // Time and chance: the system clock and the process-wide generator unless
    // a test or an offline render installs its own (not owned). Held out.
    void setClock(ZClock* newClock) { clock = newClock ? newClock : &ZSystemClock::shared(); }
    void setRandom(ZRandom* newRandom) { random = newRandom ? newRandom : &ZRandom::shared(); }
    double now() { return clock->nowMilliseconds(); }

    // Offline rendering: complete every refill a voice has asked for before
    // the block renders, so no late buffer is ever played.
    void setCompleteRefillsBeforeBlock(bool complete) { completeRefillsBeforeBlock = complete; }

    // Events waiting for the next block; exact only while nobody posts.
    size_t pendingEventCount() const { return pendingEvents.size(); }
    // Takes the waiting events out of the queue (the audio thread or held
    // out; allocates, so not for the block loop).
    std::vector<ZEvent> takePendingEvents();

    // The block loop's state, read-only from outside.
    int32_t backgroundImageSize() const { return static_cast<int32_t>(backgroundImageData.size()); }
    uint8_t getNoteVelocity(int note) const { return noteVelocity[note & 0x7F]; }
    uint8_t getControllerValue(int number) const { return controllerValues[number & 0x7F]; }
    uint8_t getProgram() const { return program; }
    bool isSustainPedalDown() const { return sustainPedal; }
    int32_t getLastNote() const { return lastNote; }
    float getLfoValue() const { return lfoValue; }
    float getBendRatio() const { return bendRatio; }
    bool isBendMoving() const { return bendMoving; }
    int32_t getBendRange() const { return bendRange; }
    // Note-ons since the last clear() for which no active group held a zone
    // at their key and velocity (key switches aside); any thread may read it.
    uint64_t notesThatFoundNoZone() const { return notesWithoutZone.load(std::memory_order_relaxed); }
    float getPanLeft() const { return panLeft; }
    float getPanRight() const { return panRight; }
    float getGain() const { return gain; }
    float getGainTarget() const { return gainTarget; }
    const ZBiquad& getFilterLeft() const { return filterLeft; }
    const ZBiquad& getFilterRight() const { return filterRight; }
    // True on the audio thread, or while it is held out (loading, or before
    // the first block): where voice state may change.
    bool mayChangeVoices() const { return loadingFlag.load(std::memory_order_relaxed) || rendering.isRendererOrNone(); }

    static int liveInstrumentCount();

    // Written by the loading thread (a load) and the message thread (the
    // user interface); read by the audio thread.
    InstrumentSettings settings {};
    std::string name;
    std::string vendor;
    std::vector<uint8_t> backgroundImageData;
    std::string extraText;
    std::string layoutXml;
    std::vector<std::unique_ptr<ZGroup>> groups;
    std::vector<std::unique_ptr<ZVoice>> voices;
    std::vector<ZGroup*> activeGroups;
    std::vector<std::string> stringList;
    ZSEDelegate* delegate = nullptr;
    ZGroup* currentGroup = nullptr;
    std::atomic<bool> loadingFlag { false };
    // Written through setSampleRate (the host's prepareToPlay); the LFO's own
    // rate likewise.
    ZLFO lfo;
    float sampleRate = 44100.0f;
    // The bend control of the user interface.
    float bendTarget = 1.0f;
    float bendPosition = 0.0f;

private:
    friend struct ZInstrumentProbe;  // tests set block-loop state directly

    static void setNewInstrumentSettings(InstrumentSettings& block);
    void updateMasterFilter();
    void dispatchEvents(int sampleIndex, bool lastSample);
    // The block sample where events are next due (the end of the block if none).
    int nextDispatch(int sampleIndex, int numSamples) const;
    void fillRunValues();
    void applyMasterEffects(float* const* channels, int numChannels, int begin, int end);
    void handleEvent(const ZEvent& event);
    // True when the event was a key switch (a note that activates groups).
    bool updateGroupActivation(const ZEvent& event);
    void triggerGroup(ZGroup& group, int note, int velocity);
    void startZone(ZZone& zone, int note, int velocity, int channelTag);
    void stopExclusiveGroup(int number);
    ZVoice* allocateVoice();
    void releaseNote(const ZEvent& event);
    void handleController(int number, int value);
    void updateAllZones();
    void completePendingRefills();

    // Appended by any thread, taken by the audio thread at a block's first
    // sample into renderEvents, which the block dispatches from renderIndex.
    ZEventQueue pendingEvents { eventCapacity };
    std::vector<ZEvent> renderEvents;
    int32_t renderIndex = 0;

    // The block loop's state: the audio thread alone writes it.
    uint8_t noteVelocity[128];
    double noteOnTime[128];
    uint8_t controllerValues[128];
    uint8_t program = 0;
    bool sustainPedal = false;
    double blockStartTime = 0.0;  // part of the instrument's record; nothing reads it yet
    int32_t lastNote = 60;
    float lfoValue = 0.0f;
    ZReverb reverb;
    ZBiquad filterLeft;
    ZBiquad filterRight;
    float bendRatio = 1.0f;
    bool bendMoving = false;
    int32_t bendRange = 2;
    float panLeft = 1.0f;
    float panRight = 1.0f;
    float gain = 1.0f;
    float gainTarget = 1.0f;
    // Bumped by the audio thread, lock-free and without allocation.
    std::atomic<uint64_t> notesWithoutZone { 0 };
    ZVoiceRun voiceRun;

    // The open instrument file that embedded sounds read from.
    ZSharedFile embeddedFile;

    ZClock* clock;
    ZRandom* random;
    bool completeRefillsBeforeBlock = false;
    ZRenderingThread rendering;
};

// The default player layout of a new instrument.
extern const char* const defaultLayoutXml;

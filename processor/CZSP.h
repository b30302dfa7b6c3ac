#pragma once
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "CEngineEdit.h"
#include "CEngineView.h"
#include "CMidiEventQueue.h"
#include "HostParameters.h"
#include "engine/ZInstrument.h"
#include "widgets/CLookAndFeel.h"

// The plugin's audio processor: the object hosts talk to through JUCE's
// plugin wrappers. It owns the sampler engine, the instrument library (the
// host's programs), the loading thread, the settings file and the state that
// an open editor reads.
//
// Threads and what each may do:
// - Host audio thread: processBlock (under the wrappers' callback lock, never
//   while processing is suspended). It alone renders and changes voices; at
//   the start of each block it applies the host's parameter changes and
//   publishes the parameter values. Writes meterPeaks, the mirrored-event
//   queue, the engine's render state; never keyboardState, whose locks and
//   listeners belong to the message thread.
// - Any host thread, the audio thread included: setParameter, getParameter,
//   getParameterText (atomics only, never a lock), reset (a request the
//   audio thread carries out at its next block), the program calls and
//   asynchronous load requests (a short lock around the request, never a
//   wait for a load).
// - Message thread (or the thread a host uses for it): construction,
//   destruction, prepareToPlay, the state calls, createEditor,
//   showInformation, the list box, the end of each load and every call into
//   the editor (CEditorLink).
// - The thread that runs a load: the loading thread "ZSP Loading Thread" for
//   asynchronous requests (started by prepareToPlay or the first such
//   request, then waiting for requests until destruction), the calling
//   thread for synchronous ones (construction, state restores). A load
//   owns the engine (engineLock) and keeps the audio thread out of it
//   (suspendProcessing, the engine's loadingFlag) while it replaces the
//   instrument and applies a restored state. Only one load, state restore or
//   state snapshot owns the engine at a time; a snapshot copies the settings
//   blocks between two audio blocks, under the wrappers' callback lock.
// Requests (currentInstrumentPath, currentInstrumentIndex, the queued load)
// are guarded by requestLock; the flags the editor reads are atomics.
class CZSP : public juce::AudioProcessor,
             public juce::ListBoxModel,
             public ZSEDelegate,
             public juce::Thread
{
public:
    static constexpr int outputBusCount = 16;
    // Entries 0..31 hold the peaks of channels 0..31; entry 32 the largest
    // peak of the even channels, entry 33 that of the odd ones.
    static constexpr int meteredChannelCount = 2 * outputBusCount;
    static constexpr int leftSumMeter = meteredChannelCount;
    static constexpr int rightSumMeter = meteredChannelCount + 1;
    static constexpr int meterCount = meteredChannelCount + 2;

    // The processor of the plugin library this code runs in.
    CZSP();
    // A processor whose instrument library is the one of `libraryFile`: the
    // folder beside it named after it with ".instruments". Hosts get the
    // plugin's own file; tests give a file of their own.
    explicit CZSP(const juce::File& libraryFile);
    ~CZSP() override;

    const juce::String getName() const override;

    void prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    using juce::AudioProcessor::processBlock;
    void reset() override;

    bool isBusesLayoutSupported(const BusesLayout& layouts) const override;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    // Host parameters, by index (the processor has no parameter objects).
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE("-Wdeprecated-declarations")
    using juce::AudioProcessor::getParameterName;
    using juce::AudioProcessor::getParameterText;
    int getNumParameters() override;
    const juce::String getParameterName(int index) override;
    juce::String getParameterID(int index) override;
    float getParameter(int index) override;
    void setParameter(int index, float value) override;
    const juce::String getParameterText(int index) override;
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE

    // Programs: the library's instruments.
    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram(int index) override;
    const juce::String getProgramName(int index) override;
    void changeProgramName(int index, const juce::String& newName) override;

    void getStateInformation(juce::MemoryBlock& destData) override;
    void setStateInformation(const void* data, int sizeInBytes) override;

    // The list box over the library.
    int getNumRows() override;
    void paintListBoxItem(int row, juce::Graphics& g, int width, int height, bool selected) override;
    void listBoxItemDoubleClicked(int row, const juce::MouseEvent&) override;

    // The single entry of every load request. A request for a new path
    // replaces any request still waiting and the load running, which ends at
    // its next progress report; the latest request is loaded last.
    // Synchronous requests load on the calling thread before returning;
    // asynchronous ones on the loading thread. For the path already current
    // nothing is reloaded.
    void loadInstrument(int index, juce::String path, bool applyIfUnchanged, bool synchronous);

    // The information box (product, vendor, versions), shown on the message
    // thread; returns at once.
    void showInformation();

    // A missing sample: searched below its own folder, then below the folder
    // saved as "missing folder". The full path found, or empty.
    juce::String locateSampleFile(const juce::String& resolvedPath);
    // The first file named `fileName` below the folders of `searchPath`.
    static juce::String findFileInFolders(const juce::String& searchPath, const juce::String& fileName);

    // What the editor reads (see CEditorLink).
    const juce::Array<juce::File>& getInstrumentFiles() const { return instrumentFiles; }
    const juce::StringArray& getInstrumentNames() const { return instrumentNames; }
    juce::String getCurrentInstrumentPath() const;
    int getCurrentInstrumentIndex() const;
    juce::String getLibraryFolder() const { return libraryFolder; }
    juce::PropertiesFile& getSettings() { return *settingsFile; }
    bool isLoading() const { return loading.load(); }
    bool lastLoadWasSuccessful() const { return lastLoadSucceeded.load(); }
    // What the last finished load found wrong with its instrument (a file cut
    // short or damaged, missing samples: ZLoadReport::describe); empty when
    // nothing was. Any thread.
    juce::String getLastLoadReport() const;
    double loadingProgress() const { return loadProgressValue.load(); }
    // True once after the engine reported changed groups or settings.
    bool takeEngineChanged() { return engineChanged.exchange(false); }
    // The next mirrored MIDI event (message thread); false when none waits.
    bool takeMirroredEvent(CMidiEventQueue::Event& event) { return noteEvents.pop(event); }
    // The editor switches mirroring on while it is visible.
    void setNoteMirroring(bool mirror) { noteMirroring.store(mirror); }

    // The editor's changes to the engine (message thread). Each waits for
    // the audio thread's next block, or for serviceEditorWhileIdle. Refused
    // (false) while a load runs: they addressed the instrument it replaces.
    // Runs `read` (message thread) unless a load runs or owns the engine,
    // so what it reads of the instrument's records (layout, names, groups) is
    // not being replaced meanwhile; false when it did not run.
    bool readUnlessLoading(const std::function<void()>& read);
    // Edits carry the instrument generation of the view they were made from,
    // so one made for an instrument that a load has replaced is dropped.
    bool postEngineEdit(const CEngineEdit& edit);
    // Every sounding voice stops within a fast fade, at the next block.
    void killAllVoices() { killAllRequested.store(true); }
    // Asks for a fresh copy of the engine values; the audio thread takes it
    // after its next block (or serviceEditorWhileIdle does).
    void requestEngineView() { engineViewRequested.store(true); }
    // The latest copy (message thread). False when none was taken since the
    // copy with serial `knownSerial`.
    bool copyEngineView(CEngineView& out, uint64_t knownSerial);
    // Message thread, on the editor's timer: while the audio thread renders
    // no blocks (a host that stopped, a stand-alone without a device), applies
    // the waiting edits and takes a requested copy itself, under the callback
    // lock. Never waits: when the lock or the engine is busy it tries again
    // at the next call.
    void serviceEditorWhileIdle();

    ZInstrument instrument;

    // Raised by the audio thread, read and set back to 0 by the editor.
    std::array<std::atomic<float>, meterCount> meterPeaks {};

    // What the editor's keyboards show: their own notes and, fed by the
    // editor from the mirrored events, the host's. Message thread only.
    juce::MidiKeyboardState keyboardState;

protected:
    // Ends the loading thread (a running load stops at its next progress
    // report or wait). The destructor does it; a subclass whose overrides the
    // loading thread calls does it first in its own destructor.
    void stopLoadingThread();

    // Asks the user for the folder of a missing sample (message thread) and
    // answers through `chosen`, with an empty file when cancelled.
    virtual void askForSampleFolder(const juce::String& sampleName, const juce::File& startFolder,
                                    std::function<void(const juce::File&)> chosen);
    // Tells the user that a load failed (message thread, an editor open).
    virtual void reportLoadFailure();
    // Tells the user, once per load, what a load that succeeded left out
    // (message thread, an editor open): one message box that does not wait.
    virtual void reportLoadProblems(const juce::String& report);

    // ZSEDelegate, called by the engine on the thread it runs on.
    bool loadProgress(float progress, const std::string& groupName, const std::string& sampleName) override;
    void groupsChanged() override;
    void locateSample(const std::string& resolvedPath, char* reply) override;
    void instrumentChanged() override;

private:
    struct LoadJob
    {
        juce::String path;
        std::unique_ptr<juce::MemoryBlock> pendingState;  // the bytes after a restored state's name
        uint64_t serial = 0;
    };
    struct Lifeline;
    class EngineAccess;

    static BusesProperties outputBusLayout();
    void updateMeters(const juce::AudioBuffer<float>& buffer);
    void releaseVoicesIfRequested();
    void applyEditorEdits();
    void dropEditorEdits();
    // Takes the engine view: `block` true for a thread that may wait for the
    // view's lock (a load), false for the audio thread, which tries only.
    void publishEngineView(bool block);
    void scanLibrary();

    void run() override;
    // Starts the loading thread unless it runs; it then waits for requests
    // for the processor's lifetime.
    void startLoadingThread();
    void requestLoad(int index, juce::String path, bool applyIfUnchanged, bool synchronous,
                     std::unique_ptr<juce::MemoryBlock> state);
    void runLoad(LoadJob& job);
    void finishQueuedLoad();
    void applyPendingState(LoadJob& job);
    void applyStateNow(std::unique_ptr<juce::MemoryBlock> state);
    void loadFinished(uint64_t serial, bool succeeded, const juce::String& report);
    bool isSuperseded(uint64_t serial) const { return serial != latestRequest.load(); }
    juce::String storedInstrumentName() const;
    juce::String instrumentPathForStoredName(const juce::String& name) const;
    juce::File askUserForSampleFolder(const juce::String& sampleName);

    void applyParameterRequests();
    void dropParameterRequests();
    void publishParameters();
    float effectiveField(int index) const;

    // Runs `call` on the message thread: at once when already there, else
    // later, and not at all once the processor is gone.
    void onMessageThread(std::function<void(CZSP&)> call);

    juce::Array<juce::File> instrumentFiles;
    juce::StringArray instrumentNames;

    mutable juce::CriticalSection requestLock;
    juce::String currentInstrumentPath;
    int currentInstrumentIndex = -1;
    std::unique_ptr<LoadJob> queuedLoad;
    std::atomic<uint64_t> latestRequest { 0 };  // written under requestLock

    std::atomic<bool> loading { false };
    std::atomic<bool> lastLoadSucceeded { true };
    mutable std::mutex loadReportLock;
    juce::String lastLoadReport;  // guarded by loadReportLock

    std::unique_ptr<juce::PropertiesFile> settingsFile;
    CLookAndFeel lookAndFeel;
    juce::String vendorName;
    juce::String productName;
    juce::String libraryFolder;

    std::mutex engineLock;
    std::atomic<int> messageThreadWaitingForEngine { 0 };
    std::atomic<uint64_t> runningLoad { 0 };
    std::atomic<bool> loadCancelled { false };
    std::atomic<double> loadProgressValue { -1.0 };
    std::atomic<bool> engineChanged { false };
    std::atomic<bool> destroying { false };
    std::shared_ptr<Lifeline> lifeline;
    std::unique_ptr<juce::FileChooser> sampleFolderChooser;  // message thread only
    bool waitCursorShown = false;                           // message thread only

    // Host parameter changes wait here for the audio thread's next block.
    struct ParameterSlot
    {
        std::atomic<float> requested { 0.0f };
        std::atomic<bool> pending { false };
        std::atomic<float> field { 0.0f };  // the engine field, as last published
    };
    std::array<ParameterSlot, HostParameters::count> parameterSlots;
    std::atomic<bool> publishedHasCurrentGroup { false };

    std::atomic<bool> noteMirroring { false };
    CMidiEventQueue noteEvents;
    // Set by reset on any thread; the audio thread releases the voices at
    // the start of its next block, since only it may change them.
    std::atomic<bool> releaseAllRequested { false };

    // The editor's side (see postEngineEdit).
    CEngineEditQueue editorEdits;
    std::atomic<bool> killAllRequested { false };
    std::mutex engineViewLock;
    CEngineView engineView;  // under engineViewLock
    std::atomic<bool> engineViewRequested { false };
    std::atomic<uint32_t> blocksRendered { 0 };
    uint32_t blocksAtIdleCheck = 0;  // message thread only
    std::atomic<uint64_t> instrumentGeneration { 1 };  // one more with each load

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(CZSP)
};

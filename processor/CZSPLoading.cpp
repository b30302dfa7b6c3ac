// Load requests, the loading procedure and the loading thread.
//
// Every request for a new path gets the next serial number and replaces the
// request still waiting, so the latest request is the one loaded last. A load
// that a newer request has replaced stops at its next progress report (the
// engine then holds silence until the newer load), and its end is not
// reported. Loads take the engine one at a time (EngineAccess); while one
// owns it, processing is suspended, so the audio thread plays silence and
// never sees half an instrument.

#include "CEditorLink.h"
#include "CZSPInternals.h"
#include "StateBlock.h"
#include "engine/ZStreamingThread.h"

namespace
{
// Missing samples named in the message box; the rest are counted.
constexpr size_t missingSamplesShown = 8;
} // namespace

juce::String CZSP::getLastLoadReport() const
{
    const std::lock_guard<std::mutex> hold(loadReportLock);
    return lastLoadReport;
}

juce::String CZSP::getCurrentInstrumentPath() const
{
    const juce::ScopedLock hold(requestLock);
    return currentInstrumentPath;
}

int CZSP::getCurrentInstrumentIndex() const
{
    const juce::ScopedLock hold(requestLock);
    return currentInstrumentIndex;
}

void CZSP::loadInstrument(int index, juce::String path, bool applyIfUnchanged, bool synchronous)
{
    requestLoad(index, std::move(path), applyIfUnchanged, synchronous, nullptr);
}

void CZSP::requestLoad(int index, juce::String path, bool applyIfUnchanged, bool synchronous,
                       std::unique_ptr<juce::MemoryBlock> state)
{
    if (juce::isPositiveAndBelow(index, instrumentFiles.size()) && path.isEmpty())
        path = instrumentFiles.getReference(index).getFullPathName();
    else if (!instrumentFiles.isEmpty())
        for (int i = 0; i < instrumentFiles.size(); ++i)
            if (instrumentFiles.getReference(i).getFullPathName().equalsIgnoreCase(path))
            {
                index = i;
                break;
            }

    std::unique_ptr<LoadJob> job;
    {
        const juce::ScopedLock hold(requestLock);
        if (path.isEmpty() || path == currentInstrumentPath)
        {
            // Nothing to reload; a restored state applies to what is loaded,
            // or to the load of this path still waiting, which then runs here.
            if (!applyIfUnchanged || state == nullptr)
                return;
            job = std::move(queuedLoad);
        }
        else
        {
            currentInstrumentPath = path;
            currentInstrumentIndex = index;
            loading = true;
            job = std::make_unique<LoadJob>();
            job->path = path;
            job->serial = latestRequest.load() + 1;
            latestRequest = job->serial;
            queuedLoad.reset();
            if (!synchronous)
            {
                queuedLoad = std::move(job);
                startLoadingThread();
                notify();
                return;
            }
        }
    }

    if (job == nullptr)
    {
        applyStateNow(std::move(state));
        return;
    }
    if (state != nullptr)
        job->pendingState = std::move(state);
    runLoad(*job);
}

void CZSP::finishQueuedLoad()
{
    std::unique_ptr<LoadJob> job;
    {
        const juce::ScopedLock hold(requestLock);
        job = std::move(queuedLoad);
    }
    if (job != nullptr)
        runLoad(*job);
}

void CZSP::run()
{
    while (!threadShouldExit())
    {
        std::unique_ptr<LoadJob> job;
        {
            const juce::ScopedLock hold(requestLock);
            job = std::move(queuedLoad);
        }
        if (job == nullptr)
            wait(-1);
        else
            runLoad(*job);
    }
}

void CZSP::runLoad(LoadJob& job)
{
    if (isSuperseded(job.serial) || destroying)
        return;
    std::string unused;
    const uint32_t colour = isRegularFile(job.path) ? ZInstrument::peekFile(job.path.toStdString(), true, unused) : 0;
    onMessageThread([colour](CZSP& processor) {
        if (auto* editor = dynamic_cast<CEditorLink*>(processor.getActiveEditor()))
        {
            if (!processor.waitCursorShown)
                juce::MouseCursor::showWaitCursor();
            processor.waitCursorShown = true;
            editor->loadStarting(juce::Colour(colour));
        }
    });

    bool succeeded = false;
    bool current = false;
    juce::String reportText;
    {
        EngineAccess engine(*this);
        if (isSuperseded(job.serial) || destroying)
            return;
        runningLoad = job.serial;
        loadCancelled = false;
        loadProgressValue = -1.0;

        suspendProcessing(true);
        instrument.loadingFlag = true;
        ZStreamingThread::waitForService();
        // Parameter changes and edits still waiting addressed the instrument
        // going away.
        dropParameterRequests();
        dropEditorEdits();
        ++instrumentGeneration;
        // A path that is not a regular file (a folder, a device, a pipe) cannot
        // be opened as an instrument and leaves the engine as it is.
        ZLoadReport report;
        succeeded = isRegularFile(job.path) && instrument.loadFromFile(job.path.toStdString(), report);
        reportText = juce::String::fromUTF8(report.describe(missingSamplesShown).c_str()).trimEnd();

        current = !isSuperseded(job.serial) && !destroying;
        if (current)
            applyPendingState(job);
        else if (loadCancelled)
            instrument.clear();  // silence, not a part of an instrument, until the newer load
        publishParameters();
        publishEngineView(true);
        lastLoadSucceeded = succeeded;
        if (current)
        {
            const std::lock_guard<std::mutex> hold(loadReportLock);
            lastLoadReport = reportText;
        }
        instrument.loadingFlag = false;
        suspendProcessing(false);
        runningLoad = 0;
    }

    {
        const juce::ScopedLock hold(requestLock);
        if (job.serial == latestRequest.load())
            loading = false;
    }
    if (current)
        onMessageThread([serial = job.serial, succeeded, reportText](CZSP& processor) {
            processor.loadFinished(serial, succeeded, reportText);
        });
}

void CZSP::loadFinished(uint64_t serial, bool succeeded, const juce::String& report)
{
    if (waitCursorShown && !isLoading())
    {
        juce::MouseCursor::hideWaitCursor();
        waitCursorShown = false;
    }
    if (isSuperseded(serial))
        return;
    auto* editor = dynamic_cast<CEditorLink*>(getActiveEditor());
    if (editor == nullptr)
        return;
    {
        // The editor rebuilds from the engine: no load may run meanwhile.
        EngineAccess engine(*this);
        if (isSuperseded(serial))
            return;
        editor->loadEnded(succeeded);
    }
    if (!succeeded)
        reportLoadFailure();
    else if (report.isNotEmpty())
        reportLoadProblems(report);
}

void CZSP::reportLoadFailure()
{
    juce::NativeMessageBox::showMessageBoxAsync(juce::MessageBoxIconType::NoIcon, "Zarvo Sampler Player",
                                                "Unable to load this instrument.", nullptr, nullptr);
}

void CZSP::reportLoadProblems(const juce::String& report)
{
    juce::NativeMessageBox::showMessageBoxAsync(juce::MessageBoxIconType::WarningIcon, "Zarvo Sampler Player",
                                                "This instrument did not load completely.\n\n" + report, nullptr,
                                                nullptr);
}

void CZSP::applyPendingState(LoadJob& job)
{
    if (job.pendingState == nullptr)
        return;
    StateBlock::applyTo(instrument, *job.pendingState);
    job.pendingState.reset();
}

void CZSP::applyStateNow(std::unique_ptr<juce::MemoryBlock> state)
{
    EngineAccess engine(*this);
    dropParameterRequests();
    suspendProcessing(true);
    StateBlock::applyTo(instrument, *state);
    publishParameters();
    publishEngineView(true);
    suspendProcessing(false);
}

bool CZSP::loadProgress(float progress, const std::string&, const std::string&)
{
    loadProgressValue = static_cast<double>(progress);
    if (destroying || isSuperseded(runningLoad.load()))
    {
        loadCancelled = true;
        return false;
    }
    return true;
}

void CZSP::groupsChanged()
{
    engineChanged = true;
}

void CZSP::instrumentChanged()
{
    engineChanged = true;
}

// What the processor keeps for its editor: the edits the window makes to the
// engine and the copies of the engine values it shows.
//
// The audio thread applies the edits at the start of a block and takes a
// requested copy at its end, trying the copy's lock only. While it renders
// no blocks the editor's timer has the processor do both on the message
// thread, under the wrappers' callback lock, which keeps any block out. A
// load drops the waiting edits and leaves a fresh copy behind.

#include "CZSPInternals.h"

bool CZSP::postEngineEdit(const CEngineEdit& edit)
{
    if (loading.load() || edit.generation != instrumentGeneration.load())
        return false;
    return editorEdits.push(edit);
}

void CZSP::applyEditorEdits()
{
    const uint64_t generation = instrumentGeneration.load(std::memory_order_relaxed);
    CEngineEdit edit;
    while (editorEdits.pop(edit))
        if (edit.generation == generation)
            applyEngineEdit(instrument, edit);
}

void CZSP::dropEditorEdits()
{
    CEngineEdit edit;
    while (editorEdits.pop(edit))
    {
    }
}

void CZSP::publishEngineView(bool block)
{
    std::unique_lock<std::mutex> hold(engineViewLock, std::defer_lock);
    if (block)
        hold.lock();
    else if (!hold.try_lock())
        return;  // the editor is reading the copy: the next block takes it
    if (block)
        engineView.fitGroups(instrument);
    engineView.capture(instrument);
    engineView.instrumentGeneration = instrumentGeneration.load(std::memory_order_relaxed);
    engineViewRequested.store(false, std::memory_order_relaxed);
}

bool CZSP::copyEngineView(CEngineView& out, uint64_t knownSerial)
{
    const std::lock_guard<std::mutex> hold(engineViewLock);
    if (engineView.serial == knownSerial)
        return false;
    out = engineView;
    return true;
}

void CZSP::serviceEditorWhileIdle()
{
    const uint32_t blocks = blocksRendered.load(std::memory_order_relaxed);
    if (blocks != blocksAtIdleCheck)
    {
        blocksAtIdleCheck = blocks;  // the audio thread runs and does the work
        return;
    }
    if (editorEdits.isEmpty() && !engineViewRequested.load())
        return;
    const juce::ScopedTryLock callback(getCallbackLock());
    if (!callback.isLocked())
        return;
    std::unique_lock<std::mutex> engine(engineLock, std::try_to_lock);
    if (!engine.owns_lock() || instrument.loadingFlag || isSuspended())
        return;
    applyEditorEdits();
    if (engineViewRequested.load())
        publishEngineView(true);
}

bool CZSP::readUnlessLoading(const std::function<void()>& read)
{
    std::unique_lock<std::mutex> engine(engineLock, std::try_to_lock);
    if (!engine.owns_lock() || loading.load())
        return false;
    read();
    return true;
}

#pragma once
// Pieces of CZSP shared by its source files only.

#include "CZSP.h"

// What calls posted to the message thread hold on to instead of the processor:
// cleared (under the lock) when the processor is destroyed.
struct CZSP::Lifeline
{
    juce::CriticalSection lock;
    CZSP* processor = nullptr;
};

// Sole use of the engine by a thread other than the audio thread: a load, a
// state restore or snapshot, a change of sample rate. While the message
// thread waits here, a load that waits for the message thread gives up its
// wait, so the two never wait for each other.
class CZSP::EngineAccess
{
public:
    explicit EngineAccess(CZSP& owner) : processor(owner), engine(owner.engineLock, std::defer_lock)
    {
        if (engine.try_lock())
            return;
        const bool messageThread = juce::MessageManager::existsAndIsCurrentThread();
        if (messageThread)
            ++processor.messageThreadWaitingForEngine;
        engine.lock();
        if (messageThread)
            --processor.messageThreadWaitingForEngine;
    }

private:
    CZSP& processor;
    std::unique_lock<std::mutex> engine;
};

// A regular file (not a folder, device or pipe, which could block a read for
// ever).
bool isRegularFile(const juce::String& path);

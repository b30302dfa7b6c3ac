#pragma once
// The process-wide streaming thread and the list of live instruments it serves.
// The first instrument of the process starts the thread; the last one stops it.

// What the streaming thread serves: every live instrument, in the order they
// were made, once per wake-up.
class ZSEThreadClient
{
public:
    virtual ~ZSEThreadClient() = default;
    virtual void serviceStreams() = 0;
};

namespace ZStreamingThread
{
// True when this is the first live instrument of the process.
bool registerInstrument(ZSEThreadClient* instrument);
void unregisterInstrument(ZSEThreadClient* instrument);

// Counts one refill request and wakes the thread; never blocks. False when the
// request count is already at its ceiling of 999.
bool wake();

// Returns once any service under way has finished; an instrument that has
// raised its loading flag first is then left alone until it lowers it.
void waitForService();

int liveInstrumentCount();
bool isRunning();
} // namespace ZStreamingThread

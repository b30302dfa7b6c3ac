// Serving the refill requests of the disk-streaming voices.

#include "engine/ZDSVoice.h"
#include "engine/ZInstrument.h"

void ZInstrument::serviceStreams()
{
    if (loadingFlag.load() || settings.diskStreaming == 0)
        return;
    // At most one request per voice and wake-up: every request woke the
    // thread once, so the rest are served by the wake-ups still to come.
    for (auto& voice : voices)
        if (auto* streamingVoice = dynamic_cast<ZDSVoice*>(voice.get()))
            streamingVoice->serveRequest();
}

void ZInstrument::completePendingRefills()
{
    if (loadingFlag.load() || settings.diskStreaming == 0)
        return;
    for (auto& voice : voices)
        if (auto* streamingVoice = dynamic_cast<ZDSVoice*>(voice.get()))
            streamingVoice->serveAllRequests();
}

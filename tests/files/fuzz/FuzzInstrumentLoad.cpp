// Feeds arbitrary bytes to the instrument-file reader, as fast as it parses:
// a peek, a full load (with a delegate that may cancel it) and a check of
// every loaded zone's ranges, without rendering. The instrument and its voice
// pool are built once for the process; the written copy of each input asks
// for no voices, so no load spends its time building a pool. Playing what was
// loaded is FuzzInstrumentPlay's work.

#include "InstrumentFuzzSupport.h"

namespace
{
// The shortest stream buffer a pool takes: each streaming zone preloads one.
constexpr int32_t fuzzStreamFrames = ZInstrument::minStreamFrames;
constexpr int32_t noVoices = 0;

// The settings every input starts from, so a short settings block reads the
// same over them whatever ran before.
InstrumentSettings startingSettings()
{
    InstrumentSettings settings = ZInstrument::defaultSettings();
    settings.streamBufferFrames = settings.streamBufferFramesStored = fuzzStreamFrames;
    settings.voiceCount = settings.voiceCountStored = noVoices;
    return settings;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = instrumentfuzz::writeLimitedInput(data, size, fuzzStreamFrames, noVoices);
    if (path.empty())
        return 0;
    static ZInstrument* const instrument = new ZInstrument();
    static const InstrumentSettings starting = startingSettings();
    instrument->settings = starting;
    instrumentfuzz::peekAndLoad(*instrument, path, data, size);
    return 0;
}

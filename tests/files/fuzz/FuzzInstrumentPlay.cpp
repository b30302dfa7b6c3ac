// Feeds arbitrary bytes to the instrument-file reader and plays the result:
// a peek, a full load (with a delegate that may cancel it), a check of every
// loaded zone's ranges, then a few rendered blocks with notes
// across the keyboard. Slower than
// FuzzInstrumentLoad: each input builds a voice pool and renders.

#include "InstrumentFuzzSupport.h"

namespace
{
constexpr int32_t fuzzStreamFrames = 4096;
constexpr int32_t fuzzVoices = 8;
constexpr int blockFrames = 64;

using instrumentfuzz::check;

// An instrument file with a small streaming voice pool and no groups.
std::string writeResetInstrument(const ZInstrument& model)
{
    InstrumentSettings settings = model.settings;
    settings.streamBufferFrames = settings.streamBufferFramesStored = fuzzStreamFrames;
    settings.voiceCount = settings.voiceCountStored = fuzzVoices;
    std::vector<uint8_t> bytes = { 'Z', 'S', 'E', ' ', 200, 0, 0, 0, 1, 0, 0 };
    const auto* block = reinterpret_cast<const uint8_t*>(&settings);
    bytes.insert(bytes.end(), block, block + sizeof settings);
    bytes.insert(bytes.end(), 1 + 4 + 1 + 4 + 4, 0);  // extra text, image, layout, strings, groups
    const std::string path = fuzzInputPath("instrument") + "-reset";
    check(writeFuzzInput(path, bytes.data(), bytes.size()));
    return path;
}

void play(ZInstrument& instrument)
{
    std::vector<float> left(blockFrames), right(blockFrames);
    float* channels[] = { left.data(), right.data() };
    instrument.postEvent(0x90, 0, 60, 100, 0);
    instrument.postEvent(0x90, 0, 72, 30, 17);
    instrument.postEvent(0x90, 0, 0, 1, 33);
    instrument.postEvent(0x90, 0, 127, 127, 40);
    instrument.process(channels, 2, blockFrames);
    instrument.postEvent(0x80, 0, 60, 0, 5);
    instrument.process(channels, 2, blockFrames);
    instrument.postEvent(0xB0, 0, 123, 0, 0);
    instrument.process(channels, 2, blockFrames);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = instrumentfuzz::writeLimitedInput(data, size, fuzzStreamFrames, fuzzVoices);
    if (path.empty())
        return 0;

    // One instrument for the process, as a plugin keeps one. Before each
    // input it loads a small fixed instrument, which rebuilds its voices and
    // settings, so an input replays the same way on its own.
    static ZInstrument* const instrument = new ZInstrument();
    static const std::string resetPath = writeResetInstrument(*instrument);
    instrument->setCompleteRefillsBeforeBlock(true);
    check(instrument->loadFromFile(resetPath));

    instrumentfuzz::peekAndLoad(*instrument, path, data, size);
    play(*instrument);
    return 0;
}

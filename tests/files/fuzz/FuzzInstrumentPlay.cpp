// Feeds arbitrary bytes to the instrument-file reader: a peek, a full load
// (with a delegate that may cancel it, chosen by the input's last byte), a
// check of every loaded zone's ranges, and a few rendered blocks with notes.
//
// The voice pool is the one thing a file may legitimately make huge (up to
// 256 voices of two 2^20-frame buffers); the written copy of each input keeps
// it small so the fuzzer explores the reader rather than the allocator.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "FuzzInputFile.h"
#include "engine/ZInstrument.h"

namespace
{
constexpr size_t nameOffset = 9;  // after the magic, the version and the embedded flag
constexpr size_t stringLimit = 1024;
constexpr int32_t fuzzStreamFrames = 4096;
constexpr int32_t fuzzVoices = 8;
constexpr int blockFrames = 64;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Where the settings block of a file starts: past two string fields read the
// way the reader reads them.
size_t settingsOffset(const std::vector<uint8_t>& bytes)
{
    size_t at = nameOffset;
    for (int field = 0; field < 2; ++field)
        for (size_t read = 0; read < stringLimit && at < bytes.size(); ++read)
            if (bytes[at++] == 0)
                break;
    return at;
}

void clampStored(std::vector<uint8_t>& bytes, size_t at, int32_t maximum)
{
    if (at + 4 > bytes.size())
        return;
    int32_t value;
    std::memcpy(&value, &bytes[at], 4);
    value = std::min(value, maximum);
    std::memcpy(&bytes[at], &value, 4);
}

void limitVoicePool(std::vector<uint8_t>& bytes)
{
    const size_t settings = settingsOffset(bytes);
    clampStored(bytes, settings + offsetof(InstrumentSettings, streamBufferFramesStored), fuzzStreamFrames);
    clampStored(bytes, settings + offsetof(InstrumentSettings, voiceCountStored), fuzzVoices);
}

class FuzzDelegate final : public ZSEDelegate
{
public:
    explicit FuzzDelegate(int cancelAt) : cancelAtReport(cancelAt) {}
    bool loadProgress(float progress, const std::string&, const std::string&) override
    {
        check(progress >= 0.0f && progress < 1.0f);
        return cancelAtReport == 0 || ++reports < cancelAtReport;
    }
    void groupsChanged() override {}
    void locateSample(const std::string&, char*) override {}
    void instrumentChanged() override {}

private:
    int cancelAtReport;
    int reports = 0;
};

void checkZones(const ZInstrument& instrument)
{
    for (const auto& group : instrument.groups)
        for (const auto& zone : group->zones)
        {
            check(zone->loaded);
            const ZoneSettings& s = zone->settings;
            const auto length = static_cast<uint64_t>(zone->soundFile->getLength());
            check(length > 0);
            check(s.endFrame <= std::max<uint64_t>(length - 1, 1));
            check(s.startFrame < s.endFrame);
            check(s.loopStart < s.loopEnd && s.loopEnd <= s.endFrame);
        }
}

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
    instrument.process(channels, 2, blockFrames);
    instrument.postEvent(0x80, 0, 60, 0, 5);
    instrument.process(channels, 2, blockFrames);
    instrument.postEvent(0xB0, 0, 123, 0, 0);
    instrument.process(channels, 2, blockFrames);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    limitVoicePool(bytes);
    const std::string& path = fuzzInputPath("instrument");
    if (!writeFuzzInput(path, bytes.data(), bytes.size()))
        return 0;

    // One instrument for the process, as a plugin keeps one. Before each
    // input it loads a small fixed instrument, which rebuilds its voices and
    // settings, so an input replays the same way on its own.
    static ZInstrument* const instrument = new ZInstrument();
    static const std::string resetPath = writeResetInstrument(*instrument);
    instrument->setCompleteRefillsBeforeBlock(true);
    check(instrument->loadFromFile(resetPath));

    std::string text;
    ZInstrument::peekFile(path, size % 2 == 0, text);

    FuzzDelegate delegate(size > 0 ? data[size - 1] % 8 : 0);
    instrument->delegate = &delegate;
    const bool loaded = instrument->loadFromFile(path);
    instrument->delegate = nullptr;
    if (loaded)
        checkZones(*instrument);
    play(*instrument);
    return 0;
}

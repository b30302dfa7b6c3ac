#pragma once
// What the two instrument-file targets share: the written copy of an input,
// limited so the fuzzer explores the reader rather than the allocator, a
// delegate that may cancel the load (chosen by the input's last byte), and the
// check of every loaded zone's ranges.

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzInputFile.h"
#include "engine/ZInstrument.h"

namespace instrumentfuzz
{
constexpr size_t nameOffset = 9;  // after the magic, the version and the embedded flag
constexpr size_t stringLimit = 1024;

inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Where the settings block of a file starts: past two string fields read the
// way the reader reads them.
inline size_t settingsOffset(const std::vector<uint8_t>& bytes)
{
    size_t at = nameOffset;
    for (int field = 0; field < 2; ++field)
        for (size_t read = 0; read < stringLimit && at < bytes.size(); ++read)
            if (bytes[at++] == 0)
                break;
    return at;
}

inline void clampStored(std::vector<uint8_t>& bytes, size_t at, int32_t maximum)
{
    if (at + 4 > bytes.size())
        return;
    int32_t value;
    std::memcpy(&value, &bytes[at], 4);
    value = std::min(value, maximum);
    std::memcpy(&bytes[at], &value, 4);
}

// The voice pool is the one thing a file may legitimately make huge (up to
// 256 voices of two 2^18-frame buffers); the written copy of each input asks
// for at most `voices` voices of `streamFrames` frames.
inline std::string writeLimitedInput(const uint8_t* data, size_t size, int32_t streamFrames, int32_t voices)
{
    std::vector<uint8_t> bytes(data, data + size);
    const size_t settings = settingsOffset(bytes);
    clampStored(bytes, settings + offsetof(InstrumentSettings, streamBufferFramesStored), streamFrames);
    clampStored(bytes, settings + offsetof(InstrumentSettings, voiceCountStored), voices);
    const std::string& path = fuzzInputPath("instrument");
    return writeFuzzInput(path, bytes.data(), bytes.size()) ? path : std::string();
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

inline int cancelAtReportOf(const uint8_t* data, size_t size)
{
    return size > 0 ? data[size - 1] % 8 : 0;
}

inline void checkZones(const ZInstrument& instrument)
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

// Peeks at the file and loads it with a delegate that may cancel; checks the
// zones of a complete load.
inline void peekAndLoad(ZInstrument& instrument, const std::string& path, const uint8_t* data, size_t size)
{
    std::string text;
    ZInstrument::peekFile(path, size % 2 == 0, text);

    FuzzDelegate delegate(cancelAtReportOf(data, size));
    instrument.delegate = &delegate;
    const bool loaded = instrument.loadFromFile(path);
    instrument.delegate = nullptr;
    if (loaded)
        checkZones(instrument);
}
} // namespace instrumentfuzz

#pragma once
// Shared pieces of the instrument-file reader tests: instruments are built in
// memory and written with the builder's writer; a delegate records what the
// reader reports.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "InstrumentWriter.h"
#include "engine/ZInstrument.h"
#include "files/FileTestSupport.h"
#include "support/MemorySound.h"
#include "support/WholeKeyboard.h"

// A mono or stereo sound whose sample k (interleaved) is a distinct value.
inline std::shared_ptr<MemorySound> distinctSound(int64_t frames, int32_t channels, float offset)
{
    std::vector<float> values(static_cast<size_t>(frames * channels));
    for (size_t k = 0; k < values.size(); ++k)
        values[k] = offset + static_cast<float>(k % 1000) / 2000.0f;
    return std::make_shared<MemorySound>(std::move(values), channels);
}

// A zone over the whole keyboard with the given stored name and sound.
inline ZoneImage zoneImage(const std::string& sampleName, std::shared_ptr<ZSoundFile> sound)
{
    ZoneImage zone;
    zone.sampleName = sampleName;
    zone.settings = soundZoneSettings(*sound);
    coverWholeKeyboard(zone.settings);
    zone.sound = std::move(sound);
    return zone;
}

// A new instrument's image whose samples stay in memory (no streaming) and
// whose voice pool is small, so tests load quickly.
inline InstrumentImage plainImage(bool sixteenBit = true)
{
    InstrumentImage image = newInstrumentImage();
    image.settings.diskStreaming = image.settings.diskStreamingStored = 0;
    image.settings.voiceCount = image.settings.voiceCountStored = 4;
    image.settings.sixteenBit = image.settings.sixteenBitStored = sixteenBit ? 1 : 0;
    return image;
}

inline std::string writeImage(const InstrumentImage& image, const std::string& fileName)
{
    const std::string path = scratchDir() + "/" + fileName;
    std::string error;
    EXPECT_TRUE(writeInstrumentFile(image, path, error)) << error;
    return path;
}

// What the reader told its delegate.
class RecordingDelegate : public ZSEDelegate
{
public:
    struct Progress
    {
        float value;
        std::string group;
        std::string sample;
    };

    bool loadProgress(float progress, const std::string& groupName, const std::string& sampleName) override
    {
        progress_.push_back({ progress, groupName, sampleName });
        return cancelAtReport < 0 || static_cast<int>(progress_.size()) < cancelAtReport;
    }
    void groupsChanged() override { ++groupsChangedCalls; }
    void locateSample(const std::string& resolvedPath, char* reply) override
    {
        located.push_back(resolvedPath);
        const size_t k = located.size() - 1;
        if (k < replies.size())
            std::snprintf(reply, ZSEDelegate::locateReplySize, "%s", replies[k].c_str());
    }
    void instrumentChanged() override { ++instrumentChangedCalls; }

    // The 1-based report that loadProgress answers with false (-1: never).
    int cancelAtReport = -1;
    // Replies to successive locateSample calls (missing entries: empty).
    std::vector<std::string> replies;

    std::vector<Progress> progress_;
    std::vector<std::string> located;
    int groupsChangedCalls = 0;
    int instrumentChangedCalls = 0;
};

// The interleaved samples a zone holds, as floats scaled like the voices read
// them.
inline std::vector<float> zoneSamples(const ZZone& zone)
{
    std::vector<float> values;
    if (zone.sixteenBit)
        for (int16_t v : zone.int16Frames)
            values.push_back(static_cast<float>(v) / 32768.0f);
    else
        values = zone.floatFrames;
    return values;
}

// What the writer stores for a sound: read back through the sound itself in
// the stored width.
inline std::vector<float> storedSamples(ZSoundFile& sound, bool sixteenBit)
{
    const int64_t count = sound.getLength() * sound.getNumChannels();
    std::vector<float> values(static_cast<size_t>(count));
    sound.open("", nullptr, 0);
    sound.seek(0);
    if (sixteenBit)
    {
        std::vector<int16_t> raw(static_cast<size_t>(count));
        sound.readInt16(raw.data(), sound.getLength());
        for (size_t k = 0; k < raw.size(); ++k)
            values[k] = static_cast<float>(raw[k]) / 32768.0f;
    }
    else
        sound.readFloat(values.data(), sound.getLength());
    return values;
}

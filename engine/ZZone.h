#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/Settings.h"
#include "files/ZSoundFile.h"

class ZInstrument;
class ZGroup;

// One sample mapped to a key and velocity range, with its sample memory.
class ZZone
{
public:
    // Builds a zone for a sample: a WAVE file at `path`, or, with a shared
    // instrument file, the embedded sound whose header starts at headerOffset.
    // The sound is opened and its samples (or preload) loaded.
    ZZone(ZInstrument* owner, const std::string& path, const ZSharedFile& sharedFile, int64_t headerOffset);

    // Builds a zone around a sound the caller made; an open sound gives the
    // zone its defaults and its samples as above.
    ZZone(ZInstrument* owner, std::unique_ptr<ZSoundFile> sound);

    ZZone(const ZZone&) = delete;
    ZZone& operator=(const ZZone&) = delete;

    // Envelope coefficients, sustain level, gain and pan gains from the zone's
    // and its group's settings at the instrument's sample rate.
    void updateDerived();

    void loadSamples();
    void preload();
    // Fills `buffer` (int16 or float by sixteenBit, streamFrames frames) with
    // the playback sequence from file frame `position`, wrapping at the loop.
    // Returns the file frame that follows the last one read.
    uint64_t refill(uint64_t position, void* buffer);
    void readFrame(int64_t index, float& left, float& right) const noexcept;

    // Frames held in sample memory (the preload for a streaming zone).
    int64_t framesInMemory() const;

    ZoneSettings settings {};

    float attackCoefficient = 1.0f;
    float decayCoefficient = 0.0f;
    float releaseCoefficient = 0.0f;
    float sustainLevel = 1.0f;
    float gainLeft = 1.0f;
    float gainRight = 1.0f;
    float gain = 1.0f;

    ZInstrument* instrument = nullptr;
    ZGroup* group = nullptr;
    bool loaded = false;
    // The sample as the instrument file names it (raw bytes); empty for a
    // zone made in memory.
    std::string sampleName;
    std::unique_ptr<ZSoundFile> soundFile;
    bool mono = false;
    bool streaming = false;
    bool sixteenBit = false;
    int32_t streamFrames = 0;
    std::vector<float> floatFrames;
    std::vector<int16_t> int16Frames;

private:
    void adoptSound(std::unique_ptr<ZSoundFile> sound);
    int64_t readAt(int64_t frameInBuffer, int64_t frames, void* buffer);
};

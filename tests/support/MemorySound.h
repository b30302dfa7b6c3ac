#pragma once
// A sound held in memory, for building zones in tests without files.

#include <cstdint>
#include <vector>

#include "files/ZSoundFile.h"

class MemorySound final : public ZSoundFile
{
public:
    // Interleaved float frames (channels 1 or 2).
    MemorySound(std::vector<float> interleaved, int32_t channels, int32_t sampleRate = 44100);

    MemorySound& withLoop(int64_t start, int64_t end);
    MemorySound& withRootKey(int32_t key);

    // A mono ramp 0, 1, 2, ... scaled by `scale`: frame k reads as k * scale.
    static std::unique_ptr<MemorySound> ramp(int64_t frames, float scale, int32_t sampleRate = 44100);

    bool open(const std::string& path, const ZSharedFile& sharedFile, int64_t byteOffset) override;
    void reopen() override { opened = true; }
    void close() override { opened = false; }
    int64_t readInt16(int16_t* output, int64_t frameCount) override;
    int64_t readFloat(float* output, int64_t frameCount) override;
    void seek(int64_t frame) override;
    bool isOpen() const override { return opened; }
    int32_t getSampleRate() const override { return rate; }
    int32_t getNumChannels() const override { return channelCount; }
    int64_t getLength() const override { return static_cast<int64_t>(samples.size()) / channelCount; }
    int64_t getStoredSize() const override { return static_cast<int64_t>(samples.size() * sizeof(float)); }
    int32_t getBytesPerSample() const override { return 4; }
    std::string getPath() const override { return "memory"; }
    bool hasRootKey() const override { return rootKeySet; }
    bool hasLoop() const override { return loopSet; }
    int64_t getLoopStart() const override { return loopStart; }
    int64_t getLoopEnd() const override { return loopEnd; }
    int32_t getRootKey() const override { return rootKey; }

    int readCalls = 0;

private:
    std::vector<float> samples;
    int32_t channelCount;
    int32_t rate;
    bool opened = true;
    int64_t cursor = 0;
    bool loopSet = false, rootKeySet = false;
    int64_t loopStart = 0, loopEnd = 0;
    int32_t rootKey = 0;
};

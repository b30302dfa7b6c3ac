#pragma once
// A RIFF WAVE file on disk: 8, 16, 24 or 32-bit integer PCM, mono or stereo,
// with a plain or an extensible header; samples of other widths (12, 20 bits)
// are read at the width of the whole bytes that hold them. Floating-point
// files are refused (the builder converts them). Opening walks the chunks
// for "fmt ", "data" and "smpl"; reads convert frames through a per-thread
// scratch buffer and never run past the "data" chunk.

#include <cstdint>
#include <string>

#include "files/ZSoundFile.h"

class ZWaveFile final : public ZSoundFile
{
public:
    // Bytes of file data converted per pass: one second of 44,100 Hz 24-bit
    // stereo.
    static constexpr int64_t scratchBytes = 264600;

    // Frames of one conversion pass for a given frame size.
    static int64_t framesPerPass(int64_t frameSize);

    ZWaveFile() = default;
    ~ZWaveFile() override;

    bool open(const std::string& path, const ZSharedFile& sharedFile, int64_t byteOffset) override;
    void reopen() override;
    void close() override;
    int64_t readInt16(int16_t* output, int64_t frameCount) override;
    int64_t readFloat(float* output, int64_t frameCount) override;
    void seek(int64_t frame) override;
    bool isOpen() const override { return opened; }
    int32_t getSampleRate() const override { return format.sampleRate; }
    int32_t getNumChannels() const override { return format.channels; }
    int64_t getLength() const override { return format.length; }
    int64_t getStoredSize() const override { return format.riffSize; }
    int32_t getBytesPerSample() const override { return format.bytesPerSample; }
    std::string getPath() const override { return path; }
    bool hasRootKey() const override { return format.hasRootKey; }
    bool hasLoop() const override { return format.hasLoop; }
    int64_t getLoopStart() const override { return format.loopStart; }
    int64_t getLoopEnd() const override { return format.loopEnd; }
    int32_t getRootKey() const override { return format.rootKey; }
    void prefetchAll() const override;

    // Why the last open() failed, for a person ("not found", "is a
    // directory", "not a regular file", "holds floating-point samples ...");
    // empty after a successful one.
    const std::string& getOpenProblem() const { return problem; }

    // What the chunk walk found; defaults until a file has been parsed.
    struct Format
    {
        int64_t dataOffset = 0;
        int32_t sampleRate = 44100;
        int32_t channels = 2;
        bool hasRootKey = false;
        bool hasLoop = false;
        int32_t bytesPerSample = 0;
        int64_t loopStart = 0;
        int64_t loopEnd = 0;
        int64_t frameSize = 0;
        int64_t riffSize = 0;
        int64_t length = 0;
        uint8_t rootKey = 0;
    };

private:
    template <typename Sample>
    int64_t readConverted(Sample* output, int64_t frameCount);

    ZSharedFile file;
    std::string path;
    Format format;
    std::string problem;
    bool opened = false;
    int64_t cursor = 0;  // frame index of the next read
};

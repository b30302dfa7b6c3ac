#pragma once
// Sample data stored inside an instrument file: a 24-byte header (sample width
// 2 or 4, sample rate, channel count, 4 reserved bytes, int64 frame count)
// followed by interleaved 16-bit integer or 32-bit float samples.
//
// All embedded sounds of an instrument read the same open file. Each keeps its
// own frame cursor and reads at absolute offsets, so a seek and the read that
// follows can never be split by another sound using the file. Holding the file
// keeps it open until the last sound that uses it is gone.

#include <cstdint>
#include <string>

#include "files/ZSoundFile.h"

class ZEmbeddedSoundFile final : public ZSoundFile
{
public:
    static constexpr int64_t headerBytes = 24;

    // The header as stored: int32 sample width at 0, int32 sample rate at 4,
    // int32 channel count at 8, 4 reserved bytes, int64 frame count at 16.
    struct Header
    {
        int32_t sampleWidth = 0;
        int32_t sampleRate = 0;
        int32_t channels = 0;
        int64_t frames = 0;

        static Header decode(const uint8_t* bytes);  // headerBytes bytes
        void encode(uint8_t* bytes) const;           // headerBytes bytes, reserved ones 0
    };

    ZEmbeddedSoundFile() = default;
    ~ZEmbeddedSoundFile() override;

    // Reads the header at byteOffset of sharedFile. Refuses a header whose
    // width is not 2 or 4, whose channel count is not 1 or 2, whose sample rate
    // is not positive, whose frame count is negative, or whose samples would run
    // past the end of the file. The path is not used.
    bool open(const std::string& path, const ZSharedFile& sharedFile, int64_t byteOffset) override;
    void reopen() override {}
    void close() override {}
    int64_t readInt16(int16_t* output, int64_t frameCount) override;
    int64_t readFloat(float* output, int64_t frameCount) override;
    void seek(int64_t frame) override;
    bool isOpen() const override { return opened; }
    int32_t getSampleRate() const override { return header.sampleRate; }
    int32_t getNumChannels() const override { return header.channels; }
    int64_t getLength() const override { return header.frames; }
    int64_t getStoredSize() const override;
    int32_t getBytesPerSample() const override { return header.sampleWidth; }
    std::string getPath() const override { return name; }
    bool hasRootKey() const override { return false; }
    bool hasLoop() const override { return false; }
    int64_t getLoopStart() const override { return 0; }
    int64_t getLoopEnd() const override { return 0; }
    int32_t getRootKey() const override { return 0; }
    void prefetchAll() const override;

    int64_t getHeaderOffset() const { return headerOffset; }

private:
    int64_t readRecords(void* output, int64_t frameCount, int32_t width);

    ZSharedFile file;
    int64_t headerOffset = 0;
    bool opened = false;
    Header header;
    int64_t cursor = 0;  // frame index of the next read
};

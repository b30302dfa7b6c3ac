#pragma once
// The sound-source interface of a zone: a WAVE file on disk or sample data
// embedded in an instrument file. Positions and counts are in frames; reads
// deliver interleaved samples as floats or signed 16-bit integers.

#include <cstdint>
#include <memory>
#include <string>

class ZFile;
using ZSharedFile = std::shared_ptr<ZFile>;

class ZSoundFile
{
public:
    // Virtual operations in their fixed slot order.
    virtual ~ZSoundFile();
    virtual bool open(const std::string& path, const ZSharedFile& sharedFile, int64_t byteOffset) = 0;
    virtual void reopen() = 0;
    virtual void close() = 0;
    virtual bool writeEmbedded(ZFile& output, int32_t sampleWidth);
    virtual int64_t readInt16(int16_t* output, int64_t frameCount) = 0;
    virtual int64_t readFloat(float* output, int64_t frameCount) = 0;
    virtual void seek(int64_t frame) = 0;
    virtual bool isOpen() const = 0;
    virtual int32_t getSampleRate() const = 0;
    virtual int32_t getNumChannels() const = 0;
    virtual int64_t getLength() const = 0;
    virtual int64_t getStoredSize() const = 0;
    virtual int32_t getBytesPerSample() const = 0;
    virtual std::string getPath() const = 0;
    virtual std::string getName();
    virtual bool hasRootKey() const = 0;
    virtual bool hasLoop() const = 0;
    virtual int64_t getLoopStart() const = 0;
    virtual int64_t getLoopEnd() const = 0;
    virtual int32_t getRootKey() const = 0;
    // Called before the whole sound is read into memory: the source may ask the
    // system to read its bytes from the disk meanwhile. Nothing by default.
    virtual void prefetchAll() const;

protected:
    std::string name;
};

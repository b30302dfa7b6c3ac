#include "files/ZEmbeddedSoundFile.h"

#include <algorithm>
#include <bit>

#include "files/ZFile.h"
#include "files/LittleEndian.h"

static_assert(std::endian::native == std::endian::little, "embedded samples are read straight into the output");


ZEmbeddedSoundFile::~ZEmbeddedSoundFile() = default;

ZEmbeddedSoundFile::Header ZEmbeddedSoundFile::Header::decode(const uint8_t* bytes)
{
    Header header;
    header.sampleWidth = static_cast<int32_t>(readLittleEndian32(bytes + 0));
    header.sampleRate = static_cast<int32_t>(readLittleEndian32(bytes + 4));
    header.channels = static_cast<int32_t>(readLittleEndian32(bytes + 8));
    header.frames = static_cast<int64_t>(readLittleEndian64(bytes + 16));
    return header;
}

void ZEmbeddedSoundFile::Header::encode(uint8_t* bytes) const
{
    writeLittleEndian(bytes + 0, static_cast<uint32_t>(sampleWidth), 4);
    writeLittleEndian(bytes + 4, static_cast<uint32_t>(sampleRate), 4);
    writeLittleEndian(bytes + 8, static_cast<uint32_t>(channels), 4);
    writeLittleEndian(bytes + 12, 0, 4);
    writeLittleEndian(bytes + 16, static_cast<uint64_t>(frames), 8);
}

bool ZEmbeddedSoundFile::open(const std::string&, const ZSharedFile& sharedFile, int64_t byteOffset)
{
    opened = false;
    file.reset();
    header = {};
    cursor = 0;
    headerOffset = byteOffset;
    uint8_t bytes[headerBytes];
    if (sharedFile == nullptr || byteOffset < 0 || sharedFile->readAt(byteOffset, bytes, sizeof bytes) != sizeof bytes)
        return false;

    const Header read = Header::decode(bytes);
    if ((read.sampleWidth != 2 && read.sampleWidth != 4) || (read.channels != 1 && read.channels != 2)
        || read.sampleRate <= 0 || read.frames < 0)
        return false;
    // Compared by division so a huge frame count cannot overflow.
    const int64_t room = sharedFile->size() - byteOffset - headerBytes;
    if (room < 0 || read.frames > room / (int64_t { read.channels } * read.sampleWidth))
        return false;

    header = read;
    file = sharedFile;
    opened = true;
    return true;
}

void ZEmbeddedSoundFile::prefetchAll() const
{
    if (file != nullptr)
        file->prefetch(headerOffset, getStoredSize());
}

int64_t ZEmbeddedSoundFile::getStoredSize() const
{
    return headerBytes + header.frames * header.channels * header.sampleWidth;
}

void ZEmbeddedSoundFile::seek(int64_t frame)
{
    if (opened)
        cursor = std::clamp<int64_t>(frame, 0, header.frames);
}

int64_t ZEmbeddedSoundFile::readRecords(void* output, int64_t frameCount, int32_t width)
{
    if (!opened || output == nullptr || header.sampleWidth != width || frameCount <= 0)
        return 0;
    const int64_t frames = std::min(frameCount, header.frames - cursor);
    if (frames <= 0)
        return 0;
    const int64_t record = int64_t { header.channels } * width;
    const size_t got = file->readAt(headerOffset + headerBytes + cursor * record, output,
                                    static_cast<size_t>(frames * record));
    const int64_t whole = static_cast<int64_t>(got) / record;
    cursor += whole;
    return whole;
}

int64_t ZEmbeddedSoundFile::readInt16(int16_t* output, int64_t frameCount)
{
    return readRecords(output, frameCount, 2);
}

int64_t ZEmbeddedSoundFile::readFloat(float* output, int64_t frameCount)
{
    return readRecords(output, frameCount, 4);
}

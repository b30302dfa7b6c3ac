#include "files/ZSoundFile.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "files/ZEmbeddedSoundFile.h"
#include "files/ZFile.h"

static_assert(std::endian::native == std::endian::little, "sample data is written in host byte order");

namespace
{
constexpr int64_t framesPerBlock = 16384;

// Copies the whole sound in blocks of one sample type. A read that falls short
// is padded with silence so the stored layout still matches its header; the
// result then reports the failure.
template <typename Sample, typename ReadBlock>
bool copyFrames(ZFile& output, int64_t frames, int32_t channels, ReadBlock readBlock)
{
    std::vector<Sample> block(static_cast<size_t>(std::min(frames, framesPerBlock) * channels));
    bool complete = true;
    for (int64_t remaining = frames; remaining > 0;)
    {
        const int64_t wanted = std::min(remaining, framesPerBlock);
        const int64_t got = std::clamp<int64_t>(readBlock(block.data(), wanted), 0, wanted);
        if (got < wanted)
        {
            std::fill(block.begin() + got * channels, block.begin() + wanted * channels, Sample {});
            complete = false;
        }
        if (!output.write(block.data(), static_cast<size_t>(wanted * channels) * sizeof(Sample)))
            return false;
        remaining -= wanted;
    }
    return complete;
}
}

ZSoundFile::~ZSoundFile() = default;

void ZSoundFile::prefetchAll() const {}

std::string ZSoundFile::getName()
{
    // The stored form separates folders with "\"; a path mapped to this
    // platform uses "/". A path without a folder is its own name.
    const std::string path = getPath();
    if (path.empty())
        return name;
    const size_t separator = path.find_last_of("\\/");
    name = separator == std::string::npos ? path : path.substr(separator + 1);
    return name;
}

bool ZSoundFile::writeEmbedded(ZFile& output, int32_t sampleWidth)
{
    if (sampleWidth != 2 && sampleWidth != 4)
        return false;

    // Opened before the header is written, so the header carries the parsed
    // format and a sound that cannot be opened leaves the output untouched.
    const bool openedHere = !isOpen();
    if (openedHere && !open(getPath(), nullptr, 0))
        return false;

    const int32_t channels = getNumChannels();
    const int64_t frames = getLength();
    bool ok = (channels == 1 || channels == 2) && frames >= 0;
    if (ok)
    {
        uint8_t header[ZEmbeddedSoundFile::headerBytes];
        ZEmbeddedSoundFile::Header { sampleWidth, getSampleRate(), channels, frames }.encode(header);
        ok = output.write(header, sizeof header);
    }
    if (ok)
    {
        seek(0);
        if (sampleWidth == 2)
            ok = copyFrames<int16_t>(output, frames, channels,
                                     [this](int16_t* out, int64_t n) { return readInt16(out, n); });
        else
            ok = copyFrames<float>(output, frames, channels,
                                   [this](float* out, int64_t n) { return readFloat(out, n); });
    }
    if (openedHere)
        close();
    return ok;
}

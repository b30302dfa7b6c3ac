#include "files/ZWaveFile.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <type_traits>
#include <vector>

#include "files/ZFile.h"
#include "files/LittleEndian.h"

static_assert(std::endian::native == std::endian::little, "16-bit samples are read straight into the output");

namespace
{
int32_t le32signed(const uint8_t* p) { return static_cast<int32_t>(readLittleEndian32(p)); }

// Three 24-bit bytes as the upper 24 bits of a signed 32-bit value.
int32_t upper24(const uint8_t* p)
{
    return static_cast<int32_t>((static_cast<uint32_t>(p[0]) << 8) | (static_cast<uint32_t>(p[1]) << 16)
                                | (static_cast<uint32_t>(p[2]) << 24));
}

bool isId(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

// Ids that real files carry; used to tell whether a writer padded an
// odd-sized chunk.
bool isKnownChunkId(const uint8_t* p)
{
    static const char* const known[] = { "fmt ", "data", "smpl", "cue ", "inst", "LIST", "fact", "PEAK", "bext",
                                         "iXML", "JUNK", "junk", "acid", "plst", "labl", "note", "ltxt", "id3 ",
                                         "ID3 ", "_PMX", "cart", "minf", "elm1", "regn", "umid", "DISP", "PAD ",
                                         "FLLR" };
    return std::any_of(std::begin(known), std::end(known), [p](const char* id) { return isId(p, id); });
}

bool isPrintableId(const uint8_t* p)
{
    return std::all_of(p, p + 4, [](uint8_t c) { return c >= 0x20 && c <= 0x7E; });
}

// RIFF pads an odd-sized chunk with one byte, but some writers leave it out.
// The padded position wins unless only the unpadded one holds a chunk header.
int64_t nextAfterOddChunk(const ZFile& file, int64_t unpadded)
{
    uint8_t padded[4] = {};
    uint8_t exact[4] = {};
    const bool paddedRead = file.readAt(unpadded + 1, padded, 4) == 4;
    const bool exactRead = file.readAt(unpadded, exact, 4) == 4;
    if (paddedRead && isKnownChunkId(padded))
        return unpadded + 1;
    if (exactRead && isKnownChunkId(exact))
        return unpadded;
    if (exactRead && isPrintableId(exact) && !(paddedRead && isPrintableId(padded)))
        return unpadded;
    return unpadded + 1;
}

constexpr uint16_t integerPcmTag = 1;
constexpr uint16_t floatTag = 3;
constexpr uint16_t extensibleTag = 0xFFFE;

// The format an extensible header's sub-format GUID names: its first two
// bytes are a plain format tag when the rest is the standard base GUID; 0
// otherwise.
uint16_t extensibleSubFormat(const uint8_t* guid)
{
    static const uint8_t base[14] = { 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                      0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71 };
    return std::memcmp(guid + 2, base, sizeof base) == 0 ? readLittleEndian16(guid) : 0;
}

// The format tag of a "fmt " chunk, the sub-format of an extensible one.
uint16_t sampleFormatOf(const ZFile& file, int64_t body, int64_t size, uint16_t tag)
{
    uint8_t guid[16];
    if (tag != extensibleTag)
        return tag;
    if (size < 40 || file.readAt(body + 24, guid, sizeof guid) != sizeof guid)
        return 0;
    return extensibleSubFormat(guid);
}

// Walks the chunks of a WAVE file. For anything that is not a readable
// integer PCM mono or stereo file, the reason; empty otherwise. Every length
// is capped by the file's size.
std::string parseWave(const ZFile& file, ZWaveFile::Format& format)
{
    uint8_t head[12];
    if (file.readAt(0, head, sizeof head) != sizeof head || !isId(head, "RIFF") || !isId(head + 8, "WAVE"))
        return "not a RIFF WAVE file";
    format.riffSize = readLittleEndian32(head + 4);

    const int64_t fileSize = file.size();
    const int64_t walkEnd = format.riffSize + 8;
    bool haveFormat = false;
    bool haveData = false;
    int64_t dataSize = 0;

    for (int64_t header = 12; format.riffSize > 4 && header < walkEnd;)
    {
        uint8_t chunk[8];
        if (file.readAt(header, chunk, sizeof chunk) != sizeof chunk)
            break;  // cut short: what was found so far stands
        const int64_t size = readLittleEndian32(chunk + 4);
        const int64_t body = header + 8;

        if (isId(chunk, "fmt "))
        {
            uint8_t fmt[16];
            if (size < 16 || file.readAt(body, fmt, sizeof fmt) != sizeof fmt)
                return "its format chunk is cut short";
            const int32_t channels = readLittleEndian16(fmt + 2);
            const int32_t rate = le32signed(fmt + 4);
            const int64_t blockAlign = readLittleEndian16(fmt + 12);
            const int32_t bits = readLittleEndian16(fmt + 14);
            // An extensible header with integer PCM inside is plain PCM with a
            // longer header (what 24-bit recorders and sox write).
            const uint16_t tag = readLittleEndian16(fmt);
            const uint16_t sampleFormat = sampleFormatOf(file, body, size, tag);
            if (sampleFormat == floatTag)
                return "holds floating-point samples, which the player does not read (zse-build converts them)";
            if (sampleFormat != integerPcmTag)
            {
                char text[64];
                std::snprintf(text, sizeof text, "is not integer PCM (format tag 0x%04x)", static_cast<unsigned>(tag));
                return text;
            }
            if (channels < 1 || channels > 2)
                return "has " + std::to_string(channels) + " channels; the player plays mono and stereo";
            if (rate <= 0)
                return "has no sample rate";
            format.channels = channels;
            format.sampleRate = rate;
            // Samples lie in whole bytes: a 12-bit sample fills a 16-bit
            // container (left-justified) and is scaled as one.
            format.bytesPerSample = (bits + 7) / 8;
            format.frameSize = blockAlign != 0 ? blockAlign : int64_t { channels } * format.bytesPerSample;
            // A frame must hold all its samples, or conversion would read past it.
            if (format.frameSize == 0 || format.frameSize < int64_t { channels } * format.bytesPerSample)
                return "its frames are too small for their samples";
            haveFormat = true;
        }
        else if (isId(chunk, "data"))
        {
            if (!haveFormat)
                return "its data comes before its format";
            format.dataOffset = body;
            dataSize = size;
            haveData = true;
        }
        else if (isId(chunk, "smpl"))
        {
            uint8_t smpl[36] = {};
            file.readAt(body, smpl, static_cast<size_t>(std::min<int64_t>(size, sizeof smpl)));
            format.hasRootKey = true;
            format.rootKey = smpl[12];
            uint8_t loop[24];
            if (le32signed(smpl + 28) > 0 && size >= 36 + 24 && file.readAt(body + 36, loop, sizeof loop) == sizeof loop)
            {
                format.hasLoop = true;
                format.loopStart = le32signed(loop + 8);
                format.loopEnd = le32signed(loop + 12);
            }
        }
        else if (isId(chunk, "cue "))
        {
            uint8_t count[4] = {};
            file.readAt(body, count, static_cast<size_t>(std::min<int64_t>(size, sizeof count)));
            if (le32signed(count) < 0)
                return "its cue chunk makes no sense";
        }

        if (isId(chunk, "inst") && size == 7)
            header = body + 8;
        else if (size % 2 != 0)
            header = nextAfterOddChunk(file, body + size);
        else
            header = body + size;
    }

    if (haveData)
    {
        const int64_t present = std::max<int64_t>(0, fileSize - format.dataOffset);
        format.length = std::min(dataSize, present) / format.frameSize;
    }
    return {};
}

// Conversion of one sample to each output type, by bytes per sample.
template <typename Sample, int bytesPerSample>
Sample convertSample(const uint8_t* p);

template <>
float convertSample<float, 1>(const uint8_t* p) { return static_cast<float>(p[0] - 128) * (1.0f / 128.0f); }
template <>
float convertSample<float, 2>(const uint8_t* p)
{
    return static_cast<float>(static_cast<int16_t>(readLittleEndian16(p))) * (1.0f / 32768.0f);
}
template <>
float convertSample<float, 3>(const uint8_t* p) { return static_cast<float>(upper24(p)) * (1.0f / 2147483648.0f); }
template <>
float convertSample<float, 4>(const uint8_t* p) { return static_cast<float>(le32signed(p)) * (1.0f / 2147483648.0f); }

template <>
int16_t convertSample<int16_t, 1>(const uint8_t* p) { return static_cast<int16_t>((p[0] - 128) * 256); }
template <>
int16_t convertSample<int16_t, 2>(const uint8_t* p) { return static_cast<int16_t>(readLittleEndian16(p)); }
// The 24-bit value divided by 256, rounded toward zero.
template <>
int16_t convertSample<int16_t, 3>(const uint8_t* p) { return static_cast<int16_t>(upper24(p) / 65536); }
// The upper 16 bits of the 32-bit value.
template <>
int16_t convertSample<int16_t, 4>(const uint8_t* p) { return static_cast<int16_t>(le32signed(p) >> 16); }

// Converts whole frames of one width; the width is fixed per loop so that each
// compiles to a straight run without a branch per sample.
template <typename Sample, int bytesPerSample>
void convertFrames(const uint8_t* data, int64_t frames, int64_t frameSize, int32_t channels, Sample* out)
{
    for (int64_t f = 0; f < frames; ++f)
    {
        const uint8_t* frame = data + f * frameSize;
        for (int32_t c = 0; c < channels; ++c)
            *out++ = convertSample<Sample, bytesPerSample>(frame + c * bytesPerSample);
    }
}

template <typename Sample>
void convertFrames(const uint8_t* data, int64_t frames, int64_t frameSize, int32_t channels, int32_t bytesPerSample,
                   Sample* out)
{
    switch (bytesPerSample)
    {
        case 1: convertFrames<Sample, 1>(data, frames, frameSize, channels, out); break;
        case 2: convertFrames<Sample, 2>(data, frames, frameSize, channels, out); break;
        case 3: convertFrames<Sample, 3>(data, frames, frameSize, channels, out); break;
        default: convertFrames<Sample, 4>(data, frames, frameSize, channels, out); break;
    }
}

std::vector<uint8_t>& threadScratch()
{
    // Each reading thread (loading, streaming) converts through its own buffer,
    // sized once on its first read.
    thread_local std::vector<uint8_t> scratch;
    if (scratch.size() < static_cast<size_t>(ZWaveFile::scratchBytes))
        scratch.assign(static_cast<size_t>(ZWaveFile::scratchBytes), 0);
    return scratch;
}
}

ZWaveFile::~ZWaveFile() = default;

int64_t ZWaveFile::framesPerPass(int64_t frameSize)
{
    return frameSize > 0 ? std::max<int64_t>(1, scratchBytes / frameSize) : 0;
}

bool ZWaveFile::open(const std::string& newPath, const ZSharedFile&, int64_t)
{
    close();
    path = newPath;
    ZSharedFile opening = ZFile::openFileForReading(path);
    if (opening == nullptr)
    {
        problem = ZFile::whyNotReadable(path);
        if (problem.empty())
            problem = "cannot be opened";
        return false;
    }
    Format parsed;
    problem = parseWave(*opening, parsed);
    if (!problem.empty())
        return false;
    format = parsed;
    file = std::move(opening);
    cursor = 0;
    opened = true;
    return true;
}

void ZWaveFile::reopen()
{
    if (!opened)
        open(path, nullptr, 0);
}

void ZWaveFile::prefetchAll() const
{
    if (opened)
        file->prefetch(format.dataOffset, format.length * format.frameSize);
}

void ZWaveFile::close()
{
    file.reset();
    opened = false;
}

void ZWaveFile::seek(int64_t frame)
{
    if (opened)
        cursor = std::clamp<int64_t>(frame, 0, format.length);
}

template <typename Sample>
int64_t ZWaveFile::readConverted(Sample* output, int64_t frameCount)
{
    const int32_t bytesPerSample = format.bytesPerSample;
    if (!opened || output == nullptr || frameCount <= 0 || bytesPerSample < 1 || bytesPerSample > 4)
        return 0;
    const int64_t frames = std::min(frameCount, format.length - cursor);
    if (frames <= 0)
        return 0;
    const int32_t channels = format.channels;
    const int64_t frameSize = format.frameSize;

    if constexpr (std::is_same_v<Sample, int16_t>)
    {
        if (bytesPerSample == 2 && frameSize == 2 * channels)
        {
            const size_t got = file->readAt(format.dataOffset + cursor * frameSize, output,
                                            static_cast<size_t>(frames * frameSize));
            const int64_t whole = static_cast<int64_t>(got) / frameSize;
            cursor += whole;
            return whole;
        }
    }

    std::vector<uint8_t>& scratch = threadScratch();
    uint8_t* const data = scratch.data();
    const int64_t pass = framesPerPass(frameSize);
    int64_t delivered = 0;
    while (delivered < frames)
    {
        const int64_t wanted = std::min(pass, frames - delivered);
        const size_t got = file->readAt(format.dataOffset + cursor * frameSize, data,
                                        static_cast<size_t>(wanted * frameSize));
        const int64_t whole = static_cast<int64_t>(got) / frameSize;
        convertFrames(data, whole, frameSize, channels, bytesPerSample, output + delivered * channels);
        cursor += whole;
        delivered += whole;
        if (whole < wanted)
            break;
    }
    return delivered;
}

int64_t ZWaveFile::readInt16(int16_t* output, int64_t frameCount)
{
    return readConverted(output, frameCount);
}

int64_t ZWaveFile::readFloat(float* output, int64_t frameCount)
{
    return readConverted(output, frameCount);
}

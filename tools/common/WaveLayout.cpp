#include "WaveLayout.h"

#include <cstring>

namespace
{
constexpr uint16_t formatPcm = 1;
constexpr uint16_t formatIeeeFloat = 3;
constexpr size_t smplHeaderBytes = 36;
constexpr size_t smplLoopBytes = 24;

void put(std::vector<uint8_t>& out, uint64_t value, int bytes)
{
    for (int k = 0; k < bytes; ++k)
        out.push_back(static_cast<uint8_t>(value >> (8 * k)));
}

void putId(std::vector<uint8_t>& out, const char* id)
{
    for (int k = 0; k < 4; ++k)
        out.push_back(static_cast<uint8_t>(id[k]));
}
} // namespace

int waveBytesPerSample(WaveEncoding encoding)
{
    switch (encoding)
    {
    case WaveEncoding::pcm8: return 1;
    case WaveEncoding::pcm16: return 2;
    case WaveEncoding::pcm24: return 3;
    case WaveEncoding::pcm32:
    case WaveEncoding::float32: return 4;
    }
    return 4;
}

WaveEncoding wavePcmEncoding(int bytesPerSample)
{
    switch (bytesPerSample)
    {
    case 1: return WaveEncoding::pcm8;
    case 2: return WaveEncoding::pcm16;
    case 3: return WaveEncoding::pcm24;
    default: return WaveEncoding::pcm32;
    }
}

WaveLayout::WaveLayout(WaveEncoding sampleEncoding, int channels, uint32_t sampleRate,
                       std::optional<WaveSampler> samplerChunk)
    : encoding(sampleEncoding), channelCount(channels), rate(sampleRate), sampler(std::move(samplerChunk))
{
}

size_t WaveLayout::headerBytes() const
{
    const bool isFloat = encoding == WaveEncoding::float32;
    size_t bytes = 12 + 8 + (isFloat ? 18 : 16) + (isFloat ? 8 + 4 : 0) + 8;
    if (sampler)
        bytes += 8 + smplHeaderBytes + (sampler->loop ? smplLoopBytes : 0);
    return bytes;
}

bool WaveLayout::fits(int64_t frames) const
{
    if (frames < 0 || channelCount <= 0)
        return false;
    const uint64_t dataBytes = static_cast<uint64_t>(frames) * static_cast<uint64_t>(frameBytes());
    return dataBytes + (dataBytes & 1) <= UINT32_MAX - headerBytes();
}

std::vector<uint8_t> WaveLayout::header(std::optional<int64_t> frames) const
{
    const bool isFloat = encoding == WaveEncoding::float32;
    const auto frameSize = static_cast<uint32_t>(frameBytes());
    std::vector<uint8_t> out;
    out.reserve(headerBytes());
    putId(out, "RIFF");
    put(out, UINT32_MAX, 4);  // filled in below
    putId(out, "WAVE");
    putId(out, "fmt ");
    put(out, isFloat ? 18 : 16, 4);
    put(out, isFloat ? formatIeeeFloat : formatPcm, 2);
    put(out, static_cast<uint32_t>(channelCount), 2);
    put(out, rate, 4);
    put(out, static_cast<uint64_t>(rate) * frameSize, 4);
    put(out, frameSize, 2);
    put(out, static_cast<uint32_t>(8 * waveBytesPerSample(encoding)), 2);
    if (isFloat)
    {
        put(out, 0, 2);  // no format extension
        putId(out, "fact");
        put(out, 4, 4);
        put(out, UINT32_MAX, 4);
    }
    if (sampler)
    {
        putId(out, "smpl");
        put(out, smplHeaderBytes + (sampler->loop ? smplLoopBytes : 0), 4);
        put(out, 0, 4);                                          // manufacturer
        put(out, 0, 4);                                          // product
        put(out, rate > 0 ? 1000000000u / rate : 0, 4);          // nanoseconds per frame
        put(out, static_cast<uint32_t>(sampler->rootKey), 4);    // MIDI unity note
        put(out, 0, 4);                                          // pitch fraction
        put(out, 0, 4);                                          // SMPTE format
        put(out, 0, 4);                                          // SMPTE offset
        put(out, sampler->loop ? 1 : 0, 4);                      // loops
        put(out, 0, 4);                                          // sampler data
        if (sampler->loop)
        {
            put(out, 0, 4);  // cue point id
            put(out, 0, 4);  // forward loop
            put(out, sampler->loop->first, 4);
            put(out, sampler->loop->second, 4);
            put(out, 0, 4);  // fraction
            put(out, 0, 4);  // play count: endless
        }
    }
    putId(out, "data");
    put(out, UINT32_MAX, 4);
    if (frames)
        for (const auto& [offset, value] : lengthFields(*frames))
            for (int k = 0; k < 4; ++k)
                out[offset + static_cast<size_t>(k)] = static_cast<uint8_t>(value >> (8 * k));
    return out;
}

std::vector<std::pair<size_t, uint32_t>> WaveLayout::lengthFields(int64_t frames) const
{
    const size_t total = headerBytes();
    const auto dataBytes = static_cast<uint32_t>(static_cast<uint64_t>(frames) * static_cast<uint64_t>(frameBytes()));
    const uint32_t pad = dataBytes & 1;
    std::vector<std::pair<size_t, uint32_t>> fields = {
        { 4, static_cast<uint32_t>(total - 8) + dataBytes + pad },
        { total - 4, dataBytes },
    };
    if (encoding == WaveEncoding::float32)
        fields.emplace_back(12 + 8 + 18 + 8, static_cast<uint32_t>(frames));
    return fields;
}

void appendPcmSample(std::vector<uint8_t>& out, WaveEncoding encoding, int32_t leftJustified)
{
    const auto bits = static_cast<uint32_t>(leftJustified);
    switch (encoding)
    {
    case WaveEncoding::pcm8: out.push_back(static_cast<uint8_t>((bits >> 24) ^ 0x80)); break;
    case WaveEncoding::pcm16: put(out, bits >> 16, 2); break;
    case WaveEncoding::pcm24: put(out, bits >> 8, 3); break;
    case WaveEncoding::pcm32:
    case WaveEncoding::float32: put(out, bits, 4); break;
    }
}

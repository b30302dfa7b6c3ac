#include "RenderWaveWriter.h"

#include <cmath>
#include <cstring>

#include "OutputFile.h"

namespace
{
WaveEncoding encodingOf(RenderFormat format)
{
    switch (format)
    {
    case RenderFormat::s16: return WaveEncoding::pcm16;
    case RenderFormat::s24: return WaveEncoding::pcm24;
    case RenderFormat::f32: break;
    }
    return WaveEncoding::float32;
}
} // namespace

int32_t pcmFromFloat(float sample, int bits)
{
    const double full = std::ldexp(1.0, bits - 1);
    const double scaled = std::round(static_cast<double>(sample) * full);  // halves away from zero
    if (!(scaled < full))  // also NaN, which has no better value than full scale
        return static_cast<int32_t>(full - 1.0);
    if (scaled < -full)
        return static_cast<int32_t>(-full);
    return static_cast<int32_t>(scaled);
}

const char* renderFormatName(RenderFormat format)
{
    switch (format)
    {
    case RenderFormat::s16: return "16-bit integer";
    case RenderFormat::s24: return "24-bit integer";
    case RenderFormat::f32: break;
    }
    return "32-bit float";
}

bool RenderWaveWriter::fits(RenderFormat format, int channels, int64_t frames)
{
    return WaveLayout(encodingOf(format), channels, 44100).fits(frames);
}

RenderWaveWriter::RenderWaveWriter(OutputFile& output, RenderFormat renderFormat, int channelCount,
                                   int64_t sampleRate, std::optional<int64_t> frames)
    : out(output), format(renderFormat), channels(channelCount),
      layout(encodingOf(renderFormat), channelCount, static_cast<uint32_t>(sampleRate)),
      lengthInHeader(frames.has_value())
{
    const std::vector<uint8_t> header = layout.header(frames);
    out.write(header.data(), header.size());
}

bool RenderWaveWriter::write(const float* const* channelData, int frames)
{
    bytes.clear();
    const WaveEncoding encoding = encodingOf(format);
    const int bits = 8 * waveBytesPerSample(encoding);
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
        {
            const float sample = channelData[c][f];
            if (format == RenderFormat::f32)
            {
                uint32_t raw = 0;
                std::memcpy(&raw, &sample, sizeof raw);
                appendPcmSample(bytes, WaveEncoding::pcm32, static_cast<int32_t>(raw));
            }
            else
                appendPcmSample(bytes, encoding, static_cast<int32_t>(static_cast<uint32_t>(pcmFromFloat(sample, bits)) << (32 - bits)));
        }
    written += frames;
    return out.write(bytes.data(), bytes.size());
}

bool RenderWaveWriter::finish()
{
    const int64_t dataBytes = written * layout.frameBytes();
    if (dataBytes % 2 != 0)
    {
        const uint8_t pad = 0;
        out.write(&pad, 1);
    }
    if (lengthInHeader || !out.canRewrite())
        return out.error().empty();
    for (const auto& [offset, value] : layout.lengthFields(written))
    {
        uint8_t field[4];
        for (int k = 0; k < 4; ++k)
            field[k] = static_cast<uint8_t>(value >> (8 * k));
        if (!out.rewrite(static_cast<int64_t>(offset), field, sizeof field))
            return false;
    }
    return true;
}

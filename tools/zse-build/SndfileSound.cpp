#include "SndfileSound.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int64_t framesPerPass = 16384;

// Bytes per sample of the player's form for an integer encoding; 0 for the
// encodings whose samples are not integers (float, double, lossy codecs).
int32_t integerWidth(int subformat)
{
    switch (subformat)
    {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_DPCM_8: return 1;
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_DPCM_16:
    case SF_FORMAT_DWVW_12:
    case SF_FORMAT_DWVW_16:
    case SF_FORMAT_ALAC_16:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW: return 2;
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_DWVW_24:
    case SF_FORMAT_ALAC_20:
    case SF_FORMAT_ALAC_24: return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_ALAC_32: return 4;
    default: return 0;
    }
}

// A float sample as a 32-bit integer: rounded to the nearest, full scale
// clipped (so +1.0 gives the largest value).
int32_t integerFromFloat(double sample)
{
    const double scaled = std::round(sample * 2147483648.0);
    if (!(scaled > -2147483648.0))
        return std::isnan(scaled) ? 0 : INT32_MIN;
    if (scaled > 2147483647.0)
        return INT32_MAX;
    return static_cast<int32_t>(scaled);
}

std::string formatInfoName(int format)
{
    SF_FORMAT_INFO info {};
    info.format = format;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) != 0 || info.name == nullptr)
        return "format " + std::to_string(format);
    return info.name;
}
} // namespace

SndfileSound::~SndfileSound()
{
    close();
}

bool SndfileSound::open(const std::string& newPath, const ZSharedFile&, int64_t)
{
    close();
    path = newPath;
    SF_INFO info {};
    file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
    {
        problem = sf_strerror(nullptr);
        return false;
    }
    format = info.format;
    sampleRate = info.samplerate;
    channels = info.channels;
    frames = info.frames;
    const int32_t integer = integerWidth(format & SF_FORMAT_SUBMASK);
    floatSamples = integer == 0;
    width = floatSamples ? 4 : integer;

    SF_INSTRUMENT instrument {};
    rootKeyKnown = loopKnown = false;
    if (sf_command(file, SFC_GET_INSTRUMENT, &instrument, sizeof instrument) == SF_TRUE)
    {
        rootKeyKnown = true;
        rootKey = instrument.basenote;
        if (instrument.loop_count > 0 && instrument.loops[0].mode != SF_LOOP_NONE)
        {
            loopKnown = true;
            loopStart = instrument.loops[0].start;
            // libsndfile gives the end one past the "smpl" chunk's last loop
            // frame; the player takes that stored frame itself as the end.
            const int major = format & SF_FORMAT_TYPEMASK;
            const bool fromSmpl = major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX || major == SF_FORMAT_RF64;
            loopEnd = static_cast<int64_t>(instrument.loops[0].end) - (fromSmpl ? 1 : 0);
        }
    }
    return true;
}

void SndfileSound::reopen()
{
    if (file == nullptr)
        open(path, nullptr, 0);
}

void SndfileSound::close()
{
    if (file != nullptr)
        sf_close(file);
    file = nullptr;
}

void SndfileSound::seek(int64_t frame)
{
    if (file != nullptr)
        sf_seek(file, std::clamp<int64_t>(frame, 0, frames), SEEK_SET);
}

int64_t SndfileSound::readPlayerForm(int32_t* output, int64_t frameCount)
{
    if (file == nullptr || output == nullptr || frameCount <= 0 || channels <= 0)
        return 0;
    if (!floatSamples)
        return std::max<int64_t>(0, sf_readf_int(file, output, frameCount));
    int64_t delivered = 0;
    while (delivered < frameCount)
    {
        const int64_t wanted = std::min(framesPerPass, frameCount - delivered);
        floatScratch.resize(static_cast<size_t>(wanted * channels));
        const int64_t got = std::max<int64_t>(0, sf_readf_double(file, floatScratch.data(), wanted));
        int32_t* out = output + delivered * channels;
        for (int64_t k = 0; k < got * channels; ++k)
            out[k] = integerFromFloat(floatScratch[static_cast<size_t>(k)]);
        delivered += got;
        if (got < wanted)
            break;
    }
    return delivered;
}

int64_t SndfileSound::readFloat(float* output, int64_t frameCount)
{
    int64_t delivered = 0;
    while (output != nullptr && delivered < frameCount)
    {
        const int64_t wanted = std::min(framesPerPass, frameCount - delivered);
        scratch.resize(static_cast<size_t>(wanted * channels));
        const int64_t got = readPlayerForm(scratch.data(), wanted);
        float* out = output + delivered * channels;
        // The player's rule for every width: the value times 2^-31.
        for (int64_t k = 0; k < got * channels; ++k)
            out[k] = static_cast<float>(scratch[static_cast<size_t>(k)]) * (1.0f / 2147483648.0f);
        delivered += got;
        if (got < wanted)
            break;
    }
    return delivered;
}

int64_t SndfileSound::readInt16(int16_t* output, int64_t frameCount)
{
    int64_t delivered = 0;
    while (output != nullptr && delivered < frameCount)
    {
        const int64_t wanted = std::min(framesPerPass, frameCount - delivered);
        scratch.resize(static_cast<size_t>(wanted * channels));
        const int64_t got = readPlayerForm(scratch.data(), wanted);
        int16_t* out = output + delivered * channels;
        // The player's rules: 24-bit samples are divided by 256 toward zero,
        // 32-bit samples keep their upper 16 bits, narrower ones are exact.
        for (int64_t k = 0; k < got * channels; ++k)
        {
            const int32_t value = scratch[static_cast<size_t>(k)];
            out[k] = static_cast<int16_t>(width == 3 ? value / 65536 : value >> 16);
        }
        delivered += got;
        if (got < wanted)
            break;
    }
    return delivered;
}

std::string SndfileSound::formatName() const
{
    return formatInfoName(format & SF_FORMAT_TYPEMASK) + ", " + formatInfoName(format & SF_FORMAT_SUBMASK);
}

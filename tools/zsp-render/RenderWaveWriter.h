#pragma once
// Writes the rendered channels as a WAVE file into an output: 32-bit float,
// or 16- or 24-bit integer PCM. Float samples go in unchanged; integer
// samples are the float times 2^15 or 2^23 rounded to the nearest integer
// (halves away from zero) and clipped to the integer range, so +1.0 becomes
// the largest value (32767) and -1.0 the smallest (-32768).
//
// When the length is not known before the end (--until-silent), the header
// is written with the largest sizes and filled in at the end; an output that
// cannot be written again (a pipe) keeps those sizes, as pipes are read to
// their end.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "RenderOptions.h"
#include "WaveLayout.h"

class OutputFile;

// One float sample as a `bits`-bit integer (16 or 24): rounded, clipped.
int32_t pcmFromFloat(float sample, int bits);

class RenderWaveWriter
{
public:
    // Whether a render of this many frames fits a WAVE file.
    static bool fits(RenderFormat format, int channels, int64_t frames);

    // Writes the header; `frames` is the length when it is known already.
    RenderWaveWriter(OutputFile& output, RenderFormat format, int channels, int64_t sampleRate,
                     std::optional<int64_t> frames);

    // Appends `frames` frames taken from one pointer per channel.
    bool write(const float* const* channels, int frames);

    // Fills in the length when the header did not have it. Then commit the
    // output.
    bool finish();

    int64_t framesWritten() const { return written; }

private:
    OutputFile& out;
    RenderFormat format;
    int channels;
    WaveLayout layout;
    bool lengthInHeader;
    int64_t written = 0;
    std::vector<uint8_t> bytes;
};

// The name of a format for messages: "32-bit float", "16-bit integer" ...
const char* renderFormatName(RenderFormat format);

#pragma once
// Writes a 32-bit float WAVE file (format tag 3) whose length is known before
// the first sample: the header goes first, then the frames as they come. The
// file appears under its name only once it is complete.

#include <cstdint>
#include <memory>
#include <string>

class ZFile;

class FloatWaveWriter
{
public:
    // Whether a file of this many frames fits the 4 GiB a WAVE file can hold.
    static bool fits(int64_t frames, int channels);

    // Null when the folder cannot take the file or the length does not fit.
    static std::unique_ptr<FloatWaveWriter> create(const std::string& path, int channels, int64_t sampleRate,
                                                   int64_t frames);

    ~FloatWaveWriter();

    // Appends `frames` frames taken from one pointer per channel.
    bool write(const float* const* channels, int frames);

    // Renames the file into place; false if any write failed or the frame
    // count differs from the one announced.
    bool commit();

private:
    FloatWaveWriter(std::unique_ptr<ZFile> target, int channelCount, int64_t frameCount);

    std::unique_ptr<ZFile> file;
    int channels;
    int64_t expectedFrames;
    int64_t writtenFrames = 0;
    bool ok = true;
};

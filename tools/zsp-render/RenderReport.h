#pragma once
// The few lines zsp-render prints when a render is done: its length, the peak
// of every output and how many samples reached full scale, with the reason
// they were clipped (the instrument's own clip setting, or the integer
// format of the file) or kept (a float file of an instrument that does not
// clip), the notes that found no zone and the samples that were missing.

#include <cstdint>
#include <string>
#include <vector>

#include "RenderOptions.h"

class RenderLevels
{
public:
    explicit RenderLevels(int channels);

    // Counts `frames` frames given per channel.
    void add(const float* const* channels, int frames);

    const std::vector<float>& peaks() const { return channelPeaks; }
    int64_t fullScaleSamples() const { return atFullScale; }

private:
    std::vector<float> channelPeaks;
    int64_t atFullScale = 0;
};

struct RenderReport
{
    std::string outputName;
    RenderFormat format = RenderFormat::f32;
    int64_t frames = 0;
    int64_t sampleRate = 44100;
    std::vector<float> peaks;  // per channel, two per output
    int64_t fullScaleSamples = 0;
    bool instrumentClips = true;   // the instrument's clipOutput setting
    bool stoppedAtLimit = false;   // --until-silent ran into its limit
    uint64_t notesWithoutZone = 0;
    // The load report's line of missing samples (ZLoadReport), empty for none.
    std::string missingSamples;
};

// The report's lines, each ending in a line feed.
std::string formatRenderReport(const RenderReport& report);

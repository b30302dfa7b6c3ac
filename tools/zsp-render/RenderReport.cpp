#include "RenderReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "RenderWaveWriter.h"

namespace
{
std::string decibels(float peak, const char* unit = "")
{
    if (peak <= 0.0f)
        return "silent";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f%s", 20.0 * std::log10(static_cast<double>(peak)), unit);
    return text;
}
} // namespace

RenderLevels::RenderLevels(int channels) : channelPeaks(static_cast<size_t>(channels), 0.0f) {}

void RenderLevels::add(const float* const* channels, int frames)
{
    for (size_t c = 0; c < channelPeaks.size(); ++c)
        for (int f = 0; f < frames; ++f)
        {
            const float magnitude = std::fabs(channels[c][f]);
            channelPeaks[c] = std::max(channelPeaks[c], magnitude);
            atFullScale += magnitude >= 1.0f ? 1 : 0;
        }
}

std::string formatRenderReport(const RenderReport& report)
{
    char line[256];
    std::string text;
    std::snprintf(line, sizeof line, "%s: %.3f s (%lld frames at %lld Hz), %s, %zu channels\n",
                  report.outputName.c_str(), static_cast<double>(report.frames) / static_cast<double>(report.sampleRate),
                  static_cast<long long>(report.frames), static_cast<long long>(report.sampleRate),
                  renderFormatName(report.format), report.peaks.size());
    text += line;
    for (size_t pair = 0; pair + 1 < report.peaks.size(); pair += 2)
    {
        const float left = report.peaks[pair];
        const float right = report.peaks[pair + 1];
        text += "  Output " + std::to_string(pair / 2 + 1) + " peak " + decibels(std::max(left, right), " dBFS") + " (left "
              + decibels(left) + ", right " + decibels(right) + ")\n";
    }
    const std::string count = std::to_string(report.fullScaleSamples);
    if (report.fullScaleSamples == 0)
        text += "  clipped samples: 0\n";
    else if (report.instrumentClips)
        text += "  clipped samples: " + count + ", held at full scale by the instrument's clip setting (clipOutput)\n";
    else if (report.format != RenderFormat::f32)
        text += "  clipped samples: " + count + " at or beyond full scale, clipped to the range of the "
              + renderFormatName(report.format) + " file\n";
    else
        text += "  clipped samples: 0 (" + count + " samples at or beyond full scale are kept as they are in the "
              "float file; the instrument does not clip)\n";
    text += "  notes that found no zone: " + std::to_string(report.notesWithoutZone) + "\n";
    text += "  missing samples: " + (report.missingSamples.empty() ? std::string("none") : report.missingSamples) + "\n";
    if (report.stoppedAtLimit)
        text += "  still sounding " + std::to_string(static_cast<int>(untilSilentLimitSeconds))
              + " s after the last event: the render stopped there\n";
    return text;
}

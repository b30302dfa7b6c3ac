#include "ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <string>

namespace
{
constexpr auto firstShown = std::chrono::milliseconds(500);
constexpr auto redrawEvery = std::chrono::milliseconds(100);
constexpr int barWidth = 40;
} // namespace

ProgressBar::ProgressBar(bool wanted) : enabled(wanted && ::isatty(STDERR_FILENO) == 1), start(Clock::now())
{
}

ProgressBar::~ProgressBar()
{
    finish();
}

void ProgressBar::update(int64_t done, int64_t total)
{
    if (!enabled || total <= 0)
        return;
    const Clock::time_point now = Clock::now();
    if (now - start < firstShown || (shown && now - lastDrawn < redrawEvery && done < total))
        return;
    lastDrawn = now;
    shown = true;
    const double fraction = std::clamp(static_cast<double>(done) / static_cast<double>(total), 0.0, 1.0);
    const int filled = static_cast<int>(fraction * barWidth);
    const std::string bar = std::string(static_cast<size_t>(filled), '#') + std::string(static_cast<size_t>(barWidth - filled), '.');
    std::fprintf(stderr, "\rRendering [%s] %3d%%", bar.c_str(), static_cast<int>(fraction * 100.0));
    std::fflush(stderr);
}

void ProgressBar::finish()
{
    if (shown)
        std::fprintf(stderr, "\n");
    shown = false;
}

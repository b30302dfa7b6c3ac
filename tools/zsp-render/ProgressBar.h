#pragma once
// A one-line progress bar on standard error for renders that take more than
// a moment. It stays hidden when switched off, when standard error is not a
// terminal, and during the first half second.

#include <chrono>
#include <cstdint>
#include <cstdio>

class ProgressBar
{
public:
    explicit ProgressBar(bool wanted);
    ~ProgressBar();

    // done of total units finished.
    void update(int64_t done, int64_t total);
    // Completes the line if the bar was shown.
    void finish();

private:
    using Clock = std::chrono::steady_clock;

    bool enabled;
    bool shown = false;
    Clock::time_point start;
    Clock::time_point lastDrawn;
};

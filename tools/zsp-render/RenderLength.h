#pragma once
// How long a render lasts, to the sample. The render always covers the
// sample of the last MIDI event; then either a fixed tail, or (with
// --until-silent) as long as it takes for every output to stay below a level
// for one second, up to a limit.

#include <cstdint>
#include <optional>

// Frames of a render with a fixed tail: every sample up to and including the
// last event's, then the tail rounded to the nearest sample. Without events
// the tail alone.
int64_t framesWithTail(std::optional<int64_t> lastEventSample, double tailSeconds, int64_t sampleRate);

// Finds the end of an --until-silent render from the frames as they are
// rendered: one second after the last frame, after the last event, in which
// some output reached the level; a render that is silent after its last event
// ends as one with a one-second tail would.
class SilenceEnd
{
public:
    SilenceEnd(std::optional<int64_t> lastEventSample, double levelDb, int64_t sampleRate, double limitSeconds);

    // The longest the render may become.
    int64_t limit() const { return limitFrames; }

    // Looks at `count` frames starting at frame `start`, one pointer per
    // channel. Returns the render's length once it is known.
    std::optional<int64_t> feed(const float* const* channels, int channelCount, int64_t start, int count);

    // Whether the render ended at the limit, still sounding.
    bool reachedLimit() const { return stoppedAtLimit; }

private:
    int64_t from;          // the first frame after the last event
    int64_t secondFrames;
    int64_t limitFrames;
    float level;
    int64_t end;           // where the render ends unless a louder frame comes
    bool stoppedAtLimit = false;
};

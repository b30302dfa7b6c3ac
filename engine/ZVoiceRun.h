#pragma once
// One run of the block loop: the samples from one event to the next, during
// which nothing outside the voices changes. The block loop works out the
// instrument's values for every sample of the run first (bend ramp, LFO,
// gain and pan), then every sounding voice, in pool order, renders the whole
// run and adds it into the outputs, so each output sample still receives the
// voices' contributions in pool order, with the same expressions as one
// sample at a time.

class ZInstrument;
class ZZone;

struct ZVoiceRun
{
    static constexpr int capacity = 512;

    ZInstrument* instrument = nullptr;
    float* const* channels = nullptr;
    int numChannels = 0;
    int offset = 0;  // block sample of the run's first sample
    int length = 0;

    // Per sample of the run.
    float bendRatio[capacity];
    bool bendMoving[capacity];
    float lfoValue[capacity];
    float leftGain[capacity];
    float rightGain[capacity];
    // The first sample from which the bend stays where it is to the run's end.
    int bendSteadyFrom = 0;

    // The channels a voice of `zone` adds into: its group's output pair, or
    // the first two channels (the first twice for one channel) when the host
    // has no such pair.
    void outputPair(const ZZone* zone, int& first, int& second) const;
};

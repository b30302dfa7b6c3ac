#pragma once
// The instrument's master reverb: eight parallel lowpass-feedback combs and four
// series all-passes per channel. Delay memory is part of the object, so running
// it never allocates.

class ZReverb
{
public:
    ZReverb();

    void setParameters(float roomSize, float damping, float wet, float width, float dry);

    // One stereo sample in, the wet stereo sample out.
    void process(float inLeft, float inRight, float& outLeft, float& outRight) noexcept;

private:
    static constexpr int combCount = 8;
    static constexpr int allPassCount = 4;
    static constexpr int channelCount = 2;
    // Delay lengths in samples for the left channel; the right channel's are
    // longer by stereoSpread, which decorrelates the two outputs.
    static constexpr int combLengths[combCount] = { 1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617 };
    static constexpr int allPassLengths[allPassCount] = { 556, 441, 341, 225 };
    static constexpr int stereoSpread = 23;
    static constexpr float inputGain = 0.015f;
    static constexpr float allPassFeedback = 0.5f;

    // Both channels' lines back to back.
    static constexpr int combMemorySize = channelCount
            * (combLengths[0] + combLengths[1] + combLengths[2] + combLengths[3] + combLengths[4] + combLengths[5]
               + combLengths[6] + combLengths[7])
        + combCount * stereoSpread;
    static constexpr int allPassMemorySize
        = channelCount * (allPassLengths[0] + allPassLengths[1] + allPassLengths[2] + allPassLengths[3])
        + allPassCount * stereoSpread;

    // A delay line is a window [offset, offset + length) of one of the memory
    // arrays, read and written at `index`.
    struct DelayLine
    {
        int offset = 0;
        int length = 0;
        int index = 0;
    };
    struct Comb
    {
        DelayLine line;
        float store = 0.0f; // the damping lowpass's last output
    };

    float runCombs(Comb* channelCombs, float input) noexcept;
    float runAllPasses(DelayLine* channelAllPasses, float input) noexcept;

    float roomSize = 0.868f, damping = 0.4f, wet1 = 1.275f, wet2 = 0.225f, dry = 0.0f;

    Comb combs[channelCount][combCount];
    DelayLine allPasses[channelCount][allPassCount];
    float combMemory[combMemorySize] = {};
    float allPassMemory[allPassMemorySize] = {};
};

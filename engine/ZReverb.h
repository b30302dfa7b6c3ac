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
    float roomSize = 0.868f, damping = 0.4f, wet1 = 1.275f, wet2 = 0.225f, dry = 0.0f;
};

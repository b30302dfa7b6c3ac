#pragma once
#include <juce_events/juce_events.h>

class RLevelMeter;

// The one timer of the process that lets every level meter fall back: every
// 50 ms each registered meter drops 1 dB (20 dB per second). The first meter
// to register starts it and the last one to leave stops it.
class RLevelMeterDriver : public juce::Timer, public juce::DeletedAtShutdown
{
public:
    static constexpr int intervalMs = 50;

    ~RLevelMeterDriver() override;

    void add(RLevelMeter* meter);
    void remove(RLevelMeter* meter);
    int getNumMeters() const noexcept { return meters.size(); }

    // One fall-back step for every meter, in the order they registered.
    void timerCallback() override;

    JUCE_DECLARE_SINGLETON_SINGLETHREADED(RLevelMeterDriver, false)

private:
    RLevelMeterDriver() = default;

    juce::Array<RLevelMeter*> meters;

    JUCE_DECLARE_NON_COPYABLE(RLevelMeterDriver)
};

#include "RLevelMeterDriver.h"

#include "RLevelMeter.h"

JUCE_IMPLEMENT_SINGLETON(RLevelMeterDriver)

RLevelMeterDriver::~RLevelMeterDriver()
{
    clearSingletonInstance();
}

void RLevelMeterDriver::add(RLevelMeter* meter)
{
    meters.addIfNotAlreadyThere(meter);
    if (!isTimerRunning())
        startTimer(intervalMs);
}

void RLevelMeterDriver::remove(RLevelMeter* meter)
{
    meters.removeFirstMatchingValue(meter);
    if (meters.isEmpty())
        stopTimer();
}

void RLevelMeterDriver::timerCallback()
{
    for (auto* meter : meters)
        if (meter->fallBack())
            meter->repaint();
}

#pragma once
// Zone settings that answer every key at every velocity.

#include "engine/Settings.h"

inline void coverWholeKeyboard(ZoneSettings& s)
{
    s.lowKey = 0;
    s.highKey = 127;
    s.lowVelocity = 0;
    s.highVelocity = 127;
}

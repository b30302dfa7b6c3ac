#include "CEngineView.h"

#include <algorithm>

#include "engine/ZInstrument.h"

void CEngineView::fitGroups(const ZInstrument& instrument)
{
    groups.resize(instrument.groups.size());
}

void CEngineView::capture(const ZInstrument& instrument)
{
    settings = instrument.settings;
    bendPosition = instrument.bendPosition;
    currentGroup = -1;
    const size_t count = std::min(groups.size(), instrument.groups.size());
    for (size_t index = 0; index < count; ++index)
    {
        const ZGroup* group = instrument.groups[index].get();
        groups[index] = group->settings;
        if (group == instrument.currentGroup)
            currentGroup = static_cast<int>(index);
    }
    ++serial;
}

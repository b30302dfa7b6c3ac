#include "engine/ZGroup.h"

#include "engine/ZPlatform.h"
#include "engine/ZZone.h"

GroupSettings ZGroup::defaultSettings()
{
    GroupSettings s {};
    s.activationController = 1;
    s.attackScale = 1.0f;
    s.decayScale = 1.0f;
    s.sustainScale = 1.0f;
    s.releaseScale = 1.0f;
    s.highKey = 127;
    s.highVelocity = 127;
    return s;
}

ZGroup::ZGroup(const std::string& groupName) : settings(defaultSettings()), name(groupName)
{
}

ZGroup::~ZGroup() = default;

bool ZGroup::addZone(ZZone* zone)
{
    if (zone == nullptr)
        return false;
    zones.emplace_back(zone);
    zone->group = this;
    zone->updateDerived();
    mapZone(zones.size() - 1);
    return true;
}

void ZGroup::mapZone(size_t index)
{
    const ZoneSettings& s = zones[index]->settings;
    zoneMap.add(static_cast<uint32_t>(index), s.lowKey, s.highKey, s.lowVelocity, s.highVelocity);
}

void ZGroup::rebuildZoneMap()
{
    zoneMap.clear();
    for (size_t k = 0; k < zones.size(); ++k)
        mapZone(k);
}

bool ZGroup::contains(int note, int velocity) const
{
    return note >= 0 && note < 128 && velocity >= 0 && velocity < 128
        && note >= settings.lowKey && note <= settings.highKey
        && velocity >= settings.lowVelocity && velocity <= settings.highVelocity;
}

ZZone* ZGroup::chooseZone(int note, int velocity, ZRandom& random)
{
    if (!contains(note, velocity))
        return nullptr;
    const int k = zoneCount(note, velocity);
    if (k == 0)
        return nullptr;

    const ZoneSelection selection = modeOf<ZoneSelection>(settings.zoneSelection);
    int j;
    if (selection == ZoneSelection::roundRobin)
        j = ((lastChoice + 1) % k + k) % k;
    else
        j = random.next() % k;

    // Random robin never repeats the entry it played last.
    if (selection == ZoneSelection::randomRobin && k > 1)
        for (int steps = 0; steps < k && j == lastChoice; ++steps)
            j = (j + 1) % k;

    lastChoice = j;
    return zoneAt(note, velocity, j);
}

#include "engine/ZGroup.h"

#include <algorithm>

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
    rebuildZoneMap();
    return true;
}

namespace
{
// Calls visit(cellIndex) for every cell of the zone's key and velocity range.
// Ranges are clamped to the map, so a stored range past 0..127 cannot reach
// outside it.
template <typename Visit>
void forEachCell(const ZZone& zone, Visit visit)
{
    const int keyFrom = std::clamp(zone.settings.lowKey, 0, 128);
    const int keyTo = std::clamp(zone.settings.highKey, -1, 127);
    const int velocityFrom = std::clamp(zone.settings.lowVelocity, 0, 128);
    const int velocityTo = std::clamp(zone.settings.highVelocity, -1, 127);
    for (int n = keyFrom; n <= keyTo; ++n)
        for (int v = velocityFrom; v <= velocityTo; ++v)
            visit(n * 128 + v);
}
} // namespace

void ZGroup::rebuildZoneMap()
{
    cellStart.fill(0);
    for (const auto& zone : zones)
        forEachCell(*zone, [this](int index) { ++cellStart[static_cast<size_t>(index) + 1]; });
    for (size_t k = 1; k < cellStart.size(); ++k)
        cellStart[k] += cellStart[k - 1];

    cellZones.assign(cellStart.back(), nullptr);
    std::array<uint32_t, 128 * 128> filled {};
    for (const auto& zone : zones)
        forEachCell(*zone, [&](int index) {
            cellZones[cellStart[static_cast<size_t>(index)] + filled[static_cast<size_t>(index)]++] = zone.get();
        });
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
    const auto zonesHere = cell(note, velocity);
    const int k = static_cast<int>(zonesHere.size());
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
    return zonesHere[static_cast<size_t>(j)];
}

#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/Settings.h"
#include "engine/ZZoneMap.h"

class ZZone;
class ZRandom;

class ZGroup
{
public:
    explicit ZGroup(const std::string& groupName);
    ~ZGroup();

    // Takes ownership and maps the zone over its key and velocity range as
    // its settings hold them now; false for null.
    bool addZone(ZZone* zone);
    // Maps every zone again, for ranges changed after their zones were added.
    void rebuildZoneMap();
    // The zone to play for note n, velocity v by round robin or random
    // selection; null when the note lies outside the group or its cell is empty.
    ZZone* chooseZone(int note, int velocity, ZRandom& random);

    // The zones of cell (note, velocity), in zone order: how many, and the
    // j-th (j below that count).
    int zoneCount(int note, int velocity) const { return static_cast<int>(zoneMap.count(note, velocity)); }
    ZZone* zoneAt(int note, int velocity, int j) const
    {
        return zones[zoneMap.at(note, velocity, static_cast<uint32_t>(j))].get();
    }
    bool contains(int note, int velocity) const;
    // True when the note lies inside the group and its cell holds a zone.
    bool hasZoneAt(int note, int velocity) const { return contains(note, velocity) && zoneCount(note, velocity) > 0; }

    static GroupSettings defaultSettings();

    GroupSettings settings;
    std::string name;
    std::vector<std::unique_ptr<ZZone>> zones;
    int32_t lastChoice = 0;
    int32_t stackIndex = 0;

private:
    void mapZone(size_t index);

    ZZoneMap zoneMap;
};

#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <memory>
#include <string>
#include <vector>

#include "engine/Settings.h"

class ZZone;
class ZRandom;

class ZGroup
{
public:
    explicit ZGroup(const std::string& groupName);
    ~ZGroup();

    bool addZone(ZZone* zone);   // takes ownership; false for null
    void rebuildZoneMap();
    // The zone to play for note n, velocity v by round robin or random
    // selection; null when the note lies outside the group or its cell is empty.
    ZZone* chooseZone(int note, int velocity, ZRandom& random);

    // The zones of cell (note, velocity), in zone order.
    std::span<ZZone* const> cell(int note, int velocity) const
    {
        const int index = note * 128 + velocity;
        return { cellZones.data() + cellStart[index], cellStart[index + 1] - cellStart[index] };
    }
    bool contains(int note, int velocity) const;
    // True when the note lies inside the group and its cell holds a zone.
    bool hasZoneAt(int note, int velocity) const { return contains(note, velocity) && !cell(note, velocity).empty(); }

    static GroupSettings defaultSettings();

    GroupSettings settings;
    std::string name;
    std::vector<std::unique_ptr<ZZone>> zones;
    int32_t lastChoice = 0;
    int32_t stackIndex = 0;

private:
    // The 128 x 128 zone map, note-major, kept flat: the zones of cell k are
    // cellZones[cellStart[k] .. cellStart[k + 1]).
    std::vector<ZZone*> cellZones;
    std::array<uint32_t, 128 * 128 + 1> cellStart {};
};

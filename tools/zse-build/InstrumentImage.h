#pragma once
// Everything an instrument file holds, in memory, ready to be written: the
// settings blocks byte for byte, the texts and image bytes, and per zone the
// stored sample name plus the sound whose data an embedded file carries.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/Settings.h"
#include "files/ZSoundFile.h"

struct ZoneImage
{
    // The name stored in the zone record: a path beside the instrument for a
    // file that names WAVE files, a sharing key for an embedded one.
    std::string sampleName;
    // The sample data an embedded file stores for this zone (when it is the
    // first zone of its name, or its name is empty). Unused otherwise.
    std::shared_ptr<ZSoundFile> sound;
    ZoneSettings settings {};
};

struct GroupImage
{
    std::string name;
    GroupSettings settings {};
    std::vector<ZoneImage> zones;
};

struct InstrumentImage
{
    int32_t version = 200;
    bool embedded = true;
    std::string name;
    std::string vendor;
    InstrumentSettings settings {};
    std::string extraText;
    std::vector<uint8_t> backgroundImage;
    std::string layoutXml;
    std::vector<std::string> stringList;
    std::vector<GroupImage> groups;
};

// A new instrument's values: its settings, name, vendor and default layout.
InstrumentImage newInstrumentImage();

// A group with a new group's settings.
GroupImage newGroupImage(const std::string& name);

// The settings the player gives a zone made from a bare sound: the whole
// sound, its loop (forward loop mode) and root key when it has them, release
// 100 ms; key and velocity ranges 0.
ZoneSettings soundZoneSettings(ZSoundFile& sound);

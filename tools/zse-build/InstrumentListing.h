#pragma once
// What an instrument file holds, for `zse-build --list`: its texts and
// settings blocks as stored, and for every zone the sound the player would
// open (the embedded sound inside the file, or the WAVE file its name
// resolves to beside the instrument), found or missing. No sample data is
// loaded.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/Settings.h"

struct ListedZone
{
    std::string sampleName;
    ZoneSettings settings {};
    bool carriesData = false;  // an embedded zone that stores its own sound
    bool found = false;        // the player's sound opened
    std::string resolvedPath;  // for a zone naming a WAVE file
    int64_t frames = 0;
    int32_t channels = 0;
    int32_t sampleRate = 0;
};

struct ListedGroup
{
    std::string name;
    GroupSettings settings {};
    std::vector<ListedZone> zones;
};

struct ListedInstrument
{
    int32_t version = 0;
    bool embedded = false;
    std::string name;
    std::string vendor;
    InstrumentSettings settings {};
    std::string extraText;
    int64_t backgroundBytes = 0;
    std::string layoutXml;
    std::vector<std::string> stringList;
    std::vector<ListedGroup> groups;
    // Empty when the whole file was read; otherwise where it ended or what
    // in it made no sense, with what was read before kept above.
    std::string problem;
};

// Reads the instrument at `path`. False with a message when it cannot be
// opened or is no instrument file at all; a file cut short or holding a
// count that makes no sense gives what could be read and sets `problem`.
bool readInstrumentListing(const std::string& path, ListedInstrument& listed, std::string& error);

// The listing as text: the instrument, the settings that differ from a new
// instrument's, each group with its activation and each zone with its keys,
// velocities, sample, length and loop, then the missing samples. Every name
// from the file is printed escaped (files/PrintableText.h).
std::string formatInstrumentListing(const std::string& path, const ListedInstrument& listed);

// The zones whose sound the player will not find.
size_t missingSampleCount(const ListedInstrument& listed);

#pragma once
// Reads an instrument description: a JSON file naming the instrument's
// settings, texts, layout and background files, and its groups and zones with
// their WAVE samples (paths relative to the description's folder).
//
// {
//   "name": "Demo Keys", "vendor": "Zarvo",
//   "storage": "embedded",                   // or "copy" / "reference"
//   "layout": "layout.xml", "background": "back.png",
//   "extraText": "", "stringList": [],
//   "settings": { "sixteenBit": 0, "voiceCount": 16, "playerColour": "0xff203040" },
//   "groups": [
//     { "name": "Main", "settings": { "volume": -3 },
//       "zones": [ { "sample": "samples/c4.wav", "settings": { "rootKey": 60, "highKey": 64 } } ] }
//   ]
// }
//
// Settings are given by their field names; any other name is an error.
// Unset fields keep the values the player gives a new instrument or group;
// a zone starts from its sample (whole sound, its loop and root key, release
// 100 ms) over the full key and velocity range, with root key 60 when the
// sample names none. Setting an applied field of a stored pair (for example
// `sixteenBit`) sets its stored twin too unless that is given as well.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "InstrumentImage.h"

enum class SampleStorage
{
    embedded,   // sample data inside the instrument file
    copy,       // WAVE files copied beside the instrument, named relative to it
    reference,  // the WAVE files where they are, named relative to the instrument
};

struct BuildPlan
{
    InstrumentImage image;
    SampleStorage storage = SampleStorage::embedded;
    // For copy storage: each distinct sample file and the path it is copied to.
    std::vector<std::pair<std::string, std::string>> copies;
};

// Reads the description for an instrument to be written at outputPath and
// checks every sample, layout and image file it names. On failure returns
// false with a message naming the description's line and field.
bool readDescription(const std::string& descriptionPath, const std::string& outputPath,
                     std::optional<SampleStorage> storageOverride, BuildPlan& plan, std::string& error);

// "embedded", "copy" or "reference".
std::optional<SampleStorage> parseSampleStorage(const std::string& text);

#pragma once
// Reads an instrument description: a JSON file naming the instrument's
// settings, texts, layout and background files, and its groups and zones with
// their samples (paths relative to the description's folder). Every field is
// described in docs/instrument-description.md.
//
// Settings are given by their field names; any other name is an error, and so
// is a value outside the field's range or a zone whose ranges contradict each
// other or its sample. Unset fields keep the values the player gives a new
// instrument or group; a zone starts from its sample (whole sound, its loop
// and root key, release 100 ms) over the full key and velocity range, with
// root key 60 when the sample names none. Setting an applied field of a stored
// pair (for example `sixteenBit`) sets its stored twin too unless that is
// given as well.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "InstrumentImage.h"

class SndfileSound;

enum class SampleStorage
{
    embedded,   // sample data inside the instrument file
    copy,       // WAVE files copied beside the instrument, named relative to it
    reference,  // the WAVE files where they are, named relative to the instrument
};

// One sample file that copy storage puts beside the instrument.
struct SampleCopy
{
    std::string source;
    std::string target;
    // A file the player reads is copied byte for byte (null here); any other
    // is written as the plain PCM WAVE file of its samples.
    std::shared_ptr<SndfileSound> converted;
};

struct BuildPlan
{
    InstrumentImage image;
    SampleStorage storage = SampleStorage::embedded;
    // For copy storage: each distinct sample file and where it goes.
    std::vector<SampleCopy> copies;
    // Every file the build reads, which the output must not replace.
    std::vector<std::string> inputs;
};

// Reads the description for an instrument to be written at outputPath ("-"
// for standard output, which only an embedded instrument can be) and checks
// every sample, layout and image file it names. On failure returns false with
// a message naming the description's line and field.
bool readDescription(const std::string& descriptionPath, const std::string& outputPath,
                     std::optional<SampleStorage> storageOverride, BuildPlan& plan, std::string& error);

// "embedded", "copy" or "reference".
std::optional<SampleStorage> parseSampleStorage(const std::string& text);

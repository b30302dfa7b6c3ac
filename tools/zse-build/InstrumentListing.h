#pragma once
// What an instrument file holds, for `zse-build --list`, exactly as the
// player reads it: the instrument loaded by the player's own reader, and the
// reader's load report (where a file cut short or damaged stops making
// sense, which samples the player will not find).

#include <string>

#include "engine/ZInstrument.h"
#include "engine/ZLoadReport.h"

// Loads the instrument at `path` into `instrument`. False with a message
// when the player refuses the file outright (it cannot be opened, is no
// instrument file, or an older version); a file cut short, damaged or
// missing samples loads what can be read and says so in `report`.
bool readInstrumentListing(const std::string& path, ZInstrument& instrument, ZLoadReport& report, std::string& error);

// The listing as text: the instrument, the settings that differ from a new
// instrument's, each group with its activation and each zone with its keys,
// velocities, sample, length and loop (a zone whose sample is missing in its
// place, marked MISSING), then the missing samples and the problem. Every
// name from the file is printed escaped (files/PrintableText.h).
std::string formatInstrumentListing(const std::string& path, const ZInstrument& instrument, const ZLoadReport& report);

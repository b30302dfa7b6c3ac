#pragma once
// Writes an InstrumentImage as a ".zse" instrument file. The file appears
// whole or not at all: bytes go to a temporary file beside the target, which
// replaces the target only once everything has been written.

#include <string>

#include "InstrumentImage.h"

// Byte width of each stored sample of an embedded sound for these settings:
// the player applies the stored 16-bit flag when it loads the file.
int32_t embeddedSampleWidth(const InstrumentSettings& settings);

// Writes `image` to `path`. On failure returns false with a message in
// `error` and leaves any existing file at `path` as it was.
//
// In an embedded image the first zone naming a sample (and every zone with an
// empty name) stores its sound's data; later zones of that name store none
// and share it. Such zones need an openable mono or stereo sound.
bool writeInstrumentFile(const InstrumentImage& image, const std::string& path, std::string& error);

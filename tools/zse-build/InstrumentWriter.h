#pragma once
// Writes an InstrumentImage as a ".zse" instrument file into an OutputFile,
// so a regular file appears whole or not at all and a device, pipe or
// standard output is written into as it is.

#include <string>

#include "InstrumentImage.h"

class OutputFile;

// Byte width of each stored sample of an embedded sound for these settings:
// the player applies the stored 16-bit flag when it loads the file.
int32_t embeddedSampleWidth(const InstrumentSettings& settings);

// Writes `image` into `output`, not yet committed. On failure returns false
// with a message in `error`.
//
// In an embedded image the first zone naming a sample (and every zone with an
// empty name) stores its sound's data; later zones of that name store none
// and share it. Such zones need an openable mono or stereo sound.
bool writeInstrument(const InstrumentImage& image, OutputFile& output, std::string& error);

// Writes `image` to `path` and commits it. On failure returns false with a
// message in `error` and leaves any existing file at `path` as it was.
bool writeInstrumentFile(const InstrumentImage& image, const std::string& path, std::string& error);

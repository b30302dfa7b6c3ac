#pragma once
// The head of an instrument file: the magic "ZSE " and the format version.

#include <cstdint>

class ZFile;

constexpr char instrumentFileMagic[4] = { 'Z', 'S', 'E', ' ' };
// Older versions are refused by a full load (a peek reads them all the same).
constexpr int32_t minimumInstrumentFileVersion = 200;

// Reads the magic and the version from the file's position. False when the
// four magic bytes are not there; a version cut off by the end of the file
// reads as 0.
bool readInstrumentFileHead(ZFile& file, int32_t& version);

#pragma once
// What a load of an instrument file found wrong, for the one who asked for
// it: the player tells its user, the tools their exit status. The reader
// still loads whatever it can (ZInstrument::loadFromFile); the report says
// what that left out.

#include <cstdint>
#include <string>
#include <vector>

// A zone record whose sound could not be opened, so the zone was left out.
struct ZMissingSample
{
    int32_t group = 0;          // 0-based record indices in the file
    int32_t zone = 0;
    std::string sampleName;     // as stored, raw bytes
    std::string resolvedPath;   // where the player looked; empty for an embedded sound
    std::string reason;         // "not found", "is a directory", ...
};

struct ZLoadReport
{
    // What the head of the file said.
    int32_t formatVersion = 0;
    bool embedded = false;

    // The first thing wrong with the file itself: that it cannot be opened or
    // is no instrument file, where it ended inside a record, or which string
    // or count made no sense. Empty when every record was read whole.
    std::string problem;
    // Bytes after the last group record. The player ignores them; a file
    // that has them may have lost records or come from another writer, so
    // this alone is no problem.
    int64_t trailingBytes = 0;
    // Zone records read, and those among them whose sound is missing.
    int32_t zoneRecords = 0;
    std::vector<ZMissingSample> missingSamples;

    bool fileIsWhole() const { return problem.empty(); }
    bool isClean() const { return problem.empty() && missingSamples.empty(); }

    // The missing samples in one line: "2 of 5 zones: "a.wav" (group 1 zone
    // 2, "/lib/a.wav": not found), ..." with every name escaped
    // (files/PrintableText.h); the first `shown` are named, the rest counted.
    std::string missingSamplesText(size_t shown = SIZE_MAX) const;
    // Everything the report holds, one line each ending in a line feed, for
    // a person: the problem, then the missing samples. Empty when clean.
    std::string describe(size_t shownSamples = SIZE_MAX) const;
};

#pragma once
// How long instruments take to load: many zones over one range (or each over
// its own) in one group, and instruments of many megabytes of samples,
// embedded or beside the instrument file, in memory or streamed, against the
// time `cat` takes to read the same bytes.

#include <string>

enum class ZoneLayout
{
    oneRange,   // every zone over every key and velocity
    ownRanges,  // zone k from key k mod 128 and velocity (k / 128) mod 128 up
};

// Wall-clock seconds of loading an embedded instrument of `zones` zones that
// share one short sample; negative when it could not be written or loaded.
double zoneLoadSeconds(const std::string& folder, int zones, ZoneLayout layout);

struct SampleLoadFigures
{
    double megabytes = 0.0;           // of sample data read
    bool fromDisk = false;            // the page cache was dropped before every timed read
    double catSeconds = 0.0;          // `cat FILES > /dev/null` of the sample files
    double catEmbeddedSeconds = 0.0;  // the same of the embedded instrument file
    double memorySeconds = 0.0;       // allocating and zero-filling as many bytes
    double besideMemory = 0.0, besideStreaming = 0.0;
    double embeddedMemory = 0.0, embeddedStreaming = 0.0;
};

// Instruments of `mebibytes` of 16-bit stereo samples in files of 32 MiB,
// read from the page cache (the files were just written) or, with `fromDisk`
// where the system lets this process drop the cache (root), from the disk.
SampleLoadFigures sampleLoadSeconds(const std::string& folder, int mebibytes, bool fromDisk);

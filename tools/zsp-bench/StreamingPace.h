#pragma once
// Disk-streamed voices at the pace of a real-time host: 256 voices, each
// playing its own long looped sample from its own WAVE file, rendered in
// 256-frame blocks at 44.1 kHz, each block started when a host would ask for
// it, with the streaming thread refilling from the files meanwhile.

#include <cstdint>
#include <string>

struct StreamingFigures
{
    int voices = 0;
    int64_t blocks = 0;
    int64_t lateBlocks = 0;        // rendered after the host would have played them
    int64_t lateStreamReads = 0;   // frames a voice read before the streaming thread had filled them
    double busiestBlockMs = 0.0;
    double meanBlockMs = 0.0;
};

// `sampleSeconds` is the length of each file (it loops after that).
StreamingFigures runStreamingPace(const std::string& folder, bool sixteenBit, double seconds, double sampleSeconds);

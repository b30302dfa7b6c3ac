#pragma once
#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/ZPlatform.h"
#include "engine/ZVoice.h"
#include "engine/ZVoiceSettledRun.h"

// A voice that streams its zone from disk. It plays the zone's preload, then
// alternates between two stream buffers of its own, which the streaming
// thread refills while the voice plays the other one.
//
// The unrolled playback sequence is cut into segments of one buffer length:
// segment 0 is the preload, segment k >= 1 lives in buffer (k - 1) & 1. The
// audio thread never reads files and never waits: a new start publishes a
// reset (zone and first file frame) and the last segment it will need, both
// through atomics; the service fills segments in order and marks each buffer
// with the start (generation) and segment it holds. The audio thread reads a
// buffer only while its mark says it holds the segment expected, so a late or
// stale refill is heard as silence and is never read while being written.
//
// Thread contract: start, readInterpolated and readFrame (and the requests
// they make) run on the audio thread, as for every voice; serveRequest on the
// streaming thread; serveAllRequests on the audio thread of an offline render,
// beside the streaming thread (both serve under `mutex`); abandonStream from
// ZInstrument::clear while the audio thread is held out. The members below
// are grouped by the side that writes them.
class ZDSVoice : public ZVoice
{
public:
    ZDSVoice(ZInstrument& owner, int32_t streamFrames, bool sixteenBit);
    ~ZDSVoice() override;

    bool start(ZZone* z, int n, int velocity, int tag) override;
    // Reads at the stream position (the argument is not used) and advances it.
    void readInterpolated(double x, float& left, float& right) override;
    void readFrame(int64_t index, float& left, float& right, bool otherHalf) override;
    // Through the stream buffers: a sounding voice by one loop made for its
    // interpolation, sample format and channel count that reads the playing
    // buffer directly, except at its edges and while it is late.
    void renderRun(ZVoiceRun& run) override;

    // Serves the oldest outstanding request of this voice (a new start fills
    // both buffers); false when there was none. Reads the sound file, so it
    // runs on the streaming thread, or on the audio thread only offline.
    bool serveRequest();
    // Forgets the stream before the zones it reads are destroyed: requests
    // still outstanding are never served.
    void abandonStream();
    // Serves every outstanding request before returning, waiting for a refill
    // another thread is running on this voice (offline rendering).
    void serveAllRequests();

    double getStreamPosition() const { return streamPosition; }
    // Frames this voice wanted from a stream buffer the streaming thread had
    // not filled yet (heard as silence), since the voice was made.
    uint64_t getLateReads() const { return lateReads; }
    int32_t getCurrentHalf() const { return currentHalf; }

private:
    struct StreamReset
    {
        ZZone* zone = nullptr;
        uint64_t readPosition = 0;
        uint32_t generation = 0;
    };

    bool canStream(const ZZone& z) const;
    template <typename Sample, bool isMono>
    void renderStreamRunFor(ZVoiceRun& run);
    template <Interpolation kind, typename Sample, bool isMono>
    void renderStreamRun(ZVoiceRun& run);
    // The frames of the playing segment that can be read: the zone's preload
    // for segment 0, else the playing buffer once it holds the segment (no
    // frames while it does not).
    template <typename Sample>
    voicestep::ReadWindow<Sample> segmentWindow();
    // The values of the segment playing when frames i - 1 .. i + 2 all lie
    // inside it and it can be read; null otherwise.
    template <typename Sample>
    const Sample* segmentValues(int64_t i);
    void resetStream(ZZone& z);
    void advanceStream();
    void requestThrough(int64_t segment);
    bool bufferHolds(int half, int64_t segment);

    bool serveLocked();
    void adoptLatestReset();
    void skipSegments(uint32_t count);
    void fillSegment(uint32_t segment);

    const int32_t bufferFrames;
    const bool bufferSixteenBit;
    std::vector<float> floatHalves[2];
    std::vector<int16_t> int16Halves[2];

    // Audio thread only.
    double streamPosition = 0.0;
    int32_t currentHalf = -1;
    int64_t playingSegment = 0;
    int64_t wantedSegment = 0;
    uint32_t generation = 0;  // counts new starts; 0 means never started
    uint64_t confirmed[2] = { 0, 0 };
    uint8_t writeSlot = 0;
    uint64_t lateReads = 0;

    // Handed from the audio thread to the service: the reset slots form a
    // triple buffer (the audio thread owns one slot, the service one, the
    // third is in `sharedSlot`, marked fresh when newly published).
    StreamReset resets[3];
    std::atomic<uint8_t> sharedSlot { 1 };
    std::atomic<uint64_t> wanted { 0 };       // generation << 32 | last segment wanted
    std::atomic<uint64_t> holds[2] { 0, 0 };  // generation << 32 | segment the buffer holds

    // Service side, under `mutex`.
    ZMutex mutex;
    uint8_t readSlot = 2;
    ZZone* streamZone = nullptr;
    uint64_t readPosition = 0;
    uint32_t servedGeneration = 0;
    uint32_t nextSegment = 1;
};

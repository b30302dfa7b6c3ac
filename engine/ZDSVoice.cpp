#include "engine/ZDSVoice.h"

#include <algorithm>
#include <type_traits>

#include "engine/SampleFrames.h"
#include "engine/ZStreamingThread.h"
#include "engine/ZVoiceRunLoop.h"
#include "engine/ZVoiceSteps.h"
#include "engine/ZZone.h"

namespace
{
constexpr uint8_t slotMask = 0x3;
constexpr uint8_t freshSlot = 0x4;

// Past this a stream position can no longer be cut into segments; the voice
// is far past any sample end and about to finish.
constexpr double largestStreamPosition = 1.0e18;

// The position up to which a read of the stream can find a frame.
constexpr double largestStreamReadPosition = voicestep::largestReadablePosition;

// A jump over many buffers (an absurd increment) wakes the service at most
// this often; the service skips the segments nobody will hear.
constexpr int64_t maxWakesPerAdvance = 2;

constexpr uint64_t mark(uint32_t generation, int64_t segment)
{
    return (static_cast<uint64_t>(generation) << 32) | static_cast<uint32_t>(segment);
}

// Voices of one zone read the same sound, and the embedded sounds of an
// instrument share one file position, so a refill (a seek and its reads) must
// never overlap another, whether the streaming thread or an offline block
// loop serves it. Taken after the voice's own mutex.
ZMutex& refillMutex()
{
    // Never destroyed: the streaming thread may still refill at process exit.
    static ZMutex* const shared = new ZMutex;
    return *shared;
}
} // namespace

ZDSVoice::ZDSVoice(ZInstrument& owner, int32_t frames, bool sixteen)
    : ZVoice(owner), bufferFrames(std::max<int32_t>(frames, 0)), bufferSixteenBit(sixteen)
{
    const size_t values = static_cast<size_t>(bufferFrames) * 2;
    for (int half = 0; half < 2; ++half)
    {
        if (bufferSixteenBit)
            int16Halves[half].assign(values, 0);
        else
            floatHalves[half].assign(values, 0.0f);
    }
}

ZDSVoice::~ZDSVoice()
{
    // A refill of this voice that is under way finishes before the buffers go.
    ZScopedLock hold(mutex);
}

bool ZDSVoice::canStream(const ZZone& z) const
{
    if (bufferFrames <= 0 || !z.streaming || z.streamFrames != bufferFrames || z.sixteenBit != bufferSixteenBit
        || z.soundFile == nullptr)
        return false;
    const int32_t channels = z.soundFile->getNumChannels();
    return channels == (z.mono ? 1 : 2);
}

bool ZDSVoice::start(ZZone* z, int n, int velocity, int tag)
{
    const bool newStart = z != nullptr && !pending && !active;
    if (newStart && !canStream(*z))
        return false;
    if (!ZVoice::start(z, n, velocity, tag))
        return false;
    if (newStart)
        resetStream(*z);
    return true;
}

void ZDSVoice::resetStream(ZZone& z)
{
    streaming = true;
    streamFrames = bufferFrames;
    streamPosition = 0.0;
    currentHalf = -1;
    playingSegment = 0;

    // The preload holds the first F frames of the playback sequence; the
    // refills continue where it ends, inside the loop if the loop ends sooner.
    const ZoneSettings& s = z.settings;
    const uint64_t frames = static_cast<uint64_t>(bufferFrames);
    uint64_t first = s.startFrame + frames;
    if (modeOf<PlayMode>(s.playMode) == PlayMode::forwardLoop && s.loopEnd > s.loopStart && s.loopEnd < first)
        first = s.loopStart + (first - s.loopEnd) % (s.loopEnd - s.loopStart);

    if (++generation == 0)
        generation = 1;
    resets[writeSlot] = StreamReset { &z, first, generation };
    writeSlot = sharedSlot.exchange(static_cast<uint8_t>(writeSlot | freshSlot), std::memory_order_acq_rel) & slotMask;

    // One request for both buffers.
    wantedSegment = 2;
    wanted.store(mark(generation, wantedSegment), std::memory_order_release);
    ZStreamingThread::wake();
}

void ZDSVoice::abandonStream()
{
    // A reset without a zone, under a new generation: the service adopts it
    // and finds nothing to fill.
    if (++generation == 0)
        generation = 1;
    resets[writeSlot] = StreamReset { nullptr, 0, generation };
    writeSlot = sharedSlot.exchange(static_cast<uint8_t>(writeSlot | freshSlot), std::memory_order_acq_rel) & slotMask;
    wantedSegment = 0;
    playingSegment = 0;
    currentHalf = -1;
    wanted.store(mark(generation, wantedSegment), std::memory_order_release);
}

void ZDSVoice::readInterpolated(double, float& left, float& right)
{
    ZVoice::readInterpolated(streamPosition, left, right);
    advanceStream();
}

void ZDSVoice::renderRun(ZVoiceRun& run)
{
    const bool plain = active && !pending && zone != nullptr && bufferFrames > 0 && streaming
                    && streamFrames == bufferFrames && zone->mono == mono && zone->sixteenBit == bufferSixteenBit;
    if (!plain)
        renderRunFrames(run, 0);
    else if (bufferSixteenBit)
        mono ? renderStreamRunFor<int16_t, true>(run) : renderStreamRunFor<int16_t, false>(run);
    else
        mono ? renderStreamRunFor<float, true>(run) : renderStreamRunFor<float, false>(run);
}

template <typename Sample, bool isMono>
void ZDSVoice::renderStreamRunFor(ZVoiceRun& run)
{
    switch (interpolation)
    {
    case Interpolation::low:
        return renderStreamRun<Interpolation::low, Sample, isMono>(run);
    case Interpolation::mid:
        return renderStreamRun<Interpolation::mid, Sample, isMono>(run);
    case Interpolation::high:
        return renderStreamRun<Interpolation::high, Sample, isMono>(run);
    default:
        return renderRunFrames(run, 0);
    }
}

template <typename Sample>
voicestep::ReadWindow<Sample> ZDSVoice::segmentWindow()
{
    if (playingSegment == 0)
    {
        const int64_t frames = std::min<int64_t>(bufferFrames, zone->framesInMemory());
        if constexpr (std::is_same_v<Sample, int16_t>)
            return { zone->int16Frames.data(), 0, frames };
        else
            return { zone->floatFrames.data(), 0, frames };
    }
    const int64_t base = playingSegment * bufferFrames;
    const int half = static_cast<int>((playingSegment - 1) & 1);
    if (!bufferHolds(half, playingSegment))
        return { nullptr, base, 0 };
    if constexpr (std::is_same_v<Sample, int16_t>)
        return { int16Halves[half].data(), base, bufferFrames };
    else
        return { floatHalves[half].data(), base, bufferFrames };
}

template <typename Sample>
const Sample* ZDSVoice::segmentValues(int64_t i)
{
    const voicestep::ReadWindow<Sample> window = segmentWindow<Sample>();
    return i >= 1 && i + 2 < window.frames ? window.values : nullptr;
}

// readInterpolated and advanceStream in one: frames inside the playing
// segment straight from its values, the rest (a buffer edge, a late buffer,
// a whole frame) through readInterpolated. A settled stretch reads inside
// the playing segment and stops before the read that leaves it, so the
// stream never changes segment there: advanceStream would only have added
// the increment.
template <Interpolation kind, typename Sample, bool isMono>
void ZDSVoice::renderStreamRun(ZVoiceRun& run)
{
    renderRunLoop(run, [this](double, float& left, float& right) {
        const double x = streamPosition;
        const Sample* values = nullptr;
        int64_t i = 0;
        double fraction = 0.0;
        if (x >= 0.0 && x < largestStreamReadPosition)
        {
            const int64_t whole = static_cast<int64_t>(x);
            fraction = x - static_cast<double>(whole);
            // The frame within the playing segment, without a division
            // while the position lies inside it.
            const int64_t frames = streamFrames;
            i = whole - playingSegment * frames;
            if (i < 0 || i >= frames)
                i = whole % frames;
            if (fraction != 0.0)
                values = segmentValues<Sample>(i);
        }
        if (values != nullptr)
        {
            float l0, r0, l1, r1, l2, r2, l3, r3;
            const size_t from = static_cast<size_t>(i - 1);
            decodeFrame(values, from, isMono, l0, r0);
            decodeFrame(values, from + 1, isMono, l1, r1);
            decodeFrame(values, from + 2, isMono, l2, r2);
            decodeFrame(values, from + 3, isMono, l3, r3);
            const float f = static_cast<float>(fraction);
            left = voicestep::interpolate<kind>(f, l0, l1, l2, l3);
            right = isMono ? left : voicestep::interpolate<kind>(f, r0, r1, r2, r3);
        }
        else
            ZVoice::readInterpolated(x, left, right);
        advanceStream();
    }, [this](const voicestep::SettledStretch& stretch, double& at, int k) {
        return voicestep::renderSettled<kind, Sample, isMono, true>(segmentWindow<Sample>(), stretch, at,
                                                                    streamPosition, k);
    });
}

void ZDSVoice::advanceStream()
{
    streamPosition += increment;
    const double frames = static_cast<double>(bufferFrames);
    if (!(streamPosition >= frames && streamPosition < largestStreamPosition) || bufferFrames <= 0)
        return;
    const int64_t segment = 1 + static_cast<int64_t>((streamPosition - frames) / frames);
    if (segment <= playingSegment)
        return;

    // The last frame of the buffer being left precedes frame 0 of the next.
    readFrame(bufferFrames - 1, previousLeft, previousRight, false);
    // Leaving a buffer asks for it back, filled with what follows the other one.
    requestThrough(segment + 1);
    playingSegment = segment;
    currentHalf = static_cast<int32_t>((segment - 1) & 1);
}

void ZDSVoice::requestThrough(int64_t segment)
{
    if (segment <= wantedSegment)
        return;
    const int64_t wakes = std::min(segment - wantedSegment, maxWakesPerAdvance);
    wantedSegment = segment;
    wanted.store(mark(generation, wantedSegment), std::memory_order_release);
    for (int64_t k = 0; k < wakes; ++k)
        ZStreamingThread::wake();
}

bool ZDSVoice::bufferHolds(int half, int64_t segment)
{
    const uint64_t expected = mark(generation, segment);
    if (confirmed[half] == expected)
        return true;
    // Once marked, the buffer is not written again until this thread asks for
    // a later segment in it, so the mark stays true while it is read.
    if (holds[half].load(std::memory_order_acquire) != expected)
        return false;
    confirmed[half] = expected;
    return true;
}

void ZDSVoice::readFrame(int64_t index, float& left, float& right, bool otherHalf)
{
    const int64_t segment = otherHalf ? playingSegment + 1 : playingSegment;
    if (segment == 0)
    {
        ZVoice::readFrame(index, left, right, false);
        return;
    }
    const int half = static_cast<int>((segment - 1) & 1);
    if (bufferFrames <= 0 || !bufferHolds(half, segment))
    {
        if (bufferFrames > 0)
            ++lateReads;
        left = right = 0.0f;
        return;
    }
    const size_t i = static_cast<size_t>(std::clamp<int64_t>(index, 0, bufferFrames - 1));
    if (bufferSixteenBit)
        decodeFrame(int16Halves[half].data(), i, mono, left, right);
    else
        decodeFrame(floatHalves[half].data(), i, mono, left, right);
}

bool ZDSVoice::serveRequest()
{
    ZScopedLock hold(mutex);
    return serveLocked();
}

void ZDSVoice::serveAllRequests()
{
    ZScopedLock hold(mutex);
    while (serveLocked())
    {
    }
}

void ZDSVoice::adoptLatestReset()
{
    if ((sharedSlot.load(std::memory_order_acquire) & freshSlot) == 0)
        return;
    readSlot = sharedSlot.exchange(readSlot, std::memory_order_acq_rel) & slotMask;
    const StreamReset& reset = resets[readSlot];
    streamZone = reset.zone;
    readPosition = reset.readPosition;
    servedGeneration = reset.generation;
    nextSegment = 1;
}

bool ZDSVoice::serveLocked()
{
    // A start published after a refill began makes that refill stale: it has
    // been marked with the old generation, and the new stream begins here.
    adoptLatestReset();
    const uint64_t request = wanted.load(std::memory_order_acquire);
    // A request of a start whose reset is not visible yet waits for the wake-up
    // that start gave.
    if (servedGeneration == 0 || static_cast<uint32_t>(request >> 32) != servedGeneration)
        return false;
    const uint32_t last = static_cast<uint32_t>(request);
    if (static_cast<int32_t>(last - nextSegment) < 0)
        return false;

    // Segments before the one playing are no longer heard.
    const bool fresh = nextSegment == 1;
    if (static_cast<int32_t>(last - nextSegment) > 1)
        skipSegments(last - 1 - nextSegment);
    fillSegment(nextSegment++);
    if (fresh && static_cast<int32_t>(last - nextSegment) >= 0)
        fillSegment(nextSegment++);
    return true;
}

void ZDSVoice::skipSegments(uint32_t count)
{
    // Advances the file position as the refills would have, without reading.
    nextSegment += count;
    if (streamZone == nullptr)
        return;
    const ZoneSettings& s = streamZone->settings;
    const uint64_t skipped = static_cast<uint64_t>(count) * static_cast<uint64_t>(bufferFrames);
    if (modeOf<PlayMode>(s.playMode) != PlayMode::forwardLoop || s.loopEnd <= s.loopStart)
    {
        readPosition += skipped;
        return;
    }
    const uint64_t length = s.loopEnd - s.loopStart;
    uint64_t position = readPosition;
    if (position >= s.loopEnd)
        position = s.loopStart + (position - s.loopEnd) % length;
    position += skipped;
    if (position > s.loopEnd)
        position = s.loopStart + (position - s.loopEnd) % length;
    readPosition = position;
}

void ZDSVoice::fillSegment(uint32_t segment)
{
    const int half = static_cast<int>((segment - 1) & 1);
    if (streamZone != nullptr && canStream(*streamZone))
    {
        void* buffer = bufferSixteenBit ? static_cast<void*>(int16Halves[half].data())
                                        : static_cast<void*>(floatHalves[half].data());
        ZScopedLock reading(refillMutex());
        readPosition = streamZone->refill(readPosition, buffer);
    }
    holds[half].store(mark(servedGeneration, segment), std::memory_order_release);
}

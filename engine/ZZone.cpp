#include "engine/ZZone.h"

#include <algorithm>

#include "engine/SampleFrames.h"
#include "engine/SampleMemory.h"
#include "engine/ZInstrument.h"
#include "files/ZoneSound.h"

ZZone::ZZone(ZInstrument* owner, const std::string& path, const ZSharedFile& sharedFile, int64_t headerOffset)
    : ZZone(owner, openZoneSound(path, sharedFile, headerOffset))
{
}

ZZone::ZZone(ZInstrument* owner, std::unique_ptr<ZSoundFile> sound) : instrument(owner)
{
    if (instrument != nullptr)
    {
        streaming = instrument->settings.diskStreaming != 0;
        streamFrames = instrument->settings.streamBufferFrames;
        sixteenBit = instrument->settings.sixteenBit != 0;
    }
    adoptSound(std::move(sound));
}

void ZZone::adoptSound(std::unique_ptr<ZSoundFile> sound)
{
    soundFile = std::move(sound);
    if (soundFile == nullptr)
        return;
    const int32_t channels = soundFile->getNumChannels();
    mono = channels == 1;

    // A sound without frames, or with a channel layout the voices cannot play,
    // counts as a missing sample rather than a zone with a wrapped length.
    const int64_t length = soundFile->getLength();
    const bool playable = soundFile->isOpen() && length > 0 && (channels == 1 || channels == 2)
                       && (!streaming || streamFrames > 0);
    if (!playable)
        return;

    settings.endFrame = static_cast<uint64_t>(length - 1);
    settings.playMode = stored(PlayMode::toEnd);
    settings.attack = 0.0f;
    settings.decay = 0.0f;
    settings.sustain = 0.0f;
    settings.release = 100.0f;
    if (soundFile->hasLoop())
    {
        settings.loopStart = static_cast<uint64_t>(soundFile->getLoopStart());
        settings.loopEnd = static_cast<uint64_t>(soundFile->getLoopEnd());
        settings.playMode = stored(PlayMode::forwardLoop);
    }
    else
        settings.loopEnd = settings.endFrame;
    if (soundFile->hasRootKey())
        settings.rootKey = static_cast<int8_t>(soundFile->getRootKey() & 0xFF);

    if (streaming)
        preload();
    else
        loadSamples();
    updateDerived();
    loaded = true;
}

int64_t ZZone::framesInMemory() const
{
    const size_t values = sixteenBit ? int16Frames.size() : floatFrames.size();
    return static_cast<int64_t>(values / (mono ? 1 : 2));
}

void ZZone::loadSamples()
{
    if (soundFile == nullptr || !soundFile->isOpen())
        return;
    soundFile->seek(0);
    // The disk reads the sound while its memory is made ready.
    soundFile->prefetchAll();
    const int64_t length = std::max<int64_t>(soundFile->getLength(), 0);
    const size_t values = static_cast<size_t>(length) * (mono ? 1 : 2);
    if (sixteenBit)
    {
        floatFrames.clear();
        sizeSampleMemory(int16Frames, values);
        soundFile->readInt16(int16Frames.data(), length);
    }
    else
    {
        int16Frames.clear();
        sizeSampleMemory(floatFrames, values);
        soundFile->readFloat(floatFrames.data(), length);
    }
    soundFile->close();
}

void ZZone::preload()
{
    if (soundFile == nullptr)
        return;
    soundFile->reopen();
    if (!soundFile->isOpen() || streamFrames <= 0)
        return;
    const size_t values = static_cast<size_t>(streamFrames) * (mono ? 1 : 2);
    floatFrames.clear();
    int16Frames.clear();
    if (sixteenBit)
    {
        int16Frames.assign(values, 0);
        refill(settings.startFrame, int16Frames.data());
    }
    else
    {
        floatFrames.assign(values, 0.0f);
        refill(settings.startFrame, floatFrames.data());
    }
    soundFile->close();
}

int64_t ZZone::readAt(int64_t frameInBuffer, int64_t frames, void* buffer)
{
    const int64_t offset = frameInBuffer * (mono ? 1 : 2);
    if (sixteenBit)
        return soundFile->readInt16(static_cast<int16_t*>(buffer) + offset, frames);
    return soundFile->readFloat(static_cast<float*>(buffer) + offset, frames);
}

uint64_t ZZone::refill(uint64_t position, void* buffer)
{
    if (soundFile == nullptr || streamFrames <= 0)
        return position;
    soundFile->reopen();
    const uint64_t frames = static_cast<uint64_t>(streamFrames);
    const uint64_t loopStart = settings.loopStart;
    const uint64_t loopEnd = settings.loopEnd;
    const bool looping = modeOf<PlayMode>(settings.playMode) == PlayMode::forwardLoop && loopEnd > loopStart;
    const uint64_t loopLength = loopEnd - loopStart;

    // A position at or past the loop end (a start frame beyond the loop) plays
    // on inside the loop, at the phase it would have reached.
    if (looping && position >= loopEnd)
        position = loopStart + (position - loopEnd) % loopLength;

    uint64_t next;
    if (looping && position + frames > loopEnd)
    {
        const uint64_t head = loopEnd - position;
        const uint64_t rest = frames - head;
        const uint64_t passes = rest / loopLength;
        const uint64_t tail = rest % loopLength;
        soundFile->seek(static_cast<int64_t>(position));
        readAt(0, static_cast<int64_t>(head), buffer);
        for (uint64_t k = 0; k < passes; ++k)
        {
            soundFile->seek(static_cast<int64_t>(loopStart));
            readAt(static_cast<int64_t>(head + k * loopLength), static_cast<int64_t>(loopLength), buffer);
        }
        soundFile->seek(static_cast<int64_t>(loopStart));
        next = loopStart;
        if (tail > 0)
            next += static_cast<uint64_t>(
                readAt(static_cast<int64_t>(head + passes * loopLength), static_cast<int64_t>(tail), buffer));
    }
    else
    {
        soundFile->seek(static_cast<int64_t>(position));
        next = position + static_cast<uint64_t>(std::max<int64_t>(readAt(0, static_cast<int64_t>(frames), buffer), 0));
    }
    soundFile->close();
    return next;
}

void ZZone::readFrame(int64_t index, float& left, float& right) const noexcept
{
    const int64_t frames = framesInMemory();
    if (frames <= 0)
    {
        left = right = 0.0f;
        return;
    }
    const size_t i = static_cast<size_t>(std::clamp<int64_t>(index, 0, frames - 1));
    if (sixteenBit)
        decodeFrame(int16Frames.data(), i, mono, left, right);
    else
        decodeFrame(floatFrames.data(), i, mono, left, right);
}

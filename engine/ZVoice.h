#pragma once
#include <cstdint>

#include "engine/Settings.h"

class ZZone;
class ZInstrument;
struct ZVoiceRun;

// One playing voice of the pool. It reads its zone's sample memory at a
// fractional position, interpolates, applies the envelope and the smoothed
// gains, and follows pitch. A voice never allocates while playing.
//
// Thread contract: a voice belongs to its instrument's audio thread. The block
// loop makes every call; the loading thread creates, ends (cancelPending,
// finish) and destroys voices only while the audio thread is held out
// (ZInstrument's createVoices, clear and deleteVoices). Debug builds check the
// operations that change the playing state. A voice reads its instrument's
// settings and block-loop values (bend, LFO, last note, sample rate) as the
// block loop leaves them.
class ZVoice
{
public:
    explicit ZVoice(ZInstrument& owner);

    // Virtual operations in their fixed table order.
    virtual ~ZVoice();
    virtual bool start(ZZone* z, int n, int velocity, int tag);
    // One sample at the instrument's current bend and LFO values.
    virtual bool renderSample(float& left, float& right);
    // Every sample of the run while the voice sounds, added into the run's
    // outputs. No virtual call per sample on the common path: a sounding
    // voice of sample memory with a known interpolation renders through one
    // loop made for its interpolation, sample format and channel count.
    virtual void renderRun(ZVoiceRun& run);
    virtual ZZone* getZone() const { return zone; }
    virtual bool isActive() const { return active; }
    virtual bool isReleasing() const { return releasing; }
    virtual void release();
    virtual void kill();
    virtual void finish();
    virtual void steal();
    virtual void cancelPending();
    virtual int getNote() const { return note; }
    virtual int getChannelTag() const { return channelTag; }
    virtual double getStartTime() const { return startTime; }
    virtual void setStartTime(double milliseconds) { startTime = milliseconds; }
    virtual bool isSustained() const { return sustained; }
    virtual void setSustained(bool isSustainedNow) { sustained = isSustainedNow; }
    virtual bool matchesPending(int n, int tag) const;
    virtual void stepEnvelope();
    virtual void readInterpolated(double x, float& left, float& right);
    virtual void readFrame(int64_t index, float& left, float& right, bool otherHalf);

    bool isPending() const { return pending; }
    float getEnvelope() const { return envelope; }
    double getPosition() const { return position; }
    double getIncrement() const { return increment; }
    float getGlideRatio() const { return glideRatio; }

protected:
    // The instrument's bend ratio and LFO value the pitch follows.
    void updateIncrement(float bendRatio, float lfoValue);
    // renderSample at given instrument values.
    bool renderFrame(float& left, float& right, float bendRatio, bool bendMoving, float lfoValue);
    // The run from sample k on, one renderFrame a sample.
    void renderRunFrames(ZVoiceRun& run, int k);
    // The run of a sounding voice that is not stolen, reading each frame with
    // `read` and rendering its settled stretches with `settled`
    // (ZVoiceRunLoop.h).
    template <typename Read, typename Settled>
    void renderRunLoop(ZVoiceRun& run, Read read, Settled settled);

private:
    template <Interpolation kind, typename Sample, bool isMono>
    void renderMemoryRun(ZVoiceRun& run);
    template <typename Sample, bool isMono>
    void renderMemoryRunFor(ZVoiceRun& run);

protected:

    ZInstrument& instrument;

    ZZone* zone = nullptr;
    bool mono = false;
    bool streaming = false;
    bool sixteenBit = false;
    int32_t streamFrames = 0;
    Interpolation interpolation = Interpolation::low;
    bool active = false;
    bool releasing = false;
    bool attacking = false;
    bool sustained = false;
    double startTime = 0.0;
    bool pending = false;
    bool fastFade = false;
    ZZone* pendingZone = nullptr;
    uint8_t pendingNote = 0;
    uint8_t pendingVelocity = 0;
    uint8_t pendingChannelTag = 0;
    double increment = 0.0;
    double baseIncrement = 0.0;
    double position = 0.0;
    uint8_t note = 0;
    uint8_t startNote = 0;
    uint8_t channelTag = 0;
    double gainLeft = 0.0;
    double gainRight = 0.0;
    float envelope = 0.0f;
    float velocityGain = 0.0f;
    float glideRatio = 1.0f;
    float glideTarget = 1.0f;
    float glideStep = 0.0f;
    float glideTime = 0.0f;
    float previousLeft = 0.0f;
    float previousRight = 0.0f;
};

// Interpolation kernels over frames y[-1], y[0], y[1], y[2] at fraction f in
// [0, 1): low is linear, mid Catmull-Rom, high the optimal 2x polynomial; any
// other kind is silent.
float interpolateFrames(Interpolation kind, float f, float ym1, float y0, float y1, float y2) noexcept;

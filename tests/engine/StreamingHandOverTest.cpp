#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "VoiceTestRig.h"
#include "engine/ZDSVoice.h"

using namespace voicetest;

namespace
{
// A sound whose reads can be held at a gate, to catch a refill in the act.
class GatedSound final : public ZSoundFile
{
public:
    explicit GatedSound(std::unique_ptr<MemorySound> inner) : sound(std::move(inner)) {}

    void closeGate() { setGate(true); }
    void openGate() { setGate(false); }
    void waitUntilHeld()
    {
        std::unique_lock<std::mutex> lock(m);
        changed.wait(lock, [this] { return held; });
    }

    bool open(const std::string& p, const ZSharedFile& f, int64_t o) override { return sound->open(p, f, o); }
    void reopen() override { sound->reopen(); }
    void close() override { sound->close(); }
    int64_t readInt16(int16_t* output, int64_t frames) override
    {
        pass();
        Inside reading(*this);
        return sound->readInt16(output, frames);
    }
    int64_t readFloat(float* output, int64_t frames) override
    {
        pass();
        Inside reading(*this);
        return sound->readFloat(output, frames);
    }
    void seek(int64_t frame) override
    {
        Inside seeking(*this);
        sound->seek(frame);
    }

    // Most reads and seeks that were ever under way at once.
    int mostAtOnce() const { return most.load(); }
    bool isOpen() const override { return sound->isOpen(); }
    int32_t getSampleRate() const override { return sound->getSampleRate(); }
    int32_t getNumChannels() const override { return sound->getNumChannels(); }
    int64_t getLength() const override { return sound->getLength(); }
    int64_t getStoredSize() const override { return sound->getStoredSize(); }
    int32_t getBytesPerSample() const override { return sound->getBytesPerSample(); }
    std::string getPath() const override { return sound->getPath(); }
    bool hasRootKey() const override { return false; }
    bool hasLoop() const override { return false; }
    int64_t getLoopStart() const override { return 0; }
    int64_t getLoopEnd() const override { return 0; }
    int32_t getRootKey() const override { return 0; }

private:
    // Marks a read or seek under way, lingering so that an overlap shows.
    struct Inside
    {
        explicit Inside(GatedSound& s) : sound(s)
        {
            const int now = ++sound.inside;
            int seen = sound.most.load();
            while (now > seen && !sound.most.compare_exchange_weak(seen, now))
            {
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ~Inside() { --sound.inside; }
        GatedSound& sound;
    };

    void setGate(bool closedNow)
    {
        std::lock_guard<std::mutex> lock(m);
        closed = closedNow;
        changed.notify_all();
    }
    void pass()
    {
        std::unique_lock<std::mutex> lock(m);
        held = closed;
        changed.notify_all();
        changed.wait(lock, [this] { return !closed; });
        held = false;
    }

    std::unique_ptr<MemorySound> sound;
    std::atomic<int> inside { 0 };
    std::atomic<int> most { 0 };
    std::mutex m;
    std::condition_variable changed;
    bool closed = false;
    bool held = false;
};

float frameOf(const std::vector<float>& values, int64_t frame) { return values[static_cast<size_t>(frame)]; }

std::vector<float> noiseValues(int64_t frames)
{
    auto sound = noise(frames, 1, 44100);
    std::vector<float> values(static_cast<size_t>(frames));
    sound->readFloat(values.data(), frames);
    return values;
}

class StreamingHandOver : public ::testing::Test
{
protected:
    StreamingHandOver()
    {
        configure(instrument, true, false, 64);
        instrument.settings.interpolation = 0;
    }

    float next(ZVoice& voice)
    {
        float left = 0.0f, right = 0.0f;
        voice.renderSample(left, right);
        return left;
    }

    ZInstrument instrument;
};
} // namespace

TEST_F(StreamingHandOver, PreloadThenBufferZeroOneZeroWithARequestForEachBufferLeft)
{
    configure(instrument, true, false, 44100);
    const auto values = noiseValues(200000);
    auto zone = makeZone(instrument, noise(200000, 1, 44100));
    ZDSVoice voice(instrument, 44100, false);
    ASSERT_TRUE(voice.start(zone.get(), 60, 127, 0));
    EXPECT_EQ(voice.getCurrentHalf(), -1);
    EXPECT_TRUE(voice.serveRequest());  // both buffers, asked for at the start
    EXPECT_FALSE(voice.serveRequest());

    int64_t frame = 0;
    auto playTo = [&](int64_t end) {
        for (; frame < end; ++frame)
            ASSERT_EQ(next(voice), frameOf(values, frame)) << frame;
    };
    playTo(44100);
    EXPECT_EQ(voice.getCurrentHalf(), 0);
    EXPECT_FALSE(voice.serveRequest());  // leaving the preload asks for nothing
    playTo(88200);
    EXPECT_EQ(voice.getCurrentHalf(), 1);
    EXPECT_TRUE(voice.serveRequest());  // buffer 0 back, with what follows buffer 1
    EXPECT_FALSE(voice.serveRequest());
    playTo(132300);
    EXPECT_EQ(voice.getCurrentHalf(), 0);
    EXPECT_TRUE(voice.serveRequest());
    playTo(176400);
    EXPECT_EQ(voice.getCurrentHalf(), 1);
}

TEST_F(StreamingHandOver, EachServiceServesOneRequest)
{
    auto zone = makeZone(instrument, noise(2000, 1, 44100));
    ZDSVoice voice(instrument, 64, false);
    ASSERT_TRUE(voice.start(zone.get(), 60, 127, 0));
    ASSERT_TRUE(voice.serveRequest());
    for (int k = 0; k < 64 * 3; ++k)  // leaves buffer 0, then buffer 1, unserved
        next(voice);
    EXPECT_TRUE(voice.serveRequest());
    EXPECT_TRUE(voice.serveRequest());
    EXPECT_FALSE(voice.serveRequest());
}

TEST_F(StreamingHandOver, AnUnservedBufferIsHeardAsSilenceUntilItArrives)
{
    const auto values = noiseValues(2000);
    auto zone = makeZone(instrument, noise(2000, 1, 44100));
    ZDSVoice voice(instrument, 64, false);
    ASSERT_TRUE(voice.start(zone.get(), 60, 127, 0));
    for (int64_t frame = 0; frame < 64; ++frame)
        ASSERT_EQ(next(voice), frameOf(values, frame));
    for (int64_t frame = 64; frame < 70; ++frame)
        EXPECT_EQ(next(voice), 0.0f);
    voice.serveAllRequests();
    for (int64_t frame = 70; frame < 120; ++frame)
        ASSERT_EQ(next(voice), frameOf(values, frame));
}

TEST_F(StreamingHandOver, AStartDuringARefillDoesNotWaitAndTheStaleRefillIsNeverPlayed)
{
    auto gatedSound = std::make_unique<GatedSound>(noise(5000, 1, 44100));
    GatedSound& gate = *gatedSound;
    auto noisy = makeZone(instrument, std::move(gatedSound));
    auto steady = makeZone(instrument, constant(5000, 0.25f));
    ZDSVoice voice(instrument, 64, false);
    ASSERT_TRUE(voice.start(noisy.get(), 60, 127, 0));

    gate.closeGate();
    std::thread streaming([&] { voice.serveRequest(); });
    gate.waitUntilHeld();  // the refill of the noisy zone holds the voice

    voice.finish();
    auto restarted = std::async(std::launch::async, [&] { return voice.start(steady.get(), 60, 127, 0); });
    const bool returned = restarted.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    gate.openGate();
    streaming.join();
    ASSERT_TRUE(returned) << "the start waited for the refill";
    ASSERT_TRUE(restarted.get());

    for (int k = 0; k < 64; ++k)
        ASSERT_EQ(next(voice), 0.25f);
    EXPECT_EQ(next(voice), 0.0f);  // the buffers hold the old start's refill: not played
    voice.serveAllRequests();
    for (int k = 0; k < 300; ++k)
    {
        if (k % 8 == 0)
            voice.serveAllRequests();
        ASSERT_EQ(next(voice), 0.25f) << k;
    }
}

TEST_F(StreamingHandOver, JumpsOverWholeBuffersSkipToTheFramesStillToBeHeard)
{
    ZInstrument memory;
    configure(memory, false, false);
    memory.settings.interpolation = 0;
    // 200 frames per sample through 64-frame buffers, looping and not.
    for (bool looping : { false, true })
    {
        auto adjust = [&](ZoneSettings& s) {
            if (looping)
            {
                s.playMode = 2;
                s.loopStart = 1000;
                s.loopEnd = 1777;
            }
        };
        auto memoryZone = makeZone(memory, noise(looping ? 1785 : 60000, 1, 8820000, looping ? 777 : 0), adjust);
        auto streamedZone = makeZone(instrument, noise(looping ? 1785 : 60000, 1, 8820000, looping ? 777 : 0), adjust);
        ZVoice fromMemory(memory);
        ZDSVoice fromDisk(instrument, 64, false);
        ASSERT_TRUE(fromMemory.start(memoryZone.get(), 60, 127, 0));
        ASSERT_TRUE(fromDisk.start(streamedZone.get(), 60, 127, 0));
        ASSERT_EQ(fromDisk.getIncrement(), 200.0);
        for (int k = 0; k < 250; ++k)
        {
            fromDisk.serveAllRequests();
            float a, b, c, d;
            ASSERT_EQ(fromMemory.renderSample(a, b), fromDisk.renderSample(c, d)) << k;
            ASSERT_EQ(a, c) << "looping " << looping << " sample " << k;
        }
    }
}

TEST_F(StreamingHandOver, AZoneTheBuffersCannotHoldDoesNotStart)
{
    auto zone = makeZone(instrument, noise(1000, 1, 44100));
    ZDSVoice longer(instrument, 128, false);
    ZDSVoice otherWidth(instrument, 64, true);
    EXPECT_FALSE(longer.start(zone.get(), 60, 127, 0));
    EXPECT_FALSE(otherWidth.start(zone.get(), 60, 127, 0));

    ZInstrument memory;
    configure(memory, false, false);
    auto memoryZone = makeZone(memory, noise(1000, 1, 44100));
    ZDSVoice voice(instrument, 64, false);
    EXPECT_FALSE(voice.start(memoryZone.get(), 60, 127, 0));
    EXPECT_TRUE(voice.start(zone.get(), 60, 127, 0));
}

TEST_F(StreamingHandOver, TheServiceWaitsWhileLoadingAndWithoutStreaming)
{
    auto zone = makeZone(instrument, noise(1000, 1, 44100));
    auto* voice = dynamic_cast<ZDSVoice*>(instrument.voices.front().get());
    ASSERT_NE(voice, nullptr);

    changeWhileLoading(instrument, [&] {
        ASSERT_TRUE(voice->start(zone.get(), 60, 127, 0));
        instrument.serviceStreams();
        EXPECT_TRUE(voice->serveRequest());  // nothing was served for it
        voice->finish();
    });

    changeWhileLoading(instrument, [&] { instrument.settings.diskStreaming = 0; });
    ASSERT_TRUE(voice->start(zone.get(), 60, 127, 0));
    instrument.serviceStreams();
    EXPECT_TRUE(voice->serveRequest());
}

TEST_F(StreamingHandOver, RefillsOfOneSoundNeverOverlapWhicheverThreadServesThem)
{
    // Two voices on one zone, served at once by two threads (the streaming
    // thread and an offline block loop): their seeks and reads share the
    // sound's position, so they must take turns.
    auto gatedSound = std::make_unique<GatedSound>(noise(20000, 1, 44100));
    GatedSound& sound = *gatedSound;
    auto zone = makeZone(instrument, std::move(gatedSound));
    ZDSVoice first(instrument, 64, false), second(instrument, 64, false);
    ASSERT_TRUE(first.start(zone.get(), 60, 127, 0));
    ASSERT_TRUE(second.start(zone.get(), 72, 127, 0));
    for (int round = 0; round < 10; ++round)
    {
        std::thread other([&] { second.serveAllRequests(); });
        first.serveAllRequests();
        other.join();
        for (int k = 0; k < 100; ++k)
        {
            next(first);
            next(second);
        }
    }
    EXPECT_EQ(sound.mostAtOnce(), 1);
}

TEST_F(StreamingHandOver, FramesWantedFromAnUnservedBufferCountAsLateReads)
{
    // At the root key every position is a whole frame, so each sample reads
    // one frame: the 64 of the preload are on time, the next 10 (from buffer
    // 0, never served) are late and silent.
    auto zone = makeZone(instrument, constant(2000, 0.5f));
    ZDSVoice voice(instrument, 64, false);
    ASSERT_TRUE(voice.start(zone.get(), 60, 127, 0));
    for (int k = 0; k < 64; ++k)
        next(voice);
    EXPECT_EQ(voice.getLateReads(), 0u);
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(next(voice), 0.0f) << k;
    EXPECT_EQ(voice.getLateReads(), 10u);
}

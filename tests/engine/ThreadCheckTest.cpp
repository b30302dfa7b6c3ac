// The debug checks of the instrument's thread contract: which thread counts
// as rendering, and (in builds that check) the report of a voice changed off
// the audio thread or of two threads rendering at once.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/ZThreadCheck.h"
#include "support/EngineFixture.h"

namespace
{
std::atomic<int> failures { 0 };
void countFailure(const char*) { ++failures; }

template <typename Body>
void onOtherThread(Body body)
{
    std::thread(body).join();
}

// Counts failures instead of aborting while it lives.
struct CountingFailures
{
    CountingFailures()
    {
        failures = 0;
        ZRenderingThread::setFailureHandler(countFailure);
    }
    ~CountingFailures() { ZRenderingThread::setFailureHandler(nullptr); }
};
} // namespace

TEST(ThreadCheck, TheRendererIsTheLastThreadInsideAndOthersAreHeldOutOnlyMeanwhile)
{
    ZRenderingThread rendering;
    bool otherSeesRenderer = false, otherSeesNoneRendering = false;
    EXPECT_TRUE(rendering.isRendererOrNone());
    onOtherThread([&] { otherSeesRenderer = rendering.isRendererOrNone(); });
    EXPECT_TRUE(otherSeesRenderer);  // before the first block any thread may

    rendering.enter();
    EXPECT_TRUE(rendering.isRendererOrNone());
    EXPECT_TRUE(rendering.noOtherIsRendering());
    onOtherThread([&] {
        otherSeesRenderer = rendering.isRendererOrNone();
        otherSeesNoneRendering = rendering.noOtherIsRendering();
    });
    EXPECT_FALSE(otherSeesRenderer);
    EXPECT_FALSE(otherSeesNoneRendering);

    rendering.leave();
    onOtherThread([&] {
        otherSeesRenderer = rendering.isRendererOrNone();
        otherSeesNoneRendering = rendering.noOtherIsRendering();
    });
    EXPECT_FALSE(otherSeesRenderer);
    EXPECT_TRUE(otherSeesNoneRendering);
}

#if defined(ZSP_THREAD_CHECKS) && ZSP_THREAD_CHECKS
TEST(ThreadCheck, AVoiceChangedOffTheAudioThreadIsReported)
{
    CountingFailures counting;
    EngineFixture f;
    f.addConstantZone(f.defaultGroup(), 0.5f);
    f.noteOn(60);
    f.render(8);  // this thread renders
    ZVoice& voice = *f.instrument.voices[0];
    onOtherThread([&] { voice.release(); });
    EXPECT_EQ(failures, 1);

    // Held out by a load: allowed.
    f.instrument.loadingFlag = true;
    onOtherThread([&] { voice.kill(); });
    f.instrument.loadingFlag = false;
    EXPECT_EQ(failures, 1);

    voice.finish();  // on the audio thread itself
    EXPECT_EQ(failures, 1);
}

TEST(ThreadCheck, AHostThatMovesItsAudioThreadMayChangeVoicesBeforeTheBlockRenders)
{
    CountingFailures counting;
    EngineFixture f;
    f.addConstantZone(f.defaultGroup(), 0.5f);
    f.noteOn(60);
    f.render(8);
    ZVoice& voice = *f.instrument.voices[0];
    onOtherThread([&] {
        f.instrument.beginBlock();
        voice.release();  // what a parameter change at the block's start may do
        f.render(8);
    });
    EXPECT_EQ(failures, 0);
    voice.kill();  // the old thread is no longer the renderer
    EXPECT_EQ(failures, 1);
}

TEST(ThreadCheck, ASecondThreadEnteringTheBlockLoopIsReported)
{
    CountingFailures counting;
    ZRenderingThread rendering;
    rendering.enter();
    onOtherThread([&] { rendering.enter(); });
    EXPECT_EQ(failures, 1);
    rendering.leave();
}
#endif

// A voice rendered run by run (with its settled stretches) against the same
// voice rendered one renderFrame at a time, bit for bit, over scenes where
// the settled stretch starts and stops: loop wraps, the end frame, reads
// clamped at the sound's first and last frames, the sustain reached, gain
// smoothing converging, a release or kill between runs, and bend, LFO and
// glide, which move the pitch and so keep the voice out of it; for voices of
// sample memory and for streamed ones (whose stretches also stop at the edges
// of their stream buffers).

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "VoiceTestRig.h"
#include "engine/ZDSVoice.h"
#include "engine/ZVoice.h"
#include "engine/ZVoiceRun.h"

using namespace voicetest;

namespace
{
// renderFrame, one sample at a time, for the reference.
template <typename Voice>
class FrameVoice : public Voice
{
public:
    using Voice::Voice;
    bool frame(float& left, float& right, float bendRatio, bool bendMoving, float lfoValue)
    {
        return this->renderFrame(left, right, bendRatio, bendMoving, lfoValue);
    }
};

// Streamed voices read buffers of this many frames: a run plays less than one.
constexpr int32_t streamFrames = 1024;

struct Instrument
{
    int32_t depth = 0;   // LFO depth on pitch, in semitones
    float glide = 0.0f;  // ms, in mono voice mode
};

// What happens before a run: the bend moves to `bend` over the run's first
// samples, the zone's volume changes (the gains then glide to it), the note
// is released or killed.
struct Before
{
    int length;
    float bend = 1.0f;
    float volume = 0.0f;
    bool release = false;
    bool kill = false;
};

struct Scene
{
    std::string name;
    int note;
    std::function<void(ZoneSettings&)> zone;
    std::vector<Before> runs;
    Instrument instrument {};
    int hostChannels = 2;
};

struct Case
{
    Interpolation kind;
    bool sixteenBit;
    int channels;
    bool streamed;
    const Scene* scene;
};

void loop(ZoneSettings& s, uint64_t start, uint64_t end)
{
    s.playMode = 2;
    s.loopStart = start;
    s.loopEnd = end;
}

std::vector<Before> steadyRuns(int count, int length)
{
    return std::vector<Before>(static_cast<size_t>(count), Before { length });
}

const std::vector<Scene>& scenes()
{
    static const std::vector<Scene> all = {
        { "LoopWrapsInsideRuns", 63, [](ZoneSettings& s) { loop(s, 100, 700); }, steadyRuns(12, 512) },
        { "LoopToTheSoundsLastFrame", 67, [](ZoneSettings& s) { loop(s, 10, 999); }, steadyRuns(12, 401) },
        { "ShortLoopOfFourFrames", 58, [](ZoneSettings& s) { loop(s, 500, 504); }, steadyRuns(4, 300) },
        { "WholeIncrementLoop", 72, [](ZoneSettings& s) { loop(s, 3, 997); }, steadyRuns(8, 512) },
        { "UnitIncrementToTheEnd", 60, [](ZoneSettings& s) { s.playMode = 0; }, steadyRuns(3, 512) },
        { "EndFrameInsideTheSound", 65, [](ZoneSettings& s) { s.playMode = 0; s.endFrame = 733; }, steadyRuns(4, 256) },
        { "EndFrameAtTheLastFrames", 55, [](ZoneSettings& s) { s.playMode = 1; s.endFrame = 999; }, steadyRuns(6, 256) },
        { "StartInsideTheSound", 61, [](ZoneSettings& s) { s.startFrame = 400; loop(s, 450, 990); }, steadyRuns(6, 333) },
        { "SustainReachedMidRun", 62,
          [](ZoneSettings& s) {
              loop(s, 100, 900);
              s.attack = 2.0f;
              s.decay = 8.0f;
              s.sustain = -6.0f;
          },
          steadyRuns(40, 512) },
        { "DecayToSilence", 62,
          [](ZoneSettings& s) {
              loop(s, 100, 900);
              s.decay = 5.0f;
              s.sustain = -200.0f;
          },
          steadyRuns(30, 512) },
        { "GainsGlideToANewVolume", 64, [](ZoneSettings& s) { loop(s, 100, 900); },
          { Before { 200 }, Before { 300, 1.0f, -4.0f }, Before { 512 }, Before { 100, 1.0f, -40.0f }, Before { 512 },
            Before { 512, 1.0f, 6.0f }, Before { 512 } } },
        { "ReleaseAtAnEvent", 59, [](ZoneSettings& s) { loop(s, 100, 900); s.release = 20.0f; },
          { Before { 512 }, Before { 77 }, Before { 512, 1.0f, 0.0f, true }, Before { 512 }, Before { 512 } } },
        { "KillAtAnEvent", 59, [](ZoneSettings& s) { loop(s, 100, 900); },
          { Before { 512 }, Before { 13 }, Before { 200, 1.0f, 0.0f, false, true }, Before { 100 } } },
        { "BendMovesThenHolds", 60, [](ZoneSettings& s) { loop(s, 100, 900); },
          { Before { 512 }, Before { 512, 1.05f }, Before { 512 }, Before { 37, 0.9f }, Before { 512 },
            Before { 512, 1.0f } } },
        { "LfoOnPitch", 60, [](ZoneSettings& s) { loop(s, 100, 900); }, steadyRuns(6, 512), Instrument { 2 } },
        { "Glide", 66, [](ZoneSettings& s) { loop(s, 100, 900); }, steadyRuns(6, 512), Instrument { 0, 30.0f } },
        { "OneHostChannel", 63, [](ZoneSettings& s) { loop(s, 100, 700); }, steadyRuns(6, 512), Instrument {}, 1 },
    };
    return all;
}

std::vector<Case> cases()
{
    std::vector<Case> all;
    for (const Scene& scene : scenes())
        for (Interpolation kind : { Interpolation::low, Interpolation::mid, Interpolation::high })
            for (bool sixteenBit : { true, false })
                for (int channels : { 1, 2 })
                    for (bool streamed : { false, true })
                        all.push_back({ kind, sixteenBit, channels, streamed, &scene });
    return all;
}

std::string caseName(const ::testing::TestParamInfo<Case>& info)
{
    const Case& c = info.param;
    const char* kinds[] = { "Low", "Mid", "High" };
    return c.scene->name + kinds[static_cast<int>(c.kind)] + (c.sixteenBit ? "Int16" : "Float")
         + (c.channels == 1 ? "Mono" : "Stereo") + (c.streamed ? "Streamed" : "");
}

// Bits of a float, so that -0 and +0 (and any NaN) count as different.
uint32_t bits(float value) { return std::bit_cast<uint32_t>(value); }

// Renders the scene's runs with one voice by runs and one a sample at a
// time, comparing every output sample and the voices' state after each run.
template <typename Voice, typename... Extra>
void compareRuns(const Scene& scene, ZInstrument& instrument, ZZone* zone, Extra... extra)
{
    Voice byRuns(instrument, extra...);
    FrameVoice<Voice> byFrames(instrument, extra...);
    ASSERT_TRUE(byRuns.start(zone, scene.note, 100, 0));
    ASSERT_TRUE(byFrames.start(zone, scene.note, 100, 0));

    auto run = std::make_unique<ZVoiceRun>();
    const int channels = scene.hostChannels;
    std::vector<std::vector<float>> outputs(static_cast<size_t>(channels), std::vector<float>(ZVoiceRun::capacity));
    std::vector<std::vector<float>> expected = outputs;
    std::vector<float*> pointers;
    for (auto& o : outputs)
        pointers.push_back(o.data());
    run->instrument = &instrument;
    run->channels = pointers.data();
    run->numChannels = channels;
    run->offset = 0;

    float bend = 1.0f;
    int sample = 0;
    int sounded = 0;
    for (size_t r = 0; r < scene.runs.size(); ++r)
    {
        const Before& before = scene.runs[r];
        if (before.volume != 0.0f)
        {
            zone->settings.volume = before.volume;
            zone->updateDerived();
        }
        if (before.release)
        {
            byRuns.release();
            byFrames.release();
        }
        if (before.kill)
        {
            byRuns.kill();
            byFrames.kill();
        }
        if constexpr (std::is_same_v<Voice, ZDSVoice>)
        {
            // Refills complete before every run, as in an offline render.
            byRuns.serveAllRequests();
            byFrames.serveAllRequests();
        }
        run->length = before.length;
        run->bendSteadyFrom = 0;
        for (int k = 0; k < before.length; ++k, ++sample)
        {
            // The bend ramps by 0.01 a sample, as the block loop's does.
            const bool moving = bend != before.bend;
            if (std::fabs(bend - before.bend) < 0.01f)
                bend = before.bend;
            else
                bend += bend < before.bend ? 0.01f : -0.01f;
            run->bendRatio[k] = bend;
            run->bendMoving[k] = moving;
            if (moving)
                run->bendSteadyFrom = k + 1;
            run->lfoValue[k] = static_cast<float>(std::sin(0.01 * sample));
            // Gains that change every sample, as under an LFO on pan.
            run->leftGain[k] = 0.75f + 0.25f * static_cast<float>(std::sin(0.003 * sample));
            run->rightGain[k] = 0.5f - 0.125f * static_cast<float>(std::cos(0.002 * sample));
        }
        for (int ch = 0; ch < channels; ++ch)
            for (int k = 0; k < ZVoiceRun::capacity; ++k)
                expected[static_cast<size_t>(ch)][static_cast<size_t>(k)]
                    = outputs[static_cast<size_t>(ch)][static_cast<size_t>(k)]
                    = 0.001f * static_cast<float>((k * 7 + ch * 3 + static_cast<int>(r)) % 11) - 0.005f;

        if (byRuns.isActive())
            byRuns.renderRun(*run);
        const int second = channels > 1 ? 1 : 0;
        for (int k = 0; k < before.length; ++k)
        {
            float left = 0.0f, right = 0.0f;
            if (byFrames.frame(left, right, run->bendRatio[k], run->bendMoving[k], run->lfoValue[k]))
            {
                expected[0][static_cast<size_t>(k)] += left * run->leftGain[k];
                expected[static_cast<size_t>(second)][static_cast<size_t>(k)] += right * run->rightGain[k];
                ++sounded;
            }
        }

        for (int ch = 0; ch < channels; ++ch)
            for (int k = 0; k < before.length; ++k)
                ASSERT_EQ(bits(outputs[static_cast<size_t>(ch)][static_cast<size_t>(k)]),
                          bits(expected[static_cast<size_t>(ch)][static_cast<size_t>(k)]))
                    << "run " << r << ", channel " << ch << ", sample " << k;
        ASSERT_EQ(byRuns.isActive(), byFrames.isActive()) << "run " << r;
        ASSERT_EQ(std::bit_cast<uint64_t>(byRuns.getPosition()), std::bit_cast<uint64_t>(byFrames.getPosition()))
            << "run " << r;
        ASSERT_EQ(bits(byRuns.getEnvelope()), bits(byFrames.getEnvelope())) << "run " << r;
        if constexpr (std::is_same_v<Voice, ZDSVoice>)
            ASSERT_EQ(std::bit_cast<uint64_t>(byRuns.getStreamPosition()),
                      std::bit_cast<uint64_t>(byFrames.getStreamPosition()))
                << "run " << r;
    }
    EXPECT_GT(sounded, 0);
}

class SettledRun : public ::testing::TestWithParam<Case>
{
};
} // namespace

TEST_P(SettledRun, MatchesRenderingOneSampleAtATime)
{
    const Case& c = GetParam();
    const Scene& scene = *c.scene;
    ZInstrument instrument;
    configure(instrument, c.streamed, c.sixteenBit, streamFrames, 4);
    instrument.settings.interpolation = static_cast<int32_t>(c.kind);
    if (scene.instrument.depth != 0)
    {
        instrument.settings.lfoDepth = static_cast<float>(scene.instrument.depth);
        instrument.settings.lfoDestination = static_cast<int32_t>(LfoDestination::pitch);
    }
    if (scene.instrument.glide > 0.0f)
    {
        instrument.settings.voiceMode = static_cast<int32_t>(VoiceMode::mono);
        instrument.settings.glideTime = scene.instrument.glide;
    }
    // Noise that repeats every 800 frames, at 48 kHz: increments are not whole
    // numbers except where the scene's note makes them so.
    const int32_t rate = scene.note == 60 || scene.note == 72 ? 44100 : 48000;
    // Zone gains other than 1, and apart, so their products round.
    auto zone = makeZone(instrument, noise(1000, c.channels, rate, 800), [&](ZoneSettings& s) {
        s.volume = -2.5f;
        s.pan = 0.25f;
        scene.zone(s);
    });
    ASSERT_EQ(zone->streaming, c.streamed);
    if (c.streamed)
        compareRuns<ZDSVoice>(scene, instrument, zone.get(), streamFrames, c.sixteenBit);
    else
        compareRuns<ZVoice>(scene, instrument, zone.get());
}

INSTANTIATE_TEST_SUITE_P(Scenes, SettledRun, ::testing::ValuesIn(cases()), caseName);

// Golden renders: scenes that drive every path of the engine (interpolation
// kinds, 16-bit and float memory, mono and stereo sounds, loops, streaming,
// glide and legato, bend and LFO ramps, stealing, release triggers, the
// sustain pedal, the master filter, reverb and clip, many output layouts,
// events at many positions and four block sizes), rendered and compared byte
// for byte with digests recorded from an earlier build. A change of any
// output bit fails here.
//
// To look at a difference: ZSP_GOLDEN_RENDER_DIR=/some/folder writes every
// render there as raw interleaved 32-bit float ("NAME.Nch.RATE.f32"; play it
// with `sox -t f32 -c N -r RATE NAME.Nch.RATE.f32 out.wav`). A failure prints
// the digest the build rendered, in the table's own form.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/VoiceTestRig.h"

using namespace voicetest;

namespace
{
struct Pool
{
    bool streaming = false;
    bool sixteenBit = false;
    int32_t streamFrames = 4096;
    int32_t voices = 12;
};

// A MIDI message at an absolute frame; the render posts it in the block that
// holds the frame, at its offset in that block.
struct Cue
{
    int64_t frame;
    uint8_t status, data1, data2;
};

// A message posted in block `block` at `position` exactly as given (beyond
// the block, -1, or out of order), after that block's cues.
struct RawCue
{
    int block;
    int position;
    uint8_t status, data1, data2;
};

// A plain store made between blocks, as the user interface makes one.
struct Tweak
{
    int block;
    std::function<void(ZInstrument&)> change;
};

struct Scene
{
    std::string name;
    int blockSize = 441;
    int channels = 2;
    int64_t frames = 26460;
    float hostRate = 44100.0f;
    Pool pool;
    std::function<void(ZInstrument&)> build;
    std::vector<Cue> cues;
    std::vector<RawCue> rawCues;
    std::vector<Tweak> tweaks;
};

// ---------------------------------------------------------------- sounds

ZZone& addZone(ZInstrument& instrument, ZGroup& group, std::unique_ptr<MemorySound> sound,
               const std::function<void(ZoneSettings&)>& adjust)
{
    auto zone = makeZone(instrument, std::move(sound), adjust);
    ZZone& added = *zone;
    group.addZone(zone.release());
    return added;
}

void keyRange(ZoneSettings& s, int low, int high)
{
    s.lowKey = low;
    s.highKey = high;
}

void loop(ZoneSettings& s, uint64_t start, uint64_t end)
{
    s.playMode = 2;
    s.loopStart = start;
    s.loopEnd = end;
}

// Four zones over the keyboard: a mono 48 kHz sound with an envelope, a
// stereo loop, a short stereo loop of a 22.05 kHz sound stacked above it, and
// a mono one-shot.
void buildKeys(ZInstrument& instrument, ZGroup& group)
{
    addZone(instrument, group, noise(30000, 1, 48000), [](ZoneSettings& s) {
        keyRange(s, 0, 59);
        s.rootKey = 48;
        s.attack = 5.0f;
        s.decay = 40.0f;
        s.sustain = -9.0f;
        s.release = 60.0f;
        s.tune = -7.0f;
        s.ignoreVelocity = 0;
    });
    addZone(instrument, group, noise(6000, 2, 44100, 777), [](ZoneSettings& s) {
        keyRange(s, 60, 127);
        loop(s, 1000, 1777);
        s.release = 120.0f;
        s.pan = -0.3f;
        s.volume = -3.0f;
        s.ignoreVelocity = 0;
    });
    addZone(instrument, group, noise(100, 2, 22050, 32), [](ZoneSettings& s) {
        keyRange(s, 72, 127);
        s.lowVelocity = 64;
        loop(s, 8, 40);
        s.rootKey = 72;
        s.tune = 25.0f;
        s.pan = 0.6f;
        s.volume = -6.0f;
        s.release = 30.0f;
    });
    addZone(instrument, group, noise(3000, 1, 44100), [](ZoneSettings& s) {
        keyRange(s, 36, 47);
        s.playMode = 1;
        s.rootKey = 40;
        s.release = 0.0f;
    });
}

void buildKeysInstrument(ZInstrument& instrument) { buildKeys(instrument, *instrument.groups.front()); }

// A long stereo loop and a mono sound for glides: both keep sounding.
void buildPad(ZInstrument& instrument, ZGroup& group)
{
    addZone(instrument, group, noise(20000, 2, 44100, 1500), [](ZoneSettings& s) {
        keyRange(s, 0, 63);
        loop(s, 3000, 4500);
        s.attack = 20.0f;
        s.release = 80.0f;
    });
    addZone(instrument, group, noise(60000, 1, 44100), [](ZoneSettings& s) {
        keyRange(s, 64, 127);
        s.rootKey = 72;
        s.release = 50.0f;
        s.ignoreVelocity = 0;
    });
}

// ---------------------------------------------------------------- timelines

constexpr uint8_t noteOn = 0x90, noteOff = 0x80, controller = 0xB0, bend = 0xE0, keyPressure = 0xA0, program = 0xC0;

// Notes, bends and the mod wheel over the keys instrument.
std::vector<Cue> keysTimeline()
{
    return {
        { 0, noteOn, 48, 100 },      { 17, noteOn, 60, 90 },      { 100, noteOn, 67, 70 },
        { 440, noteOn, 76, 120 },    { 441, noteOn, 40, 80 },     { 1000, bend, 0, 96 },
        { 2500, controller, 1, 90 }, { 4000, noteOff, 48, 0 },    { 4410, noteOff, 60, 0 },
        { 5000, bend, 0, 64 },       { 6000, noteOn, 84, 100 },   { 7000, noteOn, 30, 50 },
        { 8000, controller, 1, 0 },  { 9000, noteOff, 67, 0 },    { 9000, noteOff, 76, 0 },
        { 9500, bend, 0, 0 },        { 11000, noteOff, 84, 0 },   { 12000, noteOn, 62, 127 },
        { 13000, noteOn, 62, 127 },  { 15000, noteOff, 62, 0 },   { 16000, noteOff, 40, 0 },
        { 16000, noteOff, 30, 0 },   { 17000, noteOn, 55, 10 },   { 18000, bend, 127, 127 },
        { 19500, controller, 1, 127 }, { 20000, noteOff, 55, 0 }, { 21000, noteOn, 79, 99 },
        { 21000, noteOn, 72, 99 },   { 24000, noteOff, 79, 0 },   { 24000, noteOff, 72, 0 },
    };
}

// Events at nearly every offset of every block size: a deterministic mix of
// notes, note-offs, bends, the mod wheel and the sustain pedal.
std::vector<Cue> denseTimeline(int64_t frames)
{
    std::vector<Cue> cues;
    uint32_t state = 20240611u;
    auto next = [&state](uint32_t range) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % range;
    };
    std::vector<uint8_t> held;
    for (int64_t frame = 0; frame < frames; frame += 1 + static_cast<int64_t>(next(150)))
    {
        const uint32_t kind = next(10);
        if (kind < 4 || held.empty())
        {
            const auto key = static_cast<uint8_t>(30 + next(55));
            cues.push_back({ frame, noteOn, key, static_cast<uint8_t>(1 + next(127)) });
            held.push_back(key);
        }
        else if (kind < 7)
        {
            const size_t which = next(static_cast<uint32_t>(held.size()));
            cues.push_back({ frame, noteOff, held[which], 0 });
            held.erase(held.begin() + static_cast<std::ptrdiff_t>(which));
        }
        else if (kind == 7)
            cues.push_back({ frame, bend, static_cast<uint8_t>(next(128)), static_cast<uint8_t>(next(128)) });
        else if (kind == 8)
            cues.push_back({ frame, controller, 1, static_cast<uint8_t>(next(128)) });
        else
            cues.push_back({ frame, controller, 64, static_cast<uint8_t>(next(2) * 127) });
    }
    return cues;
}

// Held chords and single notes for the effect scenes.
std::vector<Cue> chordTimeline()
{
    return {
        { 0, noteOn, 40, 110 },     { 0, noteOn, 47, 100 },     { 3, noteOn, 66, 120 },
        { 5000, noteOn, 76, 90 },   { 9000, noteOff, 40, 0 },   { 9001, noteOff, 47, 0 },
        { 11000, noteOn, 52, 127 }, { 13000, noteOff, 66, 0 },  { 15000, noteOff, 76, 0 },
        { 17000, noteOn, 80, 64 },  { 19000, noteOff, 52, 0 },  { 22000, noteOff, 80, 0 },
    };
}

// Positions the dispatcher must treat specially: out of order, beyond the
// block, and "as soon as possible".
std::vector<RawCue> oddPositions(int blockSize)
{
    return {
        { 3, 300 % blockSize, noteOn, 64, 100 },  { 3, 10 % blockSize, noteOn, 65, 100 },
        { 7, blockSize + 50, noteOn, 70, 90 },    { 9, -1, noteOff, 64, 0 },
        { 9, -1, noteOff, 65, 0 },                { 12, 2 * blockSize, noteOff, 70, 0 },
    };
}

// ---------------------------------------------------------------- scenes

Scene voicesScene(int interpolation, bool sixteenBit, bool streaming)
{
    static const char* const kinds[] = { "Low", "Mid", "High" };
    Scene scene;
    scene.name = std::string("Voices") + kinds[interpolation] + (sixteenBit ? "Int16" : "Float")
               + (streaming ? "Stream" : "Memory");
    scene.pool = { streaming, sixteenBit, 4096, 12 };
    scene.build = [interpolation](ZInstrument& instrument) {
        instrument.settings.interpolation = interpolation;
        buildKeysInstrument(instrument);
    };
    scene.cues = keysTimeline();
    scene.rawCues = oddPositions(scene.blockSize);
    return scene;
}

Scene blockScene(int blockSize, bool streaming)
{
    Scene scene;
    scene.name = "Block" + std::to_string(blockSize) + (streaming ? "Stream" : "Memory");
    scene.blockSize = blockSize;
    scene.frames = blockSize == 1 ? 8820 : 26460;
    // A block is never longer than a stream buffer's playing time, so a
    // refill completed before each block is always in time.
    const int32_t streamFrames = blockSize == 1 ? 64 : blockSize == 64 ? 512 : blockSize == 441 ? 4096 : 44100;
    scene.pool = { streaming, streaming, streamFrames, 12 };
    scene.build = [](ZInstrument& instrument) {
        instrument.settings.interpolation = 1;
        buildKeysInstrument(instrument);
    };
    scene.cues = denseTimeline(scene.frames);
    scene.rawCues = oddPositions(blockSize);
    return scene;
}

Scene glideScene(const std::string& name, int voiceMode, float glideTime, bool streaming)
{
    Scene scene;
    scene.name = name;
    scene.pool = { streaming, false, 4096, 8 };
    scene.build = [voiceMode, glideTime](ZInstrument& instrument) {
        instrument.settings.voiceMode = voiceMode;
        instrument.settings.glideTime = glideTime;
        buildPad(instrument, *instrument.groups.front());
    };
    scene.cues = {
        { 0, noteOn, 48, 100 },    { 3000, noteOn, 55, 100 },  { 4000, noteOff, 48, 0 },
        { 6000, noteOn, 43, 80 },  { 6100, bend, 0, 100 },     { 9000, noteOff, 55, 0 },
        { 9500, noteOff, 43, 0 },  { 12000, noteOn, 70, 90 },  { 12200, noteOn, 75, 90 },
        { 14000, noteOn, 66, 90 }, { 14500, bend, 0, 64 },     { 16000, noteOff, 70, 0 },
        { 16000, noteOff, 75, 0 }, { 17000, noteOff, 66, 0 },  { 19000, noteOn, 50, 100 },
        { 19010, noteOn, 62, 100 }, { 23000, noteOff, 50, 0 }, { 23000, noteOff, 62, 0 },
    };
    return scene;
}

Scene stealScene(bool streaming)
{
    Scene scene;
    scene.name = streaming ? "StealPendingStream" : "StealPendingMemory";
    scene.pool = { streaming, true, 4096, 3 };
    scene.build = [](ZInstrument& instrument) {
        ZGroup& group = *instrument.groups.front();
        buildKeys(instrument, group);
        // An exclusive pair on 86 and 87.
        for (int key : { 86, 87 })
            addZone(instrument, group, noise(8000, 1, 44100), [key](ZoneSettings& s) {
                keyRange(s, key, key);
                s.rootKey = key;
                s.exclusiveGroup = 3;
                s.release = 200.0f;
            });
    };
    for (int k = 0; k < 8; ++k)
        scene.cues.push_back({ 10 * k, noteOn, static_cast<uint8_t>(50 + 3 * k), 100 });
    const std::vector<Cue> more = {
        { 71, noteOff, 71, 0 },     { 90, noteOff, 68, 0 },     { 2000, noteOn, 86, 100 },
        { 2500, noteOn, 87, 100 },  { 3000, noteOn, 86, 100 },  { 4000, controller, 120, 0 },
        { 4500, noteOn, 61, 90 },   { 4501, noteOn, 62, 90 },   { 4502, noteOn, 63, 90 },
        { 4503, noteOn, 64, 90 },   { 4504, noteOn, 65, 90 },   { 4510, noteOff, 64, 0 },
        { 8000, controller, 123, 0 }, { 9000, noteOn, 77, 100 }, { 9000, noteOn, 77, 100 },
        { 9000, noteOn, 77, 100 },  { 9001, noteOn, 77, 100 },  { 12000, noteOff, 77, 0 },
    };
    scene.cues.insert(scene.cues.end(), more.begin(), more.end());
    return scene;
}

Scene releaseTriggerScene()
{
    Scene scene;
    scene.name = "ReleaseTriggerAndSustain";
    scene.build = [](ZInstrument& instrument) {
        buildKeysInstrument(instrument);
        ZGroup& release = *instrument.addGroup("Release");
        release.settings.releaseTrigger = 1;
        release.settings.releaseTriggerDecay = 400.0f;
        instrument.activateGroup(&release);
        addZone(instrument, release, noise(9000, 2, 44100), [](ZoneSettings& s) {
            s.release = 40.0f;
            s.ignoreVelocity = 0;
            s.pan = 0.4f;
        });
    };
    scene.cues = {
        { 0, noteOn, 62, 100 },      { 2205, noteOff, 62, 0 },      { 3000, noteOn, 50, 120 },
        { 4000, controller, 64, 127 }, { 6000, noteOff, 50, 0 },    { 6500, noteOn, 70, 80 },
        { 7000, noteOff, 70, 0 },    { 9000, controller, 64, 10 },  { 10000, noteOn, 65, 90 },
        { 23000, noteOff, 65, 0 },   { 11000, noteOn, 58, 90 },     { 11500, noteOn, 58, 0 },
        { 14000, noteOn, 74, 127 },  { 25000, noteOff, 74, 0 },  // held past the decay
    };
    return scene;
}

Scene filterScene(const std::string& name, int filterType, std::vector<Tweak> tweaks)
{
    Scene scene;
    scene.name = name;
    scene.build = [filterType](ZInstrument& instrument) {
        instrument.settings.filterType = filterType;
        instrument.settings.filterCutoff = 0.35f;
        buildKeysInstrument(instrument);
    };
    scene.cues = chordTimeline();
    for (int k = 0; k < 20; ++k)
        scene.cues.push_back({ 1000 + 1200 * k, controller, 74, static_cast<uint8_t>((k * 37) % 128) });
    scene.tweaks = std::move(tweaks);
    return scene;
}

std::vector<Tweak> filterShapeTweaks()
{
    std::vector<Tweak> tweaks;
    for (int type = 3; type <= 10; ++type)
        tweaks.push_back({ 6 * (type - 2), [type](ZInstrument& instrument) {
                              instrument.settings.filterType = type;
                              instrument.applySettings();
                          } });
    return tweaks;
}

Scene reverbScene()
{
    Scene scene;
    scene.name = "Reverb";
    scene.frames = 44100;
    scene.build = [](ZInstrument& instrument) {
        instrument.settings.reverbSend = 0.4f;
        buildKeysInstrument(instrument);
    };
    scene.cues = chordTimeline();
    scene.cues.push_back({ 30000, controller, 91, 0 });
    scene.cues.push_back({ 33000, controller, 91, 100 });
    return scene;
}

Scene clipScene(bool clip)
{
    Scene scene;
    scene.name = clip ? "ClipOn" : "ClipOff";
    scene.build = [clip](ZInstrument& instrument) {
        instrument.settings.clipOutput = clip ? 1 : 0;
        instrument.settings.volume = 12.0f;
        buildKeysInstrument(instrument);
    };
    scene.cues = chordTimeline();
    return scene;
}

// Four groups on outputs 0, 3, 15 and 20 (past the sixteen: pair 0).
Scene outputScene(int channels)
{
    Scene scene;
    scene.name = "Outputs" + std::to_string(channels);
    scene.channels = channels;
    scene.build = [](ZInstrument& instrument) {
        instrument.settings.filterType = 1;
        instrument.settings.filterCutoff = 0.5f;
        instrument.settings.reverbSend = 0.2f;
        ZGroup& first = *instrument.groups.front();
        buildKeys(instrument, first);
        int index = 0;
        for (int output : { 3, 15, 20 })
        {
            ZGroup& group = *instrument.addGroup("Out" + std::to_string(output));
            group.settings.output = output;
            group.settings.pan = -0.5f + 0.4f * static_cast<float>(index++);
            instrument.activateGroup(&group);
            addZone(instrument, group, noise(7000, 2, 44100, 700), [](ZoneSettings& s) {
                loop(s, 700, 1400);
                s.release = 30.0f;
            });
        }
    };
    scene.cues = chordTimeline();
    return scene;
}

Scene lfoPitchScene()
{
    Scene scene;
    scene.name = "LfoPitchShapesAndRates";
    scene.frames = 44100;
    scene.build = [](ZInstrument& instrument) {
        instrument.settings.lfoRate = 7.0f;
        buildPad(instrument, *instrument.groups.front());
    };
    scene.cues = { { 0, noteOn, 48, 100 }, { 0, noteOn, 70, 100 }, { 100, controller, 1, 127 },
                   { 20000, controller, 1, 40 }, { 40000, noteOff, 48, 0 }, { 40000, noteOff, 70, 0 } };
    for (int shape = 1; shape <= 5; ++shape)
        scene.tweaks.push_back({ 15 * shape, [shape](ZInstrument& instrument) {
                                    instrument.settings.lfoShape = shape % 5;
                                    instrument.settings.lfoRate = 2.0f + 3.0f * static_cast<float>(shape);
                                    instrument.applySettings();
                                } });
    return scene;
}

Scene lfoExpressionScene()
{
    Scene scene;
    scene.name = "LfoExpressionFromKeyPressure";
    scene.build = [](ZInstrument& instrument) {
        instrument.settings.lfoDestination = 2;
        instrument.settings.lfoDepthSource = 2;
        instrument.settings.lfoShape = 1;
        instrument.settings.lfoRate = 11.0f;
        buildKeysInstrument(instrument);
    };
    scene.cues = chordTimeline();
    for (int k = 0; k < 30; ++k)
        scene.cues.push_back({ 700 * k + 50, keyPressure, 66, static_cast<uint8_t>((k * 29) % 128) });
    return scene;
}

Scene lfoPanScene()
{
    Scene scene;
    scene.name = "LfoPanFromVelocity";
    scene.build = [](ZInstrument& instrument) {
        instrument.settings.lfoDestination = 3;
        instrument.settings.lfoDepthSource = 3;
        instrument.settings.velocityCurve = 2;
        instrument.settings.lfoShape = 4;
        instrument.settings.lfoRate = 5.0f;
        instrument.settings.pan = 0.3f;
        buildKeysInstrument(instrument);
    };
    scene.cues = chordTimeline();
    scene.cues.push_back({ 24000, controller, 7, 90 });  // applySettings while the LFO pans
    scene.cues.push_back({ 24500, controller, 10, 20 });
    return scene;
}

Scene controllerScene()
{
    Scene scene;
    scene.name = "Controllers";
    scene.build = [](ZInstrument& instrument) {
        buildKeysInstrument(instrument);
        ZGroup& second = *instrument.addGroup("Second");
        instrument.activateGroup(&second);
        addZone(instrument, second, noise(9000, 1, 44100, 900), [](ZoneSettings& s) {
            loop(s, 900, 1800);
            s.attack = 30.0f;
            s.decay = 100.0f;
            s.sustain = -12.0f;
            s.release = 90.0f;
        });
    };
    scene.cues = chordTimeline();
    const std::vector<Cue> more = {
        { 500, controller, 7, 100 },   { 1500, controller, 10, 20 },  { 2500, controller, 11, 64 },
        { 3500, controller, 8, 100 },  { 4500, controller, 73, 30 },  { 5500, controller, 72, 127 },
        { 6500, controller, 75, 10 },  { 7500, controller, 76, 100 }, { 8500, controller, 6, 7 },
        { 8600, bend, 0, 100 },        { 9500, controller, 7, 127 },  { 10500, controller, 11, 127 },
        { 12500, controller, 121, 0 }, { 16000, noteOn, 60, 100 },    { 16000, noteOn, 45, 100 },
        { 18000, controller, 11, 30 }, { 20000, controller, 7, 60 },  { 21000, controller, 123, 0 },
        { 23000, noteOn, 47, 70 },
    };
    scene.cues.insert(scene.cues.end(), more.begin(), more.end());
    return scene;
}

// Every activation mode, a bypassed group and a silenced one; notes on
// several channels, a key switch, a controller and program changes.
Scene activationScene()
{
    Scene scene;
    scene.name = "GroupActivation";
    scene.build = [](ZInstrument& instrument) {
        ZGroup& always = *instrument.groups.front();
        buildPad(instrument, always);
        auto group = [&instrument](const std::string& name, int activation, auto configure) {
            ZGroup& g = *instrument.addGroup(name);
            g.settings.activation = activation;
            configure(g.settings);
            addZone(instrument, g, noise(5000, 1, 44100, 500), [](ZoneSettings& s) {
                loop(s, 500, 1000);
                s.release = 20.0f;
            });
            return &g;
        };
        group("Channel", 1, [](GroupSettings& s) { s.activationChannel = 2; });
        group("SwitchA", 2, [](GroupSettings& s) { s.activationNote = 24; });
        group("SwitchB", 2, [](GroupSettings& s) { s.activationNote = 25; });
        group("Controller", 3, [](GroupSettings& s) {
            s.activationController = 20;
            s.activationLow = 40;
            s.activationHigh = 80;
        });
        group("Program", 4, [](GroupSettings& s) { s.activationProgram = 5; });
        ZGroup* manual = group("Manual", 5, [](GroupSettings&) {});
        instrument.activateGroup(manual);
        group("Bypassed", 0, [](GroupSettings& s) { s.bypass = 1; });
        group("Silent", 0, [](GroupSettings& s) { s.volume = -30.0f; });
    };
    scene.cues = {
        { 0, noteOn, 60, 100 },            { 1000, noteOn | 2, 62, 100 },   { 2000, 0xF8, 0, 0 },
        { 3000, noteOn, 24, 100 },         { 3500, noteOn, 64, 100 },       { 5000, noteOn, 25, 100 },
        { 5500, noteOn, 65, 100 },         { 7000, controller, 20, 60 },    { 7500, noteOn, 67, 100 },
        { 9000, program, 5, 0 },           { 9500, noteOn, 69, 100 },       { 11000, controller, 20, 90 },
        { 11500, noteOn, 71, 100 },        { 13000, noteOff | 2, 62, 0 },   { 13500, noteOff | 3, 60, 0 },
        { 15000, noteOff, 64, 0 },         { 15000, noteOff, 65, 0 },       { 15000, noteOff, 67, 0 },
        { 15000, noteOff, 69, 0 },         { 15000, noteOff, 71, 0 },       { 16000, program, 1, 0 },
        { 17000, noteOn | 2, 48, 100 },    { 21000, noteOff | 2, 48, 0 },   { 21000, noteOff, 60, 0 },
    };
    return scene;
}

Scene zoneSelectionScene()
{
    Scene scene;
    scene.name = "ZoneSelection";
    scene.build = [](ZInstrument& instrument) {
        instrument.groups.front()->settings.zoneSelection = 1;
        for (int selection = 0; selection < 4; ++selection)
        {
            ZGroup& group = selection == 0 ? *instrument.groups.front() : *instrument.addGroup("Selection");
            group.settings.zoneSelection = selection == 0 ? 1 : selection == 1 ? 2 : selection == 2 ? 3 : 0;
            group.settings.lowKey = 24 * selection;
            group.settings.highKey = 24 * selection + 23;
            instrument.activateGroup(&group);
            for (int k = 0; k < 3; ++k)
                addZone(instrument, group, noise(4000 + 1000 * k, 1 + k % 2, 44100), [k](ZoneSettings& s) {
                    s.tune = static_cast<float>(30 * k);
                    s.release = 10.0f;
                });
        }
    };
    for (int k = 0; k < 40; ++k)
    {
        const auto key = static_cast<uint8_t>((k * 13) % 96);
        scene.cues.push_back({ 600 * k, noteOn, key, 100 });
        scene.cues.push_back({ 600 * k + 400, noteOff, key, 0 });
    }
    return scene;
}

Scene velocityScene()
{
    Scene scene;
    scene.name = "VelocityCurves";
    scene.build = [](ZInstrument& instrument) {
        instrument.settings.velocityFloor = -60;
        instrument.settings.velocityTop = 12;
        buildKeysInstrument(instrument);
    };
    for (int k = 0; k < 40; ++k)
    {
        scene.cues.push_back({ 600 * k, noteOn, static_cast<uint8_t>(40 + k), static_cast<uint8_t>((k * 41) % 128) });
        scene.cues.push_back({ 600 * k + 500, noteOff, static_cast<uint8_t>(40 + k), 0 });
    }
    for (int curve = 1; curve <= 3; ++curve)
        scene.tweaks.push_back({ 15 * curve, [curve](ZInstrument& instrument) {
                                    instrument.settings.velocityCurve = curve;
                                    instrument.settings.velocityFloor = -48 + 10 * curve;
                                    instrument.settings.velocityTop = -curve;
                                } });
    return scene;
}

Scene hostRateScene(float rate, bool streaming)
{
    Scene scene;
    scene.name = std::string("HostRate") + (rate == 48000.0f ? "48k" : "96k") + (streaming ? "Stream" : "Memory");
    scene.hostRate = rate;
    scene.blockSize = 256;
    scene.frames = 24000;
    scene.pool = { streaming, false, 4096, 12 };
    scene.build = [](ZInstrument& instrument) {
        instrument.settings.filterType = 2;
        instrument.settings.filterCutoff = 0.02f;
        instrument.settings.lfoRate = 6.0f;
        ZGroup& group = *instrument.groups.front();
        buildKeys(instrument, group);
        addZone(instrument, group, noise(40000, 2, 96000, 4000), [](ZoneSettings& s) {
            keyRange(s, 90, 100);
            loop(s, 4000, 8000);
            s.attack = 10.0f;
            s.release = 70.0f;
        });
    };
    scene.cues = keysTimeline();
    scene.cues.push_back({ 8000, noteOn, 95, 100 });
    scene.cues.push_back({ 20000, noteOff, 95, 0 });
    return scene;
}

std::vector<Scene> goldenScenes()
{
    std::vector<Scene> scenes;
    for (int interpolation = 0; interpolation < 3; ++interpolation)
        for (bool sixteenBit : { true, false })
            for (bool streaming : { false, true })
                scenes.push_back(voicesScene(interpolation, sixteenBit, streaming));
    for (int blockSize : { 1, 64, 441, 4096 })
        for (bool streaming : { false, true })
            scenes.push_back(blockScene(blockSize, streaming));
    scenes.push_back(glideScene("GlideMono", 1, 80.0f, false));
    scenes.push_back(glideScene("GlideLegato", 2, 120.0f, false));
    scenes.push_back(glideScene("GlideLegatoStream", 2, 120.0f, true));
    scenes.push_back(glideScene("GlideTimeIgnoredInPoly", 0, 120.0f, false));
    scenes.push_back(stealScene(false));
    scenes.push_back(stealScene(true));
    scenes.push_back(releaseTriggerScene());
    scenes.push_back(filterScene("FilterLowPass", 1, {}));
    scenes.push_back(filterScene("FilterHighPass", 2, {}));
    scenes.push_back(filterScene("FilterOtherShapes", 3, filterShapeTweaks()));
    scenes.push_back(reverbScene());
    scenes.push_back(clipScene(true));
    scenes.push_back(clipScene(false));
    for (int channels : { 2, 5, 32 })
        scenes.push_back(outputScene(channels));
    scenes.push_back(lfoPitchScene());
    scenes.push_back(lfoExpressionScene());
    scenes.push_back(lfoPanScene());
    scenes.push_back(controllerScene());
    scenes.push_back(activationScene());
    scenes.push_back(zoneSelectionScene());
    scenes.push_back(velocityScene());
    scenes.push_back(hostRateScene(48000.0f, false));
    scenes.push_back(hostRateScene(96000.0f, true));
    return scenes;
}

// ---------------------------------------------------------------- rendering

// FNV-1a over the bytes of every rendered sample, block by block, channel by
// channel.
struct Digest
{
    uint64_t value = 14695981039346656037ull;

    void add(const void* data, size_t bytes)
    {
        for (const auto* p = static_cast<const uint8_t*>(data); bytes-- > 0; ++p)
            value = (value ^ *p) * 1099511628211ull;
    }
    std::string hex() const
    {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
        return text;
    }
};

// The render of a scene: its digest, and its samples interleaved.
struct Render
{
    std::string digest;
    std::vector<float> interleaved;
};

Render renderScene(const Scene& scene)
{
    ZInstrument instrument;
    ZManualClock clock;
    ZRandom random(4242);
    instrument.setClock(&clock);
    instrument.setRandom(&random);
    configure(instrument, scene.pool.streaming, scene.pool.sixteenBit, scene.pool.streamFrames, scene.pool.voices);
    // The host's rate arrives before the instrument is filled, as it does
    // when a host prepares the player before a load.
    instrument.setSampleRate(scene.hostRate);
    scene.build(instrument);
    instrument.applySettings();
    instrument.setCompleteRefillsBeforeBlock(true);

    const int blockSize = scene.blockSize;
    const int channels = scene.channels;
    const int64_t blocks = (scene.frames + blockSize - 1) / blockSize;
    std::vector<std::vector<float>> buffers(static_cast<size_t>(channels), std::vector<float>(static_cast<size_t>(blockSize)));
    std::vector<float*> pointers;
    for (auto& buffer : buffers)
        pointers.push_back(buffer.data());

    std::vector<Cue> cues = scene.cues;
    std::stable_sort(cues.begin(), cues.end(), [](const Cue& a, const Cue& b) { return a.frame < b.frame; });

    Render render;
    Digest digest;
    size_t nextCue = 0;
    for (int64_t block = 0; block < blocks; ++block)
    {
        const int64_t blockStart = block * blockSize;
        clock.set(static_cast<double>(blockStart) * 1000.0 / static_cast<double>(scene.hostRate));
        for (const Tweak& tweak : scene.tweaks)
            if (tweak.block == block)
                tweak.change(instrument);
        for (; nextCue < cues.size() && cues[nextCue].frame < blockStart + blockSize; ++nextCue)
        {
            const Cue& cue = cues[nextCue];
            instrument.postEvent(cue.status & 0xF0, cue.status & 0x0F, cue.data1, cue.data2,
                                 static_cast<int>(cue.frame - blockStart));
        }
        for (const RawCue& cue : scene.rawCues)
            if (cue.block == block)
                instrument.postEvent(cue.status & 0xF0, cue.status & 0x0F, cue.data1, cue.data2, cue.position);

        instrument.process(pointers.data(), channels, blockSize);
        for (const auto& buffer : buffers)
            digest.add(buffer.data(), buffer.size() * sizeof(float));
        for (int i = 0; i < blockSize; ++i)
            for (const auto& buffer : buffers)
                render.interleaved.push_back(buffer[static_cast<size_t>(i)]);
    }
    render.digest = digest.hex();
    return render;
}

void writeRender(const Scene& scene, const Render& render)
{
    const char* folder = std::getenv("ZSP_GOLDEN_RENDER_DIR");
    if (folder == nullptr || *folder == 0)
        return;
    const std::string path = std::string(folder) + "/" + scene.name + "." + std::to_string(scene.channels) + "ch."
                           + std::to_string(static_cast<int>(scene.hostRate)) + ".f32";
    if (FILE* file = std::fopen(path.c_str(), "wb"))
    {
        std::fwrite(render.interleaved.data(), sizeof(float), render.interleaved.size(), file);
        std::fclose(file);
    }
}

// Digests of the renders of the engine as it was when they were recorded.
const std::map<std::string, std::string>& goldenDigests()
{
    static const std::map<std::string, std::string> digests = {
        { "VoicesLowInt16Memory", "b551778daa163428" },
        { "VoicesLowInt16Stream", "41177efd3af3dee4" },
        { "VoicesLowFloatMemory", "8585edcb32dc3a4c" },
        { "VoicesLowFloatStream", "57669e071d5ef923" },
        { "VoicesMidInt16Memory", "c5620b7f557c01db" },
        { "VoicesMidInt16Stream", "4b5d9b68b8676358" },
        { "VoicesMidFloatMemory", "ebd923163dab341d" },
        { "VoicesMidFloatStream", "1e36a6510e541eed" },
        { "VoicesHighInt16Memory", "c3366818d75991d1" },
        { "VoicesHighInt16Stream", "4c8306648360086e" },
        { "VoicesHighFloatMemory", "00e9907d53bdb683" },
        { "VoicesHighFloatStream", "4f377df8060fb1a5" },
        { "Block1Memory", "b5cc8650f566f4aa" },
        { "Block1Stream", "0d8a0909d23c5d75" },
        { "Block64Memory", "a32c312a6caec0c8" },
        { "Block64Stream", "848a946ea4f87851" },
        { "Block441Memory", "f2fb301bcc159b8c" },
        { "Block441Stream", "73d7cd8ce679053a" },
        { "Block4096Memory", "a9db766718ad7e25" },
        { "Block4096Stream", "6c313c43e14a0f81" },
        { "GlideMono", "ba4b4b7e29b5b716" },
        { "GlideLegato", "b8a422657d1c5bca" },
        { "GlideLegatoStream", "e714af1da8b14522" },
        { "GlideTimeIgnoredInPoly", "fcc43c7082080e15" },
        { "StealPendingMemory", "d7c7b3cd20694249" },
        { "StealPendingStream", "7d674e9210f9915c" },
        { "ReleaseTriggerAndSustain", "69801bdccdce2bf5" },
        { "FilterLowPass", "55f7622f010e8dde" },
        { "FilterHighPass", "d3d8a92dfb231beb" },
        { "FilterOtherShapes", "dce16923c11e440e" },
        { "Reverb", "1b213362e10e6994" },
        { "ClipOn", "3fc089e9b2d7f3d0" },
        { "ClipOff", "81715657e9a6302b" },
        { "Outputs2", "2de247f51ac68ebf" },
        { "Outputs5", "f17c7be2bb7b5b4f" },
        { "Outputs32", "684274b64e6010a1" },
        { "LfoPitchShapesAndRates", "4da1350e8b0a3959" },
        { "LfoExpressionFromKeyPressure", "ac1b7c588b27cdf5" },
        { "LfoPanFromVelocity", "60d94c336be41683" },
        { "Controllers", "f6d0065b0ee4459a" },
        { "GroupActivation", "81e80ffbb8ae42dd" },
        { "ZoneSelection", "9782bec59ebdd288" },
        { "VelocityCurves", "4574618c369895c4" },
        { "HostRate48kMemory", "fa72fa70ce990ef7" },
        { "HostRate96kStream", "31ab5150b68d9212" },
    };
    return digests;
}

class GoldenRender : public ::testing::TestWithParam<Scene>
{
};

void PrintTo(const Scene& scene, std::ostream* out) { *out << scene.name; }
} // namespace

TEST_P(GoldenRender, MatchesTheRecordedBytes)
{
    const Scene& scene = GetParam();
    const Render render = renderScene(scene);
    writeRender(scene, render);

    // The render must make sound: a silent scene would guard nothing.
    float peak = 0.0f;
    for (float value : render.interleaved)
        peak = std::max(peak, std::fabs(value));
    EXPECT_GT(peak, 0.01f);

    const auto& digests = goldenDigests();
    const auto recorded = digests.find(scene.name);
    ASSERT_NE(recorded, digests.end()) << "no recorded digest; this build renders\n        { \"" << scene.name
                                       << "\", \"" << render.digest << "\" },";
    EXPECT_EQ(render.digest, recorded->second) << "this build renders\n        { \"" << scene.name << "\", \""
                                               << render.digest << "\" },";
}

INSTANTIATE_TEST_SUITE_P(Scenes, GoldenRender, ::testing::ValuesIn(goldenScenes()),
                         [](const ::testing::TestParamInfo<Scene>& info) { return info.param.name; });

// zsp-render end to end: instruments built by zse-build from WAVE files the
// test synthesises, rendered from MIDI files the test writes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "MidiBuilder.h"
#include "ToolRun.h"
#include "files/FileTestSupport.h"

namespace
{
constexpr int rate = 44100;

struct FloatWave
{
    int formatTag = 0;
    int channels = 0;
    int sampleRate = 0;
    std::vector<std::vector<float>> data;  // per channel
};

uint32_t le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

FloatWave readFloatWave(const std::string& path)
{
    const Bytes bytes = readWholeFile(path);
    FloatWave wave;
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return wave;
    for (size_t at = 12; at + 8 <= bytes.size();)
    {
        const uint32_t size = le32(&bytes[at + 4]);
        const uint8_t* body = &bytes[at + 8];
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0)
        {
            wave.formatTag = body[0] | body[1] << 8;
            wave.channels = body[2] | body[3] << 8;
            wave.sampleRate = static_cast<int>(le32(body + 4));
        }
        else if (std::memcmp(&bytes[at], "data", 4) == 0 && wave.channels > 0)
        {
            wave.data.assign(static_cast<size_t>(wave.channels), {});
            const size_t values = std::min<size_t>(size, bytes.size() - at - 8) / 4;
            for (size_t k = 0; k < values; ++k)
            {
                float value;
                std::memcpy(&value, body + 4 * k, 4);
                wave.data[k % static_cast<size_t>(wave.channels)].push_back(value);
            }
        }
        at += 8 + size + (size & 1);
    }
    return wave;
}

Bytes sineWave(double frequency, double amplitude, double seconds)
{
    std::vector<int16_t> values(static_cast<size_t>(seconds * rate));
    for (size_t k = 0; k < values.size(); ++k)
        values[k] = static_cast<int16_t>(
            std::lrint(amplitude * 32767.0 * std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(k) / rate)));
    return WaveBuilder().pcm(1, rate, 16).data(samples16(values)).build();
}

Bytes constantWave(int16_t value, double seconds)
{
    return WaveBuilder().pcm(1, rate, 16).data(samples16(std::vector<int16_t>(static_cast<size_t>(seconds * rate), value))).build();
}

// Builds folder/instrument.zse from a description; the WAVE files are
// written into the folder first.
std::string buildInstrument(const std::string& folder, const std::string& description)
{
    writeTextFile(folder + "/instrument.json", description);
    const std::string output = folder + "/instrument.zse";
    const ToolResult built = runTool(ZSE_BUILD_PROGRAM, { folder + "/instrument.json", output });
    EXPECT_EQ(built.exitStatus, 0) << built.err;
    return output;
}

std::string writeMidi(const std::string& folder, const std::string& name, const Bytes& bytes)
{
    const std::string path = folder + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

ToolResult render(const std::vector<std::string>& arguments)
{
    return runTool(ZSP_RENDER_PROGRAM, arguments);
}

const char* const sineDescription = R"({
  "name": "Sine",
  "groups": [ { "name": "Sine", "zones": [ { "sample": "sine.wav",
    "settings": { "rootKey": 69, "ignoreVelocity": 1, "release": 5 } } ] } ]
})";

// One note held for `ticks` at 480 ticks per quarter (120 bpm).
Bytes heldNote(uint8_t note, uint32_t ticks)
{
    MidiTrackBuilder track;
    track.event(0, { 0x90, note, 100 }).event(ticks, { 0x80, note, 0 }).end();
    return midiFile(0, 480, { track });
}

struct Measured
{
    double frequency;
    double peak;
    double largestStep;
};

Measured measure(const std::vector<float>& samples, size_t from, size_t to, int sampleRate = rate)
{
    Measured m { 0.0, 0.0, 0.0 };
    int crossings = 0;
    for (size_t k = from + 1; k < to; ++k)
    {
        crossings += samples[k - 1] < 0.0f && samples[k] >= 0.0f ? 1 : 0;
        m.peak = std::max(m.peak, static_cast<double>(std::fabs(samples[k])));
        m.largestStep = std::max(m.largestStep, static_cast<double>(std::fabs(samples[k] - samples[k - 1])));
    }
    m.frequency = crossings / (static_cast<double>(to - from) / sampleRate);
    return m;
}

size_t firstSound(const std::vector<float>& samples, size_t from = 0)
{
    for (size_t k = from; k < samples.size(); ++k)
        if (std::fabs(samples[k]) > 1e-6f)
            return k;
    return samples.size();
}
} // namespace

TEST(RenderProgram, ASineInstrumentPlaysAtThePitchAndLevelOfItsNotes)
{
    const std::string folder = freshFolder("render-sine");
    writeScratchFile("render-sine/sine.wav", sineWave(441.0, 0.5, 2.0));
    const std::string instrument = buildInstrument(folder, sineDescription);

    struct Case
    {
        uint8_t note;
        uint32_t ticks;
        double frequency;
        double seconds;  // steady part measured
    };
    // The sample lasts 2 s: longer than the one second a streaming zone
    // preloads, so the render goes through refills as well.
    for (const Case& c : { Case { 69, 1800, 441.0, 1.7 }, Case { 81, 800, 882.0, 0.8 }, Case { 57, 1800, 220.5, 1.7 } })
    {
        SCOPED_TRACE("note " + std::to_string(c.note));
        const std::string midi = writeMidi(folder, "note.mid", heldNote(c.note, c.ticks));
        const std::string output = folder + "/note.wav";
        const ToolResult result = render({ "--instrument", instrument, "--midi", midi, "--output", output });
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_TRUE(result.err.empty()) << result.err;  // no progress bar without a terminal

        const FloatWave wave = readFloatWave(output);
        EXPECT_EQ(wave.formatTag, 3);
        EXPECT_EQ(wave.sampleRate, rate);
        ASSERT_EQ(wave.channels, 2);
        const auto from = static_cast<size_t>(0.1 * rate);
        const auto to = static_cast<size_t>(c.seconds * rate);
        ASSERT_GT(wave.data[0].size(), to);
        const Measured m = measure(wave.data[0], from, to);
        EXPECT_NEAR(m.frequency, c.frequency, c.frequency * 0.005);
        EXPECT_NEAR(m.peak, 0.5, 0.01);
        // A sine's steepest step between samples; a gap or a late buffer
        // would jump further.
        EXPECT_LT(m.largestStep, 0.5 * 2.0 * std::numbers::pi * c.frequency / rate * 1.05);
        EXPECT_EQ(wave.data[0], wave.data[1]);  // a centred zone plays alike on both sides
    }
}

TEST(RenderProgram, EventsLandOnTheSampleTheirTickGives)
{
    const std::string folder = freshFolder("render-timing");
    writeScratchFile("render-timing/level.wav", constantWave(16384, 1.0));
    const std::string instrument = buildInstrument(folder, R"({
      "groups": [ { "zones": [ { "sample": "level.wav",
        "settings": { "ignoreVelocity": 1, "release": 1 } } ] } ] })");

    // 96 ticks per quarter; 100 bpm, then 60 bpm from tick 96. Tick 1 is
    // 6.25 ms (sample 275.625, so 276); tick 144 is 0.6 s + 0.5 s (48510).
    MidiTrackBuilder tempo;
    tempo.tempo(0, 600000).tempo(96, 1000000).end();
    MidiTrackBuilder notes;
    notes.event(1, { 0x90, 60, 100 })
        .event(19, { 0x80, 60, 0 })
        .event(10, { 0xF0, 0x03, 0x7D, 0x01, 0xF7 })  // a system-exclusive message between the notes
        .event(114, { 0x90, 62, 100 })
        .event(96, { 0x80, 62, 0 })
        .end();
    const std::string midi = writeMidi(folder, "timing.mid", midiFile(1, 96, { tempo, notes }));
    const std::string output = folder + "/timing.wav";
    const ToolResult result = render({ "--instrument", instrument, "--midi", midi, "--output", output, "--block-size",
                                       "64", "--tail", "0.5" });
    ASSERT_EQ(result.exitStatus, 0) << result.err;

    const FloatWave wave = readFloatWave(output);
    ASSERT_EQ(wave.channels, 2);
    const std::vector<float>& left = wave.data[0];
    EXPECT_EQ(firstSound(left), 276u);
    // The first note ends at tick 20 (125 ms) and its 1 ms release after it.
    const size_t silentFrom = static_cast<size_t>(0.125 * rate) + 200;
    EXPECT_EQ(firstSound(left, silentFrom), 48510u);
    // The last event (tick 240, 0.6 s + 1.5 s: sample 92610), then half a
    // second to the sample, whatever the block size.
    EXPECT_EQ(left.size(), 92610u + 1u + 22050u);
}

TEST(RenderProgram, RendersAreTheSameEveryTimeForOneSeed)
{
    const std::string folder = freshFolder("render-repeat");
    writeScratchFile("render-repeat/low.wav", sineWave(441.0, 0.4, 0.5));
    writeScratchFile("render-repeat/high.wav", sineWave(661.5, 0.4, 0.5));
    const std::string instrument = buildInstrument(folder, R"({
      "settings": { "lfoDepth": 0.3, "reverbSend": 0.2 },
      "groups": [ { "settings": { "zoneSelection": 3 }, "zones": [
        { "sample": "low.wav", "settings": { "rootKey": 69 } },
        { "sample": "high.wav", "settings": { "rootKey": 69 } } ] } ] })");
    MidiTrackBuilder notes;
    for (int k = 0; k < 24; ++k)
        notes.event(k == 0 ? 0 : 60, { 0x90, static_cast<uint8_t>(60 + k % 12), static_cast<uint8_t>(40 + 3 * k) })
            .event(50, { 0x80, static_cast<uint8_t>(60 + k % 12), 0 });
    notes.end();
    const std::string midi = writeMidi(folder, "repeat.mid", midiFile(0, 480, { notes }));

    auto renderWith = [&](const std::string& seed, const std::string& name) {
        const std::string output = folder + "/" + name;
        const ToolResult result = render({ "--instrument", instrument, "--midi", midi, "--output", output, "--seed", seed });
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        return readWholeFile(output);
    };
    const Bytes first = renderWith("7", "first.wav");
    ASSERT_GT(first.size(), 1000u);
    EXPECT_EQ(renderWith("7", "second.wav"), first);
    EXPECT_NE(renderWith("8", "other-seed.wav"), first);  // the seed does choose the zones
}

TEST(RenderProgram, MoreOutputsCarryEachGroupOnItsOwnPair)
{
    const std::string folder = freshFolder("render-outputs");
    writeScratchFile("render-outputs/sine.wav", sineWave(441.0, 0.5, 0.5));
    const std::string instrument = buildInstrument(folder, R"({
      "groups": [ { "settings": { "output": 1 }, "zones": [ { "sample": "sine.wav", "settings": { "rootKey": 69 } } ] } ] })");
    const std::string midi = writeMidi(folder, "note.mid", heldNote(69, 240));

    const std::string output = folder + "/outputs.wav";
    const ToolResult result = render({ "--instrument", instrument, "--midi", midi, "--output", output, "--outputs", "2",
                                       "--sample-rate", "48000", "--quiet" });
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const FloatWave wave = readFloatWave(output);
    EXPECT_EQ(wave.sampleRate, 48000);
    ASSERT_EQ(wave.channels, 4);
    EXPECT_EQ(firstSound(wave.data[0]), wave.data[0].size());
    EXPECT_EQ(firstSound(wave.data[1]), wave.data[1].size());
    EXPECT_LT(firstSound(wave.data[2]), 10u);
    EXPECT_LT(firstSound(wave.data[3]), 10u);
    // 441 Hz recorded at 44100 Hz still sounds at 441 Hz when rendered at 48000.
    EXPECT_NEAR(measure(wave.data[2], 4800, 4800 * 2, 48000).frequency, 441.0, 441.0 * 0.01);
}

TEST(RenderProgram, BadInputIsReportedAndLeavesNoOutputFile)
{
    const std::string folder = freshFolder("render-bad");
    writeScratchFile("render-bad/sine.wav", sineWave(441.0, 0.5, 0.2));
    const std::string instrument = buildInstrument(folder, sineDescription);
    const std::string midi = writeMidi(folder, "good.mid", heldNote(69, 100));

    Bytes old = readWholeFile(instrument);
    old[4] = 199;
    writeScratchFile("render-bad/old.zse", old);
    writeTextFile(folder + "/text.zse", "this is text");
    Bytes cut = heldNote(69, 100);
    cut.resize(cut.size() - 3);
    const std::string cutMidi = writeMidi(folder, "cut.mid", cut);
    const std::string output = folder + "/out/never.wav";
    std::filesystem::create_directories(folder + "/out");

    struct Case
    {
        std::vector<std::string> arguments;
        std::string expected;
    };
    const std::vector<Case> cases = {
        { { "--instrument", folder + "/missing.zse", "--midi", midi, "--output", output },
          folder + "/missing.zse: not found" },
        { { "--instrument", folder + "/out", "--midi", midi, "--output", output }, folder + "/out: is a directory" },
        { { "--instrument", "/dev/zero", "--midi", midi, "--output", output }, "/dev/zero: not a regular file" },
        { { "--instrument", folder + "/text.zse", "--midi", midi, "--output", output },
          folder + "/text.zse: not an instrument file" },
        { { "--instrument", folder + "/old.zse", "--midi", midi, "--output", output },
          folder + "/old.zse: instrument format version 199" },
        { { "--instrument", instrument, "--midi", folder + "/missing.mid", "--output", output },
          folder + "/missing.mid: cannot open the MIDI file" },
        { { "--instrument", instrument, "--midi", cutMidi, "--output", output },
          cutMidi + ": track 1 runs past the end of the file" },
        { { "--instrument", instrument, "--midi", instrument, "--output", output },
          instrument + ": not a Standard MIDI File" },
        { { "--instrument", instrument, "--midi", midi, "--output", output, "--bogus" }, "unknown option --bogus" },
        { { "--instrument", instrument, "--midi", midi, "--output", output, "--outputs", "17" },
          "--outputs takes a whole number from 1 to 16, not \"17\"" },
        { { "--instrument", instrument, "--midi", midi, "--output", output, "--tail", "-1" }, "--tail takes" },
        { { "--instrument", instrument, "--output", output }, "--midi is needed" },
        { { "--instrument", instrument, "--midi", midi, "--output", folder + "/nowhere/x.wav" },
          folder + "/nowhere/x.wav: cannot create the output file" },
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.expected);
        const ToolResult result = render(c.arguments);
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_NE(result.err.find("zsp-render: " + c.expected), std::string::npos) << result.err;
        EXPECT_TRUE(folderEntries(folder + "/out").empty());
    }
}

TEST(RenderProgram, AnInstrumentCutShortDamagedOrMissingSamplesIsRefusedWithTheReason)
{
    const std::string folder = freshFolder("render-damaged");
    std::filesystem::create_directories(folder + "/out");
    writeScratchFile("render-damaged/sine.wav", sineWave(441.0, 0.5, 0.2));
    const std::string instrument = buildInstrument(folder, sineDescription);
    const std::string midi = writeMidi(folder, "note.mid", heldNote(69, 100));
    const Bytes whole = readWholeFile(instrument);
    ASSERT_GT(whole.size(), 1500u);

    struct Case
    {
        std::string name;
        Bytes bytes;
        std::string reason;
    };
    std::vector<Case> cases;
    for (size_t length : { 16u, 100u, 600u, 1500u })
        cases.push_back({ "cut at " + std::to_string(length), Bytes(whole.begin(), whole.begin() + static_cast<long>(length)),
                          "the file ends inside the " });
    // The embedded sound's header follows its name; its channel count is at
    // byte 8 of it.
    const std::string name = "sine.wav";
    const auto at = std::search(whole.begin(), whole.end(), name.begin(), name.end());
    ASSERT_NE(at, whole.end());
    Bytes damaged = whole;
    damaged[static_cast<size_t>(at - whole.begin()) + name.size() + 1 + 8] = 9;
    cases.push_back({ "nine channels", damaged, "the embedded sound of group 1 zone 1 says it holds 8820 frames of 9 channels, which makes no sense" });

    for (const Case& c : cases)
        for (bool allowMissing : { false, true })
        {
            SCOPED_TRACE(c.name + (allowMissing ? ", missing samples allowed" : ""));
            const std::string path = writeScratchFile("render-damaged/damaged.zse", c.bytes);
            std::vector<std::string> arguments = { "--instrument", path, "--midi", midi, "--output", folder + "/out/x.wav" };
            if (allowMissing)
                arguments.push_back("--allow-missing-samples");
            const ToolResult result = render(arguments);
            EXPECT_EQ(result.exitStatus, 1);
            EXPECT_EQ(result.err.find("zsp-render: " + path + ": " + c.reason), 0u) << result.err;
            EXPECT_TRUE(folderEntries(folder + "/out").empty());
        }
}

TEST(RenderProgram, MissingSamplesAreAnErrorUnlessAllowedAndThenReported)
{
    const std::string folder = freshFolder("render-missing");
    const std::string sample = "sine\x1b[1m.wav";
    writeScratchFile("render-missing/" + sample, sineWave(441.0, 0.5, 0.2));
    writeTextFile(folder + "/instrument.json", R"({ "groups": [ { "zones": [ { "sample": "sine\u001b[1m.wav" } ] } ] })");
    const std::string instrument = folder + "/instrument.zse";
    const ToolResult built = runTool(ZSE_BUILD_PROGRAM, { "--storage", "reference", folder + "/instrument.json", instrument });
    ASSERT_EQ(built.exitStatus, 0) << built.err;
    const std::string midi = writeMidi(folder, "note.mid", heldNote(69, 100));
    std::filesystem::remove(folder + "/" + sample);
    const std::string missing = "1 of 1 zones: \"sine\\x1b[1m.wav\" (group 1 zone 1, \"" + folder
                              + "/sine\\x1b[1m.wav\": not found)";

    const std::string output = folder + "/out.wav";
    const ToolResult refused = render({ "--instrument", instrument, "--midi", midi, "--output", output });
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_EQ(refused.err, "zsp-render: " + instrument + ": missing samples: " + missing
                               + " (--allow-missing-samples renders without them)\n");
    EXPECT_FALSE(std::filesystem::exists(output));

    const ToolResult allowed = render({ "--instrument", instrument, "--midi", midi, "--output", output,
                                        "--allow-missing-samples" });
    ASSERT_EQ(allowed.exitStatus, 0) << allowed.err;
    EXPECT_TRUE(std::filesystem::exists(output));
    // The one note found no zone, since its only zone is gone.
    EXPECT_NE(allowed.out.find("  notes that found no zone: 1\n  missing samples: " + missing + "\n"), std::string::npos)
        << allowed.out;
    EXPECT_EQ(allowed.out.find('\x1b'), std::string::npos);
}

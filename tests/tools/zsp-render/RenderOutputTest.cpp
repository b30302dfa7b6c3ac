// zsp-render's outputs and its end: integer formats hold the hand-computed
// values of a known level, --until-silent ends a second after the sound has
// died away, the report tells the peaks and why samples clipped, devices,
// pipes and standard output are written into, inputs are never overwritten
// and an interrupted render leaves no partial file. Also: every tool answers
// --help and --version.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "MidiBuilder.h"
#include "ToolRun.h"
#include "files/FileTestSupport.h"

namespace fs = std::filesystem;

namespace
{
constexpr int rate = 44100;

struct Wave
{
    int formatTag = 0;
    int channels = 0;
    int bits = 0;
    uint32_t dataSize = 0;  // as the header states it
    Bytes data;             // as the file holds it
};

uint32_t le(const uint8_t* p, int bytes)
{
    uint32_t value = 0;
    for (int k = bytes - 1; k >= 0; --k)
        value = value << 8 | p[k];
    return value;
}

Wave parseWave(const Bytes& bytes)
{
    Wave wave;
    for (size_t at = 12; at + 8 <= bytes.size();)
    {
        const uint32_t size = le(&bytes[at + 4], 4);
        const uint8_t* body = &bytes[at + 8];
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0)
        {
            wave.formatTag = static_cast<int>(le(body, 2));
            wave.channels = static_cast<int>(le(body + 2, 2));
            wave.bits = static_cast<int>(le(body + 14, 2));
        }
        else if (std::memcmp(&bytes[at], "data", 4) == 0)
        {
            wave.dataSize = size;
            wave.data.assign(bytes.begin() + static_cast<long>(at + 8), bytes.end());
            break;
        }
        at += 8 + size + (size & 1);
    }
    return wave;
}

// Sample k of a PCM or float file, as an integer or as the float's value.
int32_t integerSample(const Wave& wave, size_t k)
{
    const int bytes = wave.bits / 8;
    const uint32_t raw = le(&wave.data[k * static_cast<size_t>(bytes)], bytes);
    const int shift = 32 - wave.bits;
    return static_cast<int32_t>(raw << shift) >> shift;
}

float floatSample(const Wave& wave, size_t k)
{
    float value;
    std::memcpy(&value, &wave.data[4 * k], 4);
    return value;
}

size_t frameCount(const Wave& wave) { return wave.data.size() / static_cast<size_t>(wave.channels * wave.bits / 8); }

Bytes constantWave(int16_t value, double seconds)
{
    return WaveBuilder().pcm(1, rate, 16).data(samples16(std::vector<int16_t>(static_cast<size_t>(seconds * rate), value))).build();
}

std::string buildInstrument(const std::string& folder, const std::string& name, const std::string& description)
{
    writeTextFile(folder + "/" + name + ".json", description);
    const std::string output = folder + "/" + name + ".zse";
    const ToolResult built = runTool(ZSE_BUILD_PROGRAM, { folder + "/" + name + ".json", output });
    EXPECT_EQ(built.exitStatus, 0) << built.err;
    return output;
}

std::string writeMidi(const std::string& folder, const std::string& name, const Bytes& bytes)
{
    const std::string path = folder + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

// A note at tick 0, released after `ticks` (480 per quarter at 120 bpm: 1 ms
// is 0.96 ticks); no release at all for 0.
Bytes noteFor(uint32_t ticks)
{
    MidiTrackBuilder track;
    track.event(0, { 0x90, 60, 100 });
    if (ticks > 0)
        track.event(ticks, { 0x80, 60, 0 });
    track.end();
    return midiFile(0, 480, { track });
}

ToolResult render(const std::vector<std::string>& arguments) { return runTool(ZSP_RENDER_PROGRAM, arguments); }

bool holdsPartialFile(const std::string& folder)
{
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().find(".partial-") != std::string::npos)
            return true;
    return false;
}

const char* const levelInstrument = R"({ "settings": { "clipOutput": CLIP },
  "groups": [ { "zones": [ { "sample": "level.wav", "settings": { "ignoreVelocity": 1, "release": 1, "volume": VOLUME } } ] } ] })";

std::string withValues(std::string text, const std::string& clip, const std::string& volume)
{
    text.replace(text.find("CLIP"), 4, clip);
    text.replace(text.find("VOLUME"), 6, volume);
    return text;
}
} // namespace

TEST(RenderOutput, IntegerFormatsHoldTheRoundedAndClippedLevels)
{
    const std::string folder = freshFolder("render-formats");
    writeScratchFile("render-formats/level.wav", constantWave(16384, 1.0));  // 0.5
    const std::string midi = writeMidi(folder, "note.mid", noteFor(480));

    struct Case
    {
        const char* what;
        std::string clip;
        std::string volume;
        const char* format;
        int formatTag;
        int bits;
        int32_t steady;        // the held level in the file's own form
        const char* report;    // what the report says about clipping
    };
    const uint32_t half = 0x3F000000;  // 0.5f
    const uint32_t one = 0x3F800000;   // 1.0f
    const Case cases[] = {
        { "float", "1", "0", "f32", 3, 32, static_cast<int32_t>(half), "clipped samples: 0\n" },
        { "16-bit", "1", "0", "s16", 1, 16, 16384, "clipped samples: 0\n" },
        { "24-bit", "1", "0", "s24", 1, 24, 4194304, "clipped samples: 0\n" },
        // +12 dB on 0.5 is 1.99: held at 1.0 by the instrument ...
        { "float, clipped by the instrument", "1", "12", "f32", 3, 32, static_cast<int32_t>(one),
          ", held at full scale by the instrument's clip setting (clipOutput)" },
        // ... or by the integer range when the instrument does not clip.
        { "16-bit, clipped by the format", "0", "12", "s16", 1, 16, 32767,
          " at or beyond full scale, clipped to the range of the 16-bit integer file" },
        { "24-bit, clipped by the format", "0", "12", "s24", 1, 24, 8388607,
          " at or beyond full scale, clipped to the range of the 24-bit integer file" },
        { "float, not clipped", "0", "12", "f32", 3, 32, 0, "samples at or beyond full scale are kept as they are" },
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const std::string instrument = buildInstrument(folder, "level", withValues(levelInstrument, c.clip, c.volume));
        const std::string output = folder + "/out.wav";
        const ToolResult result = render({ "--instrument", instrument, "--midi", midi, "--output", output, "--format",
                                           c.format, "--tail", "0.1" });
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        const Wave wave = parseWave(readWholeFile(output));
        EXPECT_EQ(wave.formatTag, c.formatTag);
        EXPECT_EQ(wave.bits, c.bits);
        ASSERT_EQ(wave.channels, 2);
        EXPECT_EQ(wave.dataSize, wave.data.size());
        // The note-off at tick 480 (sample 22050), then the 0.1 s tail.
        ASSERT_EQ(frameCount(wave), 22050u + 1u + 4410u);
        for (size_t frame : { 5000u, 10000u })
            for (size_t channel : { 0u, 1u })
            {
                const size_t k = 2 * frame + channel;
                if (c.steady != 0)
                    EXPECT_EQ(integerSample(wave, k), c.steady) << frame;
                else
                    EXPECT_NEAR(floatSample(wave, k), 0.5f * std::pow(10.0f, 12.0f / 20.0f), 1e-3f);
            }
        EXPECT_NE(result.out.find(c.report), std::string::npos) << result.out;
    }
}

TEST(RenderOutput, UntilSilentEndsOneSecondAfterTheSoundHasDiedAway)
{
    const std::string folder = freshFolder("render-silent");
    // A quarter second at 0.5, played to its end whatever the key does.
    writeScratchFile("render-silent/short.wav", constantWave(16384, 0.25));
    const std::string instrument = buildInstrument(folder, "short", R"({ "groups": [ { "zones": [ { "sample": "short.wav",
        "settings": { "ignoreVelocity": 1, "playMode": "One Shot" } } ] } ] })");
    const std::string midi = writeMidi(folder, "tap.mid", noteFor(10));  // released at sample 459

    for (const char* level : { "-80", "-20" })
    {
        SCOPED_TRACE(level);
        const std::string output = folder + "/silent.wav";
        const ToolResult result = render({ "--instrument", instrument, "--midi", midi, "--output", output,
                                           "--until-silent", level, "--block-size", "100" });
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        const Wave wave = parseWave(readWholeFile(output));
        ASSERT_EQ(wave.channels, 2);
        // The last frame at or above the level, counted in the file itself.
        const float threshold = std::pow(10.0f, std::stof(level) / 20.0f);
        size_t lastLoud = 0;
        for (size_t k = 0; k < wave.data.size() / 4; ++k)
            if (std::fabs(floatSample(wave, k)) >= threshold)
                lastLoud = k / 2;
        EXPECT_GT(lastLoud, 10000u);  // the sample plays for 11025 frames
        EXPECT_EQ(frameCount(wave), lastLoud + 1 + rate);
        EXPECT_EQ(wave.dataSize, wave.data.size());  // the header was filled in at the end
        EXPECT_EQ(result.out.find("still sounding"), std::string::npos);
    }

    // A loop held for ever stops 60 s after the last event, and says so.
    writeScratchFile("render-silent/loop.wav", constantWave(8192, 0.5));
    const std::string held = buildInstrument(folder, "held", R"({ "groups": [ { "zones": [ { "sample": "loop.wav",
        "settings": { "playMode": "Loop", "loopStart": 100, "loopEnd": 20000 } } ] } ] })");
    const std::string forever = writeMidi(folder, "forever.mid", noteFor(0));
    const ToolResult result = render({ "--instrument", held, "--midi", forever, "--output", folder + "/held.wav",
                                       "--until-silent", "--format", "s16" });
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(frameCount(parseWave(readWholeFile(folder + "/held.wav"))), static_cast<size_t>(1 + 60 * rate));
    EXPECT_NE(result.out.find("still sounding 60 s after the last event"), std::string::npos) << result.out;
}

TEST(RenderOutput, TheReportGivesLengthAndPeaks)
{
    const std::string folder = freshFolder("render-report");
    writeScratchFile("render-report/level.wav", constantWave(16384, 1.0));
    const std::string instrument = buildInstrument(folder, "level", withValues(levelInstrument, "1", "0"));
    const std::string midi = writeMidi(folder, "note.mid", noteFor(480));
    const ToolResult result = render({ "--instrument", instrument, "--midi", midi, "--output", folder + "/r.wav",
                                       "--outputs", "2", "--tail", "1" });
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, folder + "/r.wav: 1.500 s (66151 frames at 44100 Hz), 32-bit float, 4 channels\n"
                          "  Output 1 peak -6.02 dBFS (left -6.02, right -6.02)\n"
                          "  Output 2 peak silent (left silent, right silent)\n"
                          "  clipped samples: 0\n"
                          "  notes that found no zone: 0\n"
                          "  missing samples: none\n");
    EXPECT_TRUE(result.err.empty()) << result.err;
    const ToolResult quiet = render({ "--instrument", instrument, "--midi", midi, "--output", folder + "/q.wav", "--quiet" });
    EXPECT_TRUE(quiet.out.empty() && quiet.err.empty());
}

TEST(RenderOutput, DevicesPipesAndStandardOutputAreWrittenIntoAndOtherPathsRefused)
{
    const std::string folder = freshFolder("render-outputs-special");
    writeScratchFile("render-outputs-special/level.wav", constantWave(16384, 0.2));
    const std::string instrument = buildInstrument(folder, "level", withValues(levelInstrument, "1", "0"));
    const std::string midi = writeMidi(folder, "note.mid", noteFor(100));
    auto renderTo = [&](const std::string& output, std::vector<std::string> extra = {}) {
        std::vector<std::string> arguments = { "--instrument", instrument, "--midi", midi, "--output", output, "--tail", "0.2" };
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return render(arguments);
    };
    ASSERT_EQ(renderTo(folder + "/file.wav").exitStatus, 0);
    const Bytes expected = readWholeFile(folder + "/file.wav");

    const ToolResult toStandardOutput = renderTo("-");
    EXPECT_EQ(toStandardOutput.exitStatus, 0);
    EXPECT_EQ(Bytes(toStandardOutput.out.begin(), toStandardOutput.out.end()), expected);
    EXPECT_NE(toStandardOutput.err.find("standard output: 0.304 s (13415 frames"), std::string::npos) << toStandardOutput.err;

    // With --until-silent the length comes at the end: standard output
    // redirected into a file gets it filled in, a pipe keeps the largest
    // sizes; the samples are the same.
    ASSERT_EQ(renderTo(folder + "/silent.wav", { "--until-silent" }).exitStatus, 1);  // --tail and --until-silent
    const std::vector<std::string> untilSilent = { "--instrument", instrument, "--midi", midi, "--until-silent" };
    auto withOutput = [&untilSilent](const std::string& output) {
        std::vector<std::string> arguments = untilSilent;
        arguments.insert(arguments.end(), { "--output", output });
        return arguments;
    };
    ASSERT_EQ(render(withOutput(folder + "/silent.wav")).exitStatus, 0);
    const Bytes filed = readWholeFile(folder + "/silent.wav");
    const ToolResult silentIntoFile = render(withOutput("-"));
    ASSERT_EQ(silentIntoFile.exitStatus, 0);
    EXPECT_EQ(Bytes(silentIntoFile.out.begin(), silentIntoFile.out.end()), filed);
    std::string command = "\"$0\"";
    for (size_t k = 1; k <= untilSilent.size(); ++k)
        command += " \"$" + std::to_string(k) + "\"";
    command += " --output - | cat > \"" + folder + "/piped.wav\"";
    std::vector<std::string> shell = { "-c", command, ZSP_RENDER_PROGRAM };
    shell.insert(shell.end(), untilSilent.begin(), untilSilent.end());
    ASSERT_EQ(runTool("/bin/sh", shell).exitStatus, 0);
    const Wave streamed = parseWave(readWholeFile(folder + "/piped.wav"));
    EXPECT_EQ(streamed.dataSize, 0xFFFFFFFFu);
    EXPECT_EQ(streamed.data, parseWave(filed).data);

    EXPECT_EQ(renderTo("/dev/null").exitStatus, 0);
    struct stat info {};
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));

    const std::string fifo = folder + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Bytes received;
    std::thread reader([&fifo, &received] { received = readWholeFile(fifo); });
    const ToolResult toPipe = renderTo(fifo);
    reader.join();
    EXPECT_EQ(toPipe.exitStatus, 0) << toPipe.err;
    EXPECT_EQ(received, expected);

    fs::create_directory(folder + "/folder");
    fs::create_symlink("note.mid", folder + "/midi-link.mid");
    struct Refused
    {
        std::string output;
        std::string message;
    };
    for (const Refused& r : {
             Refused { "/dev/full", "zsp-render: writing /dev/full failed: No space left on device" },
             Refused { folder + "/folder", "zsp-render: " + folder + "/folder: is a directory" },
             Refused { instrument, "zsp-render: the output " + instrument + " is the same file as the input" },
             Refused { midi, "zsp-render: the output " + midi + " is the same file as the input" },
             Refused { folder + "/midi-link.mid", "zsp-render: the output " + folder + "/midi-link.mid is the same file as the input" },
         })
    {
        SCOPED_TRACE(r.output);
        const ToolResult result = renderTo(r.output);
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_NE(result.err.find(r.message), std::string::npos) << result.err;
    }
    EXPECT_TRUE(fs::is_directory(folder + "/folder"));
    EXPECT_EQ(parseWave(readWholeFile(midi)).formatTag, 0);  // still the MIDI file
    EXPECT_FALSE(holdsPartialFile(folder));
}

TEST(RenderOutput, AnInterruptedRenderLeavesNoPartialFile)
{
    const std::string folder = freshFolder("render-interrupted");
    writeScratchFile("render-interrupted/level.wav", constantWave(16384, 0.5));
    const std::string instrument = buildInstrument(folder, "level", withValues(levelInstrument, "1", "0"));
    // Ten minutes of music: far longer than the test waits.
    const std::string midi = writeMidi(folder, "long.mid", noteFor(480 * 2 * 600));
    for (int signalNumber : { SIGINT, SIGTERM })
    {
        SCOPED_TRACE(strsignal(signalNumber));
        const pid_t child = startTool(ZSP_RENDER_PROGRAM, { "--instrument", instrument, "--midi", midi, "--output",
                                                            folder + "/long.wav", "--format", "s16" });
        ASSERT_GT(child, 0);
        bool interrupted = false;
        for (int poll = 0; poll < 100000 && !interrupted; ++poll)
        {
            interrupted = holdsPartialFile(folder);
            if (!interrupted)
                std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        // Well into the render, not just at its start.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::kill(child, signalNumber);
        const ToolResult result = waitForTool(child);
        ASSERT_TRUE(interrupted) << result.err;
        EXPECT_EQ(result.signal, signalNumber);
        EXPECT_FALSE(holdsPartialFile(folder));
        EXPECT_FALSE(fs::exists(folder + "/long.wav"));
    }
}

TEST(ToolInformation, EveryToolAnswersHelpAndVersion)
{
    for (const auto& [program, name] : { std::pair { std::string(ZSE_BUILD_PROGRAM), std::string("zse-build") },
                                         std::pair { std::string(ZSP_RENDER_PROGRAM), std::string("zsp-render") },
                                         std::pair { std::string(ZSP_BENCH_PROGRAM), std::string("zsp-bench") } })
    {
        SCOPED_TRACE(name);
        const ToolResult help = runTool(program, { "--help" });
        EXPECT_EQ(help.exitStatus, 0);
        EXPECT_EQ(help.out.rfind("usage: " + name, 0), 0u) << help.out;
        EXPECT_TRUE(help.err.empty());
        const ToolResult version = runTool(program, { "--version" });
        EXPECT_EQ(version.exitStatus, 0);
        EXPECT_EQ(version.out, name + " 2.5.9 (Zarvo Sampler Player)\n");
    }
}

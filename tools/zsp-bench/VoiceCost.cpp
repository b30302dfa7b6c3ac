#include "VoiceCost.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <vector>

#include "BenchSounds.h"
#include "engine/ZInstrument.h"

namespace
{
constexpr int sampleRate = 44100;
constexpr int blockSize = 256;
constexpr int fluidProgram = 19;

double processSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

double childrenSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec); };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Loads the tone into a fresh instrument, holds the notes and renders
// `seconds`; returns the processor time all of it took.
double oursRender(const std::string& tonePath, int voices, int interpolation, double seconds)
{
    const double begin = processSeconds();
    ZInstrument instrument;
    ZManualClock clock;
    instrument.setClock(&clock);
    instrument.settings.voiceCount = voices;
    instrument.settings.diskStreaming = 0;
    instrument.settings.sixteenBit = 1;
    instrument.settings.interpolation = interpolation;
    instrument.settings.reverbSend = 0.0f;
    instrument.settings.filterType = 0;
    instrument.createVoices();
    instrument.applySettings();

    auto* zone = new ZZone(&instrument, tonePath, nullptr, 0);
    zone->settings.lowKey = 0;
    zone->settings.highKey = 127;
    zone->settings.lowVelocity = 0;
    zone->settings.highVelocity = 127;
    zone->settings.rootKey = 60;
    zone->settings.playMode = 2;
    zone->settings.loopStart = 1000;
    zone->settings.loopEnd = zone->settings.endFrame;
    instrument.groups.front()->addZone(zone);
    for (const HeldNote& note : heldNotes(voices))
        instrument.postEvent(0x90, note.channel, note.key, 100, 0);

    std::vector<float> left(blockSize), right(blockSize);
    float* channels[] = { left.data(), right.data() };
    const long blocks = static_cast<long>(seconds * sampleRate / blockSize);
    for (long b = 0; b < blocks; ++b)
    {
        clock.set(static_cast<double>(b) * blockSize * 1000.0 / sampleRate);
        instrument.process(channels, 2, blockSize);
    }
    return processSeconds() - begin;
}

bool isExecutable(const std::string& path) { return !path.empty() && access(path.c_str(), X_OK) == 0; }

// Runs FluidSynth on the MIDI file and returns its processor time, or -1.
double fluidRender(const std::string& folder, const std::string& soundfont, const std::string& midiPath, bool linear)
{
    const std::string commands = folder + "/fluid-commands.txt";
    if (FILE* file = std::fopen(commands.c_str(), "w"))
    {
        std::fprintf(file, "interp %d\n", linear ? 1 : 4);
        std::fclose(file);
    }
    const std::string output = folder + "/fluid-render.raw";
    const std::string program = fluidSynthProgram();
    std::vector<std::string> arguments { program, "-n", "-i", "-q", "-R", "0", "-C", "0", "-r", "44100", "-T", "raw",
                                         "-o", "synth.polyphony=1024", "-o", "synth.cpu-cores=1", "-f", commands,
                                         "-F", output, soundfont, midiPath };
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::fflush(nullptr);
    const double before = childrenSeconds();
    const pid_t child = fork();
    if (child < 0)
        return -1.0;
    if (child == 0)
    {
        if (FILE* quiet = std::freopen("/dev/null", "w", stdout))
            (void)quiet;
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1.0;
    std::remove(output.c_str());
    return childrenSeconds() - before;
}
} // namespace

double oursNanosecondsPerVoiceFrame(const std::string& tonePath, int voices, int interpolation, const RenderSpan& span)
{
    // The process's first renders run slower (its memory is touched for the
    // first time, the processor's clock rises); an untimed one goes first.
    oursRender(tonePath, voices, interpolation, 1.0);
    const double shortTime = oursRender(tonePath, voices, interpolation, span.shortSeconds);
    const double longTime = oursRender(tonePath, voices, interpolation, span.longSeconds);
    const double voiceFrames = static_cast<double>(voices) * (span.longSeconds - span.shortSeconds) * sampleRate;
    return (longTime - shortTime) / voiceFrames * 1e9;
}

double fluidNanosecondsPerVoiceFrame(const std::string& folder, const std::string& soundfont, int voices, bool linear,
                                     const RenderSpan& span)
{
    const std::string shortMidi = folder + "/short.mid";
    const std::string longMidi = folder + "/long.mid";
    if (!writeHeldNotesMidi(shortMidi, fluidProgram, heldNotes(voices), span.shortSeconds)
        || !writeHeldNotesMidi(longMidi, fluidProgram, heldNotes(voices), span.longSeconds))
        return -1.0;
    // The first run reads the soundfont from disk; its time is not counted.
    if (fluidRender(folder, soundfont, shortMidi, linear) < 0.0)
        return -1.0;
    const double shortTime = fluidRender(folder, soundfont, shortMidi, linear);
    const double longTime = fluidRender(folder, soundfont, longMidi, linear);
    if (shortTime < 0.0 || longTime < 0.0)
        return -1.0;
    const double voiceFrames = static_cast<double>(voices) * (span.longSeconds - span.shortSeconds) * sampleRate;
    return (longTime - shortTime) / voiceFrames * 1e9;
}

std::string fluidSynthProgram()
{
    for (const char* path : { "/usr/bin/fluidsynth", "/usr/local/bin/fluidsynth" })
        if (isExecutable(path))
            return path;
    return {};
}

std::string fluidSoundfont()
{
    for (const char* path : { "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/soundfonts/FluidR3_GM.sf2" })
        if (access(path, R_OK) == 0)
            return path;
    return {};
}

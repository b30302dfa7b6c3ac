#pragma once
// The cost of one voice for one frame, ours and FluidSynth's, on the same
// work: N held notes of one looped mono 16-bit sample, one voice per note,
// 44.1 kHz, no reverb, no filter. Each figure is the time of a long render
// minus that of a short one, divided by N times the frames between them, so
// start-up and loading cancel. Times are processor time (user and system) of
// this process or of the FluidSynth process.

#include <string>

struct RenderSpan
{
    double shortSeconds = 10.0;
    double longSeconds = 40.0;
};

// Ours: `interpolation` is the stored mode (0 Low, 1 Mid, 2 High).
double oursNanosecondsPerVoiceFrame(const std::string& tonePath, int voices, int interpolation, const RenderSpan& span);

// FluidSynth's fast render of a MIDI file of N held notes of program 19 of
// the given soundfont, at its default (4th-order) interpolation or linear.
// Negative when FluidSynth cannot be run.
double fluidNanosecondsPerVoiceFrame(const std::string& folder, const std::string& soundfont, int voices, bool linear,
                                     const RenderSpan& span);

// Where FluidSynth and the FluidR3_GM soundfont are, or empty when either is
// missing.
std::string fluidSynthProgram();
std::string fluidSoundfont();

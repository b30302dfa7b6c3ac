#pragma once
// The VST 2 interface for hosting: the free fst headers, with one change.
// fst declares the speaker arrangement with a flexible speaker array, while
// JUCE's VST 2 hosting sizes its arrangements on the assumption that the
// struct already holds eight speakers; with fst a plugin of more than eight
// channels would make the host write past the end of its allocation. Here
// the struct has the eight built-in speakers JUCE counts on.
#define FST2VST 1
#define VstSpeakerArrangement fstFlexibleSpeakerArrangement
#include <pluginterfaces/fst/fst.h>
#undef VstSpeakerArrangement

struct VstSpeakerArrangement
{
    int type;
    int numChannels;
    VstSpeakerProperties speakers[8];
};

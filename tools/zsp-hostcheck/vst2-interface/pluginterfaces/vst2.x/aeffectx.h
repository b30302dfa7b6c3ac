#pragma once
// The VST 2 interface for hosting: the free fst headers, with two changes.
// fst declares the speaker arrangement with a flexible speaker array, while
// JUCE's VST 2 hosting sizes its arrangements on the assumption that the
// struct already holds eight speakers; with fst a plugin of more than eight
// channels would make the host write past the end of its allocation. Here
// the struct has the eight built-in speakers JUCE counts on. And fst leaves
// the pin property flags as 0, so a host would see every output as a mono
// pin; here they have their values of the published binary interface.
#define FST2VST 1
#define VstSpeakerArrangement fstFlexibleSpeakerArrangement
#define kVstPinIsActive fstUnknownPinIsActive
#define kVstPinUseSpeaker fstUnknownPinUseSpeaker
#define kVstPinIsStereo fstUnknownPinIsStereo
#include <pluginterfaces/fst/fst.h>
#undef VstSpeakerArrangement
#undef kVstPinIsActive
#undef kVstPinUseSpeaker
#undef kVstPinIsStereo

enum
{
    kVstPinIsActive = 1 << 0,
    kVstPinIsStereo = 1 << 1,
    kVstPinUseSpeaker = 1 << 2,
};

struct VstSpeakerArrangement
{
    int type;
    int numChannels;
    VstSpeakerProperties speakers[8];
};

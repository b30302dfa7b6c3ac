// Feeds arbitrary bytes to the processor's setStateInformation, as a host
// restoring a project would, with a small library present: the name may load
// an instrument (from the library, a subfolder or elsewhere) or none, and the
// settings after it are applied however short, cut or strange they are. A
// block with a note then plays the result. Each input is copied to a heap
// block of exactly its size, so AddressSanitizer sees any read past its end.
//
// Started with ZSP_WRITE_STATE_SEEDS=<folder> in its environment it writes
// the states the library's instruments save, the fuzzer's seeds, into that
// folder and ends.

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "CZSP.h"
#include "InstrumentImage.h"
#include "InstrumentWriter.h"
#include "support/MemorySound.h"

namespace
{
constexpr int blockFrames = 64;

void writeInstrument(const juce::File& file, const std::string& name, int groups, bool streaming)
{
    InstrumentImage image = newInstrumentImage();
    image.name = name;
    image.vendor = "Zarvo";
    image.settings.voiceCount = image.settings.voiceCountStored = 8;
    image.settings.diskStreaming = image.settings.diskStreamingStored = streaming ? 1 : 0;
    image.settings.streamBufferFrames = image.settings.streamBufferFramesStored = 256;
    for (int g = 0; g < groups; ++g)
    {
        GroupImage group = newGroupImage("Group " + std::to_string(g));
        group.settings.active = g == 0 ? 1 : 0;
        for (int z = 0; z < 2; ++z)
        {
            ZoneImage zone;
            auto sound = std::make_shared<MemorySound>(std::vector<float>(600, 0.25f * static_cast<float>(z + 1)), 1);
            zone.settings = soundZoneSettings(*sound);
            zone.settings.lowKey = 0;
            zone.settings.highKey = 127;
            zone.settings.highVelocity = 127;
            zone.settings.rootKey = 60;
            zone.sampleName = name + std::to_string(g) + std::to_string(z);
            zone.sound = sound;
            group.zones.push_back(zone);
        }
        image.groups.push_back(group);
    }
    file.getParentDirectory().createDirectory();
    std::string error;
    if (!writeInstrumentFile(image, file.getFullPathName().toStdString(), error))
        std::abort();
}

// The library: two instruments at its top and one in a subfolder, and one
// instrument outside it.
struct Harness
{
    Harness()
    {
        root = juce::File::getSpecialLocation(juce::File::tempDirectory).getChildFile("zsp-processor-fuzz");
        root.deleteRecursively();
        const juce::File library = root.getChildFile("Player.instruments");
        writeInstrument(library.getChildFile("Piano.zse"), "Piano", 2, false);
        writeInstrument(library.getChildFile("Strings/Violins.zse"), "Violins", 3, true);
        writeInstrument(library.getChildFile("Zither.zse"), "Zither", 1, false);
        writeInstrument(root.getChildFile("elsewhere/Organ.zse"), "Organ", 2, false);
        processor = std::make_unique<CZSP>(root.getChildFile("Player.so"));
        processor->setRateAndBufferSizeDetails(44100.0, blockFrames);
        processor->prepareToPlay(44100.0, blockFrames);
        processor->setNonRealtime(true);
    }

    juce::ScopedJuceInitialiser_GUI juce;
    juce::File root;
    std::unique_ptr<CZSP> processor;
};

Harness& harness()
{
    // Never destroyed: the fuzzer ends the process without unwinding.
    static Harness* const shared = new Harness;
    return *shared;
}

void playOneBlock(CZSP& processor)
{
    juce::AudioBuffer<float> buffer(32, blockFrames);
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::noteOn(1, 60, juce::uint8 { 100 }), 0);
    midi.addEvent(juce::MidiMessage::noteOff(1, 60), blockFrames / 2);
    processor.processBlock(buffer, midi);
}

void writeSeeds(const juce::File& seeds)
{
    CZSP& processor = *harness().processor;
    seeds.createDirectory();
    const juce::String paths[] = { "Piano.zse", "Strings/Violins.zse", "Zither.zse", "../elsewhere/Organ.zse" };
    int index = 0;
    for (const auto& path : paths)
    {
        processor.loadInstrument(-1, juce::File(processor.getLibraryFolder()).getChildFile(path).getFullPathName(), false, true);
        processor.instrument.settings.volume = -3.0f;
        processor.instrument.settings.filterType = 1;
        juce::MemoryBlock state;
        processor.getStateInformation(state);
        if (!seeds.getChildFile("state-" + juce::String(index++)).replaceWithData(state.getData(), state.getSize()))
            std::exit(1);
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    harness();
    if (const char* seeds = std::getenv("ZSP_WRITE_STATE_SEEDS"))
    {
        writeSeeds(juce::File::getCurrentWorkingDirectory().getChildFile(seeds));
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CZSP& processor = *harness().processor;
    const std::unique_ptr<uint8_t[]> block(new uint8_t[size == 0 ? 1 : size]);
    if (size > 0)
        std::memcpy(block.get(), data, size);
    processor.setStateInformation(block.get(), static_cast<int>(size));
    playOneBlock(processor);

    // What was restored saves again as a whole block.
    juce::MemoryBlock saved;
    processor.getStateInformation(saved);
    if (saved.getSize() < 1 + sizeof(InstrumentSettings) + 8)
        std::abort();
    return 0;
}

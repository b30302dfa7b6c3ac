// Programs (the library's instruments) and the state block hosts keep.

#include "CZSPInternals.h"
#include "StateBlock.h"

int CZSP::getNumPrograms()
{
    return instrumentNames.size();
}

int CZSP::getCurrentProgram()
{
    const juce::String path = getCurrentInstrumentPath();
    for (int i = 0; i < instrumentFiles.size(); ++i)
        if (instrumentFiles.getReference(i).getFullPathName() == path)
            return i;
    return 0;
}

void CZSP::setCurrentProgram(int index)
{
    loadInstrument(index, {}, false, false);
}

const juce::String CZSP::getProgramName(int index)
{
    return instrumentNames[index];
}

void CZSP::changeProgramName(int, const juce::String&)
{
}

juce::String CZSP::storedInstrumentName() const
{
    const juce::String path = getCurrentInstrumentPath();
    if (path.isEmpty() || !juce::File::isAbsolutePath(path) || libraryFolder.isEmpty())
        return path;
    const juce::File file(path);
    const juce::File library(libraryFolder);
    return file.isAChildOf(library) ? file.getRelativePathFrom(library) : path;
}

juce::String CZSP::instrumentPathForStoredName(const juce::String& name) const
{
    // A full path names an instrument opened from outside the library; any
    // other name (a bare file name as older blocks hold, or a path into a
    // subfolder) lies in the library folder.
    if (juce::File::isAbsolutePath(name))
        return name;
    if (libraryFolder.isEmpty())
        return "/" + name;
    return juce::File(libraryFolder).getChildFile(name).getFullPathName();
}

void CZSP::getStateInformation(juce::MemoryBlock& destData)
{
    // A load still waiting runs first, so that the block's name and settings
    // belong to the same instrument.
    for (;;)
    {
        finishQueuedLoad();
        EngineAccess engine(*this);
        {
            const juce::ScopedLock hold(requestLock);
            if (queuedLoad != nullptr)
                continue;
        }

        // The audio thread writes these blocks as it renders (controllers,
        // group activation, parameter changes): the copy is made between two
        // blocks, holding the wrappers' callback lock for its few microseconds.
        StateBlock::Snapshot snapshot;
        snapshot.groups.reserve(instrument.groups.size());
        {
            const juce::ScopedLock betweenBlocks(getCallbackLock());
            StateBlock::takeSnapshot(instrument, snapshot);
        }
        // Parameter changes the audio thread has not applied yet are part of
        // the state all the same.
        for (int index = 0; index < HostParameters::count; ++index)
        {
            const ParameterSlot& slot = parameterSlots[static_cast<size_t>(index)];
            if (!slot.pending.load())
                continue;
            const float field = HostParameters::fieldForHostValue(index, slot.requested.load());
            if (HostParameters::addressesGroup(index))
            {
                if (snapshot.currentGroup < 0)
                    continue;
                GroupSettings& group = snapshot.groups[static_cast<size_t>(snapshot.currentGroup)];
                float* const scales[] = { &group.attackScale, &group.decayScale, &group.sustainScale, &group.releaseScale };
                *scales[index] = field;
            }
            else if (index == HostParameters::filterCutoff)
                snapshot.settings.filterCutoff = field;
            else
                snapshot.settings.glideTime = field;
        }
        StateBlock::append(destData, storedInstrumentName(), snapshot);
        return;
    }
}

void CZSP::setStateInformation(const void* data, int sizeInBytes)
{
    juce::String name;
    auto rest = std::make_unique<juce::MemoryBlock>();
    if (sizeInBytes <= 0 || !StateBlock::split(data, static_cast<size_t>(sizeInBytes), name, *rest) || name.isEmpty())
        return;
    requestLoad(-1, instrumentPathForStoredName(name), true, true, std::move(rest));
}

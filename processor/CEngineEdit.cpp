// The player window's changes to the engine, and the ring that carries them
// to the thread that may apply them.

#include "CEngineEdit.h"

#include <cmath>
#include <cstring>

#include "engine/ZInstrument.h"
#include "engine/ZTables.h"

CEngineEdit CEngineEdit::floatField(Kind kind, size_t offset, float stored, Then then, int group)
{
    CEngineEdit edit;
    edit.kind = kind;
    edit.then = then;
    edit.group = group;
    edit.offset = static_cast<uint32_t>(offset);
    std::memcpy(&edit.bits, &stored, sizeof stored);
    return edit;
}

CEngineEdit CEngineEdit::intField(Kind kind, size_t offset, int32_t stored, Then then, int group)
{
    CEngineEdit edit;
    edit.kind = kind;
    edit.then = then;
    edit.group = group;
    edit.offset = static_cast<uint32_t>(offset);
    std::memcpy(&edit.bits, &stored, sizeof stored);
    return edit;
}

CEngineEdit CEngineEdit::groups(Kind kind, int group)
{
    CEngineEdit edit;
    edit.kind = kind;
    edit.group = group;
    return edit;
}

CEngineEdit CEngineEdit::bendTo(float position)
{
    CEngineEdit edit;
    edit.kind = Kind::bend;
    edit.value = position;
    return edit;
}

float CEngineEdit::storedFloat() const
{
    float stored;
    std::memcpy(&stored, &bits, sizeof stored);
    return stored;
}

int32_t CEngineEdit::storedInt() const
{
    int32_t stored;
    std::memcpy(&stored, &bits, sizeof stored);
    return stored;
}

float bendTargetFor(float position, int32_t range)
{
    const double semitones = static_cast<double>(range) * static_cast<double>(position);
    if (semitones >= -24.0 && semitones <= 24.0)
    {
        const int cents = static_cast<int>(100.0 * semitones);  // toward zero
        return pitchRatioTable()[2400 + cents];
    }
    return static_cast<float>(std::pow(2.0, semitones / 12.0));
}

namespace
{
template <typename Block>
bool storeField(Block& block, const CEngineEdit& edit)
{
    if (edit.offset % 4 != 0 || edit.offset + 4 > sizeof(Block))
        return false;
    std::memcpy(reinterpret_cast<unsigned char*>(&block) + edit.offset, &edit.bits, 4);
    return true;
}

ZGroup* groupAt(ZInstrument& instrument, int index)
{
    if (index < 0 || static_cast<size_t>(index) >= instrument.groups.size())
        return nullptr;
    return instrument.groups[static_cast<size_t>(index)].get();
}

void runThen(ZInstrument& instrument, ZGroup* group, CEngineEdit::Then then)
{
    if (then == CEngineEdit::Then::applySettings)
        instrument.applySettings();
    else if (then == CEngineEdit::Then::updateZones && group != nullptr)
        for (const auto& zone : group->zones)
            zone->updateDerived();
}
} // namespace

void applyEngineEdit(ZInstrument& instrument, const CEngineEdit& edit)
{
    using Kind = CEngineEdit::Kind;
    switch (edit.kind)
    {
    case Kind::instrumentField:
        if (storeField(instrument.settings, edit))
            runThen(instrument, nullptr, edit.then);
        break;
    case Kind::groupField:
        if (ZGroup* group = groupAt(instrument, edit.group); group != nullptr && storeField(group->settings, edit))
            runThen(instrument, group, edit.then);
        break;
    case Kind::bend:
        instrument.bendPosition = edit.value;
        instrument.bendTarget = bendTargetFor(edit.value, instrument.getBendRange());
        break;
    case Kind::selectGroup:
        if (ZGroup* group = groupAt(instrument, edit.group))
        {
            // Quietly emptied: the activation below tells the delegate once.
            for (ZGroup* active : instrument.activeGroups)
                active->settings.active = 0;
            instrument.activeGroups.clear();
            instrument.activateGroup(group);
            instrument.currentGroup = group;
        }
        break;
    case Kind::activateGroup:
        instrument.activateGroup(groupAt(instrument, edit.group));
        break;
    case Kind::deactivateGroup:
        if (ZGroup* group = groupAt(instrument, edit.group))
            instrument.deactivateGroup(group);
        break;
    case Kind::none:
        break;
    }
}

bool CEngineEditQueue::push(const CEngineEdit& edit) noexcept
{
    const size_t write = writeIndex.load(std::memory_order_relaxed);
    const size_t next = (write + 1) % slots;
    if (next == readIndex.load(std::memory_order_acquire))
        return false;
    ring[write] = edit;
    writeIndex.store(next, std::memory_order_release);
    return true;
}

bool CEngineEditQueue::pop(CEngineEdit& edit) noexcept
{
    const size_t read = readIndex.load(std::memory_order_relaxed);
    if (read == writeIndex.load(std::memory_order_acquire))
        return false;
    edit = ring[read];
    readIndex.store((read + 1) % slots, std::memory_order_release);
    return true;
}

bool CEngineEditQueue::isEmpty() const noexcept
{
    return readIndex.load(std::memory_order_acquire) == writeIndex.load(std::memory_order_acquire);
}

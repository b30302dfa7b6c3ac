#pragma once
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

class ZInstrument;

// One change the player window makes to the engine: a settings field of the
// instrument or of a group, the bend control, or the set of active groups.
// The window never writes the engine itself while the audio thread may
// render; it hands its changes over as edits, which the audio thread applies
// between two blocks (or the processor on the message thread, under the
// callback lock, while no block is rendered).
struct CEngineEdit
{
    enum class Kind : uint8_t
    {
        none,
        instrumentField,  // the 4 bytes at `offset` of InstrumentSettings
        groupField,       // the 4 bytes at `offset` of GroupSettings of group `group`
        bend,             // bendPosition = value; bendTarget follows from the engine's bend range
        selectGroup,      // group `group` becomes the only active group and the current group
        activateGroup,
        deactivateGroup
    };
    // What runs once the value is stored.
    enum class Then : uint8_t
    {
        nothing,
        applySettings,  // ZInstrument::applySettings
        updateZones     // ZZone::updateDerived for every zone of the group, in zone order
    };

    Kind kind = Kind::none;
    Then then = Then::nothing;
    int32_t group = -1;
    uint32_t offset = 0;
    uint32_t bits = 0;  // the stored float or int32, bit for bit
    float value = 0.0f;
    // The instrument the edit was made for (CEngineView::instrumentGeneration):
    // an edit that a load overtook is dropped.
    uint64_t generation = 0;

    static CEngineEdit floatField(Kind kind, size_t offset, float stored, Then then, int group = -1);
    static CEngineEdit intField(Kind kind, size_t offset, int32_t stored, Then then, int group = -1);
    static CEngineEdit groups(Kind kind, int group);
    static CEngineEdit bendTo(float position);

    float storedFloat() const;
    int32_t storedInt() const;
};

// The bend ratio the engine glides to for a bend control at `position`
// (-1 to +1) and a bend range of `range` semitones: whole cents from the pitch
// table within +-24 semitones, 2^(g/12) beyond.
float bendTargetFor(float position, int32_t range);

// Applies `edit` to `instrument`. The caller holds the audio thread out of
// the instrument, or is the audio thread between two blocks. An edit that
// names a field outside the settings block or a group that does not exist
// changes nothing.
void applyEngineEdit(ZInstrument& instrument, const CEngineEdit& edit);

// Edits waiting for the engine: a fixed ring for one producer (the message
// thread) and one consumer at a time (the audio thread, or a thread that
// holds it out). Nothing allocates or waits; a full ring refuses the edit.
class CEngineEditQueue
{
public:
    static constexpr size_t capacity = 1024;

    bool push(const CEngineEdit& edit) noexcept;
    bool pop(CEngineEdit& edit) noexcept;
    bool isEmpty() const noexcept;

private:
    static constexpr size_t slots = capacity + 1;
    std::array<CEngineEdit, slots> ring {};
    std::atomic<size_t> writeIndex { 0 };
    std::atomic<size_t> readIndex { 0 };
};

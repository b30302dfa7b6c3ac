#pragma once
#include <atomic>
#include <cstdint>

// The instrument's free-running LFO: a 256-point table plus a guard point read
// with an 8.24 fixed-point phase.
class ZLFO
{
public:
    static constexpr int tablePoints = 256;

    ZLFO();
    virtual ~ZLFO() = default;

    // Fills the table for a stored shape (LfoShape); any other value leaves it
    // as it was. Call on the audio
    // thread, or while it does not run.
    void buildTable(int shape);

    // From any thread: the audio thread rebuilds the table for this shape
    // before its next sample, so a reader never sees a half-built table.
    void requestShape(int shape);

    // Phase increment for a rate in Hz at the current sampleRate.
    void setRate(float rateHz);

    // One output sample: the value at the current phase, then the phase moves on.
    float advance() noexcept;

    float sampleRate = 44100.0f;
    uint32_t phase = 0;
    uint32_t phaseIncrement = 0;
    float table[tablePoints + 1] = {};

private:
    // Writes the table for a shape without touching the shape bookkeeping.
    void fillTable(int shape);

    std::atomic<int> requestedShape { 0 };
    int builtShape = 0;
};

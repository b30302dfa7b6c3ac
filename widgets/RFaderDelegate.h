#pragma once

class RFader;

// Told about every change of a fader's value that the user makes. isFinal is
// false while the thumb is being dragged and true for a click beside the
// thumb, a double click and the mouse wheel.
class RFaderDelegate
{
public:
    virtual ~RFaderDelegate() = default;
    virtual void faderValueChanged(RFader* fader, bool isFinal) = 0;
};

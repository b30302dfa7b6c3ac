#include "MidiBuilder.h"

namespace
{
void put32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void put16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}
} // namespace

void appendVariable(std::vector<uint8_t>& out, uint32_t value)
{
    uint8_t groups[5];
    int count = 0;
    do
    {
        groups[count++] = value & 0x7F;
        value >>= 7;
    } while (value != 0);
    while (count > 0)
    {
        --count;
        out.push_back(static_cast<uint8_t>(groups[count] | (count > 0 ? 0x80 : 0)));
    }
}

MidiTrackBuilder& MidiTrackBuilder::event(uint32_t delta, std::initializer_list<uint8_t> eventBytes)
{
    appendVariable(bytes, delta);
    bytes.insert(bytes.end(), eventBytes);
    return *this;
}

MidiTrackBuilder& MidiTrackBuilder::tempo(uint32_t delta, uint32_t microsecondsPerQuarter)
{
    return event(delta, { 0xFF, 0x51, 0x03, static_cast<uint8_t>(microsecondsPerQuarter >> 16),
                          static_cast<uint8_t>(microsecondsPerQuarter >> 8), static_cast<uint8_t>(microsecondsPerQuarter) });
}

MidiTrackBuilder& MidiTrackBuilder::raw(std::initializer_list<uint8_t> rawBytes)
{
    bytes.insert(bytes.end(), rawBytes);
    return *this;
}

MidiTrackBuilder& MidiTrackBuilder::end(uint32_t delta)
{
    return event(delta, { 0xFF, 0x2F, 0x00 });
}

std::vector<uint8_t> midiFile(uint16_t format, uint16_t division, const std::vector<MidiTrackBuilder>& tracks)
{
    std::vector<uint8_t> out = { 'M', 'T', 'h', 'd' };
    put32(out, 6);
    put16(out, format);
    put16(out, static_cast<uint16_t>(tracks.size()));
    put16(out, division);
    for (const MidiTrackBuilder& track : tracks)
    {
        out.insert(out.end(), { 'M', 'T', 'r', 'k' });
        put32(out, static_cast<uint32_t>(track.body().size()));
        out.insert(out.end(), track.body().begin(), track.body().end());
    }
    return out;
}

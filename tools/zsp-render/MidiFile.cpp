#include "MidiFile.h"

#include <algorithm>

namespace
{
constexpr uint8_t metaEvent = 0xFF;
constexpr uint8_t sysexStart = 0xF0;
constexpr uint8_t sysexPacket = 0xF7;
constexpr uint8_t metaEndOfTrack = 0x2F;
constexpr uint8_t metaTempo = 0x51;

uint32_t be32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

uint16_t be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

int dataBytesOf(uint8_t status)
{
    const int kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// Reads one track chunk's events into `events` and `tempos`.
class TrackReader
{
public:
    TrackReader(const uint8_t* begin, size_t length, size_t fileOffset, int trackNumber)
        : data(begin), size(length), base(fileOffset), track(trackNumber)
    {
    }

    bool read(std::vector<MidiFileEvent>& events, std::vector<MidiTempoChange>& tempos, std::string& error)
    {
        while (at < size)
        {
            uint32_t delta = 0;
            if (!readVariable(delta, error))
                return false;
            tick += delta;
            if (at >= size)
                return fail("an event is cut off", error);
            const size_t eventStart = at;
            uint8_t status = data[at];
            if (status >= 0x80)
                ++at;
            else if (runningStatus == 0)
                return fail("a data byte comes where a status byte should be", error);
            else
                status = runningStatus;

            if (status < 0xF0)
            {
                if (!readChannelMessage(status, events, error))
                    return false;
                runningStatus = status;
                continue;
            }
            runningStatus = 0;  // system and meta events cancel running status
            if (status == metaEvent)
            {
                bool endOfTrack = false;
                if (!readMeta(tempos, endOfTrack, error))
                    return false;
                if (endOfTrack)
                    break;
            }
            else if (status == sysexStart || status == sysexPacket)
            {
                if (!readSysex(status, events, error))
                    return false;
            }
            else
            {
                at = eventStart;
                return fail("status byte " + hex(status) + " does not belong in a MIDI file", error);
            }
        }
        if (!pendingSysex.bytes.empty())
            events.push_back(std::move(pendingSysex));  // never closed: delivered as far as it goes
        return true;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t base;
    int track;
    size_t at = 0;
    int64_t tick = 0;
    uint8_t runningStatus = 0;
    MidiFileEvent pendingSysex;

    static std::string hex(uint8_t value)
    {
        static const char digits[] = "0123456789ABCDEF";
        return std::string("0x") + digits[value >> 4] + digits[value & 15];
    }

    bool fail(const std::string& problem, std::string& error) const
    {
        error = "track " + std::to_string(track) + ", byte " + std::to_string(base + at) + ": " + problem;
        return false;
    }

    bool readVariable(uint32_t& value, std::string& error)
    {
        value = 0;
        for (int k = 0; k < 4; ++k)
        {
            if (at >= size)
                return fail("a length or time is cut off", error);
            const uint8_t byte = data[at++];
            value = value << 7 | (byte & 0x7F);
            if ((byte & 0x80) == 0)
                return true;
        }
        return fail("a variable-length number runs past four bytes", error);
    }

    bool readBody(uint32_t length, std::vector<uint8_t>& into, std::string& error)
    {
        if (length > size - at)
            return fail("an event's data runs past the end of its track", error);
        into.insert(into.end(), data + at, data + at + length);
        at += length;
        return true;
    }

    bool readChannelMessage(uint8_t status, std::vector<MidiFileEvent>& events, std::string& error)
    {
        MidiFileEvent event;
        event.tick = tick;
        event.bytes.push_back(status);
        for (int k = 0; k < dataBytesOf(status); ++k)
        {
            if (at >= size)
                return fail("a channel message is cut off", error);
            if (data[at] >= 0x80)
                return fail("a channel message has a status byte where a data byte should be", error);
            event.bytes.push_back(data[at++]);
        }
        events.push_back(std::move(event));
        return true;
    }

    bool readMeta(std::vector<MidiTempoChange>& tempos, bool& endOfTrack, std::string& error)
    {
        if (at >= size)
            return fail("a meta event is cut off", error);
        const uint8_t type = data[at++];
        uint32_t length = 0;
        if (!readVariable(length, error))
            return false;
        std::vector<uint8_t> body;
        if (!readBody(length, body, error))
            return false;
        if (type == metaTempo && body.size() >= 3)
        {
            const uint32_t tempo = uint32_t(body[0]) << 16 | uint32_t(body[1]) << 8 | body[2];
            if (tempo > 0)
                tempos.push_back({ tick, tempo });
        }
        endOfTrack = type == metaEndOfTrack;
        return true;
    }

    bool readSysex(uint8_t status, std::vector<MidiFileEvent>& events, std::string& error)
    {
        uint32_t length = 0;
        if (!readVariable(length, error))
            return false;
        if (status == sysexStart)
        {
            if (!pendingSysex.bytes.empty())
                events.push_back(std::move(pendingSysex));  // an unfinished one ends here
            pendingSysex = MidiFileEvent {};
            pendingSysex.tick = tick;
            pendingSysex.bytes.push_back(sysexStart);
            if (!readBody(length, pendingSysex.bytes, error))
                return false;
        }
        else
        {
            std::vector<uint8_t> packet;
            if (!readBody(length, packet, error))
                return false;
            if (pendingSysex.bytes.empty())
                return true;  // an escape packet: dropped
            pendingSysex.bytes.insert(pendingSysex.bytes.end(), packet.begin(), packet.end());
        }
        if (pendingSysex.bytes.back() == sysexPacket)
        {
            events.push_back(std::move(pendingSysex));
            pendingSysex = MidiFileEvent {};
        }
        return true;
    }
};

bool readHeader(const std::vector<uint8_t>& bytes, MidiFileContents& contents, size_t& next, std::string& error)
{
    if (bytes.size() < 14 || std::string(bytes.begin(), bytes.begin() + 4) != "MThd")
    {
        error = "not a Standard MIDI File (no \"MThd\" header)";
        return false;
    }
    const uint32_t length = be32(&bytes[4]);
    if (length < 6 || length > bytes.size() - 8)
    {
        error = "the MIDI header has a bad length";
        return false;
    }
    contents.format = be16(&bytes[8]);
    contents.trackCount = be16(&bytes[10]);
    const uint16_t division = be16(&bytes[12]);
    if (contents.format == 2)
    {
        error = "format 2 (independent sequences) is not supported";
        return false;
    }
    if (contents.format > 2)
    {
        error = "unknown MIDI file format " + std::to_string(contents.format);
        return false;
    }
    if ((division & 0x8000) != 0)
    {
        contents.framesPerSecond = -static_cast<int8_t>(division >> 8);
        contents.ticksPerFrame = division & 0xFF;
        const int fps = contents.framesPerSecond;
        if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || contents.ticksPerFrame == 0)
        {
            error = "the MIDI header has a bad SMPTE time division";
            return false;
        }
    }
    else if ((contents.ticksPerQuarter = division) == 0)
    {
        error = "the MIDI header gives 0 ticks per quarter note";
        return false;
    }
    next = 8 + length;
    return true;
}
} // namespace

bool readMidiFile(const std::vector<uint8_t>& bytes, MidiFileContents& contents, std::string& error)
{
    contents = MidiFileContents {};
    size_t at = 0;
    if (!readHeader(bytes, contents, at, error))
        return false;

    std::vector<MidiFileEvent> events;
    int tracksRead = 0;
    while (tracksRead < contents.trackCount)
    {
        if (bytes.size() - at < 8)
        {
            error = "the file ends before track " + std::to_string(tracksRead + 1) + " of "
                  + std::to_string(contents.trackCount);
            return false;
        }
        const uint32_t length = be32(&bytes[at + 4]);
        const bool isTrack = std::equal(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                        bytes.begin() + static_cast<std::ptrdiff_t>(at + 4), "MTrk");
        if (length > bytes.size() - at - 8)
        {
            error = (isTrack ? "track " + std::to_string(tracksRead + 1) : std::string("a chunk"))
                  + " runs past the end of the file";
            return false;
        }
        if (isTrack)
        {
            ++tracksRead;
            TrackReader track(bytes.data() + at + 8, length, at + 8, tracksRead);
            if (!track.read(events, contents.tempoChanges, error))
                return false;
        }
        at += 8 + static_cast<size_t>(length);
    }

    // Tracks were read one after another, so a stable sort by tick keeps
    // track order and then file order among events of one tick.
    auto byTick = [](const auto& a, const auto& b) { return a.tick < b.tick; };
    std::stable_sort(events.begin(), events.end(), byTick);
    std::stable_sort(contents.tempoChanges.begin(), contents.tempoChanges.end(), byTick);
    contents.events = std::move(events);
    return true;
}

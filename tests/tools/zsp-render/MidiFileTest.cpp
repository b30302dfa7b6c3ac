// The renderer's MIDI file reader: merging, running status, system-exclusive
// and meta events, and refusing corrupt files.

#include <gtest/gtest.h>

#include "MidiBuilder.h"
#include "MidiFile.h"

namespace
{
using Bytes = std::vector<uint8_t>;

MidiFileContents read(const Bytes& file)
{
    MidiFileContents contents;
    std::string error;
    EXPECT_TRUE(readMidiFile(file, contents, error)) << error;
    return contents;
}

std::vector<std::pair<int64_t, Bytes>> eventsOf(const MidiFileContents& contents)
{
    std::vector<std::pair<int64_t, Bytes>> events;
    for (const MidiFileEvent& event : contents.events)
        events.emplace_back(event.tick, event.bytes);
    return events;
}

std::string errorOf(const Bytes& file)
{
    MidiFileContents contents;
    std::string error;
    EXPECT_FALSE(readMidiFile(file, contents, error));
    return error;
}
} // namespace

TEST(MidiFile, RunningStatusIsResolvedAndMetaEventsAreDropped)
{
    MidiTrackBuilder track;
    track.event(0, { 0x90, 60, 100 })
        .event(10, { 62, 90 })                          // running status: note on
        .event(0, { 0xFF, 0x03, 0x02, 'h', 'i' })       // track name
        .event(5, { 0x80, 60, 0 })
        .event(0, { 62, 0 })
        .event(0, { 0xC3, 7 })                          // one data byte
        .event(0, { 9 })                                // running program change
        .end(20);
    const MidiFileContents contents = read(midiFile(0, 96, { track }));
    EXPECT_EQ(contents.format, 0);
    EXPECT_EQ(contents.ticksPerQuarter, 96);
    const std::vector<std::pair<int64_t, Bytes>> expected = {
        { 0, { 0x90, 60, 100 } }, { 10, { 0x90, 62, 90 } }, { 15, { 0x80, 60, 0 } },
        { 15, { 0x80, 62, 0 } },  { 15, { 0xC3, 7 } },      { 15, { 0xC3, 9 } },
    };
    EXPECT_EQ(eventsOf(contents), expected);
}

TEST(MidiFile, TracksOfFormatOneMergeByTimeThenTrackThenFileOrder)
{
    MidiTrackBuilder tempo;
    tempo.tempo(0, 600000).tempo(96, 1000000).end();
    MidiTrackBuilder a;
    a.event(0, { 0x90, 1, 1 }).event(48, { 0x90, 2, 2 }).event(0, { 0x90, 3, 3 }).end();
    MidiTrackBuilder b;
    b.event(48, { 0x91, 4, 4 }).event(0, { 0x91, 5, 5 }).event(1, { 0x91, 6, 6 }).end();
    const MidiFileContents contents = read(midiFile(1, 96, { tempo, a, b }));
    EXPECT_EQ(contents.trackCount, 3);
    const std::vector<std::pair<int64_t, Bytes>> expected = {
        { 0, { 0x90, 1, 1 } },  { 48, { 0x90, 2, 2 } }, { 48, { 0x90, 3, 3 } },
        { 48, { 0x91, 4, 4 } }, { 48, { 0x91, 5, 5 } }, { 49, { 0x91, 6, 6 } },
    };
    EXPECT_EQ(eventsOf(contents), expected);
    ASSERT_EQ(contents.tempoChanges.size(), 2u);
    EXPECT_EQ(contents.tempoChanges[1].tick, 96);
    EXPECT_EQ(contents.tempoChanges[1].microsecondsPerQuarter, 1000000u);
}

TEST(MidiFile, SystemExclusiveMessagesArePassedWholeAndDividedOnesJoined)
{
    MidiTrackBuilder track;
    track.event(0, { 0x90, 60, 100 })
        .event(0, { 0xF0, 0x04, 0x7E, 0x7F, 0x09, 0xF7 })  // complete
        .event(0, { 62, 100 })                            // sysex cancelled running status
        .end();
    EXPECT_NE(errorOf(midiFile(0, 96, { track })).find("a data byte comes where a status byte should be"),
              std::string::npos);

    MidiTrackBuilder fine;
    fine.event(3, { 0xF0, 0x04, 0x7E, 0x7F, 0x09, 0xF7 })
        .event(2, { 0xF0, 0x02, 0x43, 0x10 })   // divided: continues below
        .event(4, { 0xF7, 0x02, 0x4C, 0xF7 })
        .event(1, { 0xF7, 0x01, 0xF8 })         // an escape packet: dropped
        .event(0, { 0x90, 60, 1 })
        .end();
    const std::vector<std::pair<int64_t, Bytes>> expected = {
        { 3, { 0xF0, 0x7E, 0x7F, 0x09, 0xF7 } },
        { 5, { 0xF0, 0x43, 0x10, 0x4C, 0xF7 } },
        { 10, { 0x90, 60, 1 } },
    };
    EXPECT_EQ(eventsOf(read(midiFile(0, 96, { fine }))), expected);
}

TEST(MidiFile, SmpteDivisionIsRead)
{
    MidiTrackBuilder track;
    track.event(0, { 0x90, 60, 1 }).end();
    const MidiFileContents contents = read(midiFile(0, static_cast<uint16_t>(0xE7 << 8 | 40), { track }));  // -25 fps
    EXPECT_EQ(contents.ticksPerQuarter, 0);
    EXPECT_EQ(contents.framesPerSecond, 25);
    EXPECT_EQ(contents.ticksPerFrame, 40);
}

TEST(MidiFile, CorruptFilesAreRefusedWithTheProblem)
{
    MidiTrackBuilder note;
    note.event(0, { 0x90, 60, 100 }).end();
    const Bytes good = midiFile(0, 96, { note });

    struct Case
    {
        const char* what;
        Bytes file;
        const char* expected;
    };
    Bytes cutTrack = good;
    cutTrack.resize(cutTrack.size() - 2);
    Bytes missingTrack = midiFile(1, 96, { note });
    missingTrack[11] = 2;  // says two tracks, holds one
    Bytes zeroDivision = good;
    zeroDivision[12] = zeroDivision[13] = 0;

    MidiTrackBuilder noStatus;
    noStatus.event(0, { 60, 100 }).end();
    MidiTrackBuilder badData;
    badData.event(0, { 0x90, 60, 0x90 }).end();
    MidiTrackBuilder longNumber;
    longNumber.event(0, { 0x90, 60, 100 }).raw({ 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 60, 0 });
    MidiTrackBuilder systemCommon;
    systemCommon.event(0, { 0xF2, 1, 2 }).end();
    MidiTrackBuilder longMeta;
    longMeta.event(0, { 0xFF, 0x01, 0x7F, 'x' });
    MidiTrackBuilder cutNote;
    cutNote.event(0, { 0x90, 60 });

    const Case cases[] = {
        { "empty file", {}, "not a Standard MIDI File" },
        { "other file", Bytes { 'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 0, 0 }, "not a Standard MIDI File" },
        { "cut track", cutTrack, "track 1 runs past the end of the file" },
        { "missing track", missingTrack, "the file ends before track 2 of 2" },
        { "format 2", midiFile(2, 96, { note }), "format 2" },
        { "zero division", zeroDivision, "0 ticks per quarter note" },
        { "bad SMPTE", midiFile(0, static_cast<uint16_t>(0xE5 << 8 | 4), { note }), "SMPTE" },
        { "data without status", midiFile(0, 96, { noStatus }), "a data byte comes where a status byte should be" },
        { "status in data", midiFile(0, 96, { badData }), "status byte where a data byte should be" },
        { "five-byte number", midiFile(0, 96, { longNumber }), "runs past four bytes" },
        { "system common", midiFile(0, 96, { systemCommon }), "status byte 0xF2 does not belong" },
        { "meta past its track", midiFile(0, 96, { longMeta }), "runs past the end of its track" },
        { "note cut off", midiFile(0, 96, { cutNote }), "cut off" },
    };
    for (const Case& c : cases)
    {
        const std::string error = errorOf(c.file);
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.what << ": " << error;
    }
}

#pragma once
// Reading ".zse" instrument files into a ZInstrument. The reader fills the
// instrument from outside, through its public operations, one step per part
// of the file: head, instrument record (name, vendor, settings), presentation
// (extra text, background image, layout, string list), the voice pool the
// stored settings ask for, then the groups with their zones and embedded
// sounds. ZInstrument::loadFromFile and ZInstrument::peekFile hand their work
// to it. It runs on the loading thread, with the instrument's loadingFlag set
// for the whole load.
//
// Reading stays tolerant: a file cut short or holding nonsense loads what can
// be read, and a zone whose sound is missing is left out. What went wrong is
// written into a ZLoadReport for the caller: the first place where the file
// ended inside a record or held a string or count that made no sense, and
// every zone left without its sample.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "engine/ZLoadReport.h"
#include "files/ZSoundFile.h"

class ZGroup;
class ZInstrument;
class ZZone;

class InstrumentReader
{
public:
    // `report` is filled in by load().
    InstrumentReader(ZInstrument& instrument, const std::string& path, ZLoadReport& report);
    ~InstrumentReader();
    InstrumentReader(const InstrumentReader&) = delete;
    InstrumentReader& operator=(const InstrumentReader&) = delete;

    // Replaces the instrument's content with the file's. False when the file
    // cannot be opened (the instrument is untouched), when it fails the magic
    // or version test (the instrument is left cleared), or when the delegate
    // cancels (what was read stays). The report starts empty.
    bool load();

    // Stores the file's name (or, with wantVendor, its vendor) into text and
    // returns its player colour; 0 and text unchanged when the file cannot be
    // opened or is not an instrument file.
    static uint32_t peek(const std::string& path, bool wantVendor, std::string& text);

private:
    // A field of the file, named in a report only when something is wrong
    // with it: "the settings of group 2 zone 3".
    struct Field
    {
        const char* what;
        int32_t group = -1;  // 0-based; -1 outside the groups
        int32_t zone = -1;
    };
    static std::string describeField(const Field& field);
    // The first problem stands; what follows it is mostly its consequence.
    void noteProblem(const std::string& text);
    void noteEnd(const Field& field);
    int32_t readCount(const Field& field);
    std::string readString(size_t limit, const Field& field);
    template <typename Block>
    void readBlock(Block& block, const Field& field);

    bool readHead();
    void readInstrumentRecord();
    void readPresentation();
    void applyStoredPoolSettings();
    bool readGroups();
    bool readGroup(int32_t groupIndex, int32_t groupCount);
    bool readZone(ZGroup& group, int32_t groupIndex, int32_t zoneIndex, float progress);
    std::unique_ptr<ZZone> openEmbeddedZone(const std::string& sampleName, const std::string& resolved, const Field& sound);
    std::unique_ptr<ZZone> locateMissingSample(const std::string& resolved);
    void keepZone(ZGroup& group, std::unique_ptr<ZZone> zone, const Field& settings);
    void finish();

    ZInstrument& instrument;
    const std::string path;
    ZLoadReport& report;
    ZSharedFile file;
    bool embedded = true;
    int64_t sampleWidth = 2;
    // Where the embedded sound of each sample name begins, for the zones that
    // name it again.
    std::map<std::string, int64_t> embeddedOffsets;
    int missingSamplePrompts = 0;
};

#pragma once
// Reading ".zse" instrument files into a ZInstrument. The reader fills the
// instrument from outside, through its public operations, one step per part
// of the file: head, instrument record (name, vendor, settings), presentation
// (extra text, background image, layout, string list), the voice pool the
// stored settings ask for, then the groups with their zones and embedded
// sounds. ZInstrument::loadFromFile and ZInstrument::peekFile hand their work
// to it. It runs on the loading thread, with the instrument's loadingFlag set
// for the whole load.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "files/ZSoundFile.h"

class ZGroup;
class ZInstrument;
class ZZone;

class InstrumentReader
{
public:
    InstrumentReader(ZInstrument& instrument, const std::string& path);
    ~InstrumentReader();
    InstrumentReader(const InstrumentReader&) = delete;
    InstrumentReader& operator=(const InstrumentReader&) = delete;

    // Replaces the instrument's content with the file's. False when the file
    // cannot be opened (the instrument is untouched), when it fails the magic
    // or version test (the instrument is left cleared), or when the delegate
    // cancels (what was read stays).
    bool load();

    // Stores the file's name (or, with wantVendor, its vendor) into text and
    // returns its player colour; 0 and text unchanged when the file cannot be
    // opened or is not an instrument file.
    static uint32_t peek(const std::string& path, bool wantVendor, std::string& text);

private:
    bool readHead();
    void readInstrumentRecord();
    void readPresentation();
    void applyStoredPoolSettings();
    bool readGroups();
    bool readGroup(int32_t groupIndex, int32_t groupCount);
    bool readZone(ZGroup& group, float progress);
    std::unique_ptr<ZZone> openEmbeddedZone(const std::string& sampleName, const std::string& resolved);
    std::unique_ptr<ZZone> locateMissingSample(const std::string& resolved);
    void keepZone(ZGroup& group, std::unique_ptr<ZZone> zone);
    void finish();

    ZInstrument& instrument;
    const std::string path;
    ZSharedFile file;
    bool embedded = true;
    int64_t sampleWidth = 2;
    // Where the embedded sound of each sample name begins, for the zones that
    // name it again.
    std::map<std::string, int64_t> embeddedOffsets;
    int missingSamplePrompts = 0;
};

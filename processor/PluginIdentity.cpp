#include "PluginIdentity.h"

#include <cstring>
#include <dlfcn.h>
#include <link.h>

#include "IdentityRecord.h"

// The identity this build ships with; zsp-brand rewrites it in copies. The
// product name is longer than the 16-byte short field, which holds its first
// 16 bytes, "Zarvo Sampler Pl"; hosts see the whole name from the long field.
// The vendor fits the short field and leaves the long one empty. File-scope
// static rather than in the unnamed namespace: there the compiler would
// repeat the bytes in the debug information, and the marker must occur once
// in the file.
[[gnu::used, gnu::retain]] static const IdentityRecordBytes identityRecord =
    makeIdentityRecord(fallbackPluginId, "Zarvo Sampler Player", "Zarvo");

namespace
{
// The record's bytes through a pointer the compiler cannot see through: the
// marker is then never folded into code, so it lies in the library file once.
const uint8_t* recordInMemory()
{
    const uint8_t* record = identityRecord.data();
    asm volatile("" : "+r"(record));
    return record;
}

IdentityMarker ownMarker()
{
    IdentityMarker marker;
    std::memcpy(marker.data(), recordInMemory(), marker.size());
    return marker;
}

// The loaded segment that holds an address: the file offset it maps to, and
// whether it belongs to the main program (the first object listed).
struct SegmentOfAddress
{
    std::optional<uint64_t> fileOffset;
    bool inMainProgram = false;
};

SegmentOfAddress segmentOf(const void* address)
{
    struct Search
    {
        uintptr_t address;
        bool first = true;
        SegmentOfAddress found;
    } search {reinterpret_cast<uintptr_t>(address), true, {}};

    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto& s = *static_cast<Search*>(data);
            const bool mainProgram = s.first;
            s.first = false;
            for (int i = 0; i < info->dlpi_phnum; ++i)
            {
                const auto& segment = info->dlpi_phdr[i];
                const uintptr_t start = info->dlpi_addr + segment.p_vaddr;
                if (segment.p_type == PT_LOAD && s.address >= start && s.address - start < segment.p_filesz)
                {
                    s.found = {segment.p_offset + (s.address - start), mainProgram};
                    return 1;
                }
            }
            return 0;
        },
        &search);
    return search.found;
}

// A field's text: UTF-8 when it is valid UTF-8, else one character per byte.
juce::String textOfField(const std::string& bytes)
{
    if (juce::CharPointer_UTF8::isValidString(bytes.data(), static_cast<int>(bytes.size())))
        return juce::String::fromUTF8(bytes.data(), static_cast<int>(bytes.size()));
    juce::String text;
    for (char byte : bytes)
        text += juce::String::charToString(static_cast<juce::juce_wchar>(static_cast<uint8_t>(byte)));
    return text;
}

PluginIdentity identityOf(const IdentityFields& fields)
{
    PluginIdentity identity;
    identity.libraryFileRead = fields.recordFound;
    identity.pluginId = fields.pluginIdPresent ? fields.pluginId : fallbackPluginId;
    identity.productName = textOfField(fields.productName);
    identity.vendorName = textOfField(fields.vendorName);
    identity.vst3ComponentClassId = classId(Vst3Class::component, identity.pluginId, fields.productName);
    identity.vst3ControllerClassId = classId(Vst3Class::controller, identity.pluginId, fields.productName);
    identity.lv2Uri = juce::String::fromUTF8(lv2PluginUri(identity.pluginId, fields.vendorName, fields.productName).c_str());
    return identity;
}
} // namespace

juce::File ownLibraryFile()
{
    const auto* code = reinterpret_cast<const void*>(&ownLibraryFile);
    Dl_info info {};
    if (dladdr(code, &info) == 0 || info.dli_fname == nullptr)
        return {};
    const auto name = juce::String::fromUTF8(info.dli_fname);
    if (juce::File::isAbsolutePath(name))
        return juce::File(name);
    // The main program (the standalone player, the tests) is named as it was
    // started, perhaps through the search path; a library opened by a relative
    // path is found from the working folder.
    if (segmentOf(code).inMainProgram)
        return juce::File::getSpecialLocation(juce::File::currentExecutableFile);
    return name.isEmpty() ? juce::File() : juce::File::getCurrentWorkingDirectory().getChildFile(name);
}

PluginIdentity readPluginIdentity(const juce::File& libraryFile)
{
    return identityOf(readIdentityFile(libraryFile.getFullPathName().toStdString(), ownMarker()));
}

const PluginIdentity& pluginIdentity()
{
    static const PluginIdentity identity =
        identityOf(readIdentityFile(ownLibraryFile().getFullPathName().toStdString(), ownMarker(),
                                    segmentOf(recordInMemory()).fileOffset));
    return identity;
}

#include "PluginIdentity.h"

#include <cstring>
#include <dlfcn.h>
#include <link.h>

#include "IdentityRecord.h"

// The identity this build ships with; zsp-brand rewrites it in copies. The
// player's full name, "Zarvo Sampler Player", is longer than the 16 bytes of
// the product field, so hosts see its first two words. File-scope static
// rather than in the unnamed namespace: there the compiler would repeat the
// bytes in the debug information, and the marker must occur once in the file.
[[gnu::used, gnu::retain]] static const IdentityRecordBytes identityRecord =
    makeIdentityRecord(fallbackPluginId, "Zarvo Sampler", "Zarvo");

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

// Where the record lies in the library file, from the loaded segment that
// holds it; nothing when the segment cannot be found.
std::optional<uint64_t> recordFileOffset()
{
    struct Search
    {
        uintptr_t address;
        std::optional<uint64_t> offset;
    } search {reinterpret_cast<uintptr_t>(recordInMemory()), {}};

    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto& s = *static_cast<Search*>(data);
            for (int i = 0; i < info->dlpi_phnum; ++i)
            {
                const auto& segment = info->dlpi_phdr[i];
                const uintptr_t start = info->dlpi_addr + segment.p_vaddr;
                if (segment.p_type == PT_LOAD && s.address >= start && s.address - start < segment.p_filesz)
                {
                    s.offset = segment.p_offset + (s.address - start);
                    return 1;
                }
            }
            return 0;
        },
        &search);
    return search.offset;
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
    Dl_info info {};
    if (dladdr(reinterpret_cast<const void*>(&ownLibraryFile), &info) == 0 || info.dli_fname == nullptr)
        return {};
    return juce::File(juce::String::fromUTF8(info.dli_fname));
}

PluginIdentity readPluginIdentity(const juce::File& libraryFile)
{
    return identityOf(readIdentityFile(libraryFile.getFullPathName().toStdString(), ownMarker()));
}

const PluginIdentity& pluginIdentity()
{
    static const PluginIdentity identity =
        identityOf(readIdentityFile(ownLibraryFile().getFullPathName().toStdString(), ownMarker(), recordFileOffset()));
    return identity;
}

#pragma once
// Branded copies of a built plugin: the same player under another product
// name, vendor and plugin id, with bundle and library file names of its own,
// so that it installs beside the original without a clash.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "IdentityRecord.h"

struct Brand
{
    std::string productName;
    std::string vendorName;
    uint32_t pluginId = 0;
    std::string fileName;  // name of the bundles and library files, without extension
};

struct BrandOptions
{
    Brand brand;
    std::filesystem::path outputFolder;  // empty: beside each source
    bool withInstruments = false;        // copy each source's instrument library folder along
    bool replace = false;                // replace copies that exist already
};

enum class PluginFormat
{
    vst3,
    vst2,
    lv2,
};

// What one source becomes: where the copy goes and which libraries in it
// carry an identity record.
struct CopyPlan
{
    PluginFormat format = PluginFormat::vst2;
    std::filesystem::path source;  // bundle folder or library file
    std::filesystem::path target;  // the copy, same kind
    // Libraries of the source, each with its path relative to the source
    // (empty for a VST 2 library) and its new name in the copy.
    std::vector<std::pair<std::filesystem::path, std::string>> libraries;
    IdentityFields sourceIdentity;
    // Instrument library folders to copy along: source folder, target folder.
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> instrumentFolders;
};

// A copy written in a temporary folder beside its target, waiting to be moved
// into place.
struct PreparedCopy
{
    std::filesystem::path scratch;
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> moves;  // staged path, final path
};

// Each returns an empty text on success, else what went wrong.
std::string brandProblem(const Brand& brand);
std::string planCopy(const std::filesystem::path& source, const BrandOptions& options, CopyPlan& plan);
std::string prepareCopy(const CopyPlan& plan, const BrandOptions& options, PreparedCopy& prepared);
std::string commitCopy(PreparedCopy& prepared, bool replace);
void discardCopy(PreparedCopy& prepared);

// The instrument library folder of a library file: beside it, named after it
// without its extension, with ".instruments" (the processor's rule).
std::filesystem::path instrumentFolderOf(const std::filesystem::path& library);

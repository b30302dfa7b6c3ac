// zsp-identitycheck [EXPECTATIONS] PLUGIN... [[EXPECTATIONS] PLUGIN...]...
//
// Loads built plugin binaries the way hosts do, all of them into this one
// process before probing any, and prints and checks the identity each shows:
// its identity record, and for VST 3 (a ".vst3" bundle) the factory, both
// classes and class ids and the component's controller id, for VST 2 (a
// ".so" library) the unique id, names, versions and output pins, for LV2 (a
// ".lv2" bundle) the plugin and UI URIs and the bundle's Turtle files.
// Everything shown must follow the library's record. Expectations apply to
// the plugins after them, until changed:
//   --product NAME  --vendor NAME  --id CODE  (the names hosts see)
//   --short-product TEXT  --short-vendor TEXT  (the record's short fields read alone)
//   --component-id HEX  --controller-id HEX  (32 digits, bytes in order)
//   --lv2-uri URI
// Exits with 0 when every check holds, 1 otherwise, 64 on a bad command line.

#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <map>

#include "IdentityProbe.h"

namespace
{
enum class Format
{
    vst3,
    vst2,
    lv2
};

struct Plugin
{
    std::string location;
    Format format;
    std::string library;
    ExpectedIdentity expected;
    void* handle = nullptr;
};

// The library inside a bundle: for VST 3 the one named after the bundle, for
// LV2 the bundle's only shared object.
std::string libraryOf(const std::filesystem::path& location, Format format)
{
    if (format == Format::vst3)
        return (location / "Contents" / "x86_64-linux" / (location.stem().string() + ".so")).string();
    if (format == Format::lv2)
        for (const auto& entry : std::filesystem::directory_iterator(location))
            if (entry.path().extension() == ".so")
                return entry.path().string();
    return location.string();
}

bool parse(int argc, char* argv[], std::vector<Plugin>& plugins)
{
    ExpectedIdentity expected;
    const std::map<std::string, std::optional<std::string> ExpectedIdentity::*> options {
        {"--product", &ExpectedIdentity::productName},   {"--vendor", &ExpectedIdentity::vendorName},
        {"--short-product", &ExpectedIdentity::shortProductName},
        {"--short-vendor", &ExpectedIdentity::shortVendorName},
        {"--id", &ExpectedIdentity::pluginId},           {"--component-id", &ExpectedIdentity::componentId},
        {"--controller-id", &ExpectedIdentity::controllerId}, {"--lv2-uri", &ExpectedIdentity::lv2Uri}};
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (const auto option = options.find(arg); option != options.end())
        {
            if (++i == argc)
                return false;
            expected.*(option->second) = argv[i];
            continue;
        }
        if (arg.rfind("--", 0) == 0)
            return false;
        const std::filesystem::path path(arg);
        const Format format = path.extension() == ".vst3" ? Format::vst3
                            : path.extension() == ".lv2"  ? Format::lv2
                                                          : Format::vst2;
        std::error_code error;
        if (!std::filesystem::exists(path, error))
        {
            std::fprintf(stderr, "zsp-identitycheck: no such plugin: %s\n", arg.c_str());
            return false;
        }
        plugins.push_back({arg, format, libraryOf(path, format), expected});
    }
    return !plugins.empty();
}
} // namespace

int main(int argc, char* argv[])
{
    std::vector<Plugin> plugins;
    if (!parse(argc, argv, plugins))
    {
        std::fprintf(stderr, "usage: zsp-identitycheck [--product NAME] [--vendor NAME] [--short-product TEXT] "
                             "[--short-vendor TEXT] [--id CODE] [--component-id HEX] [--controller-id HEX] [--lv2-uri URI] PLUGIN...\n");
        return 64;
    }

    ProbeReport report;
    for (Plugin& plugin : plugins)
    {
        plugin.handle = dlopen(plugin.library.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (plugin.handle == nullptr)
            report.check(false, "cannot load " + plugin.library + ": " + dlerror());
    }
    for (const Plugin& plugin : plugins)
    {
        if (plugin.handle == nullptr)
            continue;
        std::printf("%s (%s)\n", plugin.location.c_str(),
                    plugin.format == Format::vst3 ? "VST 3" : plugin.format == Format::vst2 ? "VST 2" : "LV2");
        if (plugin.format == Format::vst3)
            probeVst3(plugin.handle, plugin.library, plugin.expected, report);
        else if (plugin.format == Format::vst2)
            probeVst2(plugin.handle, plugin.library, plugin.expected, report);
        else
            probeLv2(plugin.handle, plugin.library, plugin.expected, report);
    }
    std::fflush(stdout);
    // The libraries stay loaded until the process ends, as hosts keep them:
    // JUCE's plugins do not support being unloaded while its threads wind down.
    if (report.failureCount() != 0)
    {
        std::printf("%zu check(s) failed\n", report.failureCount());
        return 1;
    }
    std::printf("OK: %zu plugin(s) show the identity of their record\n", plugins.size());
    return 0;
}
